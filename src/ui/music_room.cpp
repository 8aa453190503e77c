#include "ui/music_room.h"

#include "platform/input_state.h"

namespace zre {

const std::vector<Rect>& musicRoomRects() {
    static const std::vector<Rect> rects = [] {
        std::vector<Rect> r;
        for (int32_t k = 0; k <= 10; ++k) r.push_back({64, 72 + 40 * k, 311, 95 + 40 * k});
        for (int32_t k = 11; k <= 22; ++k) r.push_back({488, 64 + 40 * (k - 11), 735, 87 + 40 * (k - 11)});
        r.push_back({328, 288, 359, 319});  // play
        r.push_back({384, 288, 415, 319});  // stop
        r.push_back({440, 288, 471, 319});  // next track
        r.push_back({48, 536, 151, 559});   // back
        return r;
    }();
    return rects;
}

const char* musicTrackFile(int32_t track) {
    static const char* const kFiles[kMusicTrackCount] = {
        "./bgm/m-01.ogg", "./bgm/m-02.ogg", "./bgm/m-03.ogg", "./bgm/m-04.ogg", "./bgm/m-05.ogg", "./bgm/m-06.ogg",
        "./bgm/m-07.ogg", "./bgm/m-08.ogg", "./bgm/m-09.ogg", "./bgm/m-10.ogg", "./bgm/m-11.ogg", "./bgm/m-12.ogg",
        "./bgm/m-13.ogg", "./bgm/m-14.ogg", "./bgm/m-15.ogg", "./bgm/m-16.ogg", "./bgm/m-17.ogg", "./bgm/m-18.ogg",
        "./bgm/m-19.ogg", "./bgm/m-20.ogg",
        // Two tracks share a file; there is no m-22.
        "./bgm/m-21.ogg", "./bgm/m-21.ogg", "./bgm/m-23.ogg",
    };
    return track >= 0 && track < kMusicTrackCount ? kFiles[track] : nullptr;
}

std::unique_ptr<Screen> buildMusicRoom(const SystemScreenContext& context) {
    ButtonScreen built = buildButtonScreen(context, "./music_off.bmp", "./music_on.bmp", "", musicRoomRects());
    Screen& s = *built.screen;
    built.buttons[kMusicStopButton].setOn(1);
    auto controller =
        std::make_unique<MusicRoomController>(std::move(built.buttons), context.actions, context.music, context.input);
    controller->key = s.nextTaskKey();
    s.addTask(std::move(controller));
    return std::move(built.screen);
}

MusicRoomController::MusicRoomController(std::vector<ScreenButton> buttonList, ScreenActions& engineActions,
                                         MusicPlayer* music, InputState* input)
    : ScreenController(std::move(buttonList), engineActions), music_(music), input_(input) {}

int MusicRoomController::update() {
    if (done) return 0;
    // A click beside every button lets go of the selected track; its music plays on.
    if (!pollButtons() && input_ && input_->clickPending() && track != -1) {
        buttons[size_t(track)].setOn(0);
        track = -1;
    }
    return done ? 1 : 0;
}

void MusicRoomController::play(int32_t t) {
    if (music_) music_->playMusic(musicTrackFile(t));
}

void MusicRoomController::onButton(int32_t k) {
    if (k < kMusicTrackCount) {
        // With nothing selected the first click only selects; play starts it.
        if (track != -1) {
            play(k);
            buttons[kMusicStopButton].setOn(0);
            buttons[kMusicPlayButton].setOn(1);
            buttons[size_t(track)].setOn(0);
            buttons[size_t(k)].setOn(1);
        }
        track = k;
        return;
    }
    switch (k) {
    case kMusicPlayButton:
        if (track != -1) {
            play(track);
            buttons[kMusicStopButton].setOn(0);
        }
        break;
    case kMusicStopButton:
        if (music_) music_->stopMusic();
        buttons[kMusicPlayButton].setOn(0);
        break;
    case kMusicNextButton:
        if (track != -1) {
            buttons[size_t(track)].setOn(0);
            track = track + 1 == kMusicTrackCount ? 0 : track + 1;
            buttons[size_t(track)].setOn(1);
            play(track);
            buttons[kMusicStopButton].setOn(0);
            buttons[kMusicPlayButton].setOn(1);
        }
        buttons[kMusicNextButton].setOn(0);
        break;
    case kMusicBackButton:
        engine->queueStatement("SetPage(1, 1)");
        buttons[kMusicBackButton].setOn(0);
        done = 1;
        break;
    default: break;
    }
}

} // namespace zre
