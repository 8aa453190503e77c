#pragma once
// The backend of headless runs: a virtual clock, scripted input, message boxes answered
// from a list, screenshots of the window picture at given times and the mixed sound
// written to a WAVE file.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/input_script.h"
#include "platform/platform.h"

namespace zre::detail {

class HeadlessBackend final : public Backend {
public:
    HeadlessBackend(const HeadlessOptions& options, std::vector<ScriptedInput> input);
    ~HeadlessBackend() override;

    // Opens the audio capture file when one was asked for; false (with a message) if not.
    bool startAudioCapture();
    void installMessageBoxHandler();

    uint32_t nowMs() override;
    uint32_t elapsedMs() override;
    void advanceFrame() override;
    bool sleepsWhileWaiting() override { return false; }
    void waitingOnlyForInput() override;
    void sleepMs(uint32_t ms) override;

    DisplaySize desktopSize() override;
    bool createWindow(std::string_view captionUtf8, int clientWidth, int clientHeight, bool popup) override;
    void showWindow() override {}
    void setWindowCaption(std::string_view) override {}
    void pictureChanged(const WindowPicture&, int, int) override {}
    bool setFullscreen(bool fullscreen) override;
    bool isFullscreen() override { return fullscreen_; }
    DisplayMode desktopMode() override;
    // Each switch is one line on stderr, "display WxH BITSbpp RATEHz full screen" (or
    // "window"), so that runs and tests see them.
    bool applyDisplayMode(const DisplayMode& mode, bool fullscreen) override;

    void pollEvents() override;
    void emptyPeek() override;
    bool wait(std::optional<uint32_t> timeoutMs) override;
    bool isForeground() override { return true; }
    bool controlDown() override;

    bool openAudioOutput() override { return true; }
    void shutdown() override;

private:
    struct Shot {
        uint32_t ms;
        std::string file;
        bool taken = false;
    };

    // Moves the virtual clock to elapsed (never back), mixing the sound up to it, and takes
    // the screenshots whose time the clock has reached.
    void advanceTo(uint64_t elapsed);
    void takeDueScreenshots();
    void mixUpTo(uint64_t elapsed);
    void finishAudioCapture();

    HeadlessOptions options_;
    std::vector<ScriptedInput> input_;
    size_t nextInput_ = 0;
    uint64_t elapsed_ = 0;
    uint64_t frameStart_ = 0;
    unsigned emptyPeeks_ = 0;
    bool destroyQueued_ = false;
    bool controlDown_ = false;
    bool fullscreen_ = false;
    std::vector<Shot> shots_;
    size_t nextAnswer_ = 0;

    uint64_t mixedFrames_ = 0;
    std::FILE* audioFile_ = nullptr;
    std::string audioTemp_;
    uint64_t audioBytes_ = 0;
    bool audioFailed_ = false;
};

} // namespace zre::detail
