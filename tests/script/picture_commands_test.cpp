// The picture, page and effect commands through the engine, on a screen with a virtual clock,
// and the save records they keep in scope 0.
#include <gtest/gtest.h>

#include "graphics/image_formats.h"
#include "graphics/pixel_ops.h"
#include "platform/input_state.h"
#include "script/engine_fixture.h"
#include "support/fake_host.h"
#include "ui/system_screen.h"

namespace zre::test {
namespace {

// A window that is not there: the clock moves 1 ms each time somebody pumps.
struct ClockHost : FakeHost {
    ClockHost() : FakeHost(1000) { pumpMs = 1; }
};

class PictureCommands : public ::testing::Test {
protected:
    PictureCommands() {
        auto s = std::make_unique<Screen>(host);
        s->attachWindow(800, 600);
        s->input = &input;
        engine.setScreen(std::move(s));
        writePicture("bg.bmp", 800, 600, 0x000080);
        writePicture("a.bmp", 100, 50, 0x00FF00);
    }
    void writePicture(const std::string& name, int w, int h, uint32_t colour) {
        auto b = makeBitmap(w, h);
        fillBitmap(*b, colour);
        ASSERT_EQ(b->save(name), 1);
    }
    void run(const std::string& statement) { engine.executeNow(statement); }
    std::string record(const char* name) { return textOr(engine.scopes[0].getText(name)); }
    Screen& screen() { return *engine.screen; }

    GameFolder folder;
    ClockHost host;
    InputState input;
    TestEngine engine;
};

TEST_F(PictureCommands, DrawAddsLayersAndRecordsThem) {
    run("Draw(0, bg.bmp, 0, 0, 0, 0, 0, LAYER_NORMAL, SHOW_NORMAL, 500)");
    ASSERT_NE(screen().getLayer(1), nullptr);
    EXPECT_EQ(screen().getLayer(1)->visible, 1);
    EXPECT_EQ(record("$save_layer01"), "Draw(1,bg.bmp,0,0,0,0,0,LAYER_NORMAL)");

    run("Draw(1, a.bmp, 10, 20, 0, 0, 65280, LAYER_TRANS, 2, a.bmp, 30, 40, 0, 0, 0, LAYER_NORMAL, SHOW_NONE, 500)");
    for (int id : {2, 3}) {
        ASSERT_NE(screen().getLayer(id), nullptr) << id;
        EXPECT_EQ(screen().getLayer(id)->visible, 0) << id;  // SHOW_NONE adds them hidden
    }
    EXPECT_EQ(screen().getLayer(2)->keyColor, 65280u);
    EXPECT_EQ(record("$save_layer02"), "Draw(2,a.bmp,10,20,0,0,65280,LAYER_TRANS)");
    EXPECT_EQ(record("$save_layer03"), "Draw(3,a.bmp,30,40,0,0,0,LAYER_NORMAL)");
}

TEST_F(PictureCommands, ClearKeepsTheWindowLayersAndResetsTheRecords) {
    run("Draw(0, bg.bmp, 0, 0, 0, 0, 0, LAYER_NORMAL, 1, a.bmp, 0, 0, 0, 0, 0, LAYER_NORMAL, SHOW_NORMAL, 0)");
    screen().addLayer(1001, "a.bmp", 0, 500, 0, 0, LayerExtra::none(), LAYER_NORMAL);
    screen().addLayer(1500, "a.bmp", 0, 0, 0, 0, LayerExtra::none(), LAYER_NORMAL);
    engine.scopes[0].add("$save_layeX", "kept?");
    engine.scopes[0].add("$save_sound00", "bgm.ogg");

    run("Clear(bg.bmp, SHOW_NORMAL, 0)");
    EXPECT_EQ(screen().findLayer(2), -1);
    EXPECT_NE(screen().findLayer(1), -1);
    EXPECT_NE(screen().findLayer(1001), -1);
    EXPECT_NE(screen().findLayer(1500), -1);
    EXPECT_EQ(record("$save_layer01"), "Draw(1,bg.bmp,0,0,0,0,0,LAYER_NORMAL)");
    EXPECT_EQ(engine.scopes[0].find("$save_layer02"), -1);
    EXPECT_EQ(engine.scopes[0].find("$save_layeX"), -1);  // the prefix is compared but for its last character
    EXPECT_EQ(record("$save_sound00"), "bgm.ogg");
}

TEST_F(PictureCommands, DelAndShowLayerTakeTheirTransitionFromTheEnd) {
    run("Draw(1, a.bmp, 0, 0, 0, 0, 0, LAYER_NORMAL, 2, a.bmp, 0, 0, 0, 0, 0, LAYER_NORMAL, SHOW_NORMAL, 0)");
    run("ShowLayer(1, 2, 0, SHOW_NORMAL, 0)");
    EXPECT_EQ(screen().getLayer(2)->visible, 0);
    EXPECT_EQ(screen().getLayer(3)->visible, 0);
    run("Del(1, SHOW_NORMAL, 0)");
    EXPECT_EQ(screen().findLayer(2), -1);
    EXPECT_NE(screen().findLayer(3), -1);
    EXPECT_EQ(engine.scopes[0].find("$save_layer02"), -1);
    EXPECT_EQ(record("$save_layer03"), "Draw(3,a.bmp,0,0,0,0,0,LAYER_NORMAL)");

    // With at most one argument the transition comes from the command's name: 0, quietly.
    MessageBoxRecorder boxes;
    for (const char* statement : {"Del()", "Del(2)", "ShowLayer()", "ShowLayer(2)"}) run(statement);
    EXPECT_TRUE(boxes.lines.empty());
    EXPECT_NE(screen().findLayer(3), -1);
}

TEST_F(PictureCommands, RecordFields) {
    struct Case {
        const char* value;
        int first, count;
        const char* text;
        const char* expected;
    };
    for (Case c : {Case{"Draw(3,a.gfb,10,20,0,0,0,LAYER_NORMAL)", 2, 2, "50,60", "Draw(3,a.gfb,50,60,0,0,0,LAYER_NORMAL)"},
                   Case{"Draw(3,a.gfb,10,20,0,0,0,LAYER_NORMAL)", 0, 1, "X(9", "X(9,a.gfb,10,20,0,0,0,LAYER_NORMAL)"},
                   // Too few fields: the record is left as it was, nothing is read past it.
                   Case{"Draw(3,a.gfb)", 2, 2, "50,60", "Draw(3,a.gfb)"},
                   Case{"a,b,c", 1, 5, "z", "a,b,c"}}) {
        engine.setRecord("$save_layer", 4, c.value);
        engine.setRecordFields("$save_layer", 4, c.text, c.first, c.count);
        EXPECT_EQ(record("$save_layer04"), c.expected) << c.value;
    }
}

TEST_F(PictureCommands, MoveBlocksAndRecordsTheEndPosition) {
    run("Draw(3, a.bmp, 10, 20, 0, 0, 0, LAYER_NORMAL, SHOW_NORMAL, 0)");
    run("Move(3, 500, 40, 0, 1)");
    EXPECT_TRUE(screen().isBusy());
    EXPECT_EQ(record("$save_layer04"), "Draw(4,a.bmp,50,20,0,0,0,LAYER_NORMAL)");
    host.time += 600;
    screen().updateTasks();
    screen().updateTasks();
    EXPECT_FALSE(screen().isBusy());
    EXPECT_EQ(screen().getLayer(4)->destRect.left, 50);
}

TEST_F(PictureCommands, WaitAndAnime) {
    run("Draw(0, a.bmp, 0, 0, 20, 50, 0, LAYER_NORMAL, SHOW_NORMAL, 0)");
    run("Anime(0, 100, 5, -1, 0, 0)");
    EXPECT_FALSE(screen().isBusy());  // the script does not wait for an animation
    EXPECT_NE(engine.scopes[0].find("$save_task00"), -1);
    run("Wait(100, 0)");
    EXPECT_TRUE(screen().isBusy());
    screen().updateTasks();  // the wait counts from its first frame
    host.time += 150;
    screen().updateTasks();
    screen().updateTasks();
    EXPECT_FALSE(screen().isBusy());
}

TEST_F(PictureCommands, FlashFillsTheFrontWithWhiteAndFadesBack) {
    run("Flash(300)");
    const Bitmap& front = *screen().front()->image;
    EXPECT_EQ(front.pixel(400, 300)[0], 255);
    EXPECT_TRUE(screen().isBusy());  // the fade back to the composed picture
}

TEST_F(PictureCommands, ShakeMovesTheFrontThroughItsPositionsUnlessControlIsHeld) {
    uint32_t start = host.time;
    run("Shake(2)");
    EXPECT_GE(host.time - start, 2u * 5 * 48);
    EXPECT_EQ(screen().front()->destRect, (Rect{0, 0, 800, 600}));

    host.control = true;
    start = host.time;
    run("Shake(2)");
    EXPECT_EQ(host.time, start);
}

// The title screen's buttons: hover shows the hovered layer, new game queues the game start.
TEST_F(PictureCommands, TitleScreenButtons) {
    class Actions : public ScreenActions {
    public:
        void queueStatement(std::string_view text) override { queued.emplace_back(text); }
        void setPageHook(int32_t v) override { pageHook = v; }
        void postClose() override { ++closes; }
        void requestMode(EngineMode, int32_t) override {}
        void returnToPreviousMode() override {}
        EngineMode previousMode() const override { return EngineMode::None; }
        int32_t systemNumber(std::string_view) const override { return -1; }
        void setSystemText(std::string_view, const char*) override {}
        std::vector<std::string> queued;
        int pageHook = 0;
        int closes = 0;
    } actions;
    auto title = buildTitleScreen(SystemScreenContext{host, &input, actions});
    ASSERT_NE(title->getLayer(kButtonHoverBase + 0), nullptr);
    EXPECT_TRUE(title->isBusy());

    input.mouseX = 100;
    input.mouseY = 300;
    title->updateTasks();
    EXPECT_EQ(title->getLayer(kButtonHoverBase + 0)->visible, 1);
    EXPECT_EQ(title->getLayer(kButtonHoverBase + 1)->visible, 0);

    input.clickX = 100;
    input.clickY = 520;  // quit: asks, stays
    title->updateTasks();
    EXPECT_EQ(actions.closes, 1);
    EXPECT_TRUE(actions.queued.empty());

    // The pointer has moved on to "load" by the time the click on "new game" is seen: the
    // scan goes on after the action ended the controller, so "load" lights up.
    input.clickX = 100;
    input.clickY = 300;
    input.mouseY = 360;
    title->updateTasks();
    EXPECT_EQ(title->getLayer(kButtonHoverBase + 1)->visible, 1);
    EXPECT_EQ(actions.pageHook, 1);
    EXPECT_EQ(actions.queued, (std::vector<std::string>{"Clear(./syspict/black.gfb, SHOW_ALPHA, 1000)", "SetPageConst(2, 1)",
                                                        "Clear(./syspict/black.gfb, SHOW_NORMAL, 0)", "SetPageHook(0)"}));
    title->updateTasks();
    EXPECT_FALSE(title->isBusy());
}

} // namespace
} // namespace zre::test
