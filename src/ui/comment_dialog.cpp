#include "ui/comment_dialog.h"

#include <algorithm>
#include <cstring>

#include "platform/font.h"
#include "platform/message_box.h"
#include "platform/sjis.h"
#include "platform/window.h"

namespace zre {

namespace {

// The dialog's layout in dialog units, scaled for its 9-point face (12 pixels): a dialog
// unit is a quarter of the face's average width across and an eighth of its height down,
// 1.5 pixels either way.
constexpr int32_t kClientWidthDu = 183;
constexpr int32_t kClientHeightDu = 39;
int32_t px(int32_t du) { return (du * 3 + 1) / 2; }

constexpr int32_t kBorder = 3;
constexpr int32_t kCaptionHeight = 20;
constexpr int32_t kFaceHeight = 12;

struct Colour {
    uint8_t r, g, b;
};
constexpr Colour kFace{212, 208, 200};
constexpr Colour kLight{255, 255, 255};
constexpr Colour kShadow{128, 128, 128};
constexpr Colour kDark{64, 64, 64};
constexpr Colour kBlack{0, 0, 0};
constexpr Colour kCaptionLeft{10, 36, 106};
constexpr Colour kCaptionRight{166, 202, 240};

void fill(Bitmap& b, Rect r, Colour c) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, b.width());
    r.bottom = std::min(r.bottom, b.height());
    for (int32_t y = r.top; y < r.bottom; ++y)
        for (int32_t x = r.left; x < r.right; ++x) {
            uint8_t* p = b.pixel(x, y);
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
}

// A raised (or, with the colours swapped, sunken) edge one pixel wide inside r.
void edge(Bitmap& b, const Rect& r, Colour topLeft, Colour bottomRight) {
    fill(b, {r.left, r.top, r.right, r.top + 1}, topLeft);
    fill(b, {r.left, r.top, r.left + 1, r.bottom}, topLeft);
    fill(b, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    fill(b, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

Rect inset(const Rect& r, int32_t d) { return {r.left + d, r.top + d, r.right - d, r.bottom - d}; }

// Draws Shift JIS text with its cell top at y, clipped to clip; returns the pen x after it.
int32_t drawText(Bitmap& b, const GameFont& font, int32_t x, int32_t y, std::string_view sjis, Colour c,
                 const Rect& clip) {
    Rect area{std::max(clip.left, 0), std::max(clip.top, 0), std::min(clip.right, b.width()),
              std::min(clip.bottom, b.height())};
    size_t i = 0;
    while (i < sjis.size()) {
        const size_t n = isLeadByteAt(sjis, i) ? 2 : 1;
        GlyphCoverage g;
        if (font.glyph(sjis.substr(i, n), g)) {
            const int32_t gx = x + g.originX;
            const int32_t gy = y + font.ascent() - g.originY;
            for (int32_t row = 0; row < g.height; ++row) {
                const int32_t py = gy + row;
                if (py < area.top || py >= area.bottom) continue;
                for (int32_t col = 0; col < g.width; ++col) {
                    const int32_t pxl = gx + col;
                    if (pxl < area.left || pxl >= area.right) continue;
                    const int a = g.pixels[size_t(row) * g.width + col];
                    if (a == 0) continue;
                    uint8_t* p = b.pixel(pxl, py);
                    p[0] = static_cast<uint8_t>(p[0] + (c.b - p[0]) * a / 255);
                    p[1] = static_cast<uint8_t>(p[1] + (c.g - p[1]) * a / 255);
                    p[2] = static_cast<uint8_t>(p[2] + (c.r - p[2]) * a / 255);
                }
            }
            x += g.cellIncX;
        }
        i += n;
    }
    return x;
}

int32_t textWidth(const GameFont& font, std::string_view sjis) {
    int32_t cx = 0;
    int32_t cy = 0;
    font.measure(sjis, cx, cy);
    return cx;
}

// The texts are the system's own; the sources hold them in UTF-8.
const std::string& labelText() {
    static const std::string text = utf8ToSjis("コメントを入力して下さい。（全角で１２文字まで）");
    return text;
}
const std::string& faceName() {
    static const std::string text = utf8ToSjis("ＭＳ Ｐゴシック");
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
    : frozen_(frozen), font_(GameFont::create(-kFaceHeight, 0, faceName())) {
    const int32_t w = px(kClientWidthDu) + 2 * kBorder;
    const int32_t h = px(kClientHeightDu) + kCaptionHeight + 2 * kBorder;
    const int32_t left = (frozen.width() - w) / 2;
    const int32_t top = (frozen.height() - h) / 2;
    frame_ = {left, top, left + w, top + h};
    clientX_ = left + kBorder;
    clientY_ = top + kBorder + kCaptionHeight;
}

CommentDialog::~CommentDialog() = default;

Rect CommentDialog::client(int32_t x, int32_t y, int32_t w, int32_t h) const {
    return {clientX_ + px(x), clientY_ + px(y), clientX_ + px(x + w), clientY_ + px(y + h)};
}

Rect CommentDialog::editRect() const { return client(7, 17, 115, 14); }
Rect CommentDialog::okRect() const { return client(126, 18, 50, 14); }
Rect CommentDialog::closeBoxRect() const {
    const int32_t right = frame_.right - kBorder - 2;
    const int32_t top = frame_.top + kBorder + 3;
    return {right - 16, top, right, top + 14};
}

bool CommentDialog::handle(const Message& m) {
    switch (m.kind) {
    case MessageKind::Text:
        edit_.type(m.text);
        composition_.clear();
        dirty_ = true;
        return false;
    case MessageKind::TextEditing:
        composition_ = m.text;
        dirty_ = true;
        return false;
    case MessageKind::KeyDown:
        if (m.key == vk::Back && composition_.empty()) {
            edit_.backspace();
            dirty_ = true;
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
        dirty_ = true;
        return false;
    }
    comment_ = edit_.text();
    return true;
}

const Bitmap& CommentDialog::picture() {
    if (dirty_ || !picture_) draw();
    return *picture_;
}

void CommentDialog::draw() {
    dirty_ = false;
    if (!picture_) picture_ = frozen_.clone();
    if (!picture_) picture_ = makeBitmap(frozen_.width(), frozen_.height());
    Bitmap& b = *picture_;

    // Frame and caption bar.
    fill(b, frame_, kFace);
    edge(b, frame_, kFace, kDark);
    edge(b, inset(frame_, 1), kLight, kShadow);
    const Rect bar{frame_.left + kBorder, frame_.top + kBorder, frame_.right - kBorder,
                   frame_.top + kBorder + kCaptionHeight - 2};
    for (int32_t x = bar.left; x < bar.right; ++x) {
        const int32_t t = bar.right - bar.left > 1 ? (x - bar.left) * 255 / (bar.right - bar.left - 1) : 0;
        const Colour c{static_cast<uint8_t>(kCaptionLeft.r + (kCaptionRight.r - kCaptionLeft.r) * t / 255),
                       static_cast<uint8_t>(kCaptionLeft.g + (kCaptionRight.g - kCaptionLeft.g) * t / 255),
                       static_cast<uint8_t>(kCaptionLeft.b + (kCaptionRight.b - kCaptionLeft.b) * t / 255)};
        fill(b, {x, bar.top, x + 1, bar.bottom}, c);
    }
    static const std::unique_ptr<GameFont> captionFont = GameFont::create(-kFaceHeight, 1, faceName());
    drawText(b, *captionFont, bar.left + 4, bar.top + (bar.bottom - bar.top - kFaceHeight) / 2 - 1, "Save", kLight,
             bar);
    // The close box is drawn as every window has one; it does nothing here.
    const Rect close = closeBoxRect();
    fill(b, close, kFace);
    edge(b, close, kLight, kDark);
    edge(b, inset(close, 1), kFace, kShadow);
    for (int32_t d = 0; d < 7; ++d) {
        const int32_t cx = close.left + 4 + d;
        const int32_t cy = close.top + 3 + d;
        fill(b, {cx, cy, cx + 2, cy + 1}, kBlack);
        fill(b, {close.left + 10 - d, cy, close.left + 12 - d, cy + 1}, kBlack);
    }

    // The label: it may run past its own box to the dialog's edge rather than be cut short.
    const Rect label = client(7, 7, 138, 8);
    const Rect labelClip{label.left, label.top - 2, frame_.right - kBorder - 4, label.bottom + 2};
    drawText(b, *font_, label.left, label.top, labelText(), kBlack, labelClip);

    // The edit box, sunken, with the text, the composition (underlined) and the caret; the
    // text scrolls left when it would pass the right edge.
    const Rect editBox = editRect();
    fill(b, editBox, kLight);
    edge(b, editBox, kShadow, kLight);
    edge(b, inset(editBox, 1), kDark, kFace);
    const Rect inner = inset(editBox, 3);
    const std::string composing = utf8ToSjis(composition_);
    const int32_t typedWidth = textWidth(*font_, edit_.text());
    const int32_t caretOffset = typedWidth + textWidth(*font_, composing);
    const int32_t scroll = std::max(0, caretOffset + 1 - (inner.right - inner.left - 1));
    const int32_t textY = inner.top + (inner.bottom - inner.top - kFaceHeight) / 2;
    const int32_t x0 = inner.left + 1 - scroll;
    drawText(b, *font_, x0, textY, edit_.text(), kBlack, inner);
    if (!composing.empty()) {
        drawText(b, *font_, x0 + typedWidth, textY, composing, kBlack, inner);
        const int32_t underline = textY + kFaceHeight + 1;
        fill(b, {std::max(x0 + typedWidth, inner.left), underline, std::min(x0 + caretOffset, inner.right), underline + 1},
             kBlack);
    }
    const int32_t caretX = x0 + caretOffset;
    fill(b, {caretX, textY - 1, caretX + 1, textY + kFaceHeight + 1}, kBlack);

    // The OK button, the default one (dark outline).
    const Rect ok = okRect();
    fill(b, ok, kFace);
    edge(b, ok, kBlack, kBlack);
    edge(b, inset(ok, 1), kLight, kDark);
    edge(b, inset(ok, 2), kFace, kShadow);
    const int32_t okWidth = textWidth(*font_, "OK");
    drawText(b, *font_, ok.left + (ok.right - ok.left - okWidth) / 2, ok.top + (ok.bottom - ok.top - kFaceHeight) / 2,
             "OK", kBlack, ok);
}

namespace {

void present(const Bitmap& b) {
    presentFront(b.bits, b.width(), b.height(), b.stride(), 0, 0, b.width(), b.height());
}

} // namespace

std::string runCommentDialog(const std::function<void(const Message&)>& passOn) {
    // The picture the window shows now stays frozen under the dialog.
    const WindowPicture& shown = windowPicture();
    Bitmap frozen;
    frozen.create(shown.width, shown.height);
    if (!frozen.empty()) {
        const size_t rowBytes = std::min<size_t>(size_t(frozen.stride()), size_t(shown.stride));
        for (int32_t y = 0; y < frozen.height(); ++y)
            std::memcpy(frozen.bits + size_t(y) * frozen.stride(), shown.bits.data() + size_t(y) * shown.stride, rowBytes);
    }
    CommentDialog dialog(frozen);
    const Rect e = dialog.editRect();
    beginTextEntry(e.left, e.top, e.right - e.left, e.bottom - e.top);
    present(dialog.picture());

    bool closing = false;
    for (;;) {
        Message m;
        if (!peekMessage(m)) {
            // The window is going away and the process did not end with it: give up.
            if (closing) break;
            waitingOnlyForInput();
            if (!waitMessage(m)) continue;
        }
        if (m.kind == MessageKind::Destroy || m.kind == MessageKind::Quit) {
            closing = true;
            passOn(m);
            if (m.kind == MessageKind::Quit) break;
            continue;
        }
        if (dialog.handle(m)) break;
        present(dialog.picture());
    }
    endTextEntry();
    if (!frozen.empty()) present(frozen);
    invalidateWindow();
    return closing ? std::string() : dialog.comment();
}

} // namespace zre
