#include "graphics/pixel_ops.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/row_kernels.h"

namespace zre {

namespace {

// Copies the w x h block at (sx, sy) of source to (tx, ty) of target, display coordinates,
// clipped to both bitmaps.
void copyBlock(Bitmap& target, int32_t tx, int32_t ty, const Bitmap& source, int32_t sx, int32_t sy, int32_t w,
               int32_t h) {
    if (target.empty() || source.empty() || w <= 0 || h <= 0) return;
    // Work in 64 bits: scripts can place pictures far off screen.
    int64_t dx = int64_t(tx) - sx, dy = int64_t(ty) - sy;
    int64_t x0 = std::max<int64_t>({int64_t(sx), 0, -dx});
    int64_t y0 = std::max<int64_t>({int64_t(sy), 0, -dy});
    int64_t x1 = std::min<int64_t>({int64_t(sx) + w, source.width(), int64_t(target.width()) - dx});
    int64_t y1 = std::min<int64_t>({int64_t(sy) + h, source.height(), int64_t(target.height()) - dy});
    if (x0 >= x1 || y0 >= y1) return;
    size_t rowBytes = size_t(x1 - x0) * 3;
    auto copyRow = [&](int64_t y) {
        std::memmove(target.pixel(int32_t(x0 + dx), int32_t(y + dy)), source.pixel(int32_t(x0), int32_t(y)), rowBytes);
    };
    // Within one bitmap, walk the rows so that no row is overwritten before it is read.
    if (&target == &source && dy > 0) {
        for (int64_t y = y1 - 1; y >= y0; --y) copyRow(y);
    } else {
        for (int64_t y = y0; y < y1; ++y) copyRow(y);
    }
}

// One axis of the area-averaging scaler. Target pixel t covers [t * from, (t + 1) * from)
// in units where a source pixel is `to` units wide; each source pixel it touches gets the
// length of the overlap as its integer weight, and the weights of one target pixel add up
// to `from`.
struct Span {
    int32_t first = 0;   // first source pixel
    int32_t count = 0;   // number of source pixels
    size_t weights = 0;  // index of the first weight in the weight table
};

void buildSpans(int32_t from, int32_t to, std::vector<Span>& spans, std::vector<uint32_t>& weights) {
    spans.resize(size_t(to));
    weights.clear();
    for (int32_t t = 0; t < to; ++t) {
        int64_t lo = int64_t(t) * from, hi = int64_t(t + 1) * from;
        int32_t s0 = int32_t(lo / to), s1 = int32_t((hi - 1) / to);
        Span& span = spans[size_t(t)];
        span.first = s0;
        span.count = s1 - s0 + 1;
        span.weights = weights.size();
        for (int32_t s = s0; s <= s1; ++s) {
            int64_t a = std::max<int64_t>(lo, int64_t(s) * to);
            int64_t b = std::min<int64_t>(hi, int64_t(s + 1) * to);
            weights.push_back(uint32_t(b - a));
        }
    }
}

} // namespace

void blitBitmap(Bitmap& target, const Bitmap& source, int32_t x, int32_t y, int32_t w, int32_t h) {
    copyBlock(target, x, y, source, 0, 0, w, h);
}

std::unique_ptr<Bitmap> stretchBitmap(const Bitmap& source, int32_t w, int32_t h) {
    auto result = std::make_unique<Bitmap>();
    // A size that cannot be made leaves an empty result, whose drawing then does nothing.
    if (!result->create(w, h) || source.empty()) return result;
    const int32_t sw = source.width(), sh = source.height();

    std::vector<Span> xSpans, ySpans;
    std::vector<uint32_t> xWeights, yWeights;
    buildSpans(sw, w, xSpans, xWeights);
    buildSpans(sh, h, ySpans, yWeights);

    // Horizontal pass per source row into exact sums (at most 255 * sw per channel), then
    // the vertical pass weights those rows; the total is at most 255 * sw * sh, so 64 bits
    // hold it and the one rounding at the end makes the result exact and deterministic.
    const size_t rowLen = size_t(w) * 3;
    std::vector<uint32_t> rowSums(rowLen);
    std::vector<uint64_t> acc(rowLen);
    const uint64_t denom = uint64_t(sw) * uint64_t(sh);
    auto sumRow = [&](int32_t sy) {
        const uint8_t* src = source.row(sy);
        for (int32_t tx = 0; tx < w; ++tx) {
            const Span& span = xSpans[size_t(tx)];
            const uint8_t* p = src + size_t(span.first) * 3;
            const uint32_t* wt = &xWeights[span.weights];
            uint32_t b = 0, g = 0, r = 0;
            for (int32_t i = 0; i < span.count; ++i, p += 3) {
                b += p[0] * wt[i];
                g += p[1] * wt[i];
                r += p[2] * wt[i];
            }
            uint32_t* out = &rowSums[size_t(tx) * 3];
            out[0] = b;
            out[1] = g;
            out[2] = r;
        }
    };

    // Consecutive target rows share source rows only at their borders; remember the last
    // summed row so that each is summed about once.
    int32_t summed = -1;
    for (int32_t ty = 0; ty < h; ++ty) {
        const Span& span = ySpans[size_t(ty)];
        std::fill(acc.begin(), acc.end(), 0);
        for (int32_t i = 0; i < span.count; ++i) {
            int32_t sy = span.first + i;
            if (sy != summed) {
                sumRow(sy);
                summed = sy;
            }
            uint64_t wy = yWeights[span.weights + size_t(i)];
            for (size_t k = 0; k < rowLen; ++k) acc[k] += wy * rowSums[k];
        }
        uint8_t* out = result->row(ty);
        for (size_t k = 0; k < rowLen; ++k) out[k] = uint8_t((acc[k] + denom / 2) / denom);
    }
    return result;
}

void fillBitmap(Bitmap& bitmap, uint32_t colour) {
    if (bitmap.empty()) return;
    const uint8_t bgr[3] = {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
    const size_t rowLen = size_t(bitmap.width()) * 3;
    uint8_t* first = bitmap.row(0);
    for (size_t i = 0; i < rowLen; ++i) first[i] = bgr[i % 3];
    for (int32_t y = 1; y < bitmap.height(); ++y) std::memcpy(bitmap.row(y), first, rowLen);
}

void blitKeyed(Bitmap& target, const Bitmap& source, uint32_t key) {
    if (target.empty() || source.empty()) return;
    const int32_t w = std::min(target.width(), source.width());
    const int32_t h = std::min(target.height(), source.height());
    for (int32_t y = 0; y < h; ++y) copyRowKeyed(target.row(y), source.row(y), size_t(w), key, 0);
}

void blendConstantBytes(uint8_t* target, const uint8_t* source, size_t n, int32_t weight) {
    // Weights outside 0..256 would overflow the 16-bit products; callers never pass them.
    blendRowAlpha(target, source, target, n & ~size_t(7), std::clamp(weight, 0, 256));
}

void blendMaskedBytes(uint8_t* target, const uint8_t* source, const uint8_t* mask, size_t n) {
    blendRowMasked(target, source, mask, n & ~size_t(7), 0);
}

void blendConstant(Bitmap& target, const Bitmap& source, int32_t weight) {
    if (target.empty() || source.empty()) return;
    // Callers pass equal sizes; never touch more than both hold.
    size_t n = std::min(source.byteCount(), target.byteCount());
    blendConstantBytes(target.bits, source.bits, n, weight);
}

void blendMasked(Bitmap& target, const Bitmap& source, const Bitmap& mask) {
    if (target.empty() || source.empty() || mask.empty()) return;
    size_t n = std::min({source.byteCount(), target.byteCount(), mask.byteCount()});
    blendMaskedBytes(target.bits, source.bits, mask.bits, n);
}

} // namespace zre
