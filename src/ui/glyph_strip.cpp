#include "ui/glyph_strip.h"

#include <algorithm>
#include <cstring>

#include "graphics/pixel_ops.h"
#include "platform/font.h"
#include "platform/sjis.h"
#include "ui/glyph_renderer.h"

namespace zre {

namespace {

// Blends the rows of source through mask into target where the rectangle r (source's place
// in target) meets target. Each row goes through a scratch row of the glyph's full width:
// the part of the row outside the target reads as zero and is never copied back, exactly as
// blending a crop of the target would, and the blend always sees whole 8-byte groups.
void blendThrough(Bitmap& target, const Bitmap& source, const Bitmap& mask, const Rect& r) {
    const Rect clip = intersectRect(r, target.bounds);
    if (clip.isEmpty()) return;
    const int32_t w = source.width();
    if (mask.width() != w || source.height() != r.height() || mask.height() != r.height()) return;
    const size_t rowBytes = size_t(w) * 3;
    uint8_t scratch[3 * 512];
    std::vector<uint8_t> wide;
    uint8_t* row = scratch;
    if (rowBytes > sizeof scratch) {
        wide.resize(rowBytes);
        row = wide.data();
    }
    const size_t offset = size_t(clip.left - r.left) * 3;
    const size_t span = size_t(clip.width()) * 3;
    for (int32_t ty = clip.top; ty < clip.bottom; ++ty) {
        const int32_t gy = ty - r.top;
        uint8_t* t = target.pixel(clip.left, ty);
        std::memset(row, 0, rowBytes);
        std::memcpy(row + offset, t, span);
        blendMaskedBytes(row, source.row(gy), mask.row(gy), rowBytes);
        std::memcpy(t, row + offset, span);
    }
}

} // namespace

size_t sjisCharLength(std::string_view text, size_t i) { return isLeadByteAt(text, i) ? 2 : 1; }

int32_t sjisCharCount(std::string_view text) {
    int32_t n = 0;
    for (size_t i = 0; i < text.size(); i += sjisCharLength(text, i)) ++n;
    return n;
}

void GlyphStrip::clear() {
    glyphs.clear();
    masks.clear();
    rects.clear();
    count = 0;
}

bool GlyphStrip::appendGlyph(const GameFont& font, uint32_t colour, std::string_view character, int32_t x,
                             int32_t y, bool vertical, int32_t& cx, int32_t& cy) {
    if (character.empty()) return false;
    cx = cy = 0;
    font.measure(character, cx, cy);
    const int32_t w = (std::max(cx, 0) + 7) & ~7;
    const int32_t h = std::max(cy, 0);
    std::unique_ptr<Bitmap> picture = makeBitmap(w, h);
    std::unique_ptr<Bitmap> coverage = makeBitmap(w, h);
    int32_t ox = 0, oy = 0;
    if (picture) fillBitmap(*picture, colour);
    // New pixel memory is black: only the character's coverage goes in.
    if (coverage) renderGlyphs(font, *coverage, 0, 0, character, kGlyphLevels17, ox, oy, vertical);
    Rect r{x, y, x + w, y + h};
    // Rotated glyphs with a negative origin are drawn at the mask's own origin; the
    // rectangle carries the offset instead.
    if (vertical && ox < 0) r.offset(ox, oy);
    // A character that cannot be pictured keeps its slot (without bitmaps), so glyph
    // indices always follow the characters.
    if (!picture || !coverage) {
        picture.reset();
        coverage.reset();
    }
    glyphs.push_back(std::move(picture));
    masks.push_back(std::move(coverage));
    rects.push_back(r);
    count = int32_t(rects.size());
    return true;
}

void GlyphStrip::buildLine(const GameFont& font, uint32_t colour, std::string_view text, int32_t x, int32_t y,
                           bool vertical) {
    if (count != 0 || !rects.empty()) clear();
    const int32_t characters = sjisCharCount(text);
    glyphs.reserve(size_t(characters));
    masks.reserve(size_t(characters));
    rects.reserve(size_t(characters));
    for (size_t i = 0; i < text.size();) {
        const size_t n = sjisCharLength(text, i);
        int32_t cx = 0, cy = 0;
        if (appendGlyph(font, colour, text.substr(i, n), x, y, vertical, cx, cy)) {
            if (vertical)
                y += cy;
            else
                x += cx;
        }
        i += n;
    }
}

void GlyphStrip::measure(const GameFont& font, std::string_view text, int32_t& cx, int32_t& cy) {
    cx = cy = 0;
    font.measure(text, cx, cy);
}

Rect GlyphStrip::glyphRect(int32_t i) const {
    if (i < 0 || i >= count) return Rect{};
    return rects[size_t(i)];
}

Rect GlyphStrip::rectFrom(int32_t i) const {
    Rect u;
    for (int32_t k = std::max(i, 0); k < count; ++k) u = unionRect(u, rects[size_t(k)]);
    return u;
}

void GlyphStrip::drawGlyph(Layer& layer, int32_t i) const {
    if (!layer.image || layer.image->empty() || i < 0 || i >= count) return;
    const Bitmap* picture = glyphs[size_t(i)].get();
    const Bitmap* coverage = masks[size_t(i)].get();
    if (!picture || !coverage) return;
    const Rect& r = rects[size_t(i)];
    blendThrough(*layer.image, *picture, *coverage, r);
    if (layer.mask && !layer.mask->empty()) blendThrough(*layer.mask, *coverage, *coverage, r);
}

void GlyphStrip::drawAll(Layer& layer) const {
    for (int32_t i = 0; i < count; ++i) drawGlyph(layer, i);
}

void GlyphStrip::drawDirty(Layer& layer, const Rect& area) const {
    for (int32_t i = 0; i < count; ++i) {
        if (intersects(rects[size_t(i)], area)) drawGlyph(layer, i);
    }
}

std::unique_ptr<Layer> GlyphStrip::toLayer() const {
    auto layer = std::make_unique<Layer>();
    const Rect u = rectFrom(0);
    if (u.isEmpty() || !layer->createBlank(u.width(), u.height())) return layer;
    layer->mask = makeBitmap(u.width(), u.height());
    int32_t at = 0;
    for (int32_t i = 0; i < count; ++i) {
        const Bitmap* picture = glyphs[size_t(i)].get();
        const Bitmap* coverage = masks[size_t(i)].get();
        if (!picture || !coverage) continue;
        blitBitmap(*layer->image, *picture, at, 0, picture->width(), picture->height());
        if (layer->mask) blitBitmap(*layer->mask, *coverage, at, 0, coverage->width(), coverage->height());
        at += picture->width();
    }
    layer->destRect = u;
    layer->srcRect = Rect{0, 0, u.width(), u.height()};
    return layer;
}

} // namespace zre
