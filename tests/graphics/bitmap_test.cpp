#include "graphics/bitmap.h"

#include <gtest/gtest.h>

#include "data/byte_io.h"
#include "support/test_support.h"

namespace zre {
namespace {

// Every byte of the pixel memory, padding included, gets a distinct-ish value.
void fillPattern(Bitmap& b, uint8_t seed = 1) {
    for (size_t i = 0; i < b.byteCount(); ++i) b.bits[i] = uint8_t(i * 7 + seed);
}

TEST(Bitmap, StrideAndZeroedMemory) {
    struct Case { int32_t width, stride; };
    for (Case c : {Case{1, 4}, Case{5, 16}, Case{800, 2400}, Case{2, 8}, Case{3, 12}}) {
        Bitmap b;
        ASSERT_NE(b.create(c.width, 3), 0) << c.width;
        EXPECT_EQ(b.stride(), c.stride) << c.width;
        EXPECT_EQ(b.byteCount(), size_t(c.stride) * 3);
        EXPECT_EQ(b.bounds, (Rect{0, 0, c.width, 3}));
        for (size_t i = 0; i < b.byteCount(); ++i) ASSERT_EQ(b.bits[i], 0) << i;
    }
}

TEST(Bitmap, CreateRefusesImpossibleSizesButKeepsBounds) {
    struct Case { int32_t w, h; };
    for (Case c : {Case{0, 5}, Case{5, 0}, Case{-3, 5}, Case{5, -1}, Case{kMaxPictureSide + 1, 1},
                   Case{1, kMaxPictureSide + 1}, Case{kMaxPictureSide, kMaxPictureSide}}) {
        Bitmap b;
        b.create(2, 2);
        EXPECT_EQ(b.create(c.w, c.h), 0) << c.w << "x" << c.h;
        EXPECT_TRUE(b.empty());
        EXPECT_EQ(b.byteCount(), 0u);
        EXPECT_EQ(b.bounds, (Rect{0, 0, c.w, c.h}));
    }
    EXPECT_EQ(makeBitmap(0, 10), nullptr);
}

TEST(Bitmap, CreateReplacesAndReleaseEmpties) {
    Bitmap b;
    b.release();  // never had a store: harmless
    ASSERT_TRUE(b.create(4, 4));
    fillPattern(b);
    ASSERT_TRUE(b.create(2, 2));
    EXPECT_EQ(b.byteCount(), 16u);
    for (size_t i = 0; i < b.byteCount(); ++i) EXPECT_EQ(b.bits[i], 0);
    b.release();
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(b.bounds, (Rect{0, 0, 2, 2}));  // release leaves the bounds
}

TEST(Bitmap, PixelAddressingIsBottomUp) {
    Bitmap b;
    ASSERT_TRUE(b.create(3, 2));
    EXPECT_EQ(b.pixel(0, 1), b.bits);            // bottom row first in memory
    EXPECT_EQ(b.pixel(2, 0), b.bits + 12 + 6);   // top row second, stride 12
}

TEST(Bitmap, CloneCopiesEveryByteIncludingPadding) {
    Bitmap b;
    ASSERT_TRUE(b.create(5, 3));
    fillPattern(b);
    auto c = b.clone();
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(c->byteCount(), b.byteCount());
    EXPECT_EQ(std::vector<uint8_t>(c->bits, c->bits + c->byteCount()),
              std::vector<uint8_t>(b.bits, b.bits + b.byteCount()));
    EXPECT_NE(c->bits, b.bits);

    Bitmap never;
    EXPECT_EQ(never.clone(), nullptr);
}

TEST(Bitmap, CropCopiesOnlyTheInsidePart) {
    Bitmap b;
    ASSERT_TRUE(b.create(4, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = b.pixel(x, y);
            p[0] = uint8_t(10 * y + x + 1);
            p[1] = uint8_t(100 + x);
            p[2] = uint8_t(200 + y);
        }
    struct Case { int32_t l, t, r, bo; };
    for (Case c : {Case{2, 1, 6, 5}, Case{-2, -1, 2, 2}, Case{0, 0, 4, 3}, Case{5, 5, 7, 8}, Case{-3, 1, 9, 2}}) {
        auto part = b.crop(c.l, c.t, c.r, c.bo);
        ASSERT_NE(part, nullptr);
        ASSERT_EQ(part->width(), c.r - c.l);
        ASSERT_EQ(part->height(), c.bo - c.t);
        for (int y = 0; y < part->height(); ++y)
            for (int x = 0; x < part->width(); ++x) {
                int sx = x + c.l, sy = y + c.t;
                bool inside = sx >= 0 && sx < 4 && sy >= 0 && sy < 3;
                for (int k = 0; k < 3; ++k) {
                    uint8_t want = inside ? b.pixel(sx, sy)[k] : 0;
                    ASSERT_EQ(part->pixel(x, y)[k], want) << c.l << "," << c.t << " at " << x << "," << y;
                }
            }
    }
    EXPECT_EQ(b.crop(2, 2, 2, 3), nullptr);  // zero width
    EXPECT_EQ(b.crop(3, 0, 1, 1), nullptr);  // negative width
}

TEST(Bitmap, BmpImageHeaders) {
    Bitmap b;
    ASSERT_TRUE(b.create(5, 2));
    fillPattern(b);
    ByteWriter out;
    out.u16(0x7878);  // writeBmp appends after what is there
    EXPECT_EQ(b.writeBmp(out), 54u + 32u);
    std::vector<uint8_t> img = b.bmpImage();
    ASSERT_EQ(img.size(), 86u);
    EXPECT_EQ(std::vector<uint8_t>(out.buffer().begin() + 2, out.buffer().end()), img);
    EXPECT_EQ(img[0], 'B');
    EXPECT_EQ(img[1], 'M');
    EXPECT_EQ(loadU32(&img[2]), 86u);
    EXPECT_EQ(loadU32(&img[6]), 0u);
    EXPECT_EQ(loadU32(&img[10]), 54u);
    EXPECT_EQ(loadU32(&img[14]), 40u);
    EXPECT_EQ(loadU32(&img[18]), 5u);
    EXPECT_EQ(loadU32(&img[22]), 2u);
    EXPECT_EQ(loadU16(&img[26]), 1u);
    EXPECT_EQ(loadU16(&img[28]), 24u);
    for (size_t i = 30; i < 54; ++i) EXPECT_EQ(img[i], 0) << i;
    EXPECT_TRUE(std::equal(b.bits, b.bits + 32, img.begin() + 54));
}

TEST(Bitmap, SaveAndLoadFileRoundTrip) {
    test::TempDir dir;
    Bitmap b;
    ASSERT_TRUE(b.create(7, 3));
    fillPattern(b, 9);
    ASSERT_EQ(b.save(dir.file("pic.bmp")), 1);
    EXPECT_EQ(test::readFile(dir.file("pic.bmp")), b.bmpImage());

    Bitmap loaded;
    loaded.create(2, 2);  // an existing store is replaced
    EXPECT_EQ(loaded.loadFile(dir.file("pic.bmp")), 1);
    ASSERT_EQ(loaded.bounds, b.bounds);
    EXPECT_EQ(std::vector<uint8_t>(loaded.bits, loaded.bits + loaded.byteCount()),
              std::vector<uint8_t>(b.bits, b.bits + b.byteCount()));

    // Saving over an existing file replaces it whole, never leaving a longer tail behind.
    Bitmap small;
    ASSERT_TRUE(small.create(1, 1));
    ASSERT_EQ(small.save(dir.file("pic.bmp")), 1);
    EXPECT_EQ(test::readFile(dir.file("pic.bmp")).size(), 58u);

    EXPECT_EQ(b.save(dir.file("no/such/folder/pic.bmp")), 0);
}

TEST(Bitmap, LoadFileOfMissingOrRefusedFileLeavesEmptyBitmap) {
    test::TempDir dir;
    Bitmap missing;
    EXPECT_EQ(missing.loadFile(dir.file("nothing.bmp")), 1);
    EXPECT_TRUE(missing.empty());
    EXPECT_EQ(missing.bounds, Rect{});

    test::writeFile(dir.file("text.bmp"), std::string("not a picture at all, just some words here..........."));
    Bitmap refused;
    refused.create(3, 3);
    EXPECT_EQ(refused.loadFile(dir.file("text.bmp")), 1);
    EXPECT_TRUE(refused.empty());
    EXPECT_EQ(refused.bounds, Rect{});
}

} // namespace
} // namespace zre
