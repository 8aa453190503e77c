#include <gtest/gtest.h>

#include "platform/letterbox.h"
#include "platform/sdl/sdl_keys.h"

namespace zre {
namespace {

TEST(Letterbox, KeepsTheAspectAndCentres) {
    struct Case {
        int outW, outH;
        ViewRect want;
    };
    const Case cases[] = {
        {800, 600, {0, 0, 800, 600}},
        {1600, 1200, {0, 0, 1600, 1200}},
        {1920, 1080, {240, 0, 1440, 1080}},  // bars left and right
        {800, 1000, {0, 200, 800, 600}},     // bars above and below
        {1366, 768, {171, 0, 1024, 768}},
    };
    for (const Case& c : cases) {
        ViewRect r = letterbox(c.outW, c.outH, 800, 600);
        EXPECT_EQ(r.x, c.want.x) << c.outW << "x" << c.outH;
        EXPECT_EQ(r.y, c.want.y);
        EXPECT_EQ(r.w, c.want.w);
        EXPECT_EQ(r.h, c.want.h);
    }
    ViewRect none = letterbox(0, 0, 800, 600);
    EXPECT_EQ(none.w, 0);
}

TEST(Letterbox, MapsWindowPointsToGamePoints) {
    ViewRect view = letterbox(1920, 1080, 800, 600);
    int gx = -1;
    int gy = -1;
    ASSERT_TRUE(windowToGame(view, 800, 600, 240, 0, gx, gy));
    EXPECT_EQ(gx, 0);
    EXPECT_EQ(gy, 0);
    ASSERT_TRUE(windowToGame(view, 800, 600, 1679, 1079, gx, gy));
    EXPECT_EQ(gx, 799);
    EXPECT_EQ(gy, 599);
    ASSERT_TRUE(windowToGame(view, 800, 600, 960, 540, gx, gy));
    EXPECT_EQ(gx, 400);
    EXPECT_EQ(gy, 300);
    EXPECT_FALSE(windowToGame(view, 800, 600, 239, 500, gx, gy));   // on the left bar
    EXPECT_FALSE(windowToGame(view, 800, 600, 1680, 500, gx, gy));  // on the right bar
    EXPECT_FALSE(windowToGame(view, 800, 600, 500, -1, gx, gy));
}

TEST(SdlKeys, BecomeWindowsVirtualKeys) {
    using detail::virtualKeyFromSdl;
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RETURN), 13);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_ENTER), 13);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_ESCAPE), 27);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_SPACE), 32);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_PAGEUP), 33);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_PAGEDOWN), 34);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_UP), 38);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_DOWN), 40);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_LCTRL), 17);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_RCTRL), 17);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_a), 'A');
    EXPECT_EQ(virtualKeyFromSdl(SDLK_z), 'Z');
    EXPECT_EQ(virtualKeyFromSdl(SDLK_7), '7');
    EXPECT_EQ(virtualKeyFromSdl(SDLK_F12), 123);
    EXPECT_EQ(virtualKeyFromSdl(SDLK_CAPSLOCK), 0);
}

} // namespace
} // namespace zre
