#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/messages.h"
#include "platform_fixture.h"
#include "support/test_support.h"

namespace zre {
namespace {

using test::HeadlessTest;

TEST(ClockReached, ComparesAcrossTheWrap) {
    EXPECT_TRUE(clockReached(100, 100));
    EXPECT_TRUE(clockReached(101, 100));
    EXPECT_FALSE(clockReached(99, 100));
    EXPECT_TRUE(clockReached(5, 0xFFFFFFF0u));   // now wrapped past the deadline
    EXPECT_FALSE(clockReached(0xFFFFFFF0u, 5));  // deadline wrapped, now not yet
}

TEST_F(HeadlessTest, VirtualClockMovesOnlyByFramesAndSleeps) {
    HeadlessOptions o;
    o.frameMs = 20;
    start(o);
    const uint32_t t0 = nowMs();
    EXPECT_EQ(t0, o.clockStart);
    EXPECT_EQ(nowMs(), t0);
    advanceFrame();
    EXPECT_EQ(nowMs(), t0 + 20);
    sleepMs(5);
    EXPECT_EQ(elapsedMs(), 25u);
    // A frame that already lasted longer than its length ends where it is.
    sleepMs(30);
    advanceFrame();
    EXPECT_EQ(elapsedMs(), 55u);
    advanceFrame();
    EXPECT_EQ(elapsedMs(), 75u);
}

TEST_F(HeadlessTest, NormalFramesDoNotDriftFromPumping) {
    start();
    for (int frame = 0; frame < 10; ++frame) {
        drain();  // what present() does
        drain();  // and the frame loop's own pump
        advanceFrame();
    }
    EXPECT_EQ(elapsedMs(), 160u);
}

TEST_F(HeadlessTest, WaitLoopsOnThePumpEndEvenAcrossTheWrap) {
    HeadlessOptions o;
    o.clockStart = 0xFFFFFF00u;
    start(o);
    const uint32_t deadline = nowMs() + 1000;  // wraps past zero
    int pumps = 0;
    while (!clockReached(nowMs(), deadline)) {
        drain();
        ASSERT_LT(++pumps, 100000);
    }
    EXPECT_EQ(nowMs(), deadline);
    EXPECT_LT(nowMs(), o.clockStart);
}

TEST_F(HeadlessTest, WaitMessageJumpsToTheNextScriptedInput) {
    test::TempDir dir;
    test::writeFile(dir.file("in.txt"), std::string("100 key SPACE\n"));
    HeadlessOptions o;
    o.frameMs = 16;
    o.inputFile = dir.file("in.txt");
    start(o);
    Message m;
    // Nothing due: the clock moves one frame at most, and no message is invented.
    EXPECT_FALSE(waitMessage(m));
    EXPECT_EQ(elapsedMs(), 16u);
    EXPECT_FALSE(waitMessageTimeout(m, 50));
    EXPECT_EQ(elapsedMs(), 66u);
    // The timeout reaches past the input, so the wait stops at it and returns it.
    ASSERT_TRUE(waitMessageTimeout(m, 1000));
    EXPECT_EQ(elapsedMs(), 100u);
    EXPECT_EQ(m.kind, MessageKind::KeyDown);
    ASSERT_TRUE(waitMessage(m));
    EXPECT_EQ(m.kind, MessageKind::KeyUp);
    EXPECT_EQ(elapsedMs(), 100u);
}

} // namespace
} // namespace zre
