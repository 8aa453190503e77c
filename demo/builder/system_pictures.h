#pragma once
// The pictures of the backlog's arrows and of the music room, drawn for the demo.
#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct PictureFile {
    std::string name;  // a game path without "./"
    std::vector<uint8_t> bytes;
};

// "syspict/page*_off.gfb" / "_on.gfb" (green around the arrows, the key colour) and
// "music_off.bmp" / "music_on.bmp" with the demo's track names.
std::vector<PictureFile> backlogAndMusicRoomPictures();

} // namespace demo
