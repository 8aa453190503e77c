#include "ui/message_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "graphics/game_font.h"
#include "graphics/pixel_ops.h"
#include "platform/sjis.h"
#include "ui/glyph_renderer.h"

namespace zre {
namespace {

const std::string kGothic = utf8ToSjis("ＭＳ ゴシック");
const std::string kVerticalGothic = "@" + kGothic;
constexpr int32_t kSize = 24;

struct Extent {
    int32_t cx = 0, cy = 0;
    int32_t w8() const { return (cx + 7) & ~7; }
};

Extent extentOf(std::string_view face, std::string_view sjisChar) {
    auto font = createGameFont(kSize, 1, face);
    Extent e;
    font->measure(sjisChar, e.cx, e.cy);
    return e;
}

// A horizontal page: x0 100, y0 400, 2 between characters, 6 between lines.
void horizontalPage(MessageText& page, int32_t wlimit) {
    page.setStyle(kSize, 0xFFFFFF, 6, 0);
    page.setFrame(kGothic, 100, 400, 2, wlimit, 0, 0);
}

TEST(MessageTextLayout, LinesWrapBeforeTheNextCharacterAndBreakAtSlashN) {
    const std::string a = utf8ToSjis("あ");
    const Extent e = extentOf(kGothic, a);
    ASSERT_GT(e.cx, 0);
    const int32_t step = e.cx + 2;
    // The third character starts inside the limit and crosses it; the fourth wraps.
    const int32_t wlimit = 100 + 2 * step + e.cx / 2;
    MessageText page;
    horizontalPage(page, wlimit);
    page.setText(utf8ToSjis("ああああ/nあ"));

    ASSERT_EQ(page.count, 5);  // "/n" makes no glyph
    const int32_t line = 6 + e.cy;
    const std::vector<std::pair<int32_t, int32_t>> at = {
        {100, 400}, {100 + step, 400}, {100 + 2 * step, 400}, {100, 400 + line}, {100, 400 + 2 * line}};
    for (int32_t i = 0; i < page.count; ++i) {
        const auto [x, y] = at[size_t(i)];
        EXPECT_EQ(page.glyphRect(i), (Rect{x, y, x + e.w8(), y + e.cy})) << i;
    }
    EXPECT_GT(page.glyphRect(2).right, wlimit);
    EXPECT_EQ(page.text, utf8ToSjis("ああああ/nあ"));
    EXPECT_EQ(page.rectFrom(3), unionRect(page.glyphRect(3), page.glyphRect(4)));
    EXPECT_TRUE(page.rectFrom(5).isEmpty());
    EXPECT_TRUE(page.glyphRect(-1).isEmpty());
}

TEST(MessageTextLayout, ABreakBeforeAnyCharacterAdvancesByAFullWidthLine) {
    const Extent space = extentOf(kGothic, "\x81\x40");
    MessageText page;
    horizontalPage(page, 700);
    page.setText("/n/nA");
    ASSERT_EQ(page.count, 1);
    EXPECT_EQ(page.glyphRect(0).left, 100);
    EXPECT_EQ(page.glyphRect(0).top, 400 + 2 * (6 + space.cy));
}

TEST(MessageTextLayout, VerticalColumnsRunRightToLeft) {
    // An upright face keeps the rectangles at the pen, so the pen walk shows directly.
    const std::string a = utf8ToSjis("あ");
    const Extent e = extentOf(kGothic, a);
    MessageText page;
    page.setStyle(kSize, 0, 4, 0);
    const int32_t hlimit = 50 + 2 * (e.cy + 3) - 1;  // two characters per column
    page.setFrame(kGothic, 700, 50, 3, 0, hlimit, 1);
    page.setText(utf8ToSjis("あああ/nあ"));
    ASSERT_EQ(page.count, 4);
    const int32_t column = 4 + e.cx;
    const std::vector<std::pair<int32_t, int32_t>> at = {
        {700, 50}, {700, 50 + e.cy + 3}, {700 - column, 50}, {700 - 2 * column, 50}};
    for (int32_t i = 0; i < page.count; ++i) {
        const auto [x, y] = at[size_t(i)];
        EXPECT_EQ(page.glyphRect(i).left, x) << i;
        EXPECT_EQ(page.glyphRect(i).top, y) << i;
    }
}

TEST(MessageTextLayout, RotatedGlyphsWithANegativeOriginMoveTheirRectangle) {
    const std::string kan = "\x8A\xBF";
    auto font = createGameFont(kSize, 1, kVerticalGothic);
    int32_t cx = 0, cy = 0;
    font->measure(kan, cx, cy);
    auto scratch = makeBitmap((cx + 7) & ~7, cy);
    int32_t ox = 0, oy = 0;
    renderGlyphs(*font, *scratch, 0, 0, kan, kGlyphLevels17, ox, oy, true);

    MessageText page;
    page.setStyle(kSize, 0, 0, 0);
    page.setFrame(kVerticalGothic, 700, 50, 0, 0, 500, 1);
    page.setText(kan);
    ASSERT_EQ(page.count, 1);
    Rect expected{700, 50, 700 + ((cx + 7) & ~7), 50 + cy};
    if (ox < 0) expected.offset(ox, oy);
    EXPECT_EQ(page.glyphRect(0), expected);
}

TEST(MessageTextLayout, AppendingKeepsThePageAndContinuesThePen) {
    const std::string a = utf8ToSjis("あ");
    const Extent e = extentOf(kGothic, a);
    MessageText page;
    horizontalPage(page, 700);
    page.setText(utf8ToSjis("ああ"));
    const Bitmap* first = page.glyphs[0].get();
    const Rect second = page.glyphRect(1);

    page.replaceNext = 0;
    page.setText(utf8ToSjis("あ"));
    EXPECT_EQ(page.replaceNext, 1);
    ASSERT_EQ(page.count, 3);
    EXPECT_EQ(page.glyphs[0].get(), first);  // nothing was made again
    EXPECT_EQ(page.glyphRect(1), second);
    EXPECT_EQ(page.glyphRect(2).left, 100 + 2 * (e.cx + 2));
    EXPECT_EQ(page.text, utf8ToSjis("あああ"));

    // Without the flag the next text starts a new page.
    page.shownCount = 2;
    page.setText("B");
    EXPECT_EQ(page.count, 1);
    EXPECT_EQ(page.shownCount, 0);
    EXPECT_EQ(page.glyphRect(0).left, 100);
}

TEST(MessageTextLayout, RelayoutLaysThePageOutInTheNewDirection) {
    MessageText empty;
    horizontalPage(empty, 700);
    empty.relayout();
    EXPECT_EQ(empty.count, 0);

    const std::string a = utf8ToSjis("あ");
    const Extent e = extentOf(kGothic, a);
    MessageText page;
    horizontalPage(page, 700);
    page.setText(utf8ToSjis("ああ/nあ"));
    page.replaceNext = 0;  // a pending append survives the relayout
    page.setFrame(kGothic, 600, 80, 0, 0, 500, 1);
    page.relayout();
    ASSERT_EQ(page.count, 3);
    EXPECT_EQ(page.shownCount, 3);
    EXPECT_EQ(page.replaceNext, 0);
    EXPECT_EQ(page.glyphRect(0).left, 600);
    EXPECT_EQ(page.glyphRect(0).top, 80);
    EXPECT_EQ(page.glyphRect(1).left, 600);
    EXPECT_EQ(page.glyphRect(1).top, 80 + e.cy);
    EXPECT_EQ(page.glyphRect(2).left, 600 - (6 + e.cx));
    EXPECT_EQ(page.glyphRect(2).top, 80);
}

// A strip with hand-made glyphs, so the blends can be checked value by value.
struct HandGlyphs : GlyphStrip {
    void add(const Rect& r, uint8_t value, uint8_t coverage) {
        auto picture = makeBitmap(r.width(), r.height());
        auto mask = makeBitmap(r.width(), r.height());
        std::fill(picture->bits, picture->bits + picture->byteCount(), value);
        std::fill(mask->bits, mask->bits + mask->byteCount(), coverage);
        glyphs.push_back(std::move(picture));
        masks.push_back(std::move(mask));
        rects.push_back(r);
        count = int32_t(rects.size());
    }
};

TEST(GlyphStripDrawing, BlendsThroughTheMaskIntoPictureAndLayerMask) {
    Layer layer;
    layer.createBlank(20, 10);
    layer.mask = makeBitmap(20, 10);
    std::fill(layer.image->bits, layer.image->bits + layer.image->byteCount(), 40);
    std::fill(layer.mask->bits, layer.mask->bits + layer.mask->byteCount(), 100);
    HandGlyphs strip;
    strip.add(Rect{16, 2, 24, 6}, 200, 160);  // half outside the layer
    strip.drawAll(layer);

    EXPECT_EQ(layer.image->pixel(16, 2)[0], (200 * 160 + 40 * 95) >> 8);
    EXPECT_EQ(layer.image->pixel(19, 5)[2], (200 * 160 + 40 * 95) >> 8);
    EXPECT_EQ(layer.mask->pixel(17, 3)[1], (160 * 160 + 100 * 95) >> 8);
    EXPECT_EQ(layer.image->pixel(15, 2)[0], 40);  // beside the glyph
    EXPECT_EQ(layer.image->pixel(16, 6)[0], 40);  // below it
    EXPECT_EQ(layer.mask->pixel(16, 1)[0], 100);

    Layer bare;  // no picture: nothing happens
    strip.drawAll(bare);
}

TEST(GlyphStripDrawing, DirtyDrawingTakesWholeGlyphsAndHonoursVisibility) {
    MessageText page;
    auto add = [&](const Rect& r) {
        auto picture = makeBitmap(r.width(), r.height());
        auto mask = makeBitmap(r.width(), r.height());
        std::fill(picture->bits, picture->bits + picture->byteCount(), 255);
        std::fill(mask->bits, mask->bits + mask->byteCount(), 255);
        page.glyphs.push_back(std::move(picture));
        page.masks.push_back(std::move(mask));
        page.rects.push_back(r);
        page.count = int32_t(page.rects.size());
    };
    add(Rect{0, 0, 8, 8});
    add(Rect{8, 0, 16, 8});
    Layer composite;
    composite.createBlank(32, 16);

    page.setVisible(false);
    page.drawDirty(composite, Rect{2, 2, 3, 3});
    EXPECT_EQ(composite.image->pixel(2, 2)[0], 0);

    page.setVisible(true);
    page.drawDirty(composite, Rect{2, 2, 3, 3});
    EXPECT_EQ(composite.image->pixel(7, 7)[0], 254);  // the whole first glyph
    EXPECT_EQ(composite.image->pixel(8, 0)[0], 0);    // the second does not meet the area
}

TEST(GlyphStripDrawing, ToLayerPutsTheGlyphsSideBySide) {
    HandGlyphs strip;
    strip.add(Rect{100, 50, 108, 60}, 10, 1);
    strip.add(Rect{106, 50, 114, 60}, 20, 2);  // overlaps the first: the union is 14 wide
    std::unique_ptr<Layer> layer = strip.toLayer();
    ASSERT_TRUE(layer->image);
    ASSERT_TRUE(layer->mask);
    EXPECT_EQ(layer->destRect, (Rect{100, 50, 114, 60}));
    EXPECT_EQ(layer->image->width(), 14);
    EXPECT_EQ(layer->image->pixel(7, 9)[0], 10);
    EXPECT_EQ(layer->image->pixel(8, 0)[0], 20);
    EXPECT_EQ(layer->mask->pixel(13, 4)[0], 2);

    GlyphStrip empty;
    EXPECT_FALSE(empty.toLayer()->image);
}

TEST(GlyphStripLine, BuildLineAdvancesByEachExtentAndReplacesTheStrip) {
    auto font = createGameFont(kSize, 1, kGothic);
    const Extent a = extentOf(kGothic, "A");
    const Extent w = extentOf(kGothic, "W");
    GlyphStrip strip;
    strip.buildLine(*font, 0x0000FF, "AW", 5, 7, false);
    ASSERT_EQ(strip.count, 2);
    EXPECT_EQ(strip.glyphRect(1), (Rect{5 + a.cx, 7, 5 + a.cx + w.w8(), 7 + w.cy}));
    const uint8_t* red = strip.glyphs[0]->pixel(0, 0);
    EXPECT_EQ(red[2], 0xFF);  // blue, green, red in memory
    EXPECT_EQ(red[0], 0);

    strip.buildLine(*font, 0, "AA", 0, 0, true);
    ASSERT_EQ(strip.count, 2);
    EXPECT_EQ(strip.glyphRect(1).top, a.cy);
    EXPECT_EQ(sjisCharCount(utf8ToSjis("aあ/n")), 4);
}

} // namespace
} // namespace zre
