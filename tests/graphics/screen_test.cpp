#include "graphics/screen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/bitmap.h"
#include "platform/input_state.h"
#include "support/fake_host.h"
#include "support/test_support.h"

namespace zre {
namespace {

using test::FakeHost;

std::unique_ptr<Bitmap> solid(int32_t w, int32_t h, uint8_t value) {
    auto b = makeBitmap(w, h);
    std::memset(b->bits, value, b->byteCount());
    return b;
}

std::unique_ptr<Layer> solidLayer(int32_t w, int32_t h, int32_t x, int32_t y, uint8_t value) {
    auto l = std::make_unique<Layer>();
    l->image = solid(w, h, value);
    l->srcRect = Rect{0, 0, w, h};
    l->destRect = Rect{x, y, x + w, y + h};
    return l;
}

uint8_t at(const Layer* layer, int32_t x, int32_t y, int c = 0) { return layer->image->pixel(x, y)[c]; }

std::vector<int32_t> ids(const Screen& s) {
    std::vector<int32_t> out;
    for (const auto& l : s.layers) out.push_back(l->id);
    return out;
}

// A task that records what happens to it; consumes clicks when told to.
class ProbeTask : public Task {
public:
    ProbeTask(std::vector<std::string>& log, std::string name, bool consumes = false)
        : log_(log), name_(std::move(name)), consumes_(consumes) {}
    void start() override {
        Task::start();
        log_.push_back(name_ + " start");
    }
    int update() override {
        log_.push_back(name_ + " update");
        if (finishOnUpdate) done = 1;
        return done;
    }
    void onClick() override {
        log_.push_back(name_ + " click");
        if (consumes_ && screen && screen->input) screen->input->consumeClick();
    }
    bool finishOnUpdate = false;

private:
    std::vector<std::string>& log_;
    std::string name_;
    bool consumes_;
};

struct ScreenFixture : ::testing::Test {
    ScreenFixture() : screen(host) {
        screen.input = &input;
        screen.attachWindow(800, 600);
    }
    ProbeTask* probe(int32_t key, const std::string& name, bool consumes = false) {
        auto t = std::make_unique<ProbeTask>(log, name, consumes);
        t->key = key;
        ProbeTask* raw = t.get();
        screen.addTask(std::move(t));
        return raw;
    }
    FakeHost host;
    InputState input;
    Screen screen;
    std::vector<std::string> log;
};

TEST_F(ScreenFixture, AttachAndInsertOrder) {
    EXPECT_EQ((std::vector<int32_t>{0, 2000}), ids(screen));
    ASSERT_TRUE(screen.front() && screen.front()->image);
    EXPECT_EQ(800, screen.front()->image->width());
    EXPECT_EQ(600, screen.composite()->image->height());
    for (int32_t n : {5, 3, 4}) screen.insertLayer(n, solidLayer(4, 4, 0, 0, 1));
    EXPECT_EQ((std::vector<int32_t>{0, 3, 4, 5, 2000}), ids(screen));
    screen.insertLayer(kSnapshotLayerId, solidLayer(4, 4, 0, 0, 1));
    screen.insertLayer(1001, solidLayer(4, 4, 0, 0, 1));
    EXPECT_EQ((std::vector<int32_t>{0, 3, 4, 5, 1001, 2000, 2001}), ids(screen));
    EXPECT_EQ(2, screen.findLayer(4));
    EXPECT_EQ(-1, screen.findLayer(6));
    EXPECT_EQ(nullptr, screen.getLayer(6));
    EXPECT_EQ(6, screen.freePictureId());
}

TEST_F(ScreenFixture, FreePictureId) {
    EXPECT_EQ(1, screen.freePictureId());
    screen.insertLayer(3, solidLayer(4, 4, 0, 0, 1));
    screen.insertLayer(1001, solidLayer(4, 4, 0, 0, 1));
    screen.insertLayer(1500, solidLayer(4, 4, 0, 0, 1));
    EXPECT_EQ(4, screen.freePictureId());  // numbers of 1000 and above do not count
}

TEST_F(ScreenFixture, ReplacingMarksBothAreasAndEndsTheOldTasks) {
    Layer* old = screen.insertLayer(4, solidLayer(10, 10, 100, 100, 1));
    auto t = std::make_unique<ProbeTask>(log, "on old");
    t->target = old;
    screen.addTask(std::move(t));
    screen.compose();
    screen.present();
    Layer* replacement = screen.insertLayer(4, solidLayer(10, 10, 300, 200, 2));
    EXPECT_EQ((std::vector<int32_t>{0, 4, 2000}), ids(screen));
    EXPECT_EQ(1, screen.tasks[0]->done);
    EXPECT_EQ(0, screen.hasTaskOn(replacement));
    EXPECT_EQ((Rect{100, 100, 110, 110}), screen.composeDirty);
    EXPECT_EQ(replacement->destRect, replacement->dirtyRect);
    screen.compose();
    EXPECT_EQ((Rect{100, 100, 310, 210}), screen.presentDirty);
    screen.updateTasks();
    EXPECT_TRUE(screen.tasks.empty());
    EXPECT_TRUE(log.empty());  // a finished task is removed before it could update
}

TEST_F(ScreenFixture, ComposeAndPresent) {
    // Nothing dirty: compose returns at once, present returns 0 without touching the window.
    EXPECT_EQ(1, screen.compose());
    EXPECT_TRUE(screen.presentDirty.isEmpty());
    EXPECT_EQ(0, screen.present());
    EXPECT_TRUE(host.invalidated.empty());
    EXPECT_EQ(0, host.pumps);

    screen.insertLayer(2, solidLayer(50, 50, 10, 10, 40));
    screen.insertLayer(7, solidLayer(20, 20, 30, 30, 90));  // higher number in front
    screen.compose();
    EXPECT_EQ((Rect{10, 10, 60, 60}), screen.presentDirty);
    EXPECT_EQ(90, at(screen.composite(), 35, 35));
    EXPECT_EQ(40, at(screen.composite(), 15, 15));
    EXPECT_EQ(0, at(screen.front(), 35, 35));  // not presented yet
    EXPECT_EQ(1, screen.present());
    EXPECT_EQ(90, at(screen.front(), 35, 35));
    EXPECT_TRUE(screen.presentDirty.isEmpty());
    ASSERT_EQ(1u, host.invalidated.size());
    EXPECT_EQ((Rect{10, 10, 60, 60}), host.invalidated[0]);
    EXPECT_EQ(1, host.pumps);

    // The only layer over an area goes: the composite keeps its old pixels there.
    screen.removeLayer(7);
    EXPECT_EQ((Rect{30, 30, 50, 50}), screen.composeDirty);
    screen.removeLayer(2);
    screen.compose();
    EXPECT_EQ(90, at(screen.composite(), 35, 35));
    EXPECT_EQ(40, at(screen.composite(), 15, 15));

    // Composition is clipped to 800 x 600.
    screen.present();
    screen.insertLayer(3, solidLayer(100, 100, 750, 550, 7));
    screen.compose();
    EXPECT_EQ((Rect{750, 550, 800, 600}), screen.presentDirty);
}

TEST_F(ScreenFixture, VisibilityAndTaggedRemoval) {
    Layer* l = screen.insertLayer(3, solidLayer(10, 10, 0, 0, 1));
    screen.compose();
    screen.setLayerVisible(3, 1);  // unchanged: stays clean
    EXPECT_TRUE(l->dirtyRect.isEmpty());
    screen.setLayerVisible(3, 0);
    EXPECT_EQ(l->destRect, l->dirtyRect);
    screen.setLayerVisible(99, 0);  // missing: nothing

    screen.insertLayer(5, solidLayer(2, 2, 0, 0, 1))->tag = 1;
    screen.insertLayer(6, solidLayer(2, 2, 0, 0, 1))->tag = 1;
    screen.insertLayer(8, solidLayer(2, 2, 0, 0, 1));
    screen.front()->tag = 1;  // the front layer is never removed this way
    screen.removeTaggedLayers(1);
    EXPECT_EQ((std::vector<int32_t>{0, 3, 8, 2000}), ids(screen));
}

class RecordingOverlay : public TextOverlay {
public:
    explicit RecordingOverlay(std::vector<std::string>& log) : log_(log) {}
    void drawDirty(Layer& composite, const Rect& area) override {
        // Drawn after the pictures: the picture's pixels are already there.
        log_.push_back("text " + std::to_string(composite.image->pixel(area.left, area.top)[0]));
        composite.image->pixel(area.left, area.top)[0] = 222;
    }
    void setVisible(bool v) override { log_.push_back(v ? "shown" : "hidden"); }

private:
    std::vector<std::string>& log_;
};

TEST_F(ScreenFixture, MessageTextAndWindowVisibility) {
    screen.messageText = std::make_unique<RecordingOverlay>(log);
    EXPECT_EQ(0, screen.isMessageWindowVisible());
    EXPECT_EQ(0, screen.setMessageWindowVisible(0));  // no window layer

    screen.insertLayer(kMessageWindowLayerId, solidLayer(100, 40, 50, 500, 33));
    Layer* cursor = screen.insertLayer(kTextCursorLayerId, solidLayer(8, 8, 140, 520, 44));
    screen.compose();
    EXPECT_EQ((std::vector<std::string>{"text 33"}), log);
    EXPECT_EQ(222, at(screen.composite(), 50, 500));
    screen.present();
    log.clear();

    EXPECT_EQ(1, screen.isMessageWindowVisible());
    EXPECT_EQ(0, screen.setMessageWindowVisible(1));
    const size_t pumpsBefore = size_t(host.pumps);
    EXPECT_EQ(1, screen.setMessageWindowVisible(0));
    EXPECT_EQ(0, screen.isMessageWindowVisible());
    EXPECT_EQ(0, cursor->visible);
    EXPECT_EQ("hidden", log.front());
    EXPECT_GT(size_t(host.pumps), pumpsBefore);  // refreshed at once
    EXPECT_EQ((Rect{50, 500, 150, 540}), host.invalidated.back());
}

TEST_F(ScreenFixture, AddLayerKinds) {
    test::TempDir dir;
    test::MessageBoxRecorder boxes;
    auto picture = solid(8, 4, 0);
    for (int32_t x = 0; x < 8; ++x)
        for (int32_t y = 0; y < 4; ++y) std::memset(picture->pixel(x, y), x < 4 ? 200 : 255, 3);
    ASSERT_EQ(1, picture->save(dir.file("pair.bmp")));
    ASSERT_EQ(1, solid(4, 4, 100)->save(dir.file("grey.bmp")));

    // Key colour value 0 means no key: opaque.
    Layer* trans = screen.addLayer(3, dir.file("grey.bmp"), 0, 0, 0, 0, LayerExtra::keyColour(0), LAYER_TRANS);
    EXPECT_EQ(0u, trans->keyColor);
    Layer* keyed = screen.addLayer(4, dir.file("grey.bmp"), 10, 0, 0, 0, LayerExtra::keyColour(0x646464), LAYER_TRANS);
    EXPECT_EQ(0x646464u, keyed->keyColor);
    screen.compose();
    EXPECT_EQ(100, at(screen.composite(), 1, 1));
    EXPECT_EQ(0, at(screen.composite(), 11, 1));  // every pixel is the key

    // LAYER_MASK with one file shows the whole picture half with the right half as mask.
    Layer* split = screen.addLayer(5, dir.file("pair.bmp"), 100, 0, 5, 5, LayerExtra::none(), LAYER_MASK);
    EXPECT_EQ((Rect{100, 0, 104, 4}), split->destRect);
    // LAYER_MASKEX takes its size from w and h: 0 x 0 shows nothing.
    Layer* none = screen.addLayer(6, dir.file("pair.bmp"), 200, 0, 0, 0, LayerExtra::none(), LAYER_MASKEX);
    EXPECT_TRUE(none->destRect.isEmpty());
    // A separate mask file that is missing: zero weights, the pixels behind darken.
    screen.addLayer(7, dir.file("grey.bmp"), 0, 0, 0, 0, LayerExtra::maskFile(dir.file("nomask.bmp")), LAYER_MASK);
    screen.compose();
    EXPECT_EQ(200 * 255 / 256, at(screen.composite(), 101, 2));  // white mask half
    EXPECT_EQ(100 * 255 / 256, at(screen.composite(), 1, 1));
    EXPECT_TRUE(boxes.lines.empty());

    // A split picture that cannot be read: the message, and the layer is there anyway.
    Layer* broken = screen.addLayer(8, dir.file("missing.bmp"), 0, 0, 0, 0, LayerExtra::none(), LAYER_MASKEX);
    EXPECT_EQ(8, broken->id);
    EXPECT_FALSE(broken->hasImage());
    ASSERT_EQ(1u, boxes.lines.size());
    EXPECT_EQ("[Error] \xE3\x83\xAD\xE3\x83\xBC\xE3\x83\x89\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC", boxes.lines[0]);
    // A plain picture that is missing gets an empty image and no message.
    screen.addLayer(9, dir.file("missing.bmp"), 0, 0, 10, 10, LayerExtra::none(), LAYER_NORMAL);
    EXPECT_EQ(1u, boxes.lines.size());
    screen.compose();  // draws nothing, and does not crash
}

TEST_F(ScreenFixture, PaintUsesTheFrontDestination) {
    screen.paint();
    EXPECT_EQ(screen.front()->image.get(), host.painted);
    EXPECT_EQ((Rect{0, 0, 800, 600}), host.paintArea);
    screen.front()->destRect = Rect{-40, -40, 760, 560};
    screen.paint();
    EXPECT_EQ((Rect{-40, -40, 760, 560}), host.paintArea);  // at (-40, -40), 760 x 560
}

TEST_F(ScreenFixture, RefreshComposesAndPresentsAtOnce) {
    screen.insertLayer(2, solidLayer(10, 10, 0, 0, 77));
    screen.compose();
    screen.composite()->image->pixel(3, 3)[0] = 1;  // stale pixel, rebuilt by refresh
    screen.refreshLayer(2);
    EXPECT_EQ(77, at(screen.front(), 3, 3));
    screen.refreshLayer(42);  // missing: nothing
}

// ---------------------------------------------------------------------------------------------
// Task list.

TEST_F(ScreenFixture, KeysAndStarting) {
    EXPECT_EQ(0, screen.nextTaskKey());
    ProbeTask* a = probe(4, "a");
    ProbeTask* b = probe(4, "b");
    EXPECT_EQ(5, screen.nextTaskKey());
    EXPECT_EQ(0, screen.findTask(4));
    EXPECT_EQ(-1, screen.findTask(5));
    input.clickX = input.clickY = 10;
    screen.startTasks(-1);
    EXPECT_TRUE(input.clickPending());  // -1 does nothing at all
    screen.startTasks(4);
    EXPECT_FALSE(input.clickPending());  // starting consumes the pending click
    EXPECT_EQ(0, a->paused);
    EXPECT_EQ(1, b->paused);  // only the first task of the key
    screen.startTasks(9);     // no task has it: nothing
}

TEST_F(ScreenFixture, ChainingRunningOrDone) {
    ProbeTask* first = probe(0, "first");
    probe(1, "second");
    first->nextKey = 1;
    first->chainWhen = 0;  // chain once running
    screen.startTasks(0);
    screen.updateTasks();
    EXPECT_EQ((std::vector<std::string>{"first start", "first update", "second start", "second update"}), log);
    EXPECT_EQ(-1, first->nextKey);  // a chain fires once

    log.clear();
    Screen other(host);
    other.input = &input;
    auto a = std::make_unique<ProbeTask>(log, "a");
    auto b = std::make_unique<ProbeTask>(log, "b");
    ProbeTask* pa = a.get();
    a->nextKey = 1;
    a->chainWhen = -1;  // chain once done
    b->key = 1;
    other.addTask(std::move(a));
    other.addTask(std::move(b));
    other.startTasks(0);
    other.updateTasks();
    EXPECT_EQ((std::vector<std::string>{"a start", "a update", "b update"}), log);
    pa->finishOnUpdate = true;
    log.clear();
    other.updateTasks();  // finishes and starts its successor in the same frame
    EXPECT_EQ((std::vector<std::string>{"a update", "b start", "b update"}), log);
}

TEST_F(ScreenFixture, ClickGoesToTheFirstTaskThatTakesIt) {
    ProbeTask* ignores = probe(0, "ignores");
    probe(1, "takes", true);
    probe(2, "late", true);
    ProbeTask* starter = probe(3, "starter");
    probe(4, "started", true);
    starter->nextKey = 4;
    for (int32_t k = 0; k < 4; ++k) screen.startTasks(k);
    log.clear();
    (void)ignores;
    input.clickX = 5;
    input.clickY = 6;
    screen.updateTasks();
    EXPECT_EQ((std::vector<std::string>{"ignores click", "ignores update", "takes click", "takes update",
                                        "late update", "starter update", "started start", "started update"}),
              log);

    // A task started by startTasks never sees the click that was pending then.
    log.clear();
    input.clickX = input.clickY = 1;
    Screen other(host);
    other.input = &input;
    auto lone = std::make_unique<ProbeTask>(log, "lone", true);
    other.addTask(std::move(lone));
    other.startTasks(0);
    other.updateTasks();
    EXPECT_EQ((std::vector<std::string>{"lone start", "lone update"}), log);
}

TEST_F(ScreenFixture, RemovalBeforeUpdateAndTasksAddedDuringThePass) {
    ProbeTask* a = probe(0, "a");
    ProbeTask* b = probe(1, "b");
    a->done = 1;
    screen.updateTasks();
    EXPECT_EQ((std::vector<std::string>{"b update"}), log);
    ASSERT_EQ(1u, screen.tasks.size());
    EXPECT_EQ(b, screen.tasks[0].get());

    // A task that adds another during its update: the new one is visited in the same pass.
    class Spawner : public Task {
    public:
        explicit Spawner(std::vector<std::string>& l) : log(l) {}
        int update() override {
            if (!spawned) {
                spawned = true;
                screen->addTask(std::make_unique<ProbeTask>(log, "child"));
            }
            return 0;
        }
        std::vector<std::string>& log;
        bool spawned = false;
    };
    log.clear();
    screen.addTask(std::make_unique<Spawner>(log));
    screen.updateTasks();
    EXPECT_EQ((std::vector<std::string>{"b update", "child update"}), log);
}

TEST_F(ScreenFixture, BusyAndTargets) {
    EXPECT_EQ(0, screen.isBusy());
    ProbeTask* t = probe(0, "t");
    EXPECT_EQ(0, screen.isBusy());
    t->blocking = 1;
    EXPECT_EQ(1, screen.isBusy());  // blocking even before it starts
    t->done = 1;
    EXPECT_EQ(1, screen.isBusy());  // until it is removed
    screen.requestedMode = EngineMode::Configuration;
    EXPECT_EQ(0, screen.isBusy());
    screen.requestedMode = EngineMode::None;
    screen.updateTasks();
    EXPECT_EQ(0, screen.isBusy());

    Layer* l = screen.insertLayer(2, solidLayer(4, 4, 0, 0, 1));
    ProbeTask* on = probe(1, "on");
    on->target = l;
    EXPECT_EQ(1, screen.hasTaskOn(l));
    EXPECT_EQ(0, screen.hasTaskOn(screen.composite()));
    screen.finishTasksOn(l);
    EXPECT_EQ(1, on->done);
}

} // namespace
} // namespace zre
