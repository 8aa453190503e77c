// The save comment dialog run headless from scripted input: what it keeps, what it refuses,
// and what it shows over the frozen game picture.
#include "ui/comment_dialog.h"

#include <gtest/gtest.h>

#include "platform/message_box.h"
#include "platform/platform.h"
#include "platform/sjis.h"
#include "platform/window.h"
#include "support/test_support.h"
#include "ui/dialog_fixture.h"

namespace zre::test {
namespace {

std::string sjis(const char* utf8) { return utf8ToSjis(utf8); }

TEST(CommentEdit, TypingKeepsWhatShiftJisHoldsWithinTwentyFourBytes) {
    struct Case {
        const char* name;
        std::vector<const char*> typed;  // UTF-8, one Text message each
        int backspaces;
        std::string expected;            // Shift JIS
    } cases[] = {
        {"nothing", {}, 0, ""},
        {"twelve full-width, a thirteenth cut off", {"あいうえおかきくけこさし", "す"}, 0,
         sjis("あいうえおかきくけこさし")},
        {"a full-width character does not fit one free byte", {"abcdefghijklmnopqrstuvw", "あ", "x"}, 0,
         "abcdefghijklmnopqrstuvwx"},
        {"characters outside Shift JIS refused", {"a\xF0\x9F\x98\x80" "b", "한"}, 0, "ab"},
        {"backspace removes a whole double-byte character", {"aソ"}, 1, "a"},
        {"a 0x5C trail byte is not mistaken for a character", {"表表"}, 1, sjis("表")},
        {"backspace on an empty box", {}, 2, ""},
    };
    for (const Case& c : cases) {
        CommentEdit edit;
        for (const char* t : c.typed) edit.type(t);
        for (int i = 0; i < c.backspaces; ++i) edit.backspace();
        EXPECT_EQ(edit.text(), c.expected) << c.name;
    }
}

TEST(CommentEdit, StorableCommentsHaveNoControlCodeSpaceOrBackslashByte) {
    struct Case {
        std::string text;
        bool storable;
    } cases[] = {
        {"", true},
        {sjis("灯台守ＡＢＣ"), true},
        {"a b", false},
        {"a\tb", false},
        {"\\", false},
        {sjis("表"), false},  // 0x95 0x5C
        {"~!", true},
    };
    for (const Case& c : cases) EXPECT_EQ(isStorableComment(c.text), c.storable) << sjisToUtf8(c.text);
}

TEST(CommentDialog, ComposingTextIsShownButNotTakenUntilCommitted) {
    auto frozen = makeBitmap(800, 600);
    CommentDialog dialog(*frozen);
    Message m;
    m.kind = MessageKind::Text;
    m.text = "灯";
    dialog.handle(m);
    m.kind = MessageKind::TextEditing;
    m.text = "だい";
    dialog.handle(m);
    m = {};
    m.kind = MessageKind::KeyDown;
    m.key = vk::Back;  // the input method's own backspace
    dialog.handle(m);
    EXPECT_EQ(dialog.edit().text(), sjis("灯"));
    EXPECT_EQ(dialog.composition(), "だい");
    m.kind = MessageKind::Text;
    m.text = "台";
    dialog.handle(m);
    EXPECT_EQ(dialog.edit().text(), sjis("灯台"));
    EXPECT_TRUE(dialog.composition().empty());
}

class CommentDialogRun : public DialogRunTest {
protected:
    // Runs the dialog over a grey picture with the input lines; returns the comment and
    // records every message box.
    std::string run(const std::string& input, std::vector<std::pair<uint32_t, std::string>> shots = {}) {
        startOverPicture(input, std::move(shots));
        setMessageBoxHandler([this](std::string_view text, std::string_view caption, MessageBoxButtons,
                                    MessageBoxIcon) {
            boxes.push_back(sjisToUtf8(caption) + ": " + sjisToUtf8(text));
            return MessageBoxResult::Ok;
        });
        return runCommentDialog([this](const Message& m) { passedOn.push_back(m.kind); });
    }
    // Where the dialog's parts are on an 800 x 600 picture.
    static Rect part(Rect (CommentDialog::*which)() const) {
        auto picture = makeBitmap(800, 600);
        return (CommentDialog(*picture).*which)();
    }

    std::vector<std::string> boxes;
};

const char kRefusal[] = "エラー: コントロールコードは入力できません。";

TEST_F(CommentDialogRun, AnEmptyCommentIsAcceptedAndEnterDoesNotReachTheGame) {
    EXPECT_EQ(run("100 key ENTER\n"), "");
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(passedOn.empty());
    // The release that confirmed is the dialog's, not a click for the screen underneath.
    for (const Message& m : drain()) EXPECT_NE(m.kind, MessageKind::KeyUp);
}

TEST_F(CommentDialogRun, EscapeAndTheCloseBoxDoNothingBackspaceDeletesAndOkConfirms) {
    const std::string input = "100 text 灯台\n200 key ESCAPE\n" + clickOn(300, part(&CommentDialog::closeBoxRect)) +
                              "400 text 守x\n450 key BACKSPACE\n" +
                              clickOn(500, part(&CommentDialog::okRect));
    EXPECT_EQ(run(input), sjis("灯台守"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(CommentDialogRun, RefusedCommentsEmptyTheBoxAndKeepTheDialogOpen) {
    struct Case {
        const char* name;
        const char* refused;
    } cases[] = {
        {"half-width space", "灯台 守"},
        {"backslash", "a\\b"},
        {"0x5C trail byte", "表"},
    };
    for (const Case& c : cases) {
        boxes.clear();
        const std::string input = std::string("100 text ") + c.refused + "\n200 key ENTER\n300 text ok\n400 key ENTER\n";
        EXPECT_EQ(run(input), "ok") << c.name;  // what was refused is gone, not kept in front
        EXPECT_EQ(boxes, (std::vector<std::string>{kRefusal})) << c.name;
        shutdownPlatform();
    }
}

TEST_F(CommentDialogRun, TheWindowShowsTheDialogOverTheFrozenPictureAndThePictureAfterwards) {
    const std::string shot = dir.file("dialog.png");
    EXPECT_EQ(run("100 text 灯台\n300 key ENTER\n", {{200, shot}}), sjis("灯台"));

    // Afterwards the window shows the game picture again.
    expectPictureRestored();

    // While open: the game picture around it, the dialog's face in its frame, white in the box.
    Shot open;
    ASSERT_TRUE(open.load(shot));
    auto at = [&](int32_t x, int32_t y) { return open.at(x, y); };
    const Rect frame = part(&CommentDialog::frameRect);
    const Rect edit = part(&CommentDialog::editRect);
    EXPECT_EQ(at(10, 10)[1], 2);
    EXPECT_EQ(at(frame.left + 2, frame.bottom - 3)[2], 212);
    EXPECT_EQ(at(edit.right - 5, edit.top + 4)[0], 255);
    EXPECT_LT(frame.right - frame.left, 300);
    EXPECT_NEAR((frame.left + frame.right) / 2, 400, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, 300, 1);
}

TEST_F(CommentDialogRun, TheWindowGoingAwayIsPassedOn) {
    // The input ends with the dialog open: the run ends as the window's destroy would.
    EXPECT_EQ(run("100 text a\n"), "");
    ASSERT_FALSE(passedOn.empty());
    EXPECT_EQ(passedOn.front(), MessageKind::Destroy);
}

} // namespace
} // namespace zre::test
