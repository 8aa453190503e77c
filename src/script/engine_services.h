#pragma once
// What the engine asks of the rest of the program. The engine holds one reference to each
// service; the shell wires the real ones, tests and fuzzers the null ones below. Nothing
// is optional: an engine cannot be built without all of them.
#include <cstdint>
#include <string>
#include <string_view>

#include "sound/sound_channels.h"

namespace zre {

// The window and the process around the engine.
class EngineHost {
public:
    virtual ~EngineHost() = default;
    // The message pump at the end of a frame. waitMs: how long the frame may sleep for the
    // next message when none is queued (0: not at all). onlyInputMovesOn: the script is held
    // by tasks that only input can end.
    virtual void pumpFrame(uint32_t waitMs, bool onlyInputMovesOn) = 0;
    // A script closed its outermost block: the program ends the way the window's destroy
    // path ends it. Does not return in the real program.
    virtual void endProgram() = 0;
    // The player asked to quit (Escape): the quit question, at once.
    virtual void closeWindow() = 0;
    // The same question once the current message has been handled (the title's quit button).
    virtual void postClose() = 0;
    // Window or 800 x 600 full screen (full 1); 1 when the window was switched.
    virtual int setDisplayMode(int32_t full, int32_t keep) = 0;
    // The save comment: a modal dialog over the frozen game picture that returns only once
    // the player confirmed a valid comment (Shift JIS, at most 24 bytes, possibly empty).
    // No frame of the main loop runs while it is open.
    virtual std::string askComment() = 0;
};

// Saved games, as the main loop hands a load over.
class SaveSlots {
public:
    virtual ~SaveSlots() = default;
    // Loads the slot file and resumes the game from it.
    virtual void restore(std::string_view slotPath) = 0;
};

// Movie playback over the game picture; returns when the movie has ended.
class MoviePlayback {
public:
    virtual ~MoviePlayback() = default;
    virtual void playMovie(std::string_view path, int32_t clickToEnd) = 0;
};

struct EngineServices {
    EngineHost& host;
    SoundChannels& sound;
    SaveSlots& saves;
    MoviePlayback& movies;
};

// Stand-ins for a program without a window: nothing is pumped, shown or played.
class NullEngineHost : public EngineHost {
public:
    void pumpFrame(uint32_t, bool) override {}
    void endProgram() override {}
    void closeWindow() override {}
    void postClose() override {}
    int setDisplayMode(int32_t, int32_t) override { return 0; }
    std::string askComment() override { return {}; }
};

class NullSaveSlots final : public SaveSlots {
public:
    void restore(std::string_view) override {}
};

class NullMoviePlayback final : public MoviePlayback {
public:
    void playMovie(std::string_view, int32_t) override {}
};

// The null services together, for engines that run without a program around them.
struct NullServices {
    NullEngineHost host;
    NullSoundChannels sound;
    NullSaveSlots saves;
    NullMoviePlayback movies;
    EngineServices services() { return {host, sound, saves, movies}; }
};

} // namespace zre
