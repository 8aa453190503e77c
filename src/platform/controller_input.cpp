#include "platform/controller_input.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zre {

namespace {

// A stick rests a little off centre; below this it counts as centred.
constexpr int kDeadZone = 8000;
// Full deflection crosses the picture's width in under a second; small deflections move
// slowly enough to land on a small button.
constexpr double kStickPixelsPerMs = 0.9;
constexpr double kDpadPixelsPerMs = 0.4;
// A tap of the d-pad moves the pointer this far at once.
constexpr int kDpadStep = 8;

double stickSpeed(int16_t value) {
    const int magnitude = std::abs(int(value));
    if (magnitude <= kDeadZone) return 0;
    const double t = double(magnitude - kDeadZone) / double(32767 - kDeadZone);
    return (value < 0 ? -1 : 1) * kStickPixelsPerMs * std::min(t * t, 1.0);
}

Message key(MessageKind kind, int32_t code) {
    Message m = makeMessage(kind);
    m.key = code;
    return m;
}

} // namespace

ControllerInput::ControllerInput(int width, int height) : width_(width), height_(height), x_(width / 2), y_(height / 2) {}

void ControllerInput::setPointer(int x, int y) {
    x_ = std::clamp(x, 0, width_ - 1);
    y_ = std::clamp(y, 0, height_ - 1);
    fracX_ = fracY_ = 0;
}

void ControllerInput::moveBy(double dx, double dy, std::vector<Message>& out) {
    fracX_ += dx;
    fracY_ += dy;
    const int stepX = static_cast<int>(fracX_);
    const int stepY = static_cast<int>(fracY_);
    fracX_ -= stepX;
    fracY_ -= stepY;
    const int nx = std::clamp(x_ + stepX, 0, width_ - 1);
    const int ny = std::clamp(y_ + stepY, 0, height_ - 1);
    if (nx == x_ && ny == y_) return;
    x_ = nx;
    y_ = ny;
    Message m = makeMessage(MessageKind::MouseMove);
    m.x = x_;
    m.y = y_;
    out.push_back(m);
}

void ControllerInput::buttonDown(Button button, std::vector<Message>& out) {
    switch (button) {
    case Button::Start: out.push_back(key(MessageKind::KeyDown, vk::Escape)); break;
    case Button::LeftShoulder: out.push_back(key(MessageKind::KeyDown, vk::Prior)); break;
    case Button::RightShoulder: out.push_back(key(MessageKind::KeyDown, vk::Next)); break;
    case Button::DpadUp: up_ = true; moveBy(0, -kDpadStep, out); break;
    case Button::DpadDown: down_ = true; moveBy(0, kDpadStep, out); break;
    case Button::DpadLeft: left_ = true; moveBy(-kDpadStep, 0, out); break;
    case Button::DpadRight: right_ = true; moveBy(kDpadStep, 0, out); break;
    case Button::A:
    case Button::B: break;  // a click is a release
    }
}

void ControllerInput::buttonUp(Button button, std::vector<Message>& out) {
    Message m;
    switch (button) {
    case Button::A:
    case Button::B:
        m = makeMessage(button == Button::A ? MessageKind::LButtonUp : MessageKind::RButtonUp);
        m.x = x_;
        m.y = y_;
        out.push_back(m);
        break;
    case Button::Start: out.push_back(key(MessageKind::KeyUp, vk::Escape)); break;
    case Button::LeftShoulder: out.push_back(key(MessageKind::KeyUp, vk::Prior)); break;
    case Button::RightShoulder: out.push_back(key(MessageKind::KeyUp, vk::Next)); break;
    case Button::DpadUp: up_ = false; break;
    case Button::DpadDown: down_ = false; break;
    case Button::DpadLeft: left_ = false; break;
    case Button::DpadRight: right_ = false; break;
    }
}

void ControllerInput::axis(Axis which, int16_t value) {
    (which == Axis::LeftX ? stickX_ : stickY_) = value;
}

void ControllerInput::advance(uint32_t ms, std::vector<Message>& out) {
    if (!moving()) return;
    // A long pause (the pump was away) must not throw the pointer across the screen.
    const double t = std::min<uint32_t>(ms, 100);
    double dx = stickSpeed(stickX_) * t;
    double dy = stickSpeed(stickY_) * t;
    dx += ((right_ ? 1 : 0) - (left_ ? 1 : 0)) * kDpadPixelsPerMs * t;
    dy += ((down_ ? 1 : 0) - (up_ ? 1 : 0)) * kDpadPixelsPerMs * t;
    moveBy(dx, dy, out);
}

bool ControllerInput::moving() const {
    return up_ || down_ || left_ || right_ || stickSpeed(stickX_) != 0 || stickSpeed(stickY_) != 0;
}

} // namespace zre
