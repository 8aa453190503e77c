#include "graphics/pixel_ops.h"

#include <gtest/gtest.h>

#include <random>

namespace zre {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes randomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& v : b) v = uint8_t(rng());
    return b;
}

std::unique_ptr<Bitmap> randomPicture(int32_t w, int32_t h, uint32_t seed) {
    auto b = makeBitmap(w, h);
    Bytes r = randomBytes(b->byteCount(), seed);
    std::copy(r.begin(), r.end(), b->bits);
    return b;
}

void setPixel(Bitmap& b, int x, int y, uint32_t colour) {
    uint8_t* p = b.pixel(x, y);
    p[0] = uint8_t(colour >> 16);
    p[1] = uint8_t(colour >> 8);
    p[2] = uint8_t(colour);
}

uint32_t getPixel(const Bitmap& b, int x, int y) {
    const uint8_t* p = b.pixel(x, y);
    return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

TEST(Blend, ConstantKnownValues) {
    struct Case { int32_t weight; uint8_t s, t, want; };
    for (Case c : {Case{256, 200, 17, 200}, Case{0, 200, 17, 17}, Case{128, 255, 0, 127}, Case{128, 0, 255, 127},
                   Case{1, 255, 255, 255}, Case{255, 0, 255, 0}}) {
        Bytes s(16, c.s), t(16, c.t);
        blendConstantBytes(t.data(), s.data(), t.size(), c.weight);
        EXPECT_EQ(t, Bytes(16, c.want)) << "weight " << c.weight;
    }
}

TEST(Blend, MaskedKnownValues) {
    struct Case { uint8_t m, s, t, want; };
    for (Case c : {Case{255, 255, 0, 254}, Case{0, 0, 255, 254}, Case{0, 99, 0, 0}, Case{128, 255, 0, 127},
                   Case{255, 0, 255, 0}}) {
        Bytes s(24, c.s), t(24, c.t), m(24, c.m);
        blendMaskedBytes(t.data(), s.data(), m.data(), t.size());
        EXPECT_EQ(t, Bytes(24, c.want)) << "mask " << int(c.m);
    }
}

// The kernels against the byte formulas on random data, for every weight and for lengths
// that exercise the 16-byte steps, a single 8-byte group and the untouched tail.
TEST(Blend, KernelsMatchTheByteFormulaAndLeaveTheTail) {
    for (size_t n : {size_t(8), size_t(15), size_t(16), size_t(23), size_t(24), size_t(1003), size_t(4096)}) {
        const Bytes s = randomBytes(n, 1), t0 = randomBytes(n, 2), m = randomBytes(n, 3);
        const size_t end = n / 8 * 8;
        for (int32_t w = 0; w <= 256; ++w) {
            Bytes t = t0;
            blendConstantBytes(t.data(), s.data(), n, w);
            for (size_t i = 0; i < n; ++i) {
                uint8_t want = i < end ? uint8_t((s[i] * w + t0[i] * (256 - w)) >> 8) : t0[i];
                ASSERT_EQ(t[i], want) << "n " << n << " weight " << w << " byte " << i;
            }
        }
        Bytes t = t0;
        blendMaskedBytes(t.data(), s.data(), m.data(), n);
        for (size_t i = 0; i < n; ++i) {
            uint8_t want = i < end ? uint8_t((s[i] * m[i] + t0[i] * (255 - m[i])) >> 8) : t0[i];
            ASSERT_EQ(t[i], want) << "n " << n << " byte " << i;
        }
    }
}

TEST(Blend, BitmapFormsCoverPaddingAndIgnoreRows) {
    // 5 x 3: stride 16, 48 bytes, padding included in the blend.
    auto s = randomPicture(5, 3, 4), t = randomPicture(5, 3, 5), m = randomPicture(5, 3, 6);
    Bytes before(t->bits, t->bits + t->byteCount());
    auto t2 = t->clone();
    blendConstant(*t, *s, 77);
    blendMasked(*t2, *s, *m);
    for (size_t i = 0; i < 48; ++i) {
        ASSERT_EQ(t->bits[i], uint8_t((s->bits[i] * 77 + before[i] * 179) >> 8)) << i;
        ASSERT_EQ(t2->bits[i], uint8_t((s->bits[i] * m->bits[i] + before[i] * (255 - m->bits[i])) >> 8)) << i;
    }
    // 3 x 1: 12 bytes, the last 4 are a tail and stay.
    auto s3 = randomPicture(3, 1, 7), t3 = randomPicture(3, 1, 8);
    Bytes b3(t3->bits, t3->bits + 12);
    blendConstant(*t3, *s3, 256);
    EXPECT_EQ(Bytes(t3->bits, t3->bits + 8), Bytes(s3->bits, s3->bits + 8));
    EXPECT_EQ(Bytes(t3->bits + 8, t3->bits + 12), Bytes(b3.begin() + 8, b3.end()));
}

TEST(PixelOps, FillSetsEveryPixelInColourReferenceOrder) {
    auto b = makeBitmap(5, 3);
    fillBitmap(*b, 0xFFFFFF);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) ASSERT_EQ(getPixel(*b, x, y), 0xFFFFFFu);
    fillBitmap(*b, 0x00332211);  // red 0x11 in the lowest byte, stored B G R
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            ASSERT_EQ(b->pixel(x, y)[0], 0x33);
            ASSERT_EQ(b->pixel(x, y)[1], 0x22);
            ASSERT_EQ(b->pixel(x, y)[2], 0x11);
        }
}

TEST(PixelOps, KeyedCopySkipsOnlyTheExactKey) {
    const uint32_t magenta = 0x00FF00FF;
    const uint32_t colours[] = {magenta, 0x00FE00FF, 0x00FF00FE, 0x00FF01FF, 0x00000000, 0x00123456};
    auto src = makeBitmap(6, 2);
    auto dst = makeBitmap(7, 3);
    fillBitmap(*dst, 0x00ABCDEF);
    for (int x = 0; x < 6; ++x) {
        setPixel(*src, x, 0, colours[x]);
        setPixel(*src, x, 1, colours[5 - x]);
    }
    blitKeyed(*dst, *src, magenta);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) {
            uint32_t want = 0x00ABCDEF;
            if (x < 6 && y < 2) {
                uint32_t c = y == 0 ? colours[x] : colours[5 - x];
                if (c != magenta) want = c;
            }
            ASSERT_EQ(getPixel(*dst, x, y), want) << x << "," << y;
        }
}

TEST(PixelOps, BlitIsClippedToBothBitmaps) {
    auto src = randomPicture(4, 3, 9);
    struct Case { int32_t x, y, w, h; };
    for (Case c : {Case{0, 0, 4, 3}, Case{3, 2, 4, 3}, Case{-2, -1, 4, 3}, Case{1, 1, 100, 100}, Case{2, 0, 1, 2},
                   Case{6, 0, 4, 3}, Case{-9, 0, 4, 3}, Case{0, 0, 0, 3}, Case{-2147483647, 0, 4, 3}}) {
        auto dst = makeBitmap(6, 5);
        fillBitmap(*dst, 0x010203);
        blitBitmap(*dst, *src, c.x, c.y, c.w, c.h);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) {
                int64_t sx = int64_t(x) - c.x, sy = int64_t(y) - c.y;
                bool copied = sx >= 0 && sy >= 0 && sx < std::min(c.w, 4) && sy < std::min(c.h, 3);
                ASSERT_EQ(getPixel(*dst, x, y), copied ? getPixel(*src, sx, sy) : 0x010203u)
                    << c.x << "," << c.y << " " << c.w << "x" << c.h << " at " << x << "," << y;
            }
    }
}

// Independent reference of area averaging: each target pixel is the mean of the source
// over its footprint, weighted by overlap, computed with exact integers and rounded half up.
uint8_t areaMean(const Bitmap& s, int32_t w, int32_t h, int tx, int ty, int ch) {
    const int64_t sw = s.width(), sh = s.height();
    uint64_t total = 0;
    // Only the source pixels near the footprint can overlap it.
    const int64_t y0 = ty * sh / h, y1 = std::min(sh, ((ty + 1) * sh + h - 1) / h);
    const int64_t x0 = tx * sw / w, x1 = std::min(sw, ((tx + 1) * sw + w - 1) / w);
    for (int64_t sy = y0; sy < y1; ++sy) {
        int64_t oy = std::min((ty + 1) * sh, (sy + 1) * h) - std::max(ty * sh, sy * h);
        if (oy <= 0) continue;
        for (int64_t sx = x0; sx < x1; ++sx) {
            int64_t ox = std::min((tx + 1) * sw, (sx + 1) * w) - std::max(tx * sw, sx * w);
            if (ox <= 0) continue;
            total += uint64_t(ox * oy) * s.pixel(int(sx), int(sy))[ch];
        }
    }
    uint64_t denom = uint64_t(sw * sh);
    return uint8_t((total + denom / 2) / denom);
}

TEST(Stretch, MatchesAreaAveraging) {
    struct Case { int32_t sw, sh, w, h; };
    for (Case c : {Case{8, 6, 3, 2}, Case{7, 5, 7, 5}, Case{3, 2, 8, 7}, Case{5, 9, 2, 4}, Case{1, 1, 3, 3},
                   Case{10, 1, 4, 1}}) {
        auto src = randomPicture(c.sw, c.sh, uint32_t(c.sw * 100 + c.w));
        auto out = stretchBitmap(*src, c.w, c.h);
        ASSERT_EQ(out->bounds, (Rect{0, 0, c.w, c.h}));
        for (int y = 0; y < c.h; ++y)
            for (int x = 0; x < c.w; ++x)
                for (int ch = 0; ch < 3; ++ch)
                    ASSERT_EQ(out->pixel(x, y)[ch], areaMean(*src, c.w, c.h, x, y, ch))
                        << c.sw << "x" << c.sh << "->" << c.w << "x" << c.h << " at " << x << "," << y;
    }
}

TEST(Stretch, ThumbnailSizesAndPlainBoxes) {
    auto src = randomPicture(800, 600, 11);
    // An integer ratio is the plain box average, rounded half up.
    auto half = stretchBitmap(*src, 400, 300);
    for (int y = 0; y < 300; y += 7)
        for (int x = 0; x < 400; x += 5)
            for (int ch = 0; ch < 3; ++ch) {
                unsigned sum = src->pixel(2 * x, 2 * y)[ch] + src->pixel(2 * x + 1, 2 * y)[ch] +
                               src->pixel(2 * x, 2 * y + 1)[ch] + src->pixel(2 * x + 1, 2 * y + 1)[ch];
                ASSERT_EQ(half->pixel(x, y)[ch], (sum + 2) / 4) << x << "," << y;
            }
    // The save thumbnail, 8:3 in both directions.
    auto thumb = stretchBitmap(*src, 300, 225);
    for (int y = 0; y < 225; y += 13)
        for (int x = 0; x < 300; x += 11)
            ASSERT_EQ(thumb->pixel(x, y)[1], areaMean(*src, 300, 225, x, y, 1)) << x << "," << y;
    // Upscaling by an integer replicates.
    auto small = randomPicture(3, 2, 12);
    auto big = stretchBitmap(*small, 9, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) ASSERT_EQ(getPixel(*big, x, y), getPixel(*small, x / 3, y / 2));
}

TEST(Stretch, ImpossibleSizesGiveAnEmptyResult) {
    auto src = randomPicture(4, 4, 13);
    for (auto [w, h] : {std::pair{0, 4}, std::pair{4, -1}, std::pair{kMaxPictureSide + 1, 1}}) {
        auto out = stretchBitmap(*src, w, h);
        ASSERT_NE(out, nullptr);
        EXPECT_TRUE(out->empty());
    }
    Bitmap empty;
    auto out = stretchBitmap(empty, 3, 3);
    ASSERT_FALSE(out->empty());
    EXPECT_EQ(getPixel(*out, 1, 1), 0u);
}

} // namespace
} // namespace zre
