#include "ui/glyph_renderer.h"

#include <algorithm>

#include "platform/sjis.h"

namespace zre {

namespace {

int levelsOf(int levelFormat) {
    switch (levelFormat) {
    case kGlyphLevels5: return 5;
    case kGlyphLevels17: return 17;
    case kGlyphLevels65: return 65;
    default: return 0;
    }
}

// Copies the coverage with its top-left at (left, top), every byte of a pixel the same grey.
void drawCoverage(Bitmap& mask, const GlyphCoverage& g, int32_t left, int32_t top) {
    if (mask.empty()) return;
    int64_t x0 = std::max<int64_t>(left, 0);
    int64_t y0 = std::max<int64_t>(top, 0);
    int64_t x1 = std::min<int64_t>(int64_t(left) + g.width, mask.width());
    int64_t y1 = std::min<int64_t>(int64_t(top) + g.height, mask.height());
    if (x0 >= x1 || y0 >= y1) return;
    for (int64_t y = y0; y < y1; ++y) {
        const uint8_t* src = g.pixels.data() + size_t(y - top) * size_t(g.width) + size_t(x0 - left);
        uint8_t* dst = mask.pixel(int32_t(x0), int32_t(y));
        for (int64_t x = x0; x < x1; ++x, ++src, dst += 3) dst[0] = dst[1] = dst[2] = *src;
    }
}

} // namespace

int32_t renderGlyphs(const GameFont& font, Bitmap& mask, int32_t x, int32_t y, std::string_view text,
                     int levelFormat, int32_t& ox, int32_t& oy, bool vertical) {
    int levels = levelsOf(levelFormat);
    if (levels == 0) return x;
    GlyphCoverage g;
    for (size_t i = 0; i < text.size() && text[i] != '\0';) {
        size_t n = isLeadByteAt(text, i) ? 2 : 1;
        std::string_view ch = text.substr(i, n);
        i += n;
        if (!font.glyph(ch, levels, g)) break;
        if (g.width > 0 && g.height > 0 && g.pixels.size() >= size_t(g.width) * size_t(g.height)) {
            ox = g.originX;
            oy = vertical ? -g.originY : font.ascent() - g.originY;
            if (vertical && ox < 0) {
                drawCoverage(mask, g, x, y);
            } else {
                drawCoverage(mask, g, x + ox, y + oy);
            }
        }
        x += g.cellIncX;
        y += g.cellIncY;
    }
    return x;
}

} // namespace zre
