// Laying out one page of message text: the font made for the page, then per character its
// extent, the colour and mask bitmaps (width rounded up to 8) and the coverage rendered
// into the mask, as the message text does when a page is printed.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/game_font.h"
#include "graphics/pixel_ops.h"
#include "platform/sjis.h"
#include "ui/glyph_renderer.h"

namespace {

using namespace zre;

const char* const kGothic = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";

// A hundred characters of kanji, kana, punctuation and a few Latin letters.
std::vector<std::string> pageCharacters() {
    const std::string text = utf8ToSjis(
        "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で"
        "ニャーニャー泣いていた事だけは記憶している。「ABC」と書いた札が、そこに（たしか）あった…");
    std::vector<std::string> chars;
    for (size_t i = 0; i < text.size() && chars.size() < 100;) {
        size_t n = isLeadByteAt(text, i) ? 2 : 1;
        chars.push_back(text.substr(i, n));
        i += n;
    }
    while (chars.size() < 100) chars.push_back(chars[chars.size() % 50]);
    return chars;
}

struct Glyph {
    std::unique_ptr<Bitmap> colour;
    std::unique_ptr<Bitmap> mask;
};

void layOutPage(const std::vector<std::string>& chars, bool vertical, std::vector<Glyph>& glyphs) {
    auto font = createGameFont(24, 1, vertical ? std::string("@") + kGothic : std::string(kGothic));
    glyphs.clear();
    int32_t x = 700, y = 100;
    for (const auto& ch : chars) {
        int32_t cx = 0, cy = 0;
        font->measure(ch, cx, cy);
        int32_t w = (cx + 7) & ~7;
        Glyph g{makeBitmap(w, cy), makeBitmap(w, cy)};
        fillBitmap(*g.colour, 0xFFFFFF);
        int32_t ox = 0, oy = 0;
        renderGlyphs(*font, *g.mask, 0, 0, ch, kGlyphLevels17, ox, oy, vertical);
        glyphs.push_back(std::move(g));
        if (vertical) {
            y += cy;
        } else {
            x += cx;
        }
    }
    benchmark::DoNotOptimize(x + y);
}

void BM_PageHorizontal(benchmark::State& state) {
    auto chars = pageCharacters();
    std::vector<Glyph> glyphs;
    for (auto _ : state) layOutPage(chars, false, glyphs);
    state.SetItemsProcessed(state.iterations() * int64_t(chars.size()));
}
BENCHMARK(BM_PageHorizontal)->Unit(benchmark::kMicrosecond);

void BM_PageVertical(benchmark::State& state) {
    auto chars = pageCharacters();
    std::vector<Glyph> glyphs;
    for (auto _ : state) layOutPage(chars, true, glyphs);
    state.SetItemsProcessed(state.iterations() * int64_t(chars.size()));
}
BENCHMARK(BM_PageVertical)->Unit(benchmark::kMicrosecond);

// A character seen for the first time at a size: rasterised, not taken from the cache.
// Walks the first-level kanji once (rows 0x889F onwards) at a size no other benchmark uses.
void glyphFirstUse(benchmark::State& state, bool vertical) {
    auto font = createGameFont(23, 1, vertical ? std::string("@") + kGothic : std::string(kGothic));
    auto mask = makeBitmap(24, 23);
    uint32_t code = 0x889F;
    for (auto _ : state) {
        char ch[2] = {char(code >> 8), char(code & 0xFF)};
        int32_t ox = 0, oy = 0;
        benchmark::DoNotOptimize(
            renderGlyphs(*font, *mask, 0, 0, std::string_view(ch, 2), kGlyphLevels17, ox, oy, vertical));
        code = (code & 0xFF) == 0xFC ? ((code & 0xFF00) + 0x140) : (code & 0xFF) == 0x7E ? code + 2 : code + 1;
    }
}
void BM_GlyphFirstUse(benchmark::State& state) { glyphFirstUse(state, false); }
void BM_GlyphFirstUseVertical(benchmark::State& state) { glyphFirstUse(state, true); }
BENCHMARK(BM_GlyphFirstUse)->Iterations(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GlyphFirstUseVertical)->Iterations(2000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
