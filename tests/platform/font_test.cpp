#include "platform/font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/font_match.h"

namespace zre {
namespace {

// Shift JIS texts.
const char* const kA = "\x82\xA0";          // hiragana a
const char* const kKan = "\x8A\xBF";        // kanji kan
const char* const kComma = "\x81\x41";      // ideographic comma
const char* const kChoon = "\x81\x5B";      // long-vowel mark
const char* const kIdeoSpace = "\x81\x40";  // full-width space
const char* const kGothic = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";   // MS Gothic, full-width
const char* const kMincho = "\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9";                   // MS Mincho, full-width

int64_t inkSum(const GlyphCoverage& g) {
    int64_t s = 0;
    for (uint8_t v : g.pixels) s += v;
    return s;
}

GlyphCoverage glyphOf(const GameFont& font, std::string_view ch) {
    GlyphCoverage g;
    EXPECT_TRUE(font.glyph(ch, g)) << ch;
    EXPECT_EQ(g.pixels.size(), size_t(g.width) * size_t(g.height));
    return g;
}

TEST(FontMatch, WindowsJapaneseFacesMapToIpaFonts) {
    struct Case {
        const char* face;
        const char* family;
    };
    const Case cases[] = {
        {kMincho, "IPAMincho"},
        {"\x82\x6C\x82\x72\x96\xBE\x92\xA9", "IPAMincho"},                  // no space
        {"\x82\x6C\x82\x72\x81\x40\x96\xBE\x92\xA9", "IPAMincho"},          // full-width space
        {"\x82\x6C\x82\x72\x20\x82\x6F\x96\xBE\x92\xA9", "IPAPMincho"},     // P Mincho
        {"MS Mincho", "IPAMincho"},
        {"ms pmincho", "IPAPMincho"},
        {"@MS Mincho", "IPAMincho"},
        {kGothic, "IPAGothic"},
        {"\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", "IPAPGothic"},
        {"\x82\x6C\x82\x72\x20\x82\x6F\x82\x66\x82\x8F\x82\x94\x82\x88\x82\x89\x82\x83", "IPAPGothic"},
        {"MS Gothic", "IPAGothic"},
        {"MSPGothic", "IPAPGothic"},
        {"IPA\x96\xBE\x92\xA9", "IPAMincho"},   // an installed Japanese face by its Japanese name
        // Installed but without Japanese, or not installed at all: a Japanese stand-in.
        {"DejaVu Sans", "IPAGothic"},
        {"No Such Face", "IPAGothic"},
        {"", "IPAGothic"},
    };
    for (const auto& c : cases) {
        auto font = GameFont::create(24, 0, c.face);
        ASSERT_NE(font, nullptr);
        std::string resolved = font->resolvedFace();
        EXPECT_EQ(resolved.rfind(std::string(c.family) + " ", 0), 0u) << c.face << " -> " << resolved;
        EXPECT_EQ(font->vertical(), c.face[0] == '@') << c.face;
        GlyphCoverage g;
        ASSERT_TRUE(font->glyph(kKan, g)) << c.face;
        EXPECT_GT(inkSum(g), 0) << c.face;
    }
    EXPECT_EQ(fontmatch::classifyWindowsFace("MS UI Gothic"), fontmatch::WindowsFace::PGothic);
    EXPECT_EQ(fontmatch::classifyWindowsFace("MS Minchoo"), fontmatch::WindowsFace::None);
}

TEST(Font, CoverageHasSeventeenLevels) {
    auto regular = GameFont::create(24, 0, kMincho);
    auto bold = GameFont::create(24, 1, kGothic);
    auto vertical = GameFont::create(24, 1, std::string("@") + kMincho);
    const std::vector<uint8_t> allowed = {0, 16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 192, 208, 224, 240, 255};
    for (const GameFont* font : {regular.get(), bold.get(), vertical.get()}) {
        for (const char* ch : {kKan, kA, kComma, "A", "g", "\x87\x40"}) {
            GlyphCoverage g = glyphOf(*font, ch);
            ASSERT_GT(g.width, 0) << ch;
            bool edge = false;
            for (uint8_t v : g.pixels) {
                ASSERT_TRUE(std::binary_search(allowed.begin(), allowed.end(), v)) << int(v);
                edge = edge || (v != 0 && v != 255);
            }
            EXPECT_TRUE(edge) << "antialiased edges expected for " << ch;
        }
    }
    struct Levels {
        int levels;
        std::vector<uint8_t> values;
    };
    std::vector<uint8_t> sixtyFive;
    for (int i = 0; i <= 64; ++i) sixtyFive.push_back(uint8_t(std::min(255, i * 4)));
    for (const auto& l : {Levels{5, {0, 64, 128, 192, 255}}, Levels{65, sixtyFive}}) {
        GlyphCoverage g;
        ASSERT_TRUE(regular->glyph(kKan, l.levels, g));
        for (uint8_t v : g.pixels) ASSERT_TRUE(std::binary_search(l.values.begin(), l.values.end(), v)) << int(v);
    }
    GlyphCoverage g;
    EXPECT_FALSE(regular->glyph(kKan, 16, g));
    EXPECT_FALSE(regular->glyph("", g));
}

TEST(Font, MetricsFollowTheWindowsHeight) {
    // The IPA fonts' cell equals their em, so cell height 24 and em height 24 agree.
    for (int32_t height : {24, -24}) {
        auto font = GameFont::create(height, 0, kMincho);
        int32_t cx = 0, cy = 0;
        font->measure(kA, cx, cy);
        EXPECT_EQ(cx, 24) << height;
        EXPECT_EQ(cy, 24) << height;
        EXPECT_EQ(font->ascent(), 21) << height;
        font->measure("A", cx, cy);
        EXPECT_EQ(cx, 12) << height;
    }
    // A face whose cell is taller than its em gets a smaller em for a positive height.
    auto droid = GameFont::create(30, 0, "Droid Sans Fallback");
    if (droid->resolvedFace().rfind("Droid", 0) == 0) {
        int32_t cx = 0, cy = 0;
        droid->measure(kKan, cx, cy);
        EXPECT_NEAR(cy, 30, 1);
        EXPECT_LT(cx, 26);
    }
    // Absurd heights are limited instead of asking for gigantic glyphs.
    auto huge = GameFont::create(1 << 30, 0, kGothic);
    int32_t cx = 0, cy = 0;
    huge->measure(kA, cx, cy);
    EXPECT_EQ(cy, 1000);
}

TEST(Font, MeasureAddsTheAdvancesOfTheCharacters) {
    const std::string text = std::string(kKan) + "Ag" + kA + " " + kIdeoSpace + "\xB1";   // half-width katakana last
    for (uint32_t flags : {0u, 1u, 0x10u}) {
        auto font = GameFont::create(22, flags, "\x82\x6C\x82\x72\x20\x82\x6F\x96\xBE\x92\xA9");
        int32_t sum = 0;
        for (size_t i = 0; i < text.size();) {
            size_t n = (uint8_t(text[i]) >= 0x81 && uint8_t(text[i]) <= 0x9F) ? 2 : 1;
            GlyphCoverage g = glyphOf(*font, text.substr(i, n));
            EXPECT_EQ(g.cellIncY, 0);
            sum += g.cellIncX;
            i += n;
        }
        int32_t cx = 0, cy = 0;
        font->measure(text, cx, cy);
        EXPECT_EQ(cx, sum) << flags;
        EXPECT_EQ(cy, 22);
        font->measure("", cx, cy);
        EXPECT_EQ(cx, 0);
        EXPECT_EQ(cy, 22);
    }
}

TEST(Font, BlanksHaveNoCoverageButAdvance) {
    auto font = GameFont::create(24, 1, kGothic);
    auto vertical = GameFont::create(24, 1, std::string("@") + kGothic);
    struct Case {
        const char* ch;
        int32_t advance;
    };
    for (const auto& c : {Case{" ", 12}, Case{kIdeoSpace, 24}}) {
        GlyphCoverage g = glyphOf(*font, c.ch);
        EXPECT_EQ(g.width * g.height, 0);
        EXPECT_TRUE(g.pixels.empty());
        EXPECT_EQ(g.cellIncX, c.advance + 1);   // emboldening adds a pixel
        GlyphCoverage v = glyphOf(*vertical, c.ch);
        EXPECT_TRUE(v.pixels.empty());
        EXPECT_EQ(v.cellIncX, 0);
        EXPECT_GT(v.cellIncY, 0);
    }
}

TEST(Font, BoldIsWiderAndDarker) {
    auto regular = GameFont::create(24, 0, kGothic);
    auto bold = GameFont::create(24, 1, kGothic);
    EXPECT_NE(bold->resolvedFace().find("+bold"), std::string::npos);
    for (const char* ch : {kKan, "l", "A"}) {
        GlyphCoverage r = glyphOf(*regular, ch);
        GlyphCoverage b = glyphOf(*bold, ch);
        EXPECT_GT(b.width, r.width) << ch;
        EXPECT_EQ(b.height, r.height) << ch;
        EXPECT_EQ(b.originX, r.originX) << ch;
        EXPECT_GT(inkSum(b), inkSum(r) * 11 / 10) << ch;
        EXPECT_EQ(b.cellIncX, r.cellIncX + 1) << ch;
    }
}

TEST(Font, ItalicLeansToTheRight) {
    auto regular = GameFont::create(32, 0, "MS Gothic");
    auto italic = GameFont::create(32, 0x10, "MS Gothic");
    EXPECT_NE(italic->resolvedFace().find("+italic"), std::string::npos);
    // The stroke of "l" is upright in the regular face and leans by a fifth of its
    // height in the italic one: its left edge moves right from the bottom row to the top.
    auto leftEdge = [](const GlyphCoverage& g, int32_t row) {
        for (int32_t c = 0; c < g.width; ++c) {
            if (g.pixels[size_t(row) * g.width + c] >= 128) return g.originX + c;
        }
        return g.originX + g.width;
    };
    GlyphCoverage r = glyphOf(*regular, "l");
    GlyphCoverage i = glyphOf(*italic, "l");
    EXPECT_LE(std::abs(leftEdge(r, 2) - leftEdge(r, r.height - 3)), 1);
    EXPECT_GE(leftEdge(i, 2) - leftEdge(i, i.height - 3), (i.height - 5) / 5 - 1);
    EXPECT_LE(std::abs(leftEdge(i, i.height - 3) - leftEdge(r, r.height - 3)), 1);   // it turns about the baseline
}

TEST(Font, ShiftJisExtensionsOfCodePage932) {
    auto font = GameFont::create(24, 0, kMincho);
    // NEC row 13 (circled one), NEC-selected IBM extension, IBM extension (small roman one
    // and a kanji).
    for (const char* ch : {"\x87\x40", "\xED\x40", "\xFA\x40", "\xFA\x5C"}) {
        GlyphCoverage g = glyphOf(*font, ch);
        EXPECT_GT(inkSum(g), 0) << ch;
    }
    // The NEC-selected and the IBM code of the same kanji are the same glyph.
    GlyphCoverage nec = glyphOf(*font, "\xED\x40");
    GlyphCoverage ibm = glyphOf(*font, "\xFA\x5C");
    EXPECT_EQ(nec.pixels, ibm.pixels);
    // A half-width katakana is half an em wide.
    EXPECT_EQ(glyphOf(*font, "\xB1").cellIncX, 12);
}

// Where a vertical glyph's black box lands relative to the pen, display coordinates.
struct Placed {
    int32_t left, top, right, bottom;
};
Placed placeVertical(const GlyphCoverage& g) {
    int32_t left = g.originX, top = -g.originY;
    return {left, top, left + g.width, top + g.height};
}

TEST(Font, VerticalFacesStandKanjiUpright) {
    for (uint32_t bold : {0u, 1u}) {
        auto horizontal = GameFont::create(24, bold, kMincho);
        auto vertical = GameFont::create(24, bold, std::string("@") + kMincho);
        ASSERT_TRUE(vertical->vertical());
        const int32_t descent = 24 - vertical->ascent();
        for (const char* ch : {kKan, kA}) {
            GlyphCoverage h = glyphOf(*horizontal, ch);
            GlyphCoverage v = glyphOf(*vertical, ch);
            EXPECT_EQ(v.pixels, h.pixels) << "upright glyphs are not redrawn";
            EXPECT_LT(v.originX, 0) << ch;
            EXPECT_EQ(v.cellIncX, 0);
            EXPECT_EQ(v.cellIncY, 24);
            // Centred in the column's cell: x from -descent to 24 - descent, y from 0 to
            // 24; the emboldened kanji is one pixel wider than its cell.
            Placed p = placeVertical(v);
            EXPECT_GE(p.left, -descent - int32_t(bold)) << ch;
            EXPECT_LE(p.right, 24 - descent + int32_t(bold)) << ch;
            EXPECT_LE(std::abs((p.left + descent) - (24 - descent - p.right)), 2) << ch;
            EXPECT_GE(p.top, 0);
            EXPECT_LE(p.bottom, 24);
            EXPECT_LE(std::abs(p.top - (24 - p.bottom)), 2) << ch;
        }
    }
}

TEST(Font, VerticalFacesUseVerticalForms) {
    auto horizontal = GameFont::create(24, 1, kGothic);
    auto vertical = GameFont::create(24, 1, std::string("@") + kGothic);
    const int32_t descent = 24 - vertical->ascent();
    // The ideographic comma moves from the lower left to the upper right of its cell.
    GlyphCoverage hc = glyphOf(*horizontal, kComma);
    GlyphCoverage vc = glyphOf(*vertical, kComma);
    EXPECT_NE(hc.pixels, vc.pixels);
    int32_t hTop = vertical->ascent() - hc.originY;   // horizontal: top below the cell's top
    EXPECT_GT(hTop, 12);
    EXPECT_LT(hc.originX, 8);
    Placed p = placeVertical(vc);
    EXPECT_LT(p.bottom, 12);
    EXPECT_GT(p.left + descent, 12);
    // The long-vowel mark becomes a vertical stroke.
    GlyphCoverage hl = glyphOf(*horizontal, kChoon);
    GlyphCoverage vl = glyphOf(*vertical, kChoon);
    EXPECT_GT(hl.width, 3 * hl.height);
    EXPECT_GT(vl.height, 3 * vl.width);
    // Brackets turn as well.
    GlyphCoverage hb = glyphOf(*horizontal, "\x81\x75");
    GlyphCoverage vb = glyphOf(*vertical, "\x81\x75");
    EXPECT_NE(hb.pixels, vb.pixels);
}

TEST(Font, VerticalFacesTurnSingleByteCharacters) {
    auto horizontal = GameFont::create(24, 0, kMincho);
    auto vertical = GameFont::create(24, 0, std::string("@") + kMincho);
    for (const char* ch : {"I", "A", "g", "\xB1"}) {
        GlyphCoverage h = glyphOf(*horizontal, ch);
        GlyphCoverage v = glyphOf(*vertical, ch);
        // Turned a quarter clockwise: the horizontal glyph transposed, its left column
        // becoming the top row and its top row the right column.
        ASSERT_EQ(v.width, h.height) << ch;
        ASSERT_EQ(v.height, h.width) << ch;
        int mismatches = 0;
        for (int32_t r = 0; r < v.height; ++r) {
            for (int32_t c = 0; c < v.width; ++c) {
                int a = v.pixels[size_t(r) * v.width + c];
                int b = h.pixels[size_t(h.height - 1 - c) * h.width + r];
                mismatches += std::abs(a - b) > 32;
            }
        }
        EXPECT_LE(mismatches, 2) << ch;
        // The baseline runs down the pen's x: the letter's body lies right of it, its
        // descender left of it; the advance moves the pen down.
        EXPECT_EQ(v.originX, h.originY - h.height) << ch;
        EXPECT_EQ(-v.originY, h.originX) << ch;
        EXPECT_EQ(v.cellIncY, h.cellIncX) << ch;
        EXPECT_EQ(v.cellIncX, 0);
    }
    GlyphCoverage i = glyphOf(*vertical, "I");
    EXPECT_GT(i.width, 2 * i.height);
    // A text extent ignores the rotation.
    int32_t cx = 0, cy = 0;
    vertical->measure(std::string("I") + kKan, cx, cy);
    int32_t hx = 0, hy = 0;
    horizontal->measure(std::string("I") + kKan, hx, hy);
    EXPECT_EQ(cx, hx);
    EXPECT_EQ(cy, hy);
}

} // namespace
} // namespace zre
