#pragma once
// The music room: the game's background-music tracks as buttons, with play, stop, next and
// back to the title. A track is selected first and played with play; once one is playing
// (or selected), a click on another track plays that one at once.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "graphics/screen.h"
#include "ui/system_screen.h"

namespace zre {

// What the music room asks of the engine's sound: the background-music channel.
class MusicPlayer {
public:
    virtual ~MusicPlayer() = default;
    // Plays the file on the music channel, streamed and looping.
    virtual void playMusic(std::string_view path) = 0;
    virtual void stopMusic() = 0;
};

constexpr int32_t kMusicTrackCount = 23;
constexpr int32_t kMusicPlayButton = 23;
constexpr int32_t kMusicStopButton = 24;
constexpr int32_t kMusicNextButton = 25;
constexpr int32_t kMusicBackButton = 26;

// The file of track t (0 .. 22).
const char* musicTrackFile(int32_t track);

// The rectangles of the tracks, play, stop, next and back, in button order (also what the
// demo draws).
const std::vector<Rect>& musicRoomRects();

std::unique_ptr<Screen> buildMusicRoom(const SystemScreenContext& context);

class MusicRoomController : public ScreenController {
public:
    MusicRoomController(std::vector<ScreenButton> buttonList, ScreenActions& engineActions, MusicPlayer* music,
                        InputState* input);
    int update() override;
    void onButton(int32_t k) override;

    int32_t track = -1;  // the selected track, -1 for none

private:
    void play(int32_t t);
    MusicPlayer* music_;
    InputState* input_;
};

} // namespace zre
