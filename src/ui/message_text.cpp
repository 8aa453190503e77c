#include "ui/message_text.h"

#include <memory>

#include "graphics/game_font.h"
#include "platform/font.h"

namespace zre {

namespace {

// The window settings keep the face in 64 bytes with its terminator.
constexpr size_t kFaceBytes = 63;

// A full-width space: the extent a line break advances by before any character of the same
// call has been measured.
constexpr std::string_view kFullWidthSpace = "\x81\x40";

} // namespace

void MessageText::setStyle(int32_t size, uint32_t textColour, int32_t lineSpace, int32_t delayMs) {
    fontSize = size;
    colour = textColour;
    lfsp = lineSpace;
    waitMs = delayMs;
}

void MessageText::setFrame(std::string_view faceName, int32_t startX, int32_t startY, int32_t space,
                           int32_t widthLimit, int32_t heightLimit, int32_t verticalWriting) {
    face.assign(faceName.substr(0, kFaceBytes));
    x0 = startX;
    y0 = startY;
    sp = space;
    wlimit = widthLimit;
    hlimit = heightLimit;
    vertical = verticalWriting;
}

void MessageText::resetCursor() {
    x = x0;
    y = y0;
    count = 0;
    shownCount = 0;
}

void MessageText::setText(std::string_view newText) {
    // One font for the whole call.
    std::unique_ptr<GameFont> font = createGameFont(fontSize, uint32_t(fontFlags), face);
    if (replaceNext == 1) {
        if (count != 0 || !rects.empty()) clear();
        text.assign(newText);
        resetCursor();
    } else {
        // Appended: the pen goes on where it stopped.
        replaceNext = 1;
        text.append(newText);
    }
    const size_t more = size_t(sjisCharCount(newText));
    glyphs.reserve(glyphs.size() + more);
    masks.reserve(masks.size() + more);
    rects.reserve(rects.size() + more);

    int32_t cx = 0, cy = 0;
    if (font) font->measure(kFullWidthSpace, cx, cy);
    const bool down = vertical != 0;
    for (size_t i = 0; i < newText.size();) {
        if (newText[i] == '/' && i + 1 < newText.size() && newText[i + 1] == 'n') {
            // A line break: no glyph; the pen goes onto the limit so the advance wraps.
            if (down)
                y = hlimit;
            else
                x = wlimit;
            i += 2;
        } else {
            const size_t n = sjisCharLength(newText, i);
            if (font) appendGlyph(*font, colour, newText.substr(i, n), x, y, down, cx, cy);
            i += n;
        }
        if (!down) {
            x += sp + cx;
            if (x >= wlimit) {
                y += lfsp + cy;
                x = x0;
            }
        } else {
            y += sp + cy;
            if (y >= hlimit) {
                x -= lfsp + cx;  // columns run from right to left
                y = y0;
            }
        }
    }
}

void MessageText::relayout() {
    if (count == 0) return;
    const std::string page = text;
    const int32_t pending = replaceNext;
    replaceNext = 1;
    setText(page);
    replaceNext = pending;
    shownCount = count;
}

void MessageText::drawDirty(Layer& layer, const Rect& area) {
    if (visible) GlyphStrip::drawDirty(layer, area);
}

MessageText* messageTextOf(Screen& screen) { return dynamic_cast<MessageText*>(screen.messageText.get()); }

void attachMessageText(Screen& screen) { screen.messageText = std::make_unique<MessageText>(); }

} // namespace zre
