#include "ui/comment_dialog.h"

#include <algorithm>

#include "platform/font.h"
#include "platform/message_box.h"
#include "platform/sjis.h"
#include "platform/window.h"
#include "ui/modal_dialog.h"

namespace zre {

using namespace dialog_colour;

namespace {

// The dialog's layout in dialog units, scaled for its 9-point face (12 pixels): a dialog
// unit is a quarter of the face's average width across and an eighth of its height down,
// 1.5 pixels either way.
constexpr int32_t kClientWidthDu = 183;
constexpr int32_t kClientHeightDu = 39;
int32_t px(int32_t du) { return (du * 3 + 1) / 2; }

constexpr int32_t kBorder = kDialogBorder;
constexpr int32_t kFaceHeight = kDialogFaceHeight;

// The texts are the system's own; the sources hold them in UTF-8.
const std::string& labelText() {
    static const std::string text = utf8ToSjis("コメントを入力して下さい。（全角で１２文字まで）");
    return text;
}

// One character's length in a UTF-8 text from its lead byte (a broken one counts as 1).
size_t utf8Length(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

} // namespace

void CommentEdit::type(std::string_view utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        const size_t n = std::min(utf8Length(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        std::string sjis;
        if (utf8ToSjisExact(utf8.substr(i, n), sjis) && !sjis.empty() && text_.size() + sjis.size() <= kCommentBytes)
            text_ += sjis;
        i += n;
    }
}

void CommentEdit::backspace() {
    // Walk from the start: a trail byte cannot be told from a single byte backwards.
    size_t i = 0;
    size_t last = 0;
    while (i < text_.size()) {
        last = i;
        i += isLeadByteAt(text_, i) ? 2 : 1;
    }
    text_.resize(text_.empty() ? 0 : last);
}

bool isStorableComment(std::string_view sjis) {
    for (char ch : sjis) {
        const auto b = static_cast<uint8_t>(ch);
        if (b < 0x21 || b == 0x5C) return false;
    }
    return true;
}

CommentDialog::CommentDialog(const Bitmap& frozen)
    : ModalDialog(frozen), font_(dialogFont()),
      frame_(centredDialogFrame(frozen, px(kClientWidthDu), px(kClientHeightDu))),
      clientX_(dialogClientX(frame_)), clientY_(dialogClientY(frame_)) {}

CommentDialog::~CommentDialog() = default;

Rect CommentDialog::client(int32_t x, int32_t y, int32_t w, int32_t h) const {
    return {clientX_ + px(x), clientY_ + px(y), clientX_ + px(x + w), clientY_ + px(y + h)};
}

Rect CommentDialog::editRect() const { return client(7, 17, 115, 14); }
Rect CommentDialog::okRect() const { return client(126, 18, 50, 14); }
Rect CommentDialog::closeBoxRect() const { return dialogCloseBoxRect(frame_); }

bool CommentDialog::handle(const Message& m) {
    switch (m.kind) {
    case MessageKind::Text:
        edit_.type(m.text);
        composition_.clear();
        changed();
        return false;
    case MessageKind::TextEditing:
        composition_ = m.text;
        changed();
        return false;
    case MessageKind::KeyDown:
        if (m.key == vk::Back && composition_.empty()) {
            edit_.backspace();
            changed();
        }
        // Enter confirms on its release, so the release does not reach the game as a click.
        if (m.key == vk::Return) returnDown_ = true;
        return false;
    case MessageKind::KeyUp:
        if (m.key != vk::Return || !returnDown_) return false;
        returnDown_ = false;
        return confirm();
    case MessageKind::LButtonUp: return okRect().contains(m.x, m.y) && confirm();
    default:
        // The close box, Escape and everything else leave the dialog as it is.
        return false;
    }
}

bool CommentDialog::confirm() {
    if (!isStorableComment(edit_.text())) {
        messageBox(utf8ToSjis("コントロールコードは入力できません。"), utf8ToSjis("エラー"));
        edit_.clear();
        composition_.clear();
        changed();
        return false;
    }
    comment_ = edit_.text();
    return true;
}

void CommentDialog::draw(Bitmap& b) {
    // The close box is drawn as every window has one; it does nothing here.
    drawDialogFrame(b, frame_, "Save");

    // The label: it may run past its own box to the dialog's edge rather than be cut short.
    const Rect label = client(7, 7, 138, 8);
    const Rect labelClip{label.left, label.top - 2, frame_.right - kBorder - 4, label.bottom + 2};
    drawDialogText(b, font_, label.left, label.top, labelText(), kBlack, labelClip);

    // The edit box, sunken, with the text, the composition (underlined) and the caret; the
    // text scrolls left when it would pass the right edge.
    const Rect editBox = editRect();
    fillRect(b, editBox, kLight);
    drawEdge(b, editBox, kShadow, kLight);
    drawEdge(b, insetRect(editBox, 1), kDark, kFace);
    const Rect inner = insetRect(editBox, 3);
    const std::string composing = utf8ToSjis(composition_);
    const int32_t typedWidth = dialogTextWidth(font_, edit_.text());
    const int32_t caretOffset = typedWidth + dialogTextWidth(font_, composing);
    const int32_t scroll = std::max(0, caretOffset + 1 - (inner.right - inner.left - 1));
    const int32_t textY = inner.top + (inner.bottom - inner.top - kFaceHeight) / 2;
    const int32_t x0 = inner.left + 1 - scroll;
    drawDialogText(b, font_, x0, textY, edit_.text(), kBlack, inner);
    if (!composing.empty()) {
        drawDialogText(b, font_, x0 + typedWidth, textY, composing, kBlack, inner);
        const int32_t underline = textY + kFaceHeight + 1;
        fillRect(b, {std::max(x0 + typedWidth, inner.left), underline, std::min(x0 + caretOffset, inner.right), underline + 1},
                 kBlack);
    }
    const int32_t caretX = x0 + caretOffset;
    fillRect(b, {caretX, textY - 1, caretX + 1, textY + kFaceHeight + 1}, kBlack);

    // The OK button, the default one.
    drawPushButton(b, okRect(), "OK", true);
}

std::string runCommentDialog(const std::function<void(const Message&)>& passOn) {
    // The picture the window shows now stays frozen under the dialog.
    const std::unique_ptr<Bitmap> frozen = captureWindowPicture();
    CommentDialog dialog(*frozen);
    const Rect e = dialog.editRect();
    beginTextEntry(e.left, e.top, e.right - e.left, e.bottom - e.top);
    const bool confirmed = runModalDialog(dialog, *frozen, passOn);
    endTextEntry();
    return confirmed ? dialog.comment() : std::string();
}

} // namespace zre
