#include "platform/controller_input.h"

#include <gtest/gtest.h>

#include <vector>

namespace zre {
namespace {

using Button = ControllerInput::Button;
using Axis = ControllerInput::Axis;

// What pressing and releasing one button sends, from a pointer at (100, 200).
TEST(ControllerInput, ButtonsSendTheMessagesOfMouseAndKeys) {
    struct Case {
        Button button;
        std::vector<MessageKind> kinds;
        int32_t key;  // of the key messages
        int x, y;     // pointer afterwards
    };
    const Case cases[] = {
        {Button::A, {MessageKind::LButtonUp}, 0, 100, 200},
        {Button::B, {MessageKind::RButtonUp}, 0, 100, 200},
        {Button::Start, {MessageKind::KeyDown, MessageKind::KeyUp}, vk::Escape, 100, 200},
        {Button::LeftShoulder, {MessageKind::KeyDown, MessageKind::KeyUp}, vk::Prior, 100, 200},
        {Button::RightShoulder, {MessageKind::KeyDown, MessageKind::KeyUp}, vk::Next, 100, 200},
        {Button::DpadUp, {MessageKind::MouseMove}, 0, 100, 192},
        {Button::DpadDown, {MessageKind::MouseMove}, 0, 100, 208},
        {Button::DpadLeft, {MessageKind::MouseMove}, 0, 92, 200},
        {Button::DpadRight, {MessageKind::MouseMove}, 0, 108, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.button));
        ControllerInput pad(800, 600);
        pad.setPointer(100, 200);
        std::vector<Message> out;
        pad.buttonDown(c.button, out);
        pad.buttonUp(c.button, out);
        ASSERT_EQ(out.size(), c.kinds.size());
        for (size_t i = 0; i < out.size(); ++i) {
            EXPECT_EQ(out[i].kind, c.kinds[i]);
            if (c.key) {
                EXPECT_EQ(out[i].key, c.key);
            }
        }
        if (out[0].kind == MessageKind::LButtonUp || out[0].kind == MessageKind::RButtonUp ||
            out[0].kind == MessageKind::MouseMove) {
            EXPECT_EQ(out[0].x, c.x);
            EXPECT_EQ(out[0].y, c.y);
        }
        EXPECT_EQ(pad.pointerX(), c.x);
        EXPECT_EQ(pad.pointerY(), c.y);
        EXPECT_FALSE(pad.moving());
    }
}

TEST(ControllerInput, TheStickMovesThePointerOutsideItsDeadZoneAndStaysInThePicture) {
    ControllerInput pad(800, 600);
    pad.setPointer(400, 300);
    std::vector<Message> out;
    pad.axis(Axis::LeftX, 4000);  // resting a little off centre
    EXPECT_FALSE(pad.moving());
    pad.advance(100, out);
    EXPECT_TRUE(out.empty());

    pad.axis(Axis::LeftX, 32767);
    ASSERT_TRUE(pad.moving());
    pad.advance(100, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_GT(out[0].x, 400);
    EXPECT_EQ(out[0].y, 300);
    // A long absence of the pump does not fling the pointer: at most 100 ms of travel.
    const int before = pad.pointerX();
    pad.advance(5000, out);
    EXPECT_EQ(pad.pointerX() - before, out[0].x - 400);
    for (int i = 0; i < 50; ++i) pad.advance(100, out);
    EXPECT_EQ(pad.pointerX(), 799);
    // The mouse takes over where it is.
    pad.axis(Axis::LeftX, 0);
    pad.setPointer(-20, 900);
    EXPECT_EQ(pad.pointerX(), 0);
    EXPECT_EQ(pad.pointerY(), 599);
}

} // namespace
} // namespace zre
