// The Print statement, the message window commands and Select, driven through the engine on
// a screen with a virtual clock; frames run as the main loop runs them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/game_font.h"
#include "graphics/layer.h"
#include "platform/input_state.h"
#include "platform/messages.h"
#include "platform/sjis.h"
#include "script/engine.h"
#include "script/engine_fixture.h"
#include "support/fake_host.h"
#include "ui/choice.h"
#include "ui/message_tasks.h"
#include "ui/message_text.h"

namespace zre {
namespace {

using test::GameFolder;
using test::MessageBoxRecorder;
using test::TestEngine;
using test::textOr;

using ClockHost = test::FakeHost;

// Left half the window picture (grey 90), right half its mask (white).
void saveWindowPicture(const std::string& name) {
    Bitmap b;
    b.create(1600, 150);
    for (int32_t y = 0; y < 150; ++y) {
        uint8_t* row = b.row(y);
        std::fill(row, row + 3 * 800, uint8_t(90));
        std::fill(row + 3 * 800, row + 3 * 1600, uint8_t(255));
    }
    b.save(name);
}

struct PrintFixture : ::testing::Test {
    PrintFixture() {
        saveWindowPicture("window.bmp");
        auto s = std::make_unique<Screen>(host);
        s->attachWindow(800, 600);
        s->input = &input;
        attachMessageText(*s);
        e.setScreen(std::move(s));
        e.mode = EngineMode::Game;
        const std::string gothic = utf8ToSjis("ＭＳ ゴシック");
        const std::vector<std::pair<std::string, std::string>> vars = {
            {"$Print_vertical", "0"}, {"$Print_x", "40"},       {"$Print_y", "470"},
            {"$Print_sp", "0"},       {"$Print_wlimit", "760"}, {"$Print_hlimit", "590"},
            {"$Print_fontname", gothic}, {"$Print_bmpname", "./window.bmp"},
            {"$Print_bmpx", "0"},     {"$Print_bmpy", "450"},   {"$Print_vx", "740"},
            {"$Print_vy", "30"},      {"$Print_vsp", "2"},      {"$Print_vwlimit", "0"},
            {"$Print_vhlimit", "560"}, {"$Print_vfontname", "@" + gothic},
            {"$Print_vbmpname", "./window.bmp"}, {"$Print_vbmpx", "0"}, {"$Print_vbmpy", "0"},
            {"$Print_wait", "20"},    {"$Print_lfsp", "8"},     {"$Print_color", "16777215"},
            {"$Print_fontsize", "24"}, {"$Print_id", "1000"},   {"$sys_auto", "0"},
        };
        for (const auto& [name, value] : vars) e.setSystem(name, value.c_str());
        e.executeNow("RegisterText()");
        // The whole picture composed and shown, as the pass's first Clear leaves it.
        screen().refresh(kScreenArea);
    }

    Screen& screen() { return *e.screen; }
    MessageText& page() { return *messageTextOf(screen()); }
    void frame() {
        host.time += 16;
        screen().updateTasks();
        screen().compose();
        screen().present();
    }
    // Frames until nothing blocks; the number of frames run.
    int untilIdle(int limit = 2000) {
        int n = 0;
        while (screen().isBusy() && n < limit) {
            frame();
            ++n;
        }
        return n;
    }
    // A left click as the window delivers it: on a hidden window in the game it only shows
    // the window again, unless a choice is open.
    void click(int32_t x = 400, int32_t y = 500) { e.onLeftButtonUp(x, y); }
    void print(const std::string& text) { e.executeNow("Print(" + text + ")"); }
    template <class T>
    T* task() {
        for (auto& t : screen().tasks)
            if (auto* found = dynamic_cast<T*>(t.get()); found && !found->done) return found;
        return nullptr;
    }
    // The front buffer shows exactly the composite over r.
    bool presented(const Rect& r) {
        const Bitmap& f = *screen().front()->image;
        const Bitmap& c = *screen().composite()->image;
        for (int32_t y = r.top; y < r.bottom; ++y)
            if (std::memcmp(f.pixel(r.left, y), c.pixel(r.left, y), size_t(r.width()) * 3) != 0) return false;
        return true;
    }

    GameFolder folder;
    MessageBoxRecorder boxes;
    ClockHost host;
    InputState input;
    TestEngine e;
};

TEST_F(PrintFixture, RegisterTextBuildsTheWindowFromItsVariables) {
    Layer* window = screen().getLayer(kMessageWindowLayerId);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->destRect, (Rect{0, 450, 800, 600}));
    EXPECT_EQ(window->visible, 1);
    ASSERT_TRUE(window->mask);
    EXPECT_EQ(page().x0, 40);
    EXPECT_EQ(page().waitMs, 20);
    EXPECT_EQ(page().colour, 0xFFFFFFu);
    EXPECT_TRUE(boxes.lines.empty());
}

TEST_F(PrintFixture, TheWaitFollowsTheAutomaticSettingAndTheEscapes) {
    struct Case {
        const char* sysAuto;  // null: the variable is missing
        std::string text;
        int32_t autoWait;     // -1: a click wait
        std::string stored;   // what the backlog keeps
    };
    const std::string thirty(30, 'a');
    const std::vector<Case> cases = {
        {"1", thirty, 1800, thirty},
        {"0", thirty, -1, thirty},
        {nullptr, "Hi", 600, "Hi"},  // missing reads as -1: on
        {"0", "/c1500/Hello", 1500, "Hello"},
        {"0", "A/c20/B/c30/", 20, "AB/c30/"},  // only the first escape counts
        {"0", "/c000001234567/x", 123456, "x"},  // eleven characters of the number
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.sysAuto)
            e.setSystem("$sys_auto", c.sysAuto);
        else
            e.systemVars.removeByName("$sys_auto");
        print(c.text);
        EXPECT_EQ(e.backlog.back(), c.stored);
        frame();
        if (c.autoWait < 0) {
            EXPECT_NE(task<ClickWaitTask>(), nullptr);
            EXPECT_EQ(task<AutoWaitTask>(), nullptr);
        } else {
            ASSERT_NE(task<AutoWaitTask>(), nullptr);
            EXPECT_EQ(task<AutoWaitTask>()->duration, c.autoWait);
        }
        host.control = true;  // skip to the end
        untilIdle();
        host.control = false;
    }
    EXPECT_TRUE(boxes.lines.empty());
}

TEST_F(PrintFixture, AVoicePlaysOnItsSpeakersChannelAndSetsTheWait) {
    e.setSystem("$sys_auto", "1");
    e.testSound.lengths = {{"./voice/ke0001.ogg", 2000}, {"./voice/mi0001.ogg", 1200}, {"mi0002.ogg", 900},
                           {"./v/a b.ogg", 300}};
    struct Case {
        std::string voice;    // as the script writes it
        std::string played;   // the play call it makes
        int32_t autoWait;
    };
    const std::vector<Case> cases = {
        {"./voice/ke0001.ogg", "play 1 ./voice/ke0001.ogg 1 0", 2500},   // a code of the table
        {" ./voice/mi0001.ogg ", "play 2 ./voice/mi0001.ogg 1 0", 1700},  // any other code
        {"mi0002.ogg", "play 2 mi0002.ogg 1 0", 1400},                    // no folder: the whole path
        {".\\voice\\ke0009.ogg", "play 1 .\\voice\\ke0009.ogg 1 0", 600},  // fails: length-based wait
        {"\"./v/a b.ogg\"", "play 2 ./v/a b.ogg 1 0", 800},               // blanks kept inside quotes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.voice);
        e.testSound.log.clear();
        print("Hi, " + c.voice);
        ASSERT_FALSE(e.testSound.log.empty());
        EXPECT_EQ(e.testSound.log.back(), c.played);
        frame();
        ASSERT_NE(task<AutoWaitTask>(), nullptr);
        EXPECT_EQ(task<AutoWaitTask>()->duration, c.autoWait);
        host.control = true;
        untilIdle();
        host.control = false;
    }
    // The next message stops the voice that still plays; Control plays none.
    e.testSound.log.clear();
    print("Hi, ./voice/ke0001.ogg");
    host.control = true;
    print("Next, ./voice/mi0001.ogg");
    host.control = false;
    EXPECT_EQ(e.testSound.log, (std::vector<std::string>{"stop 2", "play 1 ./voice/ke0001.ogg 1 0", "stop 1"}));
}

TEST(SpeakerCodes, TheGameFolderMayReplaceTheTable) {
    GameFolder folder;
    EXPECT_EQ(SpeakerCodes::load().codes().size(), 18u);
    EXPECT_EQ(SpeakerCodes::load().channelFor("./voice/ke0001.ogg"), 1);
    folder.write("zre_speakers.txt", "# men of this game\nmi\tso  # the captain\r\nxx\n");
    SpeakerCodes table = SpeakerCodes::load();
    EXPECT_EQ(table.codes(), (std::vector<std::string>{"mi", "so", "xx"}));
    EXPECT_EQ(table.channelFor("./voice/mi01.ogg"), 1);
    EXPECT_EQ(table.channelFor("./voice/ke01.ogg"), 2);
    EXPECT_EQ(table.channelFor("voice\\so01.ogg"), 1);
    EXPECT_EQ(table.channelFor("./voice/"), 2);
    EXPECT_EQ(speakerCode("./a/b/x"), "x");
}

TEST_F(PrintFixture, AnAutomaticWaitEndsItsTimeAfterTheTyping) {
    print("/c1500/AB");
    const uint32_t start = host.time;
    untilIdle();
    const uint32_t took = host.time - start;
    EXPECT_GE(took, 1500u);
    EXPECT_LE(took, 1500u + 5 * 16);
    EXPECT_EQ(e.inputFlags, 0);
    EXPECT_EQ(screen().getLayer(kTextCursorLayerId), nullptr);
}

TEST_F(PrintFixture, AMalformedWaitEscapeIsReportedAndShownAsWritten) {
    print("A/c15");
    EXPECT_EQ(boxes.lines, std::vector<std::string>{"[Error] エスケープシーケンスが不正です。"});
    EXPECT_EQ(page().text, "A/c15");
    EXPECT_EQ(page().count, 5);
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_NE(task<ClickWaitTask>(), nullptr);
}

TEST_F(PrintFixture, AClickDuringTypingShowsEverythingAndTheNextClickGoesOn) {
    print("ABCDEFGHIJ");
    frame();
    EXPECT_EQ(page().shownCount, 0);
    EXPECT_FALSE(presented(page().rectFrom(5)));

    click();
    frame();
    EXPECT_TRUE(presented(page().rectFrom(0)));
    // The rest is shown at once, but the typing ends at its next step, not in the click's frame.
    EXPECT_EQ(page().shownCount, 0);
    ASSERT_NE(task<TypingTask>(), nullptr);
    ASSERT_NE(task<ClickWaitTask>(), nullptr);
    EXPECT_EQ(task<ClickWaitTask>()->paused, 1);  // not started before the typing ends
    frame();
    EXPECT_EQ(page().shownCount, 9);
    EXPECT_EQ(task<TypingTask>(), nullptr);
    frame();
    EXPECT_TRUE(screen().isBusy());
    ASSERT_NE(task<ClickWaitTask>(), nullptr);
    EXPECT_EQ(e.inputFlags, 1);
    Layer* cursor = screen().getLayer(kTextCursorLayerId);
    ASSERT_NE(cursor, nullptr);
    const Rect last = page().glyphRect(9);
    EXPECT_EQ(cursor->destRect, (Rect{last.right, last.top, last.right + 32, last.top + 32}));
    EXPECT_EQ(cursor->keyColor, 65280u);

    click();
    frame();
    EXPECT_EQ(e.inputFlags, 0);
    EXPECT_EQ(screen().getLayer(kTextCursorLayerId), nullptr);
    EXPECT_EQ(untilIdle(), 1);
}

TEST_F(PrintFixture, ControlRevealsOneGlyphAFrameAndEndsTheWait) {
    e.setSystem("$Print_wait", "500");
    e.executeNow("RegisterText()");
    host.control = true;
    print("ABCDE");
    // Five frames reveal the five glyphs (the last one also ends the wait); one more
    // removes the finished tasks.
    EXPECT_EQ(untilIdle(), 6);
    EXPECT_EQ(page().shownCount, 4);
}

TEST_F(PrintFixture, SpaceHidesTheWindowAndTheFirstClickOnlyShowsIt) {
    print("ABC");
    click();
    frame();
    frame();
    e.onKeyUp(vk::Space);
    EXPECT_EQ(screen().isMessageWindowVisible(), 0);
    EXPECT_EQ(page().visible, 0);
    EXPECT_EQ(screen().getLayer(kTextCursorLayerId)->visible, 0);

    click();
    frame();
    EXPECT_EQ(screen().isMessageWindowVisible(), 1);
    EXPECT_EQ(page().visible, 1);
    EXPECT_TRUE(screen().isBusy());

    click();
    EXPECT_EQ(untilIdle(), 2);
}

TEST_F(PrintFixture, ShowTextWithClearThenPrintWipesTheOldText) {
    const std::string wide = utf8ToSjis("ＡＡＡＡ");
    print(wide);
    host.control = true;
    untilIdle();
    host.control = false;
    const Rect old = page().glyphRect(3);
    const uint8_t* blank = screen().front()->image->pixel(700, 590);
    const uint8_t windowGrey = blank[0];
    bool inked = false;
    for (int32_t x = old.left; x < old.right; ++x)
        inked |= screen().front()->image->pixel(x, old.top + old.height() / 2)[0] != windowGrey;
    ASSERT_TRUE(inked);

    e.executeNow("ShowText(1, 1)");
    EXPECT_EQ(page().text, " ");
    EXPECT_EQ(page().count, 1);
    print("B");
    host.control = true;
    untilIdle();
    for (int32_t y = old.top; y < old.bottom; ++y)
        for (int32_t x = old.left; x < old.right; ++x)
            ASSERT_EQ(screen().front()->image->pixel(x, y)[0], windowGrey) << x << "," << y;
}

TEST_F(PrintFixture, AnEmptyMessageWaitsWithTheCursorAtThePen) {
    print("");
    frame();
    EXPECT_EQ(page().count, 0);
    ASSERT_NE(task<ClickWaitTask>(), nullptr);
    Layer* cursor = screen().getLayer(kTextCursorLayerId);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->destRect.left, 40);
    EXPECT_EQ(cursor->destRect.top, 470);
    click();
    EXPECT_EQ(untilIdle(), 2);
}

TEST_F(PrintFixture, AppendedTextTypesFromItsFirstNewCharacter) {
    print("AB");
    host.control = true;
    untilIdle();
    host.control = false;
    const Rect b = page().glyphRect(1);

    print("/pCD/pE");
    EXPECT_EQ(page().text, "ABCD/pE");
    EXPECT_EQ(page().count, 7);
    EXPECT_EQ(page().glyphRect(1), b);
    int32_t cx = 0, cy = 0;
    createGameFont(24, 1, page().face)->measure("B", cx, cy);
    EXPECT_EQ(page().glyphRect(2).left, b.left + cx);  // the pen went on after "B"
    ASSERT_NE(task<TypingTask>(), nullptr);
    EXPECT_EQ(task<TypingTask>()->firstGlyph, 2);
    EXPECT_EQ(e.backlog.back(), "CD/pE");

    // After a relayout the page counts as fully shown; an append still types its own text.
    host.control = true;
    untilIdle();
    host.control = false;
    page().relayout();
    print("/pF");
    ASSERT_NE(task<TypingTask>(), nullptr);
    EXPECT_EQ(task<TypingTask>()->firstGlyph, 7);
}

TEST_F(PrintFixture, RegisterTextFollowsADirectionChangeWithTextAndCursor) {
    print(utf8ToSjis("あいう"));
    click();
    frame();
    frame();
    ASSERT_NE(screen().getLayer(kTextCursorLayerId), nullptr);

    e.setSystem("$Print_vertical", "1");
    e.executeNow("RegisterText()");
    EXPECT_EQ(page().vertical, 1);
    EXPECT_EQ(page().count, 3);
    EXPECT_EQ(page().shownCount, 3);
    const Rect first = page().glyphRect(0), last = page().glyphRect(2);
    EXPECT_GT(last.top, first.top);
    EXPECT_LT(std::abs(last.left - first.left), 8);
    EXPECT_GT(first.left, 600);
    Layer* cursor = screen().getLayer(kTextCursorLayerId);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->destRect.left, last.left - 5);
    EXPECT_EQ(cursor->destRect.top, last.bottom);
    EXPECT_EQ(screen().getLayer(kMessageWindowLayerId)->destRect.top, 0);
    EXPECT_EQ(screen().isMessageWindowVisible(), 1);
    click();
    EXPECT_EQ(untilIdle(), 2);
}

struct SelectFixture : PrintFixture {
    SelectFixture() {
        // Normal frame grey 60, hovered frame grey 120, over a mask of the same size below.
        Bitmap b;
        b.create(400, 80);
        for (int32_t y = 0; y < 80; ++y) {
            uint8_t* row = b.row(y);
            std::fill(row, row + 600, uint8_t(y < 40 ? 60 : 255));
            std::fill(row + 600, row + 1200, uint8_t(y < 40 ? 120 : 255));
        }
        b.save("button.bmp");
        const std::vector<std::pair<std::string, std::string>> vars = {
            {"$select_bmp", "./button.bmp"}, {"$select_width", "200"}, {"$select_height", "40"},
            {"$select_fontname", utf8ToSjis("ＭＳ ゴシック")}, {"$select_fontsize", "20"},
            {"$select_color", "16777215"},
        };
        for (const auto& [name, value] : vars) e.setSystem(name, value.c_str());
    }
    std::vector<Layer*> buttons() {
        std::vector<Layer*> found;
        for (auto& l : screen().layers)
            if (l->tag == 1) found.push_back(l.get());
        return found;
    }
};

TEST_F(SelectFixture, ThreeChoicesAreCentredAndTheClickedNumberIsStored) {
    e.executeNow(utf8ToSjis("$r = Select(はい, いいえ, たぶん)"));
    EXPECT_EQ(textOr(e.getScoped("$r")), "Select");
    std::vector<Layer*> list = buttons();
    ASSERT_EQ(list.size(), 3u);
    const int32_t tops[] = {175, 245, 315};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(list[i]->destRect, (Rect{265, tops[i], 465, tops[i] + 40})) << i;
        EXPECT_LT(list[i]->id, 1000);
    }
    EXPECT_EQ(e.inputFlags, 3);
    EXPECT_TRUE(screen().isBusy());

    input.mouseX = 300;
    input.mouseY = 250;
    frame();
    EXPECT_EQ(list[1]->srcRect.left, 200);
    click(300, 250);
    frame();
    EXPECT_EQ(textOr(e.getScoped("$r")), "2");
    EXPECT_TRUE(buttons().empty());
    EXPECT_EQ(e.inputFlags, 0);
    EXPECT_EQ(untilIdle(), 1);
    EXPECT_TRUE(boxes.lines.empty());
}

TEST_F(SelectFixture, ButtonsNearTheLastPictureLayerNeverReplaceTheWindow) {
    screen().insertLayer(999, std::make_unique<Layer>());
    Layer* window = screen().getLayer(kMessageWindowLayerId);
    e.executeNow("Select(a, b, c)");  // no assignment target: nothing is stored
    std::vector<Layer*> list = buttons();
    ASSERT_EQ(list.size(), 3u);
    std::vector<int32_t> ids;
    for (Layer* l : list) ids.push_back(l->id);
    EXPECT_EQ(ids, (std::vector<int32_t>{997, 998, 1000}));
    EXPECT_EQ(screen().getLayer(kMessageWindowLayerId), window);

    click(300, 320);
    frame();
    EXPECT_TRUE(buttons().empty());
    EXPECT_EQ(untilIdle(), 1);
}

TEST(PrintBacklog, KeepsTheLast301Texts) {
    TestEngine e;
    for (int i = 0; i < 305; ++i) e.executeNow("Print(" + std::to_string(i) + ")");
    ASSERT_EQ(e.backlog.size(), 301u);
    EXPECT_EQ(e.backlog.front(), "4");
    EXPECT_EQ(e.backlog.back(), "304");
}

TEST(PrintWindow, AMissingWindowNumberLeavesTheFrontLayerAlone) {
    GameFolder folder;
    MessageBoxRecorder boxes;
    TestEngine e;
    auto s = std::make_unique<Screen>();
    s->attachWindow(800, 600);
    attachMessageText(*s);
    e.setScreen(std::move(s));
    Layer* front = e.screen->front();
    e.executeNow("RegisterText()");
    EXPECT_EQ(e.screen->front(), front);
    EXPECT_EQ(e.screen->layers.size(), 2u);
    EXPECT_TRUE(boxes.lines.empty());
}

} // namespace
} // namespace zre
