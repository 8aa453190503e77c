#include "ui/effect_tasks.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "graphics/screen.h"
#include "platform/input_state.h"
#include "support/fake_host.h"
#include "sound/sound_volume_control.h"

namespace zre {
namespace {

using test::FakeHost;

struct EffectFixture : ::testing::Test {
    EffectFixture() : screen(host) {
        screen.input = &input;
        screen.attachWindow(800, 600);
    }
    // A layer of a sprite sheet: frames of 10 x 8 in rows of 3 (the picture is 35 wide).
    Layer* sprite(int32_t id) {
        auto l = std::make_unique<Layer>();
        l->createBlank(35, 24);
        l->srcRect = Rect{0, 0, 10, 8};
        l->destRect = Rect{100, 100, 110, 108};
        return screen.insertLayer(id, std::move(l));
    }
    // Advances the clock and runs the task update of one frame.
    void at(uint32_t elapsed) {
        host.time = start + elapsed;
        screen.updateTasks();
    }
    int32_t startNew() {
        const int32_t key = screen.nextTaskKey() - 1;
        start = host.time;
        screen.startTasks(key);
        return key;
    }
    void click() { input.clickX = input.clickY = 50; }

    FakeHost host{20000};
    InputState input;
    Screen screen;
    uint32_t start = 0;
};

TEST_F(EffectFixture, MoveSlidesClampsAndEnds) {
    Layer* l = sprite(3);
    EXPECT_EQ(-1, addMove(screen, 0, 99, 100, 10, 10, 0));
    EXPECT_TRUE(screen.tasks.empty());
    ASSERT_EQ(1, addMove(screen, 0, 3, 100, 50, -30, 0));
    EXPECT_EQ(1, screen.tasks[0]->blocking);
    startNew();
    l->dirtyRect.setEmpty();
    at(0);
    EXPECT_EQ((Rect{100, 100, 110, 108}), l->destRect);
    at(50);
    EXPECT_EQ((Rect{125, 85, 135, 93}), l->destRect);
    EXPECT_EQ((Rect{100, 85, 135, 108}), l->dirtyRect);  // old and new place
    at(60);  // within 16 ms of the last step: no change
    EXPECT_EQ(125, l->destRect.left);
    at(99);
    EXPECT_EQ(149, l->destRect.left);
    EXPECT_EQ(0, screen.tasks[0]->done);
    at(250);  // past the end: clamped to the end, done
    EXPECT_EQ((Rect{150, 70, 160, 78}), l->destRect);
    EXPECT_EQ(1, screen.tasks[0]->done);
    at(300);
    EXPECT_TRUE(screen.tasks.empty());
    EXPECT_EQ(0, screen.isBusy());
}

TEST_F(EffectFixture, MoveClickControlAndZeroDuration) {
    Layer* l = sprite(3);
    addMove(screen, 0, 3, 1000, 40, 0, 1);
    startNew();
    at(10);
    click();
    at(30);  // skippable: the click moves the start back by the duration
    EXPECT_EQ(140, l->destRect.left);
    EXPECT_EQ(1, screen.tasks[0]->done);
    at(40);

    addMove(screen, screen.nextTaskKey(), 3, 1000, 10, 0, 0);
    startNew();
    click();
    at(20);  // not skippable: the click changes nothing
    EXPECT_EQ(140, l->destRect.left);
    screen.tasks.clear();

    host.control = true;  // Control at the start: the duration becomes 1
    addMove(screen, 0, 3, 5000, 0, 12, 0);
    startNew();
    host.control = false;
    at(1);
    EXPECT_EQ(112, l->destRect.top);
    EXPECT_EQ(1, screen.tasks[0]->done);
    screen.tasks.clear();

    addMove(screen, 0, 3, 0, -7, 0, 0);  // no division by zero: lands at once
    startNew();
    at(0);
    EXPECT_EQ(133, l->destRect.left);
    EXPECT_EQ(1, screen.tasks[0]->done);
}

TEST_F(EffectFixture, AnimeFramesAndLoops) {
    Layer* l = sprite(4);
    EXPECT_EQ(-1, addAnime(screen, 0, 99, 100, 4, 2, 0, 0));
    ASSERT_EQ(1, addAnime(screen, 0, 4, 100, 4, 2, 0, 0));
    EXPECT_EQ(0, screen.tasks[0]->blocking);
    startNew();
    at(0);  // frame 0 shows for one interval
    EXPECT_EQ((Rect{0, 0, 10, 8}), l->srcRect);
    at(99);
    EXPECT_EQ(0, l->srcRect.left);
    std::vector<Rect> seen;
    for (uint32_t t = 100; t <= 1000; t += 100) {
        at(t);
        seen.push_back(l->srcRect);
        if (screen.tasks.empty() || screen.tasks[0]->done) break;
    }
    // Frames 1, 2, 3 (second row), then 0..3 again, then done on the last frame.
    const std::vector<Rect> expected{{10, 0, 20, 8}, {20, 0, 30, 8}, {0, 8, 10, 16}, {0, 0, 10, 8},
                                     {10, 0, 20, 8}, {20, 0, 30, 8}, {0, 8, 10, 16}, {0, 8, 10, 16}};
    EXPECT_EQ(expected, seen);
    EXPECT_EQ(1, screen.tasks[0]->done);
}

TEST_F(EffectFixture, AnimeLoopCounts) {
    struct Case {
        int32_t loops;
        int cyclesBeforeDone;  // -1: never within the run
    };
    for (const Case& c : {Case{0, 1}, Case{1, 1}, Case{3, 3}, Case{-1, -1}}) {
        SCOPED_TRACE(c.loops);
        screen.tasks.clear();
        sprite(4);
        addAnime(screen, 0, 4, 10, 2, c.loops, 0, 0);
        startNew();
        at(0);
        int cycles = -1;
        for (int i = 1; i <= 40; ++i) {
            at(uint32_t(i) * 10);
            if (screen.tasks[0]->done) {
                cycles = i / 2;
                break;
            }
        }
        EXPECT_EQ(c.cyclesBeforeDone, cycles);
    }
}

TEST_F(EffectFixture, AnimeRandomPauseAndClick) {
    Layer* l = sprite(4);
    addAnime(screen, 0, 4, 100, 2, -1, 3, 1);
    startNew();
    host.draws = {0, 2, 1};
    at(0);
    at(100);  // frame 1
    EXPECT_EQ(10, l->srcRect.left);
    at(200);  // cycle complete: draw 0, stay on the last frame
    at(300);  // draw 2: stay
    EXPECT_EQ(10, l->srcRect.left);
    at(400);  // draw 1: on to frame 0
    EXPECT_EQ(0, l->srcRect.left);
    EXPECT_EQ((std::vector<int32_t>{3, 3, 3}), host.asked);
    at(500);
    EXPECT_EQ(10, l->srcRect.left);
    click();
    at(510);  // the click: ends at this update, leaving the frame that shows
    EXPECT_EQ(1, screen.tasks[0]->done);
    EXPECT_EQ(10, l->srcRect.left);
    EXPECT_EQ(3u, host.asked.size());  // the random factor was reset to 1

    // A click before the first update must not freeze the animation.
    screen.tasks.clear();
    input.consumeClick();
    addAnime(screen, 0, 4, 100, 2, -1, 0, 1);
    startNew();
    click();
    at(1);
    EXPECT_EQ(1, screen.tasks[0]->done);
}

TEST_F(EffectFixture, Wait) {
    addWait(screen, 0, 300, 0);
    EXPECT_EQ(1, screen.isBusy());
    EXPECT_EQ(nullptr, screen.tasks[0]->target);
    startNew();
    at(0);
    at(299);
    EXPECT_EQ(0, screen.tasks[0]->done);
    click();
    at(299);  // not skippable
    EXPECT_EQ(0, screen.tasks[0]->done);
    at(300);
    EXPECT_EQ(1, screen.tasks[0]->done);
    at(301);
    EXPECT_EQ(0, screen.isBusy());

    addWait(screen, 0, 300, 1);
    startNew();
    at(5);
    click();
    at(6);  // skippable: deadline moved back by the wait
    EXPECT_EQ(1, screen.tasks[0]->done);
    screen.tasks.clear();

    host.control = true;
    addWait(screen, 0, 5000, 0);
    startNew();
    host.control = false;
    at(0);
    EXPECT_EQ(0, screen.tasks[0]->done);
    at(1);  // lasts 1 ms
    EXPECT_EQ(1, screen.tasks[0]->done);
    screen.tasks.clear();

    addWait(screen, 0, 300, 1);
    startNew();
    click();  // before the first update: ends the wait rather than wrapping the clock
    at(0);
    EXPECT_EQ(1, screen.tasks[0]->done);
}

class FakeSound : public VolumeControl {
public:
    int32_t getBgmVolume() override { return bgm; }
    void setBgmVolume(int32_t v) override {
        bgm = v;
        log.push_back("bgm " + std::to_string(v));
    }
    int32_t getEffectVolume() override { return effect; }
    void setEffectVolume(int32_t v) override {
        effect = v;
        log.push_back("se " + std::to_string(v));
    }
    int stop(int32_t key) override {
        log.push_back("stop " + std::to_string(key));
        return 1;
    }
    int32_t bgm = 8000;
    int32_t effect = 6000;
    std::vector<std::string> log;
};

// Each task ends when it should although the millisecond counter wraps on the way: a raw
// "now < step time" comparison would hold them for 49 days.
TEST_F(EffectFixture, TimedTasksRunAcrossTheClockWrap) {
    struct Case {
        const char* name;
        int (*add)(Screen&, int32_t layerId);
        uint32_t endsAt;  // elapsed ms of the update that ends it
    };
    const Case cases[] = {
        {"move", [](Screen& s, int32_t id) { return addMove(s, 0, id, 100, 50, 0, 0); }, 112},
        {"anime", [](Screen& s, int32_t id) { return addAnime(s, 0, id, 40, 3, 1, 0, 0); }, 120},
        {"wait", [](Screen& s, int32_t) { return addWait(s, 0, 100, 0); }, 104},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        screen.tasks.clear();
        sprite(3);
        host.time = 0xFFFFFFF0u;
        ASSERT_EQ(1, c.add(screen, 3));
        startNew();
        uint32_t ended = 0;
        for (uint32_t t = 0; t <= 400 && !ended; t += 8) {
            at(t);
            if (screen.tasks[0]->done) ended = t;
        }
        EXPECT_EQ(c.endsAt, ended);
    }
}

// How long the main loop may sleep: the nearest step of the tasks, or input only.
TEST_F(EffectFixture, IdleTimeIsTheNearestStepOfTheTasks) {
    EXPECT_EQ(kWaitsForInput, screen.idleTime(host.time));
    sprite(3);
    addAnime(screen, 0, 3, 160, 4, -1, 0, 0);
    startNew();
    EXPECT_EQ(0u, screen.idleTime(host.time));  // the first update arms the frame time
    at(0);
    EXPECT_EQ(160u, screen.idleTime(host.time));
    at(100);
    EXPECT_EQ(60u, screen.idleTime(host.time));
    addWait(screen, 1, 30, 0);
    startNew();
    at(0);
    EXPECT_EQ(30u, screen.idleTime(host.time));
    at(30);  // the wait ends
    at(31);
    EXPECT_EQ(29u, screen.idleTime(host.time));
    EXPECT_EQ(0u, screen.idleTime(host.time + 500));  // a late frame owes its step at once
    screen.tasks[0]->done = 1;  // leaves at the next update, which may free the script
    EXPECT_EQ(0u, screen.idleTime(host.time));
}

TEST_F(EffectFixture, VolumeFades) {
    FakeSound sound;
    // Fade-out of the music: stops it and restores the configured volume.
    addVolumeFade(screen, 0, 1000, 0, 8000, 0, 0, sound);
    EXPECT_EQ(0, screen.isBusy());
    startNew();
    at(250);
    at(1000);
    at(1001);
    EXPECT_EQ((std::vector<std::string>{"bgm 6000", "bgm 0", "stop 0", "bgm 8000"}), sound.log);
    EXPECT_EQ(1, screen.tasks[0]->done);
    at(1002);

    // Fade-in of effect channel 5: the class volume was set to 0 after the fade was made.
    sound.log.clear();
    addVolumeFade(screen, 0, 400, 5, 0, 6000, 0, sound);
    sound.setEffectVolume(0);
    startNew();
    at(100);
    at(500);
    EXPECT_EQ((std::vector<std::string>{"se 0", "se 1500", "se 6000"}), sound.log);
    at(501);

    // A zero duration ends at the first update.
    sound.log.clear();
    addVolumeFade(screen, 0, 0, 0, 8000, 0, 0, sound);
    startNew();
    at(0);
    EXPECT_EQ((std::vector<std::string>{"stop 0", "bgm 8000"}), sound.log);
}

} // namespace
} // namespace zre
