#pragma once
// Game controllers as players of a port on a handheld expect them: A is a left click at the
// pointer, B a right click, the d-pad and the left stick move the pointer over the screen's
// buttons, the shoulder buttons are Page Up and Page Down, Start is Escape. Everything
// arrives as the messages mouse and keyboard would send, so the engine sees nothing new.
// The backend feeds the controller's events in and shows the pointer where this puts it.
#include <cstdint>
#include <vector>

#include "platform/messages.h"

namespace zre {

class ControllerInput {
public:
    enum class Button { A, B, Start, LeftShoulder, RightShoulder, DpadUp, DpadDown, DpadLeft, DpadRight };
    enum class Axis { LeftX, LeftY };

    // The game's picture size: the pointer stays inside it.
    ControllerInput(int width, int height);

    // The mouse moved: the pointer goes on from there.
    void setPointer(int x, int y);
    void buttonDown(Button button, std::vector<Message>& out);
    void buttonUp(Button button, std::vector<Message>& out);
    // A stick axis, -32768 ... 32767.
    void axis(Axis axis, int16_t value);
    // Moves the pointer for ms of held d-pad or deflected stick; a MouseMove when it moved.
    void advance(uint32_t ms, std::vector<Message>& out);
    // The pointer is moving by itself: the pump must come back soon to move it on.
    bool moving() const;

    int pointerX() const { return x_; }
    int pointerY() const { return y_; }

private:
    void moveBy(double dx, double dy, std::vector<Message>& out);

    int width_;
    int height_;
    int x_;
    int y_;
    double fracX_ = 0;
    double fracY_ = 0;
    int16_t stickX_ = 0;
    int16_t stickY_ = 0;
    bool up_ = false, down_ = false, left_ = false, right_ = false;
};

} // namespace zre
