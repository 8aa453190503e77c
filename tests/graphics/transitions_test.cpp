#include "graphics/transitions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "graphics/screen.h"
#include "platform/input_state.h"
#include "support/fake_host.h"

namespace zre {
namespace {

using test::FakeHost;

// A full-screen picture whose bytes are never 0, so a copied pixel differs from black.
std::unique_ptr<Layer> picture(uint8_t seed) {
    auto l = std::make_unique<Layer>();
    l->createBlank(800, 600);
    for (int32_t y = 0; y < 600; ++y)
        for (int32_t x = 0; x < 800; ++x)
            for (int32_t c = 0; c < 3; ++c) l->image->pixel(x, y)[c] = uint8_t(1 + (x * 7 + y * 13 + c * 5 + seed) % 250);
    return l;
}

bool samePixel(const Bitmap& a, const Bitmap& b, int32_t x, int32_t y) {
    return std::memcmp(a.pixel(x, y), b.pixel(x, y), 3) == 0;
}

bool sameImage(const Bitmap& a, const Bitmap& b) { return std::memcmp(a.bits, b.bits, a.byteCount()) == 0; }

struct Stage {
    Stage() : screen(host) {
        screen.input = &input;
        screen.attachWindow(800, 600);
        screen.insertLayer(1, picture(0));
    }
    void frame() {
        screen.updateTasks();
        screen.compose();
        screen.present();
    }
    Bitmap& front() { return *screen.front()->image; }
    Bitmap& composite() { return *screen.composite()->image; }

    FakeHost host{70000};
    InputState input;
    Screen screen;
};

TEST(AlphaFade, Schedule) {
    struct Probe {
        uint32_t elapsed;
        int32_t alpha;
        bool done;
    };
    const Probe probes[] = {{0, 1, false},    {500, 127, false},  {1000, 255, false},
                            {1003, 255, false}, {1004, 256, true}, {5000, 256, true}};
    for (const Probe& p : probes) {
        SCOPED_TRACE(p.elapsed);
        Stage s;
        s.screen.show(SHOW_ALPHA, 1000);
        ASSERT_EQ(1u, s.screen.tasks.size());
        EXPECT_EQ(1, s.screen.isBusy());
        s.host.time += p.elapsed;
        s.screen.updateTasks();
        EXPECT_EQ(p.alpha, s.screen.composite()->alpha);
        EXPECT_EQ(p.done ? 1 : 0, s.screen.tasks[0]->done);
    }
}

TEST(AlphaFade, FramesBlendOverTheSnapshotUntilTheEnd) {
    Stage s;
    std::memset(s.front().bits, 50, s.front().byteCount());  // the old picture
    s.screen.show(SHOW_ALPHA, 1000);
    Layer* snapshot = s.screen.getLayer(kSnapshotLayerId);
    ASSERT_TRUE(snapshot && snapshot->image);
    EXPECT_EQ(kScreenArea, snapshot->destRect);
    EXPECT_EQ(kSnapshotLayerId, s.screen.layers.back()->id);

    s.host.time += 500;
    s.frame();
    const uint8_t c = s.composite().pixel(123, 45)[1];
    EXPECT_EQ(uint8_t((c * 127 + 50 * 129) >> 8), s.front().pixel(123, 45)[1]);
    EXPECT_EQ(kScreenArea, s.screen.presentDirty);  // kept for the next frame

    // A repeated frame within 16 ms keeps alpha; the snapshot is copied back each time.
    s.host.time += 5;
    s.frame();
    EXPECT_EQ(uint8_t((c * 127 + 50 * 129) >> 8), s.front().pixel(123, 45)[1]);

    for (int i = 0; i < 40 && s.screen.isBusy(); ++i) {
        s.host.time += 16;
        s.frame();
    }
    EXPECT_EQ(0, s.screen.isBusy());
    s.frame();
    EXPECT_EQ(nullptr, s.screen.getLayer(kSnapshotLayerId));
    EXPECT_TRUE(sameImage(s.front(), s.composite()));
    EXPECT_TRUE(s.screen.presentDirty.isEmpty());
}

TEST(AlphaFade, NothingToPresentStillRunsItsDuration) {
    Stage s;
    s.frame();  // the picture is already shown
    s.screen.show(SHOW_ALPHA, 200);
    Layer* snapshot = s.screen.getLayer(kSnapshotLayerId);
    ASSERT_TRUE(snapshot);
    EXPECT_FALSE(snapshot->hasImage());
    s.host.time += 100;
    s.frame();
    EXPECT_EQ(1, s.screen.isBusy());
    s.host.time += 200;
    s.frame();
    s.frame();
    EXPECT_EQ(0, s.screen.isBusy());
}

TEST(Show, ControlOrZeroDurationMeansNormal) {
    for (int32_t kind : {SHOW_NONE, SHOW_ALPHA, SHOW_BRUSH, SHOW_VLINE, SHOW_HLINE2}) {
        for (bool control : {false, true}) {
            SCOPED_TRACE(kind * 10 + control);
            Stage s;
            s.host.control = control;
            s.screen.show(kind, control ? 500 : 0);
            EXPECT_TRUE(s.screen.tasks.empty());
            EXPECT_EQ(kScreenArea, s.screen.presentDirty);
            s.frame();
            EXPECT_TRUE(sameImage(s.front(), s.composite()));
        }
    }
}

TEST(Show, NoneComposesButDoesNotPresent) {
    Stage s;
    s.screen.show(SHOW_NONE, 100);
    EXPECT_TRUE(s.screen.presentDirty.isEmpty());
    EXPECT_EQ(0, s.screen.present());
    EXPECT_EQ(0, s.front().pixel(400, 300)[0]);
    EXPECT_NE(0, s.composite().pixel(400, 300)[0]);
    // A later normal change elsewhere presents only its own area.
    auto small = std::make_unique<Layer>();
    small->createBlank(10, 10);
    small->moveTo(5, 5);
    s.screen.insertLayer(2, std::move(small));
    s.screen.show(SHOW_NORMAL, 100);
    s.frame();
    EXPECT_TRUE(samePixel(s.front(), s.composite(), 7, 7));
    EXPECT_EQ(0, s.front().pixel(400, 300)[0]);
}

TEST(Show, OtherKindsPresentAtTheNextFrame) {
    for (int32_t kind : {int32_t(SHOW_NORMAL), 8, int32_t(SHOW_RECT), int32_t(SHOW_MASK), 42}) {
        Stage s;
        s.screen.show(kind, 300);
        EXPECT_TRUE(s.screen.tasks.empty());
        s.frame();
        EXPECT_TRUE(sameImage(s.front(), s.composite()));
    }
}

// Runs 1-ms frames from the show until the wipe ends; returns the elapsed times of the
// steps (every step invalidates the whole window).
std::vector<uint32_t> runWipe(Stage& s, int32_t kind, int32_t duration,
                              const std::function<void(size_t step)>& afterStep = nullptr,
                              uint32_t* finished = nullptr) {
    const uint32_t start = s.host.time;
    s.screen.show(kind, duration);
    std::vector<uint32_t> steps;
    for (int i = 0; i < 100000 && s.screen.isBusy(); ++i) {
        const size_t before = s.host.invalidated.size();
        s.frame();
        if (s.host.invalidated.size() != before) {
            steps.push_back(s.host.time - start);
            if (afterStep) afterStep(steps.size() - 1);
        }
        if (finished && !s.screen.tasks.empty() && s.screen.tasks[0]->done && *finished == 0)
            *finished = s.host.time - start;
        ++s.host.time;
    }
    return steps;
}

TEST(Wipes, SchedulesAndFinalPicture) {
    struct Case {
        int32_t kind;
        int32_t duration;
        size_t steps;
        uint32_t interval;
        uint32_t finished;
    };
    const Case cases[] = {{SHOW_BRUSH, 1600, 16, 100, 1601}, {SHOW_VLINE, 570, 58, 10, 581},
                          {SHOW_HLINE, 510, 52, 10, 521},    {SHOW_VLINE2, 240, 25, 10, 251},
                          {SHOW_HLINE2, 480, 25, 20, 501},   {SHOW_BRUSH, 10, 16, 0, 17},
                          {SHOW_VLINE, 56, 58, 0, 59}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind * 10000 + c.duration);
        Stage s;
        uint32_t finished = 0;
        std::vector<uint32_t> steps = runWipe(s, c.kind, c.duration, nullptr, &finished);
        ASSERT_EQ(c.steps, steps.size());
        EXPECT_EQ(c.finished, finished);
        for (size_t k = 0; k < steps.size(); ++k) EXPECT_EQ(std::max<uint32_t>(c.interval, 1) * k + 1, steps[k]) << k;
        EXPECT_TRUE(sameImage(s.front(), s.composite()));
        for (const Rect& r : s.host.invalidated) EXPECT_EQ(kScreenArea, r);
    }
}

TEST(Wipes, OneStepPerFrameAtMost) {
    Stage s;
    s.screen.show(SHOW_BRUSH, 1600);
    s.host.time += 1000;  // a very slow frame: still only step 0
    s.frame();
    EXPECT_EQ(1u, s.host.invalidated.size());
    s.frame();
    EXPECT_EQ(2u, s.host.invalidated.size());
}

TEST(Wipes, BrushPixelSets) {
    const int32_t row[16] = {0, 2, 2, 0, 1, 3, 3, 1, 0, 2, 2, 0, 1, 3, 3, 1};
    const int32_t col[16] = {0, 2, 0, 2, 1, 3, 1, 3, 1, 3, 1, 3, 0, 2, 0, 2};
    int32_t order[4][4];
    for (int32_t k = 0; k < 16; ++k) order[row[k]][col[k]] = k;
    Stage s;
    int mismatches = 0;
    runWipe(s, SHOW_BRUSH, 160, [&](size_t step) {
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x) {
                const bool copied = samePixel(s.front(), s.composite(), x, y);
                if (copied != (order[y % 4][x % 4] <= int32_t(step))) ++mismatches;
            }
    });
    EXPECT_EQ(0, mismatches);
}

// The lines each step copies for the first time, read off the front buffer.
std::vector<std::vector<int32_t>> newLinesPerStep(int32_t kind, int32_t duration, bool columns) {
    Stage s;
    const int32_t count = columns ? 800 : 600;
    std::vector<bool> seen(size_t(count), false);
    std::vector<std::vector<int32_t>> perStep;
    runWipe(s, kind, duration, [&](size_t) {
        std::vector<int32_t> fresh;
        for (int32_t i = 0; i < count; ++i) {
            const bool first = columns ? samePixel(s.front(), s.composite(), i, 0) : samePixel(s.front(), s.composite(), 0, i);
            const bool last = columns ? samePixel(s.front(), s.composite(), i, 599) : samePixel(s.front(), s.composite(), 799, i);
            EXPECT_EQ(first, last) << i;  // lines are copied whole
            if (first && !seen[size_t(i)]) {
                seen[size_t(i)] = true;
                fresh.push_back(i);
            }
        }
        perStep.push_back(fresh);
    });
    return perStep;
}

TEST(Wipes, LineOrder) {
    auto v = newLinesPerStep(SHOW_VLINE, 570, true);
    ASSERT_EQ(58u, v.size());
    EXPECT_EQ(std::vector<int32_t>{0}, v[0]);
    EXPECT_EQ(std::vector<int32_t>{24}, v[1]);
    EXPECT_EQ((std::vector<int32_t>{23, 48}), v[2]);
    size_t total = 0;
    for (const auto& step : v) total += step.size();
    EXPECT_EQ(800u, total);

    auto h = newLinesPerStep(SHOW_HLINE, 510, false);
    ASSERT_EQ(52u, h.size());
    EXPECT_EQ((std::vector<int32_t>{17, 36}), h[2]);

    auto stripes = newLinesPerStep(SHOW_VLINE2, 240, true);
    ASSERT_EQ(25u, stripes.size());
    EXPECT_EQ(34u, stripes[0].size());  // 0, 24, ..., 792
    EXPECT_EQ(5, stripes[5][0]);
    EXPECT_TRUE(stripes[24].empty());   // step 24 repeats step 0 but for column 0
}

TEST(Wipes, FrontIsLeftToTheWipe) {
    Stage s;
    s.screen.show(SHOW_VLINE, 570);
    EXPECT_TRUE(s.screen.presentDirty.isEmpty());
    s.host.time += 1;
    s.frame();
    EXPECT_TRUE(samePixel(s.front(), s.composite(), 0, 10));
    EXPECT_FALSE(samePixel(s.front(), s.composite(), 1, 10));
    // Clicks do not skip transitions.
    s.input.clickX = s.input.clickY = 3;
    s.frame();
    EXPECT_FALSE(samePixel(s.front(), s.composite(), 24, 10));
}

TEST(Wipes, StepFunctionsClipToTheBitmaps) {
    auto a = makeBitmap(10, 6), b = makeBitmap(12, 5);
    std::memset(b->bits, 9, b->byteCount());
    vLineStep(*a, *b, 0, 0, 800, 600, 24, 0);     // column 0 over the shorter height
    hLineStep(*a, *b, 0, 0, 800, 600, 18, 18 * 20);  // rows far below: nothing
    vStripeStep(*a, *b, 0, 0, 800, 600, 24, 3);
    hStripeStep(*a, *b, 0, 0, 800, 600, 24, 4);
    brushStep(*a, *b, 0, 0, 800, 600, 15);
    EXPECT_EQ(9, a->pixel(0, 4)[0]);
    EXPECT_EQ(0, a->pixel(0, 5)[0]);
    EXPECT_EQ(9, a->pixel(3, 2)[0]);
    EXPECT_EQ(9, a->pixel(7, 4)[0]);
}

} // namespace
} // namespace zre
