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
    struct Case {
        SDL_Keycode key;
        bool numLock;
        int32_t expected;
    };
    const Case cases[] = {
        {SDLK_RETURN, true, 13},   {SDLK_KP_ENTER, false, 13}, {SDLK_ESCAPE, true, 27},
        {SDLK_SPACE, true, 32},    {SDLK_PAGEUP, true, 33},    {SDLK_PAGEDOWN, true, 34},
        {SDLK_UP, true, 38},       {SDLK_DOWN, true, 40},      {SDLK_LCTRL, true, 17},
        {SDLK_RCTRL, true, 17},    {SDLK_a, true, 'A'},        {SDLK_z, true, 'Z'},
        {SDLK_7, true, '7'},       {SDLK_F12, true, 123},      {SDLK_F13, true, 124},
        // The keypad follows NumLock: digits with it, the printed keys without it.
        {SDLK_KP_8, false, 38},    {SDLK_KP_2, false, 40},     {SDLK_KP_9, false, 33},
        {SDLK_KP_3, false, 34},    {SDLK_KP_5, false, 12},     {SDLK_KP_PERIOD, false, 46},
        {SDLK_KP_8, true, 104},    {SDLK_KP_0, true, 96},      {SDLK_KP_9, true, 105},
        {SDLK_KP_PERIOD, true, 110},
        // Every other key still has a code, so it reaches the key state.
        {SDLK_CAPSLOCK, true, 0x14}, {SDLK_COMMA, true, 0xBC}, {SDLK_MUTE, true, 0xFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(detail::virtualKeyFromSdl(c.key, c.numLock), c.expected) << SDL_GetKeyName(c.key) << " " << c.numLock;
    }
}

} // namespace
} // namespace zre
