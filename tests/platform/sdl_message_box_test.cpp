#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "platform/platform_fixture.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/window.h"

namespace zre {
namespace {

// Where SDL's boxes are the desktop's own (or nobody sees them) the game keeps them; where
// SDL draws them itself with core X fonts, the game draws its own in the window.
TEST(SdlMessageBox, TheDesktopsOwnBoxesAreKeptOnlyWhereTheyShowJapanese) {
    struct Case {
        const char* driver;
        bool native;
    } cases[] = {
        {"windows", true}, {"cocoa", true},     {"offscreen", true}, {"dummy", true},
        {"x11", false},    {"wayland", false},  {"kmsdrm", false},   {nullptr, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(detail::nativeMessageBoxesShowJapanese(c.driver), c.native) << (c.driver ? c.driver : "none");
}

class HeadlessMessageBoxes : public test::HeadlessTest {};

TEST_F(HeadlessMessageBoxes, AreNeverDrawnInTheWindow) {
    start();
    ASSERT_TRUE(createWindow("zre", 800, 600, false));
    showWindow();
    EXPECT_FALSE(messageBoxesDrawnInWindow());
}

} // namespace
} // namespace zre
