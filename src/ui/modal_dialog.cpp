#include "ui/modal_dialog.h"

#include <algorithm>
#include <cstring>

#include "platform/font.h"
#include "platform/sjis.h"
#include "platform/window.h"

namespace zre {

using namespace dialog_colour;

namespace {

constexpr DialogColour kCaptionLeft{10, 36, 106};
constexpr DialogColour kCaptionRight{166, 202, 240};

void present(const Bitmap& b) {
    presentFront(b.bits, b.width(), b.height(), b.stride(), 0, 0, b.width(), b.height());
}

} // namespace

const std::string& dialogFaceName() {
    static const std::string text = utf8ToSjis("ＭＳ Ｐゴシック");
    return text;
}

const GameFont& dialogFont() {
    static const std::unique_ptr<GameFont> font = GameFont::create(-kDialogFaceHeight, 0, dialogFaceName());
    return *font;
}

const GameFont& dialogCaptionFont() {
    static const std::unique_ptr<GameFont> font = GameFont::create(-kDialogFaceHeight, 1, dialogFaceName());
    return *font;
}

void fillRect(Bitmap& b, Rect r, DialogColour c) {
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

void drawEdge(Bitmap& b, const Rect& r, DialogColour topLeft, DialogColour bottomRight) {
    fillRect(b, {r.left, r.top, r.right, r.top + 1}, topLeft);
    fillRect(b, {r.left, r.top, r.left + 1, r.bottom}, topLeft);
    fillRect(b, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
    fillRect(b, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
}

int32_t drawDialogText(Bitmap& b, const GameFont& font, int32_t x, int32_t y, std::string_view sjis, DialogColour c,
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

int32_t dialogTextWidth(const GameFont& font, std::string_view sjis) {
    int32_t cx = 0;
    int32_t cy = 0;
    font.measure(sjis, cx, cy);
    return cx;
}

Rect dialogCloseBoxRect(const Rect& frame) {
    const int32_t right = frame.right - kDialogBorder - 2;
    const int32_t top = frame.top + kDialogBorder + 3;
    return {right - 16, top, right, top + 14};
}

void drawDialogFrame(Bitmap& b, const Rect& frame, std::string_view captionSjis, bool closeEnabled) {
    fillRect(b, frame, kFace);
    drawEdge(b, frame, kFace, kDark);
    drawEdge(b, insetRect(frame, 1), kLight, kShadow);
    const Rect bar{frame.left + kDialogBorder, frame.top + kDialogBorder, frame.right - kDialogBorder,
                   frame.top + kDialogBorder + kDialogCaptionHeight - 2};
    for (int32_t x = bar.left; x < bar.right; ++x) {
        const int32_t t = bar.right - bar.left > 1 ? (x - bar.left) * 255 / (bar.right - bar.left - 1) : 0;
        const DialogColour c{static_cast<uint8_t>(kCaptionLeft.r + (kCaptionRight.r - kCaptionLeft.r) * t / 255),
                             static_cast<uint8_t>(kCaptionLeft.g + (kCaptionRight.g - kCaptionLeft.g) * t / 255),
                             static_cast<uint8_t>(kCaptionLeft.b + (kCaptionRight.b - kCaptionLeft.b) * t / 255)};
        fillRect(b, {x, bar.top, x + 1, bar.bottom}, c);
    }
    const Rect close = dialogCloseBoxRect(frame);
    const Rect captionClip{bar.left, bar.top, close.left - 2, bar.bottom};
    drawDialogText(b, dialogCaptionFont(), bar.left + 4, bar.top + (bar.bottom - bar.top - kDialogFaceHeight) / 2 - 1,
                   captionSjis, kLight, captionClip);
    fillRect(b, close, kFace);
    drawEdge(b, close, kLight, kDark);
    drawEdge(b, insetRect(close, 1), kFace, kShadow);
    for (int32_t d = 0; d < 7; ++d) {
        const int32_t cx = close.left + 4 + d;
        const int32_t cy = close.top + 3 + d;
        if (!closeEnabled) {
            // Greyed the way a disabled control is: light below right, shadow on top.
            fillRect(b, {cx + 1, cy + 1, cx + 3, cy + 2}, kLight);
            fillRect(b, {close.left + 11 - d, cy + 1, close.left + 13 - d, cy + 2}, kLight);
        }
        const DialogColour ink = closeEnabled ? kBlack : kShadow;
        fillRect(b, {cx, cy, cx + 2, cy + 1}, ink);
        fillRect(b, {close.left + 10 - d, cy, close.left + 12 - d, cy + 1}, ink);
    }
}

void drawPushButton(Bitmap& b, const Rect& r, std::string_view labelSjis, bool isDefault, bool focused) {
    fillRect(b, r, kFace);
    Rect face = r;
    if (isDefault) {
        drawEdge(b, face, kBlack, kBlack);
        face = insetRect(face, 1);
    }
    drawEdge(b, face, kLight, kDark);
    drawEdge(b, insetRect(face, 1), kFace, kShadow);
    const GameFont& font = dialogFont();
    const int32_t width = dialogTextWidth(font, labelSjis);
    drawDialogText(b, font, r.left + (r.right - r.left - width) / 2, r.top + (r.bottom - r.top - kDialogFaceHeight) / 2,
                   labelSjis, kBlack, r);
    if (focused) {
        // Dotted, every other pixel, three pixels inside the button.
        const Rect f = insetRect(r, 4);
        for (int32_t x = f.left; x < f.right; x += 2) {
            fillRect(b, {x, f.top, x + 1, f.top + 1}, kBlack);
            fillRect(b, {x, f.bottom - 1, x + 1, f.bottom}, kBlack);
        }
        for (int32_t y = f.top; y < f.bottom; y += 2) {
            fillRect(b, {f.left, y, f.left + 1, y + 1}, kBlack);
            fillRect(b, {f.right - 1, y, f.right, y + 1}, kBlack);
        }
    }
}

Rect centredDialogFrame(const Bitmap& picture, int32_t clientWidth, int32_t clientHeight) {
    const int32_t w = clientWidth + 2 * kDialogBorder;
    const int32_t h = clientHeight + kDialogCaptionHeight + 2 * kDialogBorder;
    const int32_t left = (picture.width() - w) / 2;
    const int32_t top = (picture.height() - h) / 2;
    return {left, top, left + w, top + h};
}

ModalDialog::~ModalDialog() = default;

const Bitmap& ModalDialog::picture() {
    if (dirty_ || !picture_) {
        dirty_ = false;
        if (!picture_) picture_ = frozen_.clone();
        if (!picture_) picture_ = makeBitmap(frozen_.width(), frozen_.height());
        draw(*picture_);
    }
    return *picture_;
}

std::unique_ptr<Bitmap> captureWindowPicture() {
    const WindowPicture& shown = windowPicture();
    auto picture = makeBitmap(shown.width, shown.height);
    if (picture && !picture->empty()) {
        const size_t rowBytes = std::min<size_t>(size_t(picture->stride()), size_t(shown.stride));
        for (int32_t y = 0; y < picture->height(); ++y)
            std::memcpy(picture->bits + size_t(y) * picture->stride(), shown.bits.data() + size_t(y) * shown.stride,
                        rowBytes);
    }
    if (!picture) picture = std::make_unique<Bitmap>();
    return picture;
}

bool runModalDialog(ModalDialog& dialog, const Bitmap& restore, const std::function<void(const Message&)>& passOn) {
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
    if (!restore.empty()) present(restore);
    invalidateWindow();
    return !closing;
}

} // namespace zre
