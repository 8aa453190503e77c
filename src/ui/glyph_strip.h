#pragma once
// A row of glyphs: one small picture per character (a colour bitmap filled with the text
// colour, a grey-level mask holding the character's coverage) and the rectangle where it
// sits on the layer it is drawn onto. Used as it is for the one-line labels of choices and
// system screens, and as the base of the message text.
//
// Glyphs are made once (per page or per label) and kept; drawing only blends what exists.
// Glyph widths are rounded up to a multiple of 8 pixels so every row of a glyph is a whole
// number of the 8-byte groups the blends work in.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/layer.h"
#include "graphics/rect.h"

namespace zre {

// "ＭＳ 明朝" (Shift JIS), the face the system screens write their labels in.
inline constexpr char kSystemMinchoFace[] = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";

class GameFont;

// The byte length of the character starting at text[i]: 2 for a Shift JIS lead byte with a
// valid trail byte after it, else 1.
size_t sjisCharLength(std::string_view text, size_t i);
// Characters in text, a double-byte character counting as one.
int32_t sjisCharCount(std::string_view text);

class GlyphStrip {
public:
    GlyphStrip() = default;
    virtual ~GlyphStrip() = default;
    GlyphStrip(const GlyphStrip&) = delete;
    GlyphStrip& operator=(const GlyphStrip&) = delete;

    // Destroys every glyph and mask and empties the strip.
    virtual void clear();

    // Clears the strip and makes one glyph per character of text from (x, y); after each
    // character x advances by its extent cx (vertical: y by cy). No spacing, no wrapping,
    // no escapes.
    void buildLine(const GameFont& font, uint32_t colour, std::string_view text, int32_t x, int32_t y,
                   bool vertical);
    // The text extent of the whole string in that font.
    static void measure(const GameFont& font, std::string_view text, int32_t& cx, int32_t& cy);

    // Rectangle of glyph i; empty for an index outside the strip.
    Rect glyphRect(int32_t i) const;
    // Union of the rectangles of glyphs i .. count - 1 (empty when i >= count).
    Rect rectFrom(int32_t i) const;

    // Blends glyph i through its mask into the layer's picture; the glyph's mask also goes
    // into the layer's mask (m * m + old * (255 - m)) >> 8, so the text stays opaque where
    // the layer's own mask is not. Nothing happens when the layer has no picture.
    void drawGlyph(Layer& layer, int32_t i) const;
    void drawAll(Layer& layer) const;
    // Every glyph whose rectangle meets area, drawn whole (the message text adds its visible
    // flag in front of this).
    void drawDirty(Layer& layer, const Rect& area) const;

    // A new layer holding the glyph pictures side by side (each at the running sum of the
    // widths before it) and their masks in the same places, the size of the union of the
    // glyph rectangles, shown at that union.
    std::unique_ptr<Layer> toLayer() const;

    int32_t glyphCount() const { return count; }

    std::vector<std::unique_ptr<Bitmap>> glyphs;  // colour bitmaps (null: nothing to draw)
    std::vector<std::unique_ptr<Bitmap>> masks;   // coverage, 0 transparent .. 255 opaque
    std::vector<Rect> rects;                      // in the coordinates of the target layer
    int32_t count = 0;                            // glyphs in use; the arrays hold this many

protected:
    // Makes the glyph of one character at (x, y) and appends it; reports the character's
    // extent. An empty character makes nothing and returns false.
    bool appendGlyph(const GameFont& font, uint32_t colour, std::string_view character, int32_t x, int32_t y,
                     bool vertical, int32_t& cx, int32_t& cy);
};

} // namespace zre
