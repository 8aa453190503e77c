#include <gtest/gtest.h>

#include "platform/input_script.h"

namespace zre {
namespace {

struct Expected {
    uint32_t time;
    MessageKind kind;
    int32_t key = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t wheel = 0;
    std::string text{};
};

struct GoodCase {
    const char* line;
    std::vector<Expected> events;
};

TEST(InputScript, GoodLinesBecomeMessages) {
    const GoodCase cases[] = {
        {"100 click 10 20",
         {{100, MessageKind::MouseMove, 0, 10, 20}, {100, MessageKind::LButtonUp, 0, 10, 20}}},
        {"5 rclick 799 599",
         {{5, MessageKind::MouseMove, 0, 799, 599}, {5, MessageKind::RButtonUp, 0, 799, 599}}},
        {"  7\tmove 0 0   # trailing comment", {{7, MessageKind::MouseMove, 0, 0, 0}}},
        {"0 key ENTER", {{0, MessageKind::KeyDown, 13}, {0, MessageKind::KeyUp, 13}}},
        {"1 keydown CTRL", {{1, MessageKind::KeyDown, 17}}},
        {"2 keyup ESCAPE", {{2, MessageKind::KeyUp, 27}}},
        {"3 key PAGEDOWN\r", {{3, MessageKind::KeyDown, 34}, {3, MessageKind::KeyUp, 34}}},
        {"4 wheel +1", {{4, MessageKind::MouseWheel, 0, 0, 0, 1}}},
        {"4 wheel -1", {{4, MessageKind::MouseWheel, 0, 0, 0, -1}}},
        {"9 text hello # not a comment", {{9, MessageKind::Text, 0, 0, 0, 0, "hello # not a comment"}}},
        {"4294967295 key SPACE", {{4294967295u, MessageKind::KeyDown, 32}, {4294967295u, MessageKind::KeyUp, 32}}},
        {"# only a comment", {}},
        {"   ", {}},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<ScriptedInput> out;
        std::string error;
        ASSERT_TRUE(parseInputScript(c.line, out, error)) << error;
        ASSERT_EQ(out.size(), c.events.size());
        for (size_t i = 0; i < out.size(); ++i) {
            const Message& m = out[i].message;
            EXPECT_EQ(out[i].timeMs, c.events[i].time);
            EXPECT_EQ(m.kind, c.events[i].kind);
            EXPECT_EQ(m.key, c.events[i].key);
            EXPECT_EQ(m.x, c.events[i].x);
            EXPECT_EQ(m.y, c.events[i].y);
            EXPECT_EQ(m.wheel, c.events[i].wheel);
            EXPECT_EQ(m.text, c.events[i].text);
        }
    }
}

TEST(InputScript, BadLinesNameTheirLine) {
    const char* bad[] = {
        "click 1 2",          // no time
        "-5 click 1 2",       // negative time
        "4294967296 key UP",  // time past 32 bits
        "10",                 // no event
        "10 tap 1 2",         // unknown event
        "10 click 1",         // too few
        "10 click 1 2 3",     // too many
        "10 click -1 2",      // negative position
        "10 move 1 x",        // not a number
        "10 key enter",       // names are upper case
        "10 key F1",          // not a key of the script
        "10 wheel 2",         // only one notch
        "10 text",            // no string
        "10 keydown",         // no key
    };
    for (const char* line : bad) {
        SCOPED_TRACE(line);
        std::vector<ScriptedInput> out;
        std::string error;
        std::string text = std::string("0 move 1 1\n# fine\n\n") + line + "\n0 key UP\n";
        EXPECT_FALSE(parseInputScript(text, out, error));
        EXPECT_EQ(error.rfind("line 4: ", 0), 0u) << error;
    }
}

TEST(InputScript, KeepsFileOrderAcrossLines) {
    std::vector<ScriptedInput> out;
    std::string error;
    ASSERT_TRUE(parseInputScript("30 key UP\n10 move 1 2\n", out, error)) << error;
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].timeMs, 30u);
    EXPECT_EQ(out[2].timeMs, 10u);
    EXPECT_EQ(inputKeyCode("PAGEUP"), 33);
    EXPECT_EQ(inputKeyCode("DOWN"), 40);
    EXPECT_EQ(inputKeyCode("NOPE"), 0);
}

} // namespace
} // namespace zre
