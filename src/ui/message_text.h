#pragma once
// The message text of a Screen: the glyphs of the current page, laid out inside the message
// window in lines (horizontal writing) or in columns running from right to left (vertical
// writing), wrapped at the limits, replaced or appended to page by page. The compositor draws
// it over every picture layer whenever it composes an area (TextOverlay).
//
// All coordinates are those of the 800 x 600 composed picture.
#include <cstdint>
#include <string>
#include <string_view>

#include "graphics/screen.h"
#include "ui/glyph_strip.h"

namespace zre {

class MessageText : public GlyphStrip, public TextOverlay {
public:
    MessageText() = default;

    void setStyle(int32_t fontSize, uint32_t colour, int32_t lfsp, int32_t waitMs);
    // The face is copied (at most 63 bytes, as the window settings keep it).
    void setFrame(std::string_view face, int32_t x0, int32_t y0, int32_t sp, int32_t wlimit, int32_t hlimit,
                  int32_t vertical);

    // Lays out a new page (replaceNext 1) or appends to the page (replaceNext 0, which is
    // then set back to 1). "/n" breaks the line (the column, in vertical writing) and makes
    // no glyph. Nothing is drawn here.
    //
    // A line break advances by the extent of the last character measured in the same call.
    // Before any character has been measured that extent is the one of a full-width space
    // in the page's font: one line height down (or one column width left), the same step a
    // line of full-width text takes.
    void setText(std::string_view newText);
    // Lays the page out again from (x0, y0) with the current settings (after a change of
    // direction or frame); shownCount becomes count. Nothing happens on an empty page.
    void relayout();
    void resetCursor();

    // TextOverlay: the glyphs meeting the composed area, while the text is visible.
    void drawDirty(Layer& layer, const Rect& area) override;
    void setVisible(bool value) override { visible = value ? 1 : 0; }

    int32_t getShownCount() const { return shownCount; }
    int32_t getReplaceNext() const { return replaceNext; }
    int32_t getVisible() const { return visible; }

    std::string face;               // font face; "@" first for vertical glyphs
    std::string text;               // the whole text of the current page
    int32_t fontSize = 0;
    uint32_t colour = 0;            // 0x00BBGGRR
    int32_t fontFlags = 1;          // weight 600
    int32_t vertical = 0;
    int32_t x0 = 0, y0 = 0;         // start of the first line or column
    int32_t x = 0, y = 0;           // pen position of the next character
    int32_t wlimit = 0;             // horizontal: a line wraps once x reaches this
    int32_t hlimit = 0;             // vertical: a column wraps once y reaches this
    int32_t sp = 0;                 // extra space between characters
    int32_t lfsp = 0;               // extra space between lines or columns
    int32_t waitMs = 0;             // typing delay per character
    int32_t replaceNext = 1;        // 1: the next text starts a new page; 0: it is appended
    int32_t shownCount = 0;         // glyph most recently revealed by typing
    int32_t visible = 1;            // glyphs are drawn when the screen composes
};

// The message text of a screen, or null when it has none.
MessageText* messageTextOf(Screen& screen);
// Gives the screen a fresh, empty message text (every Screen owns one).
void attachMessageText(Screen& screen);

} // namespace zre
