#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/clock.h"
#include "platform/key_state.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/sound_buffer.h"
#include "platform/window.h"

namespace zre {
namespace {

class SdlBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A window without a display: the dummy driver (software drawing, no GL stack to load),
        // else the offscreen one.
        for (const char* driver : {"dummy", "offscreen"}) {
            setenv("SDL_VIDEODRIVER", driver, 1);
            testing::internal::CaptureStderr();
            bool ok = initPlatform(false, {});
            testing::internal::GetCapturedStderr();
            if (ok) return;
        }
        unsetenv("SDL_VIDEODRIVER");
        GTEST_SKIP() << "SDL has no video driver here";
    }
    void TearDown() override {
        shutdownPlatform();
        unsetenv("SDL_VIDEODRIVER");
    }

    static std::vector<Message> drain() {
        std::vector<Message> out;
        Message m;
        while (peekMessage(m)) out.push_back(m);
        return out;
    }

    static void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }
};

TEST_F(SdlBackendTest, WindowEventsBecomeGameMessages) {
    EXPECT_FALSE(isHeadless());
    DisplaySize desk = desktopSize();
    EXPECT_GT(desk.width, 0);
    ASSERT_TRUE(createWindow("Vellora", 800, 600, false));
    showWindow();
    std::vector<uint8_t> bits(800 * 3 * 600, 0x80);
    presentFront(bits.data(), 800, 600, 800 * 3, -40, 40, 760, 640);
    EXPECT_EQ(windowPicture().bits[0], 0x80);  // bottom-left still covered
    drain();

    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_RETURN;
    push(e);
    e.type = SDL_KEYUP;
    e.key.keysym.sym = SDLK_KP_9;  // NumLock off: Page Up
    push(e);
    e = SDL_Event{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = -3;
    push(e);
    e = SDL_Event{};
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_RIGHT;
    e.button.x = 400;
    e.button.y = 300;
    push(e);
    e = SDL_Event{};
    e.type = SDL_QUIT;
    push(e);
    std::vector<Message> got = drain();
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[3].kind, MessageKind::RButtonUp);
    EXPECT_EQ(got[3].x, 400);
    EXPECT_EQ(got[3].y, 300);
    got.erase(got.begin() + 3);
    EXPECT_EQ(got[0].kind, MessageKind::KeyDown);
    EXPECT_EQ(got[0].key, 13);
    EXPECT_EQ(got[1].kind, MessageKind::KeyUp);
    EXPECT_EQ(got[1].key, vk::Prior);
    EXPECT_EQ(got[2].kind, MessageKind::MouseWheel);
    EXPECT_EQ(got[2].wheel, -1);
    EXPECT_EQ(got[3].kind, MessageKind::Close);

    e = SDL_Event{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_LCTRL;
    push(e);
    EXPECT_TRUE(controlKeyPressed());  // latched as the event entered the queue
    drain();
    EXPECT_FALSE(controlKeyPressed());

    EXPECT_TRUE(isForeground());
    Message m;
    const uint32_t before = nowMs();
    EXPECT_FALSE(waitMessageTimeout(m, 20));
    EXPECT_GE(nowMs() - before, 1u);
    EXPECT_TRUE(setFullscreen(true));
    EXPECT_TRUE(isFullscreen());
    EXPECT_TRUE(setFullscreen(false));
}

// A stick held over to the right keeps reporting small changes; the pointer still travels
// for the time it was held.
TEST_F(SdlBackendTest, AHeldStickMovesThePointerThroughItsOwnReports) {
    ASSERT_TRUE(createWindow("Vellora", 800, 600, false));
    showWindow();
    drain();
    auto stick = [](int16_t value) {
        SDL_Event e{};
        e.type = SDL_CONTROLLERAXISMOTION;
        e.caxis.axis = SDL_CONTROLLER_AXIS_LEFTX;
        e.caxis.value = value;
        push(e);
    };
    stick(32767);
    drain();
    SDL_Delay(60);
    stick(32700);  // the stick trembles at the stop
    int rightmost = 0;
    for (const Message& m : drain())
        if (m.kind == MessageKind::MouseMove) rightmost = std::max(rightmost, m.x);
    // Full deflection runs at 0.9 pixels a millisecond from the middle (400).
    EXPECT_GE(rightmost, 440);
    stick(0);
    drain();
}

TEST_F(SdlBackendTest, MessageBoxWithoutADisplayFallsBackToTheLogLine) {
    testing::internal::CaptureStderr();
    MessageBoxResult r = messageBox("t", "c", MessageBoxButtons::YesNo, MessageBoxIcon::Question);
    std::string err = testing::internal::GetCapturedStderr();
    if (err.empty()) GTEST_SKIP() << "a real message box was shown";
    EXPECT_EQ(r, MessageBoxResult::Yes);
    EXPECT_EQ(err, "messagebox [c] t\n");
}

// The audio device's callback runs the mixer: a ring that plays once ends by itself.
TEST_F(SdlBackendTest, TheAudioCallbackPlaysTheRings) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    std::unique_ptr<SoundDevice> device = SoundDevice::open();
    unsetenv("SDL_AUDIODRIVER");
    if (!device) GTEST_SKIP() << "SDL has no dummy audio driver here";
    std::unique_ptr<SoundBuffer> ring = device->createBuffer(PcmFormat{1, 2, 22050, 22050 * 4, 4, 16}, 2205 * 4);
    ASSERT_TRUE(ring);
    ring->play(false);
    for (int i = 0; i < 200 && (ring->status() & kSoundStatusPlaying); ++i) SDL_Delay(10);
    EXPECT_FALSE(ring->status() & kSoundStatusPlaying);
}

TEST_F(SdlBackendTest, NoAudioDeviceMeansNoSoundDevice) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(SoundDevice::open());
    unsetenv("SDL_AUDIODRIVER");
}

} // namespace
} // namespace zre
