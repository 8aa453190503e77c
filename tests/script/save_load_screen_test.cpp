// The save and load screens on a real engine: pages, slot names, the overwrite question,
// where the comment and the time go in a row, the load preview and the hand-over.
#include <gtest/gtest.h>

#include "graphics/image_formats.h"
#include "graphics/layer.h"
#include "graphics/pixel_ops.h"
#include "platform/input_state.h"
#include "platform/message_box.h"
#include "script/engine_fixture.h"
#include "support/fake_host.h"
#include "ui/save_load_screen.h"

namespace zre::test {
namespace {

LocalTime fixedTime() { return {2004, 1, 2, 9, 5}; }

class SaveLoadScreens : public ::testing::Test {
protected:
    SaveLoadScreens() {
        attachGameScreen(engine, host, input);
        engine.mode = EngineMode::Game;
        engine.localTime = fixedTime;
        writePicture("syspict/save.gfb", 800, 600, 0x400000);
        writePicture("syspict/saveh.gfb", 800, 600, 0x804000);
        writePicture("bg.gfb", 800, 600, 0x00A000);
        loadIndexed(folder, engine, "main.zre", "Draw(0, bg.gfb, 0, 0, 0, 0, 0, LAYER_NORMAL, SHOW_NORMAL, 0);\r\n"
                                                "print(hello);\r\n");
        engine.step();
        engine.screen->updateTasks();
        engine.screen->compose();
        engine.screen->present();
        answers = setMessageBoxHandler([this](std::string_view, std::string_view caption, MessageBoxButtons,
                                              MessageBoxIcon) {
            asked.emplace_back(caption);
            return answer;
        });
    }
    ~SaveLoadScreens() override { setMessageBoxHandler(std::move(answers)); }
    void writePicture(const std::string& name, int w, int h, uint32_t colour) {
        auto b = makeBitmap(w, h);
        fillBitmap(*b, colour);
        std::vector<uint8_t> bytes = encodeGfb(*b, false, false);
        folder.write(name, std::string(bytes.begin(), bytes.end()));
    }
    void open(EngineMode mode) {
        engine.enterSystemScreen(mode);
        ASSERT_TRUE(engine.screen->isBusy());
    }
    void click(int32_t x, int32_t y) {
        input.mouseX = input.clickX = x;
        input.clickY = y;
        engine.screen->updateTasks();
    }
    void clickRow(int32_t row) { click(200, 60 + 55 * row); }
    void clickOk() { click(720, 530); }
    SaveLoadController& controller() {
        return *static_cast<SaveLoadController*>(engine.screen->tasks.front().get());
    }
    // The first row (from the top) of a row layer holding text pixels right of x = 212.
    int32_t firstTextRow(int32_t row) {
        Layer* layer = engine.screen->getLayer(kButtonNormalBase + 2 + row);
        for (int32_t y = 0; y < layer->image->height(); ++y)
            for (int32_t x = 212; x < layer->image->width(); ++x)
                if (layer->image->pixel(x, y)[0] > 0x80) return y;
        return -1;
    }

    GameFolder folder;
    FakeHost host;
    InputState input;
    TestEngine engine;
    MessageBoxHandler answers;
    MessageBoxResult answer = MessageBoxResult::Yes;
    std::vector<std::string> asked;
};

TEST_F(SaveLoadScreens, PagesWrapAroundAndAreRemembered) {
    engine.setSystem("$sys_savepage", "9");
    open(EngineMode::Save);
    EXPECT_EQ(controller().page, 9);
    click(400, 20);  // next
    EXPECT_EQ(controller().page, 0);
    EXPECT_EQ(textOr(engine.systemVars.getText("$sys_savepage")), "0");
    click(60, 20);  // previous
    EXPECT_EQ(controller().page, 9);
    EXPECT_EQ(textOr(engine.systemVars.getText("$sys_savepage")), "9");
}

TEST_F(SaveLoadScreens, SavingNamesTheSlotAsksBeforeOverwritingAndPlacesTheComment) {
    engine.setSystem("$sys_savepage", "4");
    engine.testHost.comment = "memo";
    open(EngineMode::Save);
    clickRow(3);
    EXPECT_EQ(controller().selected, 5);
    EXPECT_FALSE(folder.exists("dat/save43.sav"));
    clickRow(3);  // the second click saves: row 3 of page 4 is slot 43, no question asked
    ASSERT_TRUE(folder.exists("dat/save43.sav"));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(engine.testHost.commentsAsked, 1);
    EXPECT_EQ(controller().selected, 0);
    EXPECT_EQ(engine.scopes[0].getText("$save_comment"), nullptr);  // only in the file
    std::string title, comment, time;
    ASSERT_EQ(engine.readSlotInfo("./dat/save43.sav", title, comment, time), 1);
    EXPECT_EQ(comment, "memo");
    EXPECT_EQ(time, "2004/01/02/09:05");
    // The row shows: the comment from y 7, the time below it.
    EXPECT_EQ(engine.screen->getLayer(kButtonNormalBase + 5)->visible, 1);
    int32_t withComment = firstTextRow(3);
    EXPECT_GE(withComment, 7);
    EXPECT_LT(withComment, 18);

    // A used slot asks; No leaves the file as it was and asks for no comment.
    const std::vector<uint8_t> before = folder.read("dat/save43.sav");
    answer = MessageBoxResult::No;
    engine.testHost.comment = "";
    clickRow(3);
    clickOk();
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(engine.testHost.commentsAsked, 1);
    EXPECT_EQ(folder.read("dat/save43.sav"), before);
    EXPECT_EQ(controller().selected, 5);  // still selected after No

    // Yes overwrites; without a comment the time sits at y 18.
    answer = MessageBoxResult::Yes;
    clickOk();
    EXPECT_EQ(engine.testHost.commentsAsked, 2);
    EXPECT_NE(folder.read("dat/save43.sav"), before);
    EXPECT_GE(firstTextRow(3), 18);
}

TEST_F(SaveLoadScreens, LoadPreviewsFirstAndLoadsOnTheSecondClick) {
    engine.setInScope(0, "$scene_title", "Opening");
    ASSERT_EQ(engine.saveSlot("./dat/save02.sav"), 1);
    open(EngineMode::Load);
    clickOk();  // nothing selected: nothing happens
    EXPECT_FALSE(engine.hasQueued());

    clickRow(5);  // an empty slot previews the empty background and loads nothing
    clickRow(5);
    EXPECT_FALSE(engine.hasQueued());

    clickRow(2);
    Layer* thumb = engine.screen->getLayer(kPreviewThumbnailLayer);
    ASSERT_NE(thumb, nullptr);
    ASSERT_TRUE(thumb->image);
    EXPECT_EQ(thumb->image->width(), 300);
    EXPECT_EQ(thumb->image->pixel(150, 100)[1], 0xA0);  // the saved game picture
    EXPECT_EQ(textOr(engine.systemVars.getText("$sys_loadname")), "(null)");

    clickRow(2);
    EXPECT_EQ(textOr(engine.systemVars.getText("$sys_loadname")), "./dat/save02.sav");
    EXPECT_EQ(engine.rightButtonBlocked, 1);
    EXPECT_EQ(std::vector<std::string>(engine.statementQueue.begin(), engine.statementQueue.end()),
              (std::vector<std::string>{"Clear(./syspict/black.gfb, SHOW_ALPHA, 1000)", "SetPageConst(2)",
                                        "ShowText(1, 1)", "SetPageHook(0)"}));
    EXPECT_TRUE(controller().done);
}

} // namespace
} // namespace zre::test
