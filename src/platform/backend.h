#pragma once
// What a backend provides under the platform's free functions, and the shared state the
// backends feed (the message queue, the window picture, the Control latch). Only the
// platform's own files include this.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/messages.h"
#include "platform/window.h"

namespace zre::detail {

class Backend {
public:
    virtual ~Backend() = default;

    virtual uint32_t nowMs() = 0;
    virtual uint32_t elapsedMs() = 0;
    virtual void advanceFrame() = 0;
    virtual void sleepMs(uint32_t ms) = 0;

    virtual DisplaySize desktopSize() = 0;
    virtual bool createWindow(std::string_view captionUtf8, int clientWidth, int clientHeight, bool popup) = 0;
    virtual void showWindow() = 0;
    virtual void setWindowCaption(std::string_view captionUtf8) = 0;
    // The window picture was repainted; show it.
    // Rows [top, bottom) of the window picture (counted from the top) changed.
    virtual void pictureChanged(const WindowPicture& picture, int top, int bottom) = 0;
    virtual bool setFullscreen(bool fullscreen) = 0;
    // Text input for a dialog (game coordinates of the edit area); headless types from its
    // input script whether asked or not.
    virtual void beginTextEntry(int /*x*/, int /*y*/, int /*width*/, int /*height*/) {}
    virtual void endTextEntry() {}
    virtual bool isFullscreen() = 0;
    // The desktop's own mode.
    virtual DisplayMode desktopMode() {
        const DisplaySize size = desktopSize();
        return {32, size.width, size.height, 60};
    }
    // Shows mode as the full screen or as the window (the mode is what the game asked for).
    virtual bool applyDisplayMode(const DisplayMode& /*mode*/, bool fullscreen) { return setFullscreen(fullscreen); }
    virtual DisplaySize windowFrameSize() { return {kGameWidth, kGameHeight}; }
    virtual void moveWindow(int /*x*/, int /*y*/) {}
    // The system's own message boxes cannot show Japanese text and the window is ready to
    // show a box drawn by the game instead.
    virtual bool drawsMessageBoxes() { return false; }

    // Moves events that are due into the queue (queueInput).
    virtual void pollEvents() = 0;
    // A peek found nothing to deliver.
    virtual void emptyPeek() = 0;
    // Waits for events (up to timeoutMs, or as long as the backend blocks for one message
    // when empty). Returns true when waiting again may still produce a message.
    virtual bool wait(std::optional<uint32_t> timeoutMs) = 0;
    // Whether waiting for the game's next step sleeps (a real clock) or is left to the
    // frames (a virtual clock).
    virtual bool sleepsWhileWaiting() = 0;
    // The game can go on only when input arrives.
    virtual void waitingOnlyForInput() {}
    virtual bool isForeground() = 0;
    virtual bool controlDown() = 0;

    virtual bool openAudioOutput() = 0;
    // Final work before the backend is dropped (files the run owes, devices).
    virtual void shutdown() = 0;
};

// What the platform's free functions share, once per process: the backend, the message
// queue, the window picture and the Control latch.
struct PlatformState {
    std::unique_ptr<Backend> backend;
    bool headless = true;
    std::deque<Message> queue;
    bool paintPending = false;
    bool controlLatched = false;
    WindowProcedure procedure;
    WindowPicture picture;
};
PlatformState& platformState();

// The active backend; a headless one with default options until initPlatform chooses.
Backend& backend();
void setBackend(std::unique_ptr<Backend> next);

// Input arriving from a backend, in order.
void queueInput(Message message);
// A Control key press seen by a backend; kept until controlKeyPressed() reads it.
void latchControl();
// Sizes (and blacks out) the window picture; backends call it when the window is created.
void resetWindowPicture(int width, int height);

} // namespace zre::detail
