// Window and full screen over the headless platform, which reports its desktop and writes
// every switch as a line on stderr.
#include "shell/display_mode.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "platform/window.h"

namespace zre {
namespace {

// "messagebox [] 解像度変更に失敗しました"
const std::string kFailed = "messagebox [] \xe8\xa7\xa3\xe5\x83\x8f\xe5\xba\xa6\xe5\xa4\x89\xe6\x9b\xb4\xe3\x81\xab"
                            "\xe5\xa4\xb1\xe6\x95\x97\xe3\x81\x97\xe3\x81\xbe\xe3\x81\x97\xe3\x81\x9f\n";
const std::string kFull = "display 800x600 32bpp 60Hz full screen\n";
const std::string kWindow = "display 1024x768 32bpp 60Hz window\n";

class DisplayModes : public ::testing::Test {
protected:
    void TearDown() override { shutdownPlatform(); }

    void start(int width, int height, bool refuse = false) {
        HeadlessOptions options;
        options.desktopWidth = width;
        options.desktopHeight = height;
        options.refuseDisplaySwitch = refuse;
        ASSERT_TRUE(initPlatform(true, options));
        recordDesktopMode();
    }
    // Runs f and returns what it wrote to stderr.
    template <typename F>
    static std::string stderrOf(F f) {
        testing::internal::CaptureStderr();
        f();
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(DisplayModes, LargerDesktopSwitchesToFullScreenAndBack) {
    start(1024, 768);
    EXPECT_EQ(recordedDesktopMode(), (DisplayMode{32, 1024, 768, 60}));
    int r = 0;
    EXPECT_EQ(stderrOf([&] { r = setDisplayMode(1, 0); }), kFull);
    EXPECT_EQ(r, 1);
    EXPECT_TRUE(isFullscreen());
    EXPECT_EQ(currentDisplayMode(), (DisplayMode{32, 800, 600, 60}));
    EXPECT_EQ(currentModeRecord(), (DisplayMode{32, 800, 600, 60}));
    // Asking again changes nothing.
    EXPECT_EQ(stderrOf([&] { r = setDisplayMode(1, 0); }), "");
    EXPECT_EQ(r, 0);

    EXPECT_EQ(stderrOf([&] { r = setDisplayMode(0, 0); }), kWindow);
    EXPECT_EQ(r, 1);
    EXPECT_FALSE(isFullscreen());
    EXPECT_EQ(currentModeRecord(), (DisplayMode{32, 1024, 768, 60}));
    EXPECT_EQ(stderrOf([&] { r = setDisplayMode(0, 0); }), "");
    EXPECT_EQ(r, 0);
    // Any value but 1 asks for the window.
    EXPECT_EQ(setDisplayMode(2, 0), 0);
    EXPECT_FALSE(isFullscreen());
}

TEST_F(DisplayModes, DesktopAlreadyAtTheGameSizeChangesNothing) {
    start(800, 600);
    int full = -1;
    int window = -1;
    EXPECT_EQ(stderrOf([&] {
                  full = setDisplayMode(1, 0);
                  window = setDisplayMode(0, 1);
                  restoreDesktopMode();
              }),
              "");
    EXPECT_EQ(full, 0);
    EXPECT_EQ(window, 0);
    EXPECT_FALSE(isFullscreen());
}

TEST_F(DisplayModes, RefusedSwitchWarnsAndKeepsTheWindow) {
    start(1024, 768, true);
    int r = -1;
    EXPECT_EQ(stderrOf([&] { r = setDisplayMode(1, 0); }), kFailed);
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(isFullscreen());
    // The mode it would have replaced is cleared in the record given.
    DisplayMode previous{1, 2, 3, 4};
    EXPECT_EQ(changeDisplayMode(32, 800, 600, 60, &previous), -1);
    EXPECT_EQ(previous, (DisplayMode{0, 0, 0, 60}));
}

TEST_F(DisplayModes, ModeChangeRules) {
    start(1024, 768);
    // A rate the mode does not offer becomes the first one it does; 0 takes any.
    EXPECT_EQ(stderrOf([] { EXPECT_EQ(changeDisplayMode(32, 800, 600, 75, nullptr), 0); }), kFull);
    EXPECT_EQ(stderrOf([] { EXPECT_EQ(changeDisplayMode(32, 1024, 768, 0, nullptr), 0); }),
              "display 1024x768 32bpp 0Hz window\n");
    // Sizes and depths the display does not offer fail without a switch.
    EXPECT_EQ(stderrOf([] {
                  EXPECT_EQ(changeDisplayMode(32, 640, 480, 0, nullptr), -1);
                  EXPECT_EQ(changeDisplayMode(16, 800, 600, 60, nullptr), -1);
              }),
              "");
    // The mode the display already shows is left alone when the caller wants the old one.
    DisplayMode previous;
    EXPECT_EQ(stderrOf([&] { EXPECT_EQ(changeDisplayMode(32, 1024, 768, 60, &previous), 0); }), "");
    EXPECT_EQ(previous, (DisplayMode{32, 1024, 768, 60}));
}

TEST_F(DisplayModes, EndOfProgramRestoresTheDesktopOnlyFromFullScreen) {
    start(1024, 768);
    EXPECT_EQ(stderrOf([] { restoreDesktopMode(); }), "");
    ASSERT_EQ(stderrOf([] { setDisplayMode(1, 0); }), kFull);
    EXPECT_EQ(stderrOf([] { restoreDesktopMode(); }), kWindow);
    EXPECT_FALSE(isFullscreen());
}

} // namespace
} // namespace zre
