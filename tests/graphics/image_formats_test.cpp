#include "graphics/image_formats.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "data/byte_io.h"
#include "data/gpk_archive.h"
#include "data/lzss.h"
#include "graphics/picture_reader.h"
#include "support/test_support.h"

namespace zre {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes pixelsOf(const Bitmap& b) { return Bytes(b.bits, b.bits + b.byteCount()); }

// A picture with flat areas (so LZSS shrinks it) and every padding byte set.
std::unique_ptr<Bitmap> smoothPicture(int32_t w, int32_t h) {
    auto b = makeBitmap(w, h);
    for (size_t i = 0; i < b->byteCount(); ++i) b->bits[i] = uint8_t((i / 37) * 3);
    return b;
}

// A picture that LZSS cannot shrink.
std::unique_ptr<Bitmap> noisePicture(int32_t w, int32_t h) {
    auto b = makeBitmap(w, h);
    std::mt19937 rng(7);
    for (size_t i = 0; i < b->byteCount(); ++i) b->bits[i] = uint8_t(rng());
    return b;
}

// A GFB file made by hand, field by field.
Bytes gfbFile(uint32_t scrambled, uint32_t compressed, uint32_t stored, uint32_t pixelSize, int32_t w, int32_t h,
              const Bytes& data, uint16_t bits = 24) {
    ByteWriter out;
    out.text("GFB ");
    out.u32(scrambled);
    out.u32(compressed);
    out.u32(stored);
    out.u32(pixelSize);
    out.u32(64);
    out.u32(40);
    out.i32(w);
    out.i32(h);
    out.u16(1);
    out.u16(bits);
    out.zeros(24);
    out.bytes(data.data(), data.size());
    return out.buffer();
}

PictureStatus readWith(PictureStatus (*reader)(Bitmap&, ByteStream&), const Bytes& file, Bitmap& into) {
    MemoryStream source(file.data(), file.size());
    return reader(into, source);
}

TEST(ImageFormats, GfbScrambleUsesKeyBytesLeastSignificantFirst) {
    Bytes data(9, 0);
    gfbScramble(data.data(), data.size(), 0x44332211);
    EXPECT_EQ(data, (Bytes{0x11, 0x22, 0x33, 0x44, 0x11, 0x22, 0x33, 0x44, 0x11}));
    gfbScramble(data.data(), data.size(), 0x44332211);
    EXPECT_EQ(data, Bytes(9, 0));
    EXPECT_EQ(gfbKey(0, 0x30), 0xFFFFFFFFu);
    EXPECT_EQ(gfbKey(0xFFFFFF00u, 0x10), 0xFFu | 0x10u);
}

TEST(ImageFormats, GefHeaderIsScrambledAndRoundTrips) {
    auto pic = noisePicture(5, 3);
    Bytes file = encodeGef(*pic);
    ASSERT_EQ(file.size(), 44u + 48u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 4), (Bytes{'G', 'G', 'E', 'F'}));
    const uint8_t* info = file.data() + 4;
    EXPECT_EQ(loadU32(info + 0), 40u ^ 0x6C6C6C6Cu);
    EXPECT_EQ(loadU32(info + 4), 5u ^ 0x6C6C6C6Cu);
    EXPECT_EQ(loadU32(info + 8), 3u ^ 0x6C6C6C6Cu);
    EXPECT_EQ(loadU16(info + 12), 1u);   // planes, plain
    EXPECT_EQ(loadU16(info + 14), 24u);  // bit count, plain
    EXPECT_EQ(loadU32(info + 24), 0x6C6C6C6Cu);
    EXPECT_EQ(loadU32(info + 28), 0x6C6C6C6Cu);

    GefBitmap back;
    EXPECT_EQ(readWith(readGef, file, back), PictureStatus::Ok);
    EXPECT_EQ(back.bounds, pic->bounds);
    EXPECT_EQ(pixelsOf(back), pixelsOf(*pic));
}

TEST(ImageFormats, GfbAllFlagCombinationsRoundTrip) {
    for (bool noise : {false, true}) {
        auto pic = noise ? noisePicture(33, 9) : smoothPicture(33, 9);
        const uint32_t pixelSize = uint32_t(pic->byteCount());
        for (bool scr : {false, true})
            for (bool comp : {false, true}) {
                SCOPED_TRACE(testing::Message() << "noise " << noise << " scrambled " << scr << " compressed " << comp);
                Bytes file = encodeGfb(*pic, scr, comp);
                ASSERT_GE(file.size(), 64u);
                // Noise does not shrink: it is written plain and the header says so.
                bool packed = comp && !noise;
                EXPECT_EQ(loadU32(&file[4]), scr ? 1u : 0u);
                EXPECT_EQ(loadU32(&file[8]), packed ? 1u : 0u);
                uint32_t stored = loadU32(&file[12]);
                EXPECT_EQ(stored, packed ? file.size() - 64 : 0u);
                EXPECT_EQ(loadU32(&file[16]), pixelSize);
                EXPECT_EQ(loadU32(&file[20]), 64u);
                EXPECT_EQ(loadU32(&file[24]), 40u);
                EXPECT_EQ(loadU32(&file[28]), 33u);
                EXPECT_EQ(loadU32(&file[32]), 9u);
                if (!packed) {
                    EXPECT_EQ(file.size(), 64u + pixelSize);
                    Bytes data(file.begin() + 64, file.end());
                    if (scr) gfbScramble(data.data(), data.size(), gfbKey(0, pixelSize));
                    EXPECT_EQ(data, pixelsOf(*pic));
                }
                GfbBitmap back;
                ASSERT_EQ(readWith(readGfb, file, back), PictureStatus::Ok);
                EXPECT_EQ(back.bounds, pic->bounds);
                EXPECT_EQ(pixelsOf(back), pixelsOf(*pic));
                EXPECT_EQ(back.scrambled, 0u);  // reading leaves the object's own flags alone
                EXPECT_EQ(back.compressed, 0u);
            }
    }
}

TEST(ImageFormats, HandMadeGfbFiles) {
    auto pic = smoothPicture(6, 4);  // stride 20, 80 bytes
    const Bytes raw = pixelsOf(*pic);

    // Both flags 0, stored size 0: raw pixels after the header.
    {
        GfbBitmap b;
        EXPECT_EQ(readWith(readGfb, gfbFile(0, 0, 0, 80, 6, 4, raw), b), PictureStatus::Ok);
        EXPECT_EQ(pixelsOf(b), raw);
    }
    // Scrambled, not compressed: the key comes from a stored size of 0.
    {
        Bytes data = raw;
        gfbScramble(data.data(), data.size(), ~0u | 80u);
        GfbBitmap b;
        EXPECT_EQ(readWith(readGfb, gfbFile(1, 0, 0, 80, 6, 4, data), b), PictureStatus::Ok);
        EXPECT_EQ(pixelsOf(b), raw);
    }
    // Compressed then scrambled: the compressed stream is what is scrambled.
    {
        auto packed = lzssEncode(raw.data(), raw.size());
        ASSERT_TRUE(packed);
        Bytes data = *packed;
        uint32_t stored = uint32_t(data.size());
        gfbScramble(data.data(), data.size(), ~stored | 80u);
        GfbBitmap b;
        EXPECT_EQ(readWith(readGfb, gfbFile(7, 3, stored, 80, 6, 4, data), b), PictureStatus::Ok);
        EXPECT_EQ(pixelsOf(b), raw);
    }
    // A plain stored size below the pixel size fills only that much; the rest stays black.
    {
        GfbBitmap b;
        EXPECT_EQ(readWith(readGfb, gfbFile(0, 0, 40, 80, 6, 4, Bytes(raw.begin(), raw.begin() + 40)), b),
                  PictureStatus::Ok);
        Bytes want(raw.begin(), raw.begin() + 40);
        want.resize(80, 0);
        EXPECT_EQ(pixelsOf(b), want);
    }
}

struct Malformed {
    const char* name;
    std::function<Bytes()> file;
    PictureStatus status;
};

Bytes bmpOf(int32_t w, int32_t h) { return smoothPicture(w, h)->bmpImage(); }

Bytes patched(Bytes b, size_t at, uint32_t value, int width = 4) {
    if (width == 4) storeU32(&b[at], value);
    else storeU16(&b[at], uint16_t(value));
    return b;
}

Bytes truncated(Bytes b, size_t by) {
    b.resize(b.size() - by);
    return b;
}

// A header claiming a size with nothing (or almost nothing) behind it.
Bytes bmpHeaderOnly(int32_t w, int32_t h) {
    Bytes b = bmpOf(1, 1);
    b.resize(60, 0);
    storeU32(&b[18], uint32_t(w));
    storeU32(&b[22], uint32_t(h));
    return b;
}

TEST(ImageFormats, BmpReaderRefusesMalformedFiles) {
    const std::vector<Malformed> cases = {
        {"empty", [] { return Bytes{}; }, PictureStatus::Truncated},
        {"short header", [] { return truncated(bmpOf(2, 2), 60); }, PictureStatus::Truncated},
        {"signature", [] { return patched(bmpOf(2, 2), 0, 'B' | ('N' << 8), 2); }, PictureStatus::BadSignature},
        {"32 bits", [] { return patched(bmpOf(2, 2), 28, 32, 2); }, PictureStatus::Unsupported},
        {"8 bits", [] { return patched(bmpOf(2, 2), 28, 8, 2); }, PictureStatus::Unsupported},
        {"compressed", [] { return patched(bmpOf(2, 2), 30, 1); }, PictureStatus::Unsupported},
        {"core header", [] { return patched(bmpOf(2, 2), 14, 12); }, PictureStatus::Unsupported},
        {"zero width", [] { return patched(bmpOf(2, 2), 18, 0); }, PictureStatus::Malformed},
        {"negative width", [] { return patched(bmpOf(2, 2), 18, uint32_t(-2)); }, PictureStatus::Malformed},
        {"top-down", [] { return patched(bmpOf(2, 2), 22, uint32_t(-2)); }, PictureStatus::Malformed},
        {"pixels cut", [] { return truncated(bmpOf(3, 3), 1); }, PictureStatus::Truncated},
        {"huge width", [] { return bmpHeaderOnly(kMaxPictureSide + 1, 1); }, PictureStatus::TooLarge},
        {"16000 square", [] { return bmpHeaderOnly(16000, 16000); }, PictureStatus::TooLarge},
        {"9000 square, 60 bytes", [] { return bmpHeaderOnly(9000, 9000); }, PictureStatus::Truncated},
        {"v4 offset inside header", [] { return patched(patched(bmpOf(2, 2), 14, 108), 10, 54); },
         PictureStatus::Malformed},
    };
    for (const Malformed& c : cases) {
        Bitmap b;
        b.create(2, 2);
        EXPECT_EQ(readWith(readBmp, c.file(), b), c.status) << c.name;
        EXPECT_TRUE(b.empty()) << c.name;
        EXPECT_EQ(b.bounds, Rect{}) << c.name;
    }
}

TEST(ImageFormats, BmpReaderTakesPixelsFromOffset54OrFromLaterHeaderVersions) {
    auto pic = noisePicture(3, 2);
    // The classic header: the offset field is not consulted.
    {
        Bitmap b;
        EXPECT_EQ(readWith(readBmp, patched(pic->bmpImage(), 10, 999), b), PictureStatus::Ok);
        EXPECT_EQ(pixelsOf(b), pixelsOf(*pic));
    }
    // A 124-byte header with its pixels where the offset field points.
    {
        Bytes file = pic->bmpImage();
        Bytes pixels(file.begin() + 54, file.end());
        file.resize(54);
        storeU32(&file[14], 124);
        storeU32(&file[10], 14 + 124 + 4);
        file.resize(14 + 124 + 4, 0xEE);
        file.insert(file.end(), pixels.begin(), pixels.end());
        Bitmap b;
        EXPECT_EQ(readWith(readBmp, file, b), PictureStatus::Ok);
        EXPECT_EQ(pixelsOf(b), pixels);
    }
}

TEST(ImageFormats, GefReaderRefusesMalformedFiles) {
    auto pic = smoothPicture(4, 4);
    const Bytes good = encodeGef(*pic);
    const uint32_t x = 0x6C6C6C6C;
    const std::vector<Malformed> cases = {
        {"short", [&] { return Bytes(good.begin(), good.begin() + 40); }, PictureStatus::Truncated},
        {"magic", [&] { return patched(good, 0, 0x46454747 ^ 0x20); }, PictureStatus::BadSignature},
        {"bmp magic", [&] { return pic->bmpImage(); }, PictureStatus::BadSignature},
        {"depth", [&] { return patched(good, 4 + 14, 32, 2); }, PictureStatus::Unsupported},
        {"plain width", [&] { return patched(good, 8, 4); }, PictureStatus::TooLarge},
        {"negative height", [&] { return patched(good, 12, uint32_t(-4) ^ x); }, PictureStatus::Malformed},
        {"pixels cut", [&] { return truncated(good, 3); }, PictureStatus::Truncated},
        {"claims 9000 square", [&] { return patched(patched(good, 8, 9000 ^ x), 12, 9000 ^ x); },
         PictureStatus::Truncated},
    };
    for (const Malformed& c : cases) {
        GefBitmap b;
        EXPECT_EQ(readWith(readGef, c.file(), b), c.status) << c.name;
        EXPECT_TRUE(b.empty()) << c.name;
        EXPECT_EQ(b.bounds, Rect{}) << c.name;
    }
}

TEST(ImageFormats, GfbReaderRefusesMalformedFiles) {
    auto pic = smoothPicture(6, 4);  // 80 pixel bytes
    const Bytes raw = pixelsOf(*pic);
    const Bytes packed = *lzssEncode(raw.data(), raw.size());
    const uint32_t ps = uint32_t(packed.size());
    const std::vector<Malformed> cases = {
        {"short header", [&] { return truncated(gfbFile(0, 0, 0, 80, 6, 4, raw), 80 + 1); }, PictureStatus::Truncated},
        {"magic", [&] { return patched(gfbFile(0, 0, 0, 80, 6, 4, raw), 0, 0x00424647); }, PictureStatus::BadSignature},
        {"depth", [&] { return gfbFile(0, 0, 0, 80, 6, 4, raw, 32); }, PictureStatus::Unsupported},
        {"pixel size too small", [&] { return gfbFile(0, 0, 0, 79, 6, 4, raw); }, PictureStatus::Malformed},
        {"pixel size too large", [&] { return gfbFile(0, 0, 0, 81, 6, 4, raw); }, PictureStatus::Malformed},
        {"plain stored beyond pixels", [&] { Bytes d = raw; d.resize(200); return gfbFile(0, 0, 200, 80, 6, 4, d); },
         PictureStatus::Malformed},
        {"plain data cut", [&] { return truncated(gfbFile(0, 0, 0, 80, 6, 4, raw), 1); }, PictureStatus::Truncated},
        {"stored data cut", [&] { return truncated(gfbFile(0, 1, ps, 80, 6, 4, packed), 1); }, PictureStatus::Truncated},
        {"stream ends early",
         [&] { Bytes d(packed.begin(), packed.end() - 4); return gfbFile(0, 1, uint32_t(d.size()), 80, 6, 4, d); },
         PictureStatus::Malformed},
        {"stream scrambled wrongly", [&] { return gfbFile(1, 1, ps, 80, 6, 4, packed); }, PictureStatus::Ok},
        {"zero width", [&] { return gfbFile(0, 0, 0, 0, 0, 4, {}); }, PictureStatus::Malformed},
        {"negative height", [&] { return gfbFile(0, 0, 0, 80, 6, -4, raw); }, PictureStatus::Malformed},
        {"absurd width", [&] { return gfbFile(0, 0, 0, 80, 0x7FFFFFFF, 4, raw); }, PictureStatus::TooLarge},
        {"16000 square in 64 bytes", [&] { return gfbFile(0, 0, 0, 768000000, 16000, 16000, {}); },
         PictureStatus::TooLarge},
        {"9000 square in 64 bytes", [&] { return gfbFile(0, 0, 0, 243000000, 9000, 9000, {}); },
         PictureStatus::Truncated},
        {"9000 square from 10 stored bytes", [&] { return gfbFile(0, 1, 10, 243000000, 9000, 9000, Bytes(10)); },
         PictureStatus::Malformed},
        {"stored size 4 GiB", [&] { return gfbFile(0, 1, 0xFFFFFFFF, 80, 6, 4, packed); }, PictureStatus::Truncated},
    };
    for (const Malformed& c : cases) {
        GfbBitmap b;
        PictureStatus s = readWith(readGfb, c.file(), b);
        if (c.status == PictureStatus::Ok) {
            // Wrongly unscrambled data is garbage, but the reader stays inside its buffers:
            // whatever it decides, it either gives a full picture or none.
            EXPECT_TRUE(s == PictureStatus::Ok || s == PictureStatus::Malformed) << c.name;
            continue;
        }
        EXPECT_EQ(s, c.status) << c.name;
        EXPECT_TRUE(b.empty()) << c.name;
        EXPECT_EQ(b.bounds, Rect{}) << c.name;
    }
}

TEST(ImageFormats, BigValidPictureLoads) {
    Bitmap big;
    ASSERT_TRUE(big.create(4000, 3000));
    big.bits[0] = 1;
    big.bits[big.byteCount() - 1] = 2;
    Bytes file = encodeGfb(big, true, false);
    GfbBitmap back;
    ASSERT_EQ(readWith(readGfb, file, back), PictureStatus::Ok);
    EXPECT_EQ(back.width(), 4000);
    EXPECT_EQ(back.height(), 3000);
    EXPECT_EQ(back.bits[0], 1);
    EXPECT_EQ(back.bits[back.byteCount() - 1], 2);
}

TEST(ImageFormats, SaveWritesEachFormat) {
    test::TempDir dir;
    auto pic = smoothPicture(10, 5);
    GefBitmap gef;
    gef.create(10, 5);
    std::copy(pic->bits, pic->bits + pic->byteCount(), gef.bits);
    ASSERT_EQ(gef.save(dir.file("a.gef")), 1);
    EXPECT_EQ(test::readFile(dir.file("a.gef")), encodeGef(*pic));

    GfbBitmap gfb;
    gfb.create(10, 5);
    std::copy(pic->bits, pic->bits + pic->byteCount(), gfb.bits);
    gfb.scrambled = 1;
    gfb.compressed = 1;
    ASSERT_EQ(gfb.save(dir.file("a.gfb")), 1);
    EXPECT_EQ(test::readFile(dir.file("a.gfb")), encodeGfb(*pic, true, true));
    EXPECT_EQ(gfb.save(dir.file("missing/a.gfb")), 0);
}

TEST(ImageFormats, LoadImageFileChoosesTheReaderByExtension) {
    test::TempDir dir;
    auto pic = smoothPicture(3, 2);
    const Bytes bmp = pic->bmpImage(), gef = encodeGef(*pic), gfb = encodeGfb(*pic, true, false);
    enum Kind { None, Bmp, Gef, Gfb };
    struct Case { const char* name; const Bytes* content; Kind kind; };
    const Case cases[] = {
        {"a.bmp", &bmp, Bmp},   {"b.gef", &gef, Gef},     {"c.gfb", &gfb, Gfb},
        {"d.BMP", &bmp, None},  {"e.bmpx", &bmp, Bmp},    {"f.png", &bmp, None},
        {"noext", &bmp, None},  {"g.gef.bmp", &bmp, Bmp}, {"h.bmp.gef", &gef, Gef},
        {"i.gfb", &bmp, Gfb},   // right class, wrong content: empty picture of that class
    };
    for (const Case& c : cases) {
        test::writeFile(dir.file(c.name), *c.content);
        auto b = loadImageFile(dir.file(c.name));
        ASSERT_NE(b, nullptr) << c.name;
        Kind got = dynamic_cast<GfbBitmap*>(b.get()) ? Gfb : dynamic_cast<GefBitmap*>(b.get()) ? Gef : Bmp;
        if (c.kind == None) {
            EXPECT_EQ(got, Bmp) << c.name;  // a plain empty Bitmap
            EXPECT_TRUE(b->empty()) << c.name;
            EXPECT_EQ(b->bounds, Rect{}) << c.name;
            continue;
        }
        EXPECT_EQ(got, c.kind) << c.name;
        if (c.content == &bmp && c.kind != Bmp) {
            EXPECT_TRUE(b->empty()) << c.name;
        } else {
            ASSERT_EQ(b->bounds, pic->bounds) << c.name;
            EXPECT_EQ(pixelsOf(*b), pixelsOf(*pic)) << c.name;
        }
    }
    auto missing = loadImageFile(dir.file("missing.gfb"));
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->empty());
}

TEST(ImageFormats, PictureInsideAPackageStopsAtTheMembersEnd) {
    test::TempDir dir;
    auto pic = smoothPicture(4, 4);
    Bytes whole = encodeGfb(*pic, false, false);
    Bytes cut(whole.begin(), whole.end() - 1);
    // The cut member is followed by another one: its reader must not take that one's bytes.
    Bytes archive = buildGpkArchive({{"whole.gfb", whole}, {"cut.gfb", cut}, {"next.bin", Bytes(100, 7)}});
    test::writeFile(dir.file("pics.gpk"), archive);
    auto ok = loadImageFile(dir.file("pics.gpk/whole.gfb"));
    ASSERT_EQ(ok->bounds, pic->bounds);
    EXPECT_EQ(pixelsOf(*ok), pixelsOf(*pic));
    auto bad = loadImageFile(dir.file("pics.gpk/cut.gfb"));
    EXPECT_TRUE(bad->empty());
}

} // namespace
} // namespace zre
