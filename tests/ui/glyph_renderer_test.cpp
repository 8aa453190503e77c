#include "ui/glyph_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "graphics/game_font.h"
#include "graphics/pixel_ops.h"
#include "platform/png_io.h"
#include "platform/sjis.h"
#include "support/test_support.h"

namespace zre {
namespace {

const char* const kKan = "\x8A\xBF";   // kanji kan
const char* const kGothic = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";
const char* const kMincho = "\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9";
// "Kanji to kana, katakana. ABC (gy)" with the long-vowel mark and brackets.
const char* const kLine =
    "\x8A\xBF\x8E\x9A\x82\xC6\x82\xA9\x82\xC8\x81\x41\x83\x4A\x83\x5E\x83\x4A\x83\x69\x81\x42"
    "\x81\x75\x83\x52\x81\x5B\x83\x68\x81\x76" "ABC(gy)\x81\x63\x81\x49";

// Every pixel grey (three equal channels); returns the grey at (x, y).
int greyAt(const Bitmap& b, int32_t x, int32_t y) {
    const uint8_t* p = b.pixel(x, y);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
    return p[0];
}

// The coverage must appear with its top-left at (left, top) and nothing else be drawn.
void expectDrawnAt(const Bitmap& mask, const GlyphCoverage& g, int32_t left, int32_t top) {
    for (int32_t y = 0; y < mask.height(); ++y) {
        for (int32_t x = 0; x < mask.width(); ++x) {
            int want = 0;
            if (x >= left && x < left + g.width && y >= top && y < top + g.height) {
                want = g.pixels[size_t(y - top) * g.width + size_t(x - left)];
            }
            ASSERT_EQ(greyAt(mask, x, y), want) << x << "," << y;
        }
    }
}

TEST(GlyphRenderer, HorizontalGlyphSitsBelowTheAscent) {
    auto font = createGameFont(24, 1, kGothic);
    GlyphCoverage g;
    ASSERT_TRUE(font->glyph(kKan, g));
    auto mask = makeBitmap(32, 24);
    int32_t ox = 99, oy = 99;
    int32_t pen = renderGlyphs(*font, *mask, 0, 0, kKan, kGlyphLevels17, ox, oy, false);
    EXPECT_EQ(pen, g.cellIncX);
    EXPECT_EQ(ox, g.originX);
    EXPECT_EQ(oy, font->ascent() - g.originY);
    EXPECT_GE(oy, 0);
    expectDrawnAt(*mask, g, ox, oy);

    // From another pen position the same picture moves along.
    auto moved = makeBitmap(48, 40);
    pen = renderGlyphs(*font, *moved, 10, 7, kKan, kGlyphLevels17, ox, oy, false);
    EXPECT_EQ(pen, 10 + g.cellIncX);
    expectDrawnAt(*moved, g, 10 + ox, 7 + oy);
}

TEST(GlyphRenderer, VerticalGlyphWithNegativeOriginIsDrawnAtThePen) {
    auto font = createGameFont(24, 1, std::string("@") + kMincho);
    GlyphCoverage g;
    ASSERT_TRUE(font->glyph(kKan, g));
    ASSERT_LT(g.originX, 0);
    auto mask = makeBitmap(24, 24);
    int32_t ox = 0, oy = 0;
    int32_t pen = renderGlyphs(*font, *mask, 0, 0, kKan, kGlyphLevels17, ox, oy, true);
    EXPECT_EQ(pen, 0);   // a rotated font advances down the column, not across
    EXPECT_EQ(ox, g.originX);
    EXPECT_EQ(oy, -g.originY);
    EXPECT_GE(oy, 0);
    expectDrawnAt(*mask, g, 0, 0);

    // A vertical glyph with a non-negative origin (the comma in the upper right) is drawn
    // at its offset inside the mask.
    GlyphCoverage comma;
    ASSERT_TRUE(font->glyph("\x81\x41", comma));
    ASSERT_GE(comma.originX, 0);
    auto commaMask = makeBitmap(24, 24);
    renderGlyphs(*font, *commaMask, 0, 0, "\x81\x41", kGlyphLevels17, ox, oy, true);
    expectDrawnAt(*commaMask, comma, ox, oy);
}

TEST(GlyphRenderer, BlanksOnlyAdvanceAndKeepTheOffsets) {
    auto font = createGameFont(24, 0, kGothic);
    auto mask = makeBitmap(32, 24);
    int32_t ox = 5, oy = 6;
    EXPECT_EQ(renderGlyphs(*font, *mask, 3, 0, " ", kGlyphLevels17, ox, oy, false), 15);
    EXPECT_EQ(renderGlyphs(*font, *mask, 3, 0, "\x81\x40", kGlyphLevels17, ox, oy, false), 27);
    EXPECT_EQ(ox, 5);
    EXPECT_EQ(oy, 6);
    for (size_t i = 0; i < mask->byteCount(); ++i) ASSERT_EQ(mask->bits[i], 0);
}

TEST(GlyphRenderer, StringsAdvanceAndStopAtTheEnd) {
    auto font = createGameFont(20, 0, kMincho);
    auto mask = makeBitmap(200, 20);
    int32_t ox = 0, oy = 0, cx = 0, cy = 0;
    const std::string text = std::string(kKan) + "Ag " + kKan;
    font->measure(text, cx, cy);
    EXPECT_EQ(renderGlyphs(*font, *mask, 4, 0, text, kGlyphLevels17, ox, oy, false), 4 + cx);
    // A NUL ends the text as it ends a C string; a lone lead byte at the end is one byte.
    EXPECT_EQ(renderGlyphs(*font, *mask, 0, 0, std::string("A\0A", 3), kGlyphLevels17, ox, oy, false),
              renderGlyphs(*font, *mask, 0, 0, "A", kGlyphLevels17, ox, oy, false));
    renderGlyphs(*font, *mask, 0, 0, "A\x8A", kGlyphLevels17, ox, oy, false);
    // An unknown level format draws nothing and does not move the pen.
    auto clean = makeBitmap(32, 20);
    EXPECT_EQ(renderGlyphs(*font, *clean, 2, 0, kKan, 3, ox, oy, false), 2);
    for (size_t i = 0; i < clean->byteCount(); ++i) ASSERT_EQ(clean->bits[i], 0);
}

TEST(GlyphRenderer, LevelFormatsSetTheGreys) {
    auto font = createGameFont(24, 0, kMincho);
    struct Case {
        int format;
        int step;
    };
    for (const auto& c : {Case{kGlyphLevels5, 64}, Case{kGlyphLevels17, 16}, Case{kGlyphLevels65, 4}}) {
        auto mask = makeBitmap(24, 24);
        int32_t ox = 0, oy = 0;
        renderGlyphs(*font, *mask, 0, 0, kKan, c.format, ox, oy, false);
        std::vector<bool> seen(256);
        for (int32_t y = 0; y < 24; ++y) {
            for (int32_t x = 0; x < 24; ++x) seen[greyAt(*mask, x, y)] = true;
        }
        for (int v = 0; v < 256; ++v) {
            if (seen[v]) {
                EXPECT_TRUE(v == 255 || v % c.step == 0) << c.format << ": " << v;
            }
        }
        EXPECT_TRUE(seen[255]) << c.format;
    }
}

TEST(GlyphRenderer, ClipsToTheMask) {
    auto font = createGameFont(40, 1, kGothic);
    GlyphCoverage g;
    ASSERT_TRUE(font->glyph(kKan, g));
    for (int32_t x : {-30, -5, 20, 60}) {
        for (int32_t y : {-30, -5, 10, 60}) {
            auto mask = makeBitmap(24, 16);
            int32_t ox = 0, oy = 0;
            EXPECT_EQ(renderGlyphs(*font, *mask, x, y, kKan, kGlyphLevels17, ox, oy, false), x + g.cellIncX);
            expectDrawnAt(*mask, g, x + ox, y + oy);
        }
    }
    Bitmap empty;
    int32_t ox = 0, oy = 0;
    EXPECT_EQ(renderGlyphs(*font, empty, 0, 0, kKan, kGlyphLevels17, ox, oy, false), g.cellIncX);
}

TEST(GameFont, FaceNamesAreCutAtThirtyOneBytes) {
    // 31 bytes of an unknown name, then a Windows face name that would otherwise match.
    std::string longName(31, 'x');
    auto cut = createGameFont(24, 0, longName + "MS Mincho");
    auto plain = createGameFont(24, 0, longName);
    EXPECT_EQ(cut->resolvedFace(), plain->resolvedFace());
    EXPECT_EQ(createGameFont(24, 0, "MS Mincho")->resolvedFace().rfind("IPAMincho ", 0), 0u);
    EXPECT_TRUE(createGameFont(24, 0, "@MS Mincho")->vertical());
    // Only the weight and italic bits count.
    EXPECT_EQ(createGameFont(24, 0xFFFFFFEEu, kGothic)->resolvedFace(), createGameFont(24, 0, kGothic)->resolvedFace());
    EXPECT_NE(createGameFont(24, 0x11, kGothic)->resolvedFace().find("+bold +italic"), std::string::npos);
}

// Lays a line out the way the message text does (one glyph per character, mask width the
// extent rounded up to 8, the rectangle moved for vertical glyphs with a negative origin)
// and composes it white on a dark page; returns the glyph rectangles.
struct Rect4 {
    int32_t left, top, right, bottom;
};
std::vector<Rect4> composeLine(Bitmap& page, const GameFont& font, std::string_view text, int32_t x, int32_t y,
                               bool vertical) {
    std::vector<Rect4> rects;
    for (size_t i = 0; i < text.size();) {
        size_t n = isLeadByteAt(text, i) ? 2 : 1;
        std::string_view ch = text.substr(i, n);
        i += n;
        int32_t cx = 0, cy = 0;
        font.measure(ch, cx, cy);
        int32_t w = (cx + 7) & ~7;
        auto colour = makeBitmap(w, cy);
        auto mask = makeBitmap(w, cy);
        fillBitmap(*colour, 0xFFFFFF);
        int32_t ox = 0, oy = 0;
        renderGlyphs(font, *mask, 0, 0, ch, kGlyphLevels17, ox, oy, vertical);
        Rect4 r{x, y, x + w, y + cy};
        if (vertical && ox < 0) r = {x + ox, y + oy, x + ox + w, y + oy + cy};
        rects.push_back(r);
        auto under = page.crop(r.left, r.top, r.right, r.bottom);
        blendMasked(*under, *colour, *mask);
        blitBitmap(page, *under, r.left, r.top, w, cy);
        if (vertical) {
            y += cy;
        } else {
            x += cx;
        }
    }
    return rects;
}

TEST(GlyphRenderer, RendersAReadableLine) {
    auto horizontal = createGameFont(24, 1, kMincho);
    auto vertical = createGameFont(24, 1, std::string("@") + kMincho);
    auto page = makeBitmap(800, 600);
    fillBitmap(*page, 0x402010);
    auto across = composeLine(*page, *horizontal, kLine, 8, 8, false);
    auto down = composeLine(*page, *vertical, kLine, 760, 40, true);
    // Kept in the build folder for a look at the text.
    std::vector<uint8_t> png;
    ASSERT_TRUE(encodePngBgr(page->bits, page->width(), page->height(), page->stride(), png));
    test::writeFile(std::string(ZRE_BINARY_DIR) + "/glyph_renderer_line.png", png);

    // Horizontal glyphs follow each other on one line; vertical ones stack in one column,
    // their ink inside the column's cell (the emboldened ink one pixel wider).
    for (size_t i = 1; i < across.size(); ++i) EXPECT_GT(across[i].left, across[i - 1].left);
    for (size_t i = 1; i < down.size(); ++i) EXPECT_GT(down[i].top, down[i - 1].top) << i;
    const int32_t descent = 24 - vertical->ascent();
    EXPECT_LT(across.back().right, 700);
    for (int32_t y = 0; y < page->height(); ++y) {
        for (int32_t x = 700; x < page->width(); ++x) {
            const uint8_t* p = page->pixel(x, y);
            if (p[1] < 0x60) continue;   // the page, a little darker where a mask blend touched it
            ASSERT_GE(x, 760 - descent - 1) << y;
            ASSERT_LT(x, 760 - descent + 24 + 1) << y;
        }
    }
    // The page keeps the look of text: white ink, antialiased edges.
    int full = 0, edge = 0;
    for (int32_t y = 0; y < page->height(); ++y) {
        for (int32_t x = 0; x < page->width(); ++x) {
            const uint8_t* p = page->pixel(x, y);
            full += p[0] >= 0xF0 && p[1] >= 0xF0 && p[2] >= 0xF0;
            edge += p[0] > 0x50 && p[0] < 0xE0;
        }
    }
    EXPECT_GT(full, 500);
    EXPECT_GT(edge, 500);
}

} // namespace
} // namespace zre
