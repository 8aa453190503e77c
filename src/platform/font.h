#pragma once
// Outline fonts for the game's text: faces found by name through fontconfig (the Windows
// Japanese face names the scripts use map to the installed Mincho and Gothic fonts),
// rasterised by FreeType into 17-level grey coverage. A face whose name begins with "@"
// writes vertically: kanji and kana upright, punctuation and long-vowel marks in their
// vertical forms, Latin letters and other single-byte characters turned 90 degrees clockwise.
//
// Vertical glyphs are placed the way a font rotated by 270 degrees places them: the pen
// point lies on the turned baseline, which runs down the column; the column's cell spans
// x from pen.x - descent to pen.x - descent + lineHeight (the turned ascent on the right),
// y from pen.y to pen.y + lineHeight. Upright glyphs have their em box centred in that cell,
// so a kanji reports a negative originX (about -descent). Turned glyphs keep their baseline
// on pen.x. In both cases the black box's top-left lies at (pen.x + originX,
// pen.y - originY) in display coordinates (y down).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zre {

// The coverage picture of one character and where it sits relative to the pen.
struct GlyphCoverage {
    int32_t width = 0;        // black-box width in pixels (0 for a blank such as a space)
    int32_t height = 0;       // black-box height
    int32_t originX = 0;      // x of the black box's top-left relative to the pen (may be negative)
    int32_t originY = 0;      // y of the black box's top-left relative to the baseline, upwards positive
    // The pen's advance vector: (advance, 0) for a horizontal face; (0, advance down the
    // column) for a vertical ("@") face, as the cell increments of a rotated font are.
    int32_t cellIncX = 0;
    int32_t cellIncY = 0;
    // width * height coverage values, rows top to bottom, no padding; each value one of
    // 0, 16, 32, ..., 240, 255 (17 levels) unless another level count was asked for.
    std::vector<uint8_t> pixels;
};

class GameFont {
public:
    virtual ~GameFont() = default;

    // height as the scripts give it, as a Windows font height: positive = the character
    // cell height (ascent + descent), negative = the em height |height|, 0 = a 16-pixel
    // cell; magnitudes above 1000 are limited to 1000. flags bit 0: weight 600 (bold),
    // 0x10: italic; face: Shift JIS face name, "@" first for vertical writing. Never null:
    // a face that cannot be found falls back to an installed Japanese font, so text is
    // never silently missing.
    static std::unique_ptr<GameFont> create(int32_t height, uint32_t flags, std::string_view faceSjis);

    virtual bool vertical() const = 0;
    virtual int32_t ascent() const = 0;
    // The text extent of a Shift JIS string: advance width (sum of the characters'
    // horizontal advances, also for a vertical face, as a text extent ignores rotation)
    // and the font's line height.
    virtual void measure(std::string_view sjis, int32_t& cx, int32_t& cy) const = 0;
    // One character (one or two Shift JIS bytes) with 17 grey levels. False when it cannot
    // be rendered at all.
    virtual bool glyph(std::string_view sjisChar, GlyphCoverage& out) const = 0;
    // The same with `levels` grey levels (5, 17 or 65): level i becomes
    // min(255, i * 256 / (levels - 1)). False for any other level count.
    virtual bool glyph(std::string_view sjisChar, int levels, GlyphCoverage& out) const = 0;
    // The file and face the name resolved to (for notes and tests).
    virtual std::string resolvedFace() const = 0;
};

} // namespace zre
