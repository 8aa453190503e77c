// The message box drawn in the window: its answers to keys and clicks, how it lays out its
// text, and what the window shows while it is open, run headless from scripted input.
#include "ui/message_box_dialog.h"

#include <gtest/gtest.h>

#include "platform/font.h"
#include "platform/sjis.h"
#include "ui/dialog_fixture.h"

namespace zre::test {
namespace {

std::string sjis(const char* utf8) { return utf8ToSjis(utf8); }

Message key(MessageKind kind, int32_t code) {
    Message m = makeMessage(kind);
    m.key = code;
    return m;
}

Message clickAt(const Rect& r) {
    Message m = makeMessage(MessageKind::LButtonUp);
    m.x = (r.left + r.right) / 2;
    m.y = (r.top + r.bottom) / 2;
    return m;
}

// A press and release of each key.
std::vector<Message> keys(std::initializer_list<int32_t> codes) {
    std::vector<Message> out;
    for (int32_t c : codes) {
        out.push_back(key(MessageKind::KeyDown, c));
        out.push_back(key(MessageKind::KeyUp, c));
    }
    return out;
}

TEST(MessageBoxDialog, KeysAndClicksAnswer) {
    auto frozen = makeBitmap(800, 600);
    const MessageBoxDialog yesNo(*frozen, sjis("終了しますか？"), sjis("終了"), MessageBoxButtons::YesNo,
                                 MessageBoxIcon::Question);
    const MessageBoxDialog ok(*frozen, sjis("解像度変更に失敗しました"), sjis("エラー"), MessageBoxButtons::Ok,
                              MessageBoxIcon::None);
    enum Which { YesNo, Ok };
    struct Case {
        const char* name;
        Which box;
        std::vector<Message> input;
        bool ends;                 // the box is answered by the last message
        MessageBoxResult answer;   // its answer (or Escape's, when it does not end)
    } cases[] = {
        {"Enter presses the default button", YesNo, keys({vk::Return}), true, MessageBoxResult::Yes},
        {"Escape answers No", YesNo, keys({vk::Escape}), true, MessageBoxResult::No},
        {"Y", YesNo, keys({'Y'}), true, MessageBoxResult::Yes},
        {"N", YesNo, keys({'N'}), true, MessageBoxResult::No},
        {"Space presses the focused button", YesNo, keys({vk::Space}), true, MessageBoxResult::Yes},
        {"Tab moves the focus, Enter follows it", YesNo, keys({vk::Tab, vk::Return}), true, MessageBoxResult::No},
        {"Right then Left come back", YesNo, keys({vk::Right, vk::Left, vk::Return}), true, MessageBoxResult::Yes},
        {"a click on いいえ", YesNo, {clickAt(yesNo.buttonRect(1))}, true, MessageBoxResult::No},
        {"a click on はい", YesNo, {clickAt(yesNo.buttonRect(0))}, true, MessageBoxResult::Yes},
        {"a click beside the buttons does nothing", YesNo, {clickAt({0, 0, 4, 4})}, false, MessageBoxResult::No},
        {"the close box of a Yes/No box does nothing", YesNo, {clickAt(yesNo.closeBoxRect())}, false,
         MessageBoxResult::No},
        {"closing the window does nothing", YesNo, {makeMessage(MessageKind::Close)}, false, MessageBoxResult::No},
        // The release of the key that opened the box is not an answer.
        {"a release without its press", YesNo, {key(MessageKind::KeyUp, vk::Escape)}, false, MessageBoxResult::No},
        {"a press alone waits for the release", YesNo, {key(MessageKind::KeyDown, vk::Return)}, false,
         MessageBoxResult::No},
        {"OK box: Enter", Ok, keys({vk::Return}), true, MessageBoxResult::Ok},
        {"OK box: Escape", Ok, keys({vk::Escape}), true, MessageBoxResult::Ok},
        {"OK box: N is no button", Ok, keys({'N'}), false, MessageBoxResult::Ok},
        {"OK box: its close box", Ok, {clickAt(ok.closeBoxRect())}, true, MessageBoxResult::Ok},
        {"OK box: a click on OK", Ok, {clickAt(ok.buttonRect(0))}, true, MessageBoxResult::Ok},
    };
    for (const Case& c : cases) {
        MessageBoxDialog box = c.box == YesNo ? MessageBoxDialog(*frozen, sjis("終了しますか？"), sjis("終了"),
                                                                 MessageBoxButtons::YesNo, MessageBoxIcon::Question)
                                              : MessageBoxDialog(*frozen, sjis("解像度変更に失敗しました"),
                                                                 sjis("エラー"), MessageBoxButtons::Ok,
                                                                 MessageBoxIcon::None);
        bool ended = false;
        for (size_t i = 0; i < c.input.size(); ++i) {
            ASSERT_FALSE(ended) << c.name << ": ended before message " << i;
            ended = box.handle(c.input[i]);
        }
        EXPECT_EQ(ended, c.ends) << c.name;
        EXPECT_EQ(box.result(), c.answer) << c.name;
    }
}

TEST(MessageBoxDialog, TextIsWrappedAtLineBreaksAndAtTheWidth) {
    const GameFont& font = dialogFont();
    struct Case {
        const char* name;
        const char* text;
        const char* widest;  // the width is that of this text
        std::vector<const char*> lines;
    } cases[] = {
        {"one short line", "上書きします、よろしいですか？", "上書きします、よろしいですか？",
         {"上書きします、よろしいですか？"}},
        {"line breaks, a CR dropped", "一行目\r\n二行目\n\n四行目", "一行目", {"一行目", "二行目", "", "四行目"}},
        {"cut before the character that does not fit", "あいうえおかき", "あいうえお", {"あいうえお", "かき"}},
        {"closing punctuation stays on its line", "あいうえお。かき", "あいうえお", {"あいうえお。", "かき"}},
        {"a single-byte word moves whole", "ab cdefgh", "cdefgh", {"ab", "cdefgh"}},
        {"a word longer than the line is cut", "abcdefgh", "abcd", {"abcd", "efgh"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> expected;
        for (const char* l : c.lines) expected.push_back(sjis(l));
        EXPECT_EQ(wrapDialogText(font, sjis(c.text), dialogTextWidth(font, sjis(c.widest))), expected) << c.name;
    }
}

TEST(MessageBoxDialog, ALongTextKeepsTheBoxInsideThePicture) {
    auto frozen = makeBitmap(800, 600);
    std::string text;
    for (int i = 0; i < 400; ++i) text += sjis("長い文章");
    MessageBoxDialog box(*frozen, text, sjis("エラー"), MessageBoxButtons::Ok, MessageBoxIcon::Error);
    EXPECT_GT(box.lines().size(), 10u);
    const Rect f = box.frameRect();
    EXPECT_GE(f.left, 0);
    EXPECT_GE(f.top, 0);
    EXPECT_LE(f.right, 800);
    EXPECT_LE(f.bottom, 600);
    EXPECT_LE(box.buttonRect(0).bottom, f.bottom);
}

class MessageBoxDialogRun : public DialogRunTest {
protected:
    MessageBoxResult run(const std::string& input, std::vector<std::pair<uint32_t, std::string>> shots = {}) {
        startOverPicture(input, std::move(shots));
        return runMessageBoxDialog(kText, kCaption, MessageBoxButtons::YesNo, MessageBoxIcon::Question,
                                   [this](const Message& m) { passedOn.push_back(m.kind); });
    }
    MessageBoxDialog box(const Bitmap& picture) const {
        return MessageBoxDialog(picture, kText, kCaption, MessageBoxButtons::YesNo, MessageBoxIcon::Question);
    }

    const std::string kText = sjis("終了しますか？");
    const std::string kCaption = sjis("終了");
};

TEST_F(MessageBoxDialogRun, EnterAnswersYesAndItsReleaseDoesNotReachTheGame) {
    EXPECT_EQ(run("100 key ENTER\n100 key ENTER\n"), MessageBoxResult::Yes);
    EXPECT_TRUE(passedOn.empty());
    // The second press is the game's again: the box took only its own.
    int keyUps = 0;
    for (const Message& m : drain()) keyUps += m.kind == MessageKind::KeyUp;
    EXPECT_EQ(keyUps, 1);
}

TEST_F(MessageBoxDialogRun, AClickOnNoAnswersNoAndTheWindowShowsTheGameAgain) {
    const std::string shot = dir.file("box.png");
    auto picture = makeBitmap(800, 600);
    const Rect no = box(*picture).buttonRect(1);
    const Rect frame = box(*picture).frameRect();
    EXPECT_EQ(run(clickOn(300, no), {{200, shot}}), MessageBoxResult::No);
    expectPictureRestored();

    // While open: the game picture around it, the face of the box, dark text on it.
    Shot open;
    ASSERT_TRUE(open.load(shot));
    auto at = [&](int32_t x, int32_t y) { return open.at(x, y); };
    EXPECT_EQ(at(10, 10)[1], 2);
    EXPECT_EQ(at(frame.left + 4, frame.bottom - 4)[2], 212);
    int dark = 0;
    for (int32_t y = frame.top + 30; y < no.top - 4; ++y)
        for (int32_t x = frame.left + 60; x < frame.right - 10; ++x) dark += at(x, y)[2] < 100;
    EXPECT_GT(dark, 40);  // the text is there
    EXPECT_NEAR((frame.left + frame.right) / 2, 400, 1);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, 300, 1);
}

TEST_F(MessageBoxDialogRun, TheWindowGoingAwayIsPassedOnAndAnswersAsEscape) {
    EXPECT_EQ(run("100 move 10 10\n"), MessageBoxResult::No);
    ASSERT_FALSE(passedOn.empty());
    EXPECT_EQ(passedOn.front(), MessageKind::Destroy);
}

} // namespace
} // namespace zre::test
