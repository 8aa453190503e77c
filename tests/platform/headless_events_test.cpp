#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/key_state.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "platform_fixture.h"
#include "support/test_support.h"

namespace zre {
namespace {

using test::HeadlessTest;

class ScriptedInputTest : public HeadlessTest {
protected:
    void startWith(const std::string& script, HeadlessOptions o = {}) {
        test::writeFile(dir_.file("input.txt"), script);
        o.inputFile = dir_.file("input.txt");
        start(o);
    }
    test::TempDir dir_;
};

TEST_F(ScriptedInputTest, EventsArriveWhenTheClockReachesThem) {
    startWith("# opening\n"
              "0 move 5 6\n"
              "32 click 100 200\n"
              "32 wheel -1\n"
              "40 text \xe3\x81\x82 b\n"
              "48 key ESCAPE\n");
    std::vector<Message> got = drain();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].kind, MessageKind::MouseMove);
    EXPECT_EQ(got[0].packedXY(), 5u | (6u << 16));

    advanceFrame();  // 16
    EXPECT_TRUE(drain().empty());
    advanceFrame();  // 32
    got = drain();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].kind, MessageKind::MouseMove);
    EXPECT_EQ(got[1].kind, MessageKind::LButtonUp);
    EXPECT_EQ(got[1].x, 100);
    EXPECT_EQ(got[1].y, 200);
    EXPECT_EQ(got[2].kind, MessageKind::MouseWheel);
    EXPECT_EQ(got[2].wheel, -1);

    advanceFrame();  // 48: both later lines are due, still in file order
    got = drain();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].kind, MessageKind::Text);
    EXPECT_EQ(got[0].text, "\xe3\x81\x82 b");
    EXPECT_EQ(got[1].kind, MessageKind::KeyDown);
    EXPECT_EQ(got[1].key, 27);
    EXPECT_EQ(got[2].kind, MessageKind::KeyUp);
}

TEST_F(ScriptedInputTest, MaxMsDeliversOneDestroy) {
    HeadlessOptions o;
    o.maxMs = 40;
    startWith("40 key UP\n100 key DOWN\n", o);
    advanceFrame();
    advanceFrame();
    EXPECT_TRUE(drain().empty());
    advanceFrame();  // 48
    std::vector<Message> got = drain();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].kind, MessageKind::KeyDown);
    EXPECT_EQ(got[1].kind, MessageKind::KeyUp);
    EXPECT_EQ(got[2].kind, MessageKind::Destroy);
    for (int i = 0; i < 10; ++i) advanceFrame();
    for (const Message& m : drain()) EXPECT_NE(m.kind, MessageKind::Destroy);
}

TEST_F(ScriptedInputTest, MaxMsEndsAnEndlessWait) {
    HeadlessOptions o;
    o.maxMs = 500;
    start(o);
    Message m;
    int pumps = 0;
    while (!(peekMessage(m) && m.kind == MessageKind::Destroy)) ASSERT_LT(++pumps, 100000);
    EXPECT_EQ(elapsedMs(), 500u);
}

TEST_F(ScriptedInputTest, ControlKeyLatchesATapBetweenQueries) {
    startWith("16 key CTRL\n32 keydown CTRL\n64 keyup CTRL\n");
    EXPECT_FALSE(controlKeyPressed());
    advanceFrame();  // 16: pressed and released before anyone looked
    EXPECT_TRUE(controlKeyPressed());
    EXPECT_FALSE(controlKeyPressed());
    advanceFrame();  // 32: held
    EXPECT_TRUE(controlKeyPressed());
    EXPECT_TRUE(controlKeyPressed());
    advanceFrame();
    advanceFrame();  // 64: released
    EXPECT_FALSE(controlKeyPressed());
    // The key messages themselves are still delivered.
    int keys = 0;
    for (const Message& m : drain()) keys += m.key == 17;
    EXPECT_EQ(keys, 4);
}

TEST_F(HeadlessTest, PostedMessagesComeBeforeACoalescedPaint) {
    start();
    invalidateWindow();
    invalidateWindow();
    Message close;
    close.kind = MessageKind::Close;
    postMessage(close);
    postQuitMessage(3);
    std::vector<Message> got = drain();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].kind, MessageKind::Close);
    EXPECT_EQ(got[1].kind, MessageKind::Quit);
    EXPECT_EQ(got[1].value, 3);
    EXPECT_EQ(got[2].kind, MessageKind::Paint);
}

TEST_F(HeadlessTest, SendAndDispatchCallTheProcedureButNeverForQuit) {
    start();
    std::vector<MessageKind> seen;
    setWindowProcedure([&](const Message& m) { seen.push_back(m.kind); });
    Message m;
    m.kind = MessageKind::LButtonUp;
    sendMessage(m);
    m.kind = MessageKind::Quit;
    dispatchMessage(m);
    sendMessage(m);
    m.kind = MessageKind::Paint;
    dispatchMessage(m);
    EXPECT_EQ(seen, (std::vector<MessageKind>{MessageKind::LButtonUp, MessageKind::Paint}));
    EXPECT_TRUE(isForeground());
}

TEST(HeadlessStart, RefusesAnUnreadableOrBadInputFile) {
    test::TempDir dir;
    HeadlessOptions o;
    o.inputFile = dir.file("missing.txt");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(initPlatform(true, o));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("missing.txt"), std::string::npos);

    test::writeFile(dir.file("bad.txt"), std::string("0 key UP\n10 jump\n"));
    o.inputFile = dir.file("bad.txt");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(initPlatform(true, o));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("line 2"), std::string::npos);
    shutdownPlatform();
}

} // namespace
} // namespace zre
