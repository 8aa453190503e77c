#pragma once
#include <cstdint>

namespace zre {

// The shared input record written by the window procedure and read by tasks and buttons.
// No pending click: clickX = clickY = -1 (a click is pending when clickX & clickY != -1).
struct InputState {
    int32_t hwnd = 0;
    int32_t mouseX = -1;
    int32_t mouseY = -1;
    int32_t clickX = -1;
    int32_t clickY = -1;
    int32_t keyUp = 0;
    int32_t keyDown = 0;

    bool clickPending() const { return (clickX & clickY) != -1; }
    void consumeClick() { clickX = clickY = -1; }
};

} // namespace zre
