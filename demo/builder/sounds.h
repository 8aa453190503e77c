#pragma once
// The demo's sounds, generated here: music, effects and voices as 16-bit PCM, written as
// Ogg Vorbis (some into the package) or as WAVE.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace demo {

struct Sound {
    std::string name;
    std::vector<uint8_t> bytes;
};

// Every sound of the game: name (a game path without "./") and the file's bytes. Names of
// the form "pkg:NAME" go into the package as member NAME.
std::vector<Sound> makeSounds();

} // namespace demo
