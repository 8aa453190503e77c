#include "platform/png_io.h"

#include <gtest/gtest.h>
#include <png.h>

#include <random>

namespace zre {
namespace {

using Bytes = std::vector<uint8_t>;

void appendData(png_structp png, png_bytep data, size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

// Writes a PNG of any colour type with libpng directly, from top-down rows of packed samples.
Bytes writePng(int w, int h, int colourType, int depth, bool interlaced, const std::vector<Bytes>& rows,
               const std::vector<png_color>& palette = {}) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendData, nullptr);
    png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), depth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
    png_write_info(png, info);
    std::vector<png_bytep> ptrs;
    for (const Bytes& r : rows) ptrs.push_back(const_cast<png_bytep>(r.data()));
    png_write_image(png, ptrs.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Pixel (x, y) of the decoded buffer, display coordinates, as {b, g, r}.
Bytes at(const Bytes& bits, int w, int h, int x, int y) {
    size_t stride = size_t((w * 3 + 3) / 4 * 4);
    const uint8_t* p = bits.data() + size_t(h - 1 - y) * stride + size_t(x) * 3;
    return {p[0], p[1], p[2]};
}

TEST(PngIo, EncodeDecodeRoundTripKeepsRowsAndOrder) {
    for (int w : {1, 5, 64}) {
        const int h = 3;
        const int stride = (w * 3 + 3) / 4 * 4;
        Bytes bits(size_t(stride * h));
        std::mt19937 rng(static_cast<uint32_t>(w));
        for (auto& b : bits) b = uint8_t(rng());
        for (int y = 0; y < h; ++y)
            for (int k = w * 3; k < stride; ++k) bits[size_t(y * stride + k)] = 0;  // padding is not stored
        Bytes png;
        ASSERT_TRUE(encodePngBgr(bits.data(), w, h, stride, png));
        int dw = 0, dh = 0;
        Bytes back;
        ASSERT_TRUE(decodePngBgr(png.data(), png.size(), dw, dh, back));
        EXPECT_EQ(dw, w);
        EXPECT_EQ(dh, h);
        EXPECT_EQ(back, bits) << w;
    }
    // The PNG's first row is the picture's top, the buffer's last.
    Bytes one = {1, 2, 3, 0, 4, 5, 6, 0};  // 1 x 2: bottom B G R = 1 2 3, top 4 5 6
    Bytes png;
    ASSERT_TRUE(encodePngBgr(one.data(), 1, 2, 4, png));
    Bytes rgba = writePng(1, 2, PNG_COLOR_TYPE_RGB, 8, false, {{6, 5, 4}, {3, 2, 1}});
    int w, h;
    Bytes a, b;
    ASSERT_TRUE(decodePngBgr(png.data(), png.size(), w, h, a));
    ASSERT_TRUE(decodePngBgr(rgba.data(), rgba.size(), w, h, b));
    EXPECT_EQ(a, one);
    EXPECT_EQ(b, one);
}

TEST(PngIo, DecodesEveryColourTypeToBgr) {
    struct Case {
        const char* name;
        Bytes png;
        Bytes topLeft, bottomRight;  // b, g, r
    };
    const std::vector<Case> cases = {
        {"grey 8", writePng(2, 2, PNG_COLOR_TYPE_GRAY, 8, false, {{10, 20}, {30, 40}}), {10, 10, 10}, {40, 40, 40}},
        {"grey 1", writePng(2, 2, PNG_COLOR_TYPE_GRAY, 1, false, {{0x80}, {0x40}}), {255, 255, 255}, {255, 255, 255}},
        {"grey alpha", writePng(2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, {{200, 255, 200, 0}}), {200, 200, 200},
         {0, 0, 0}},
        {"rgba half", writePng(2, 1, PNG_COLOR_TYPE_RGBA, 8, false, {{255, 100, 0, 128, 10, 20, 30, 255}}),
         {0, 50, 128}, {30, 20, 10}},
        {"rgb 16", writePng(1, 1, PNG_COLOR_TYPE_RGB, 16, false, {{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}}),
         {0x9A, 0x56, 0x12}, {0x9A, 0x56, 0x12}},
        {"palette", writePng(2, 1, PNG_COLOR_TYPE_PALETTE, 8, false, {{1, 0}}, {{1, 2, 3}, {7, 8, 9}}), {9, 8, 7},
         {3, 2, 1}},
        {"interlaced", writePng(9, 9, PNG_COLOR_TYPE_RGB, 8, true, std::vector<Bytes>(9, Bytes(27, 77))),
         {77, 77, 77}, {77, 77, 77}},
    };
    for (const Case& c : cases) {
        ASSERT_FALSE(c.png.empty()) << c.name;
        int w = 0, h = 0;
        Bytes bits;
        ASSERT_TRUE(decodePngBgr(c.png.data(), c.png.size(), w, h, bits)) << c.name;
        EXPECT_EQ(at(bits, w, h, 0, 0), c.topLeft) << c.name;
        EXPECT_EQ(at(bits, w, h, w - 1, h - 1), c.bottomRight) << c.name;
    }
}

TEST(PngIo, MalformedOrHugeDataFailsCleanly) {
    Bytes good = writePng(4, 4, PNG_COLOR_TYPE_RGB, 8, false, std::vector<Bytes>(4, Bytes(12, 5)));
    auto cut = [&](size_t n) { return Bytes(good.begin(), good.begin() + long(n)); };
    auto flip = [&](size_t at) { Bytes b = good; b[at] ^= 0xFF; return b; };
    auto dims = [&](uint32_t w, uint32_t h) {
        Bytes b = good;
        for (int i = 0; i < 4; ++i) {
            b[16 + size_t(i)] = uint8_t(w >> (24 - 8 * i));
            b[20 + size_t(i)] = uint8_t(h >> (24 - 8 * i));
        }
        return b;  // its CRC no longer fits either, which libpng reports as an error too
    };
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"empty", {}},
        {"signature only", cut(8)},
        {"header cut", cut(20)},
        {"data cut", cut(good.size() - 20)},
        {"signature", flip(1)},
        {"header crc", flip(29)},
        {"pixel data", flip(good.size() - 20)},
        {"huge", dims(100000, 100000)},
        {"zero", dims(0, 4)},
    };
    for (const auto& [name, data] : cases) {
        int w = 7, h = 7;
        Bytes bits(3, 1);
        EXPECT_FALSE(decodePngBgr(data.data(), data.size(), w, h, bits)) << name;
        EXPECT_EQ(w, 0) << name;
        EXPECT_EQ(h, 0) << name;
        EXPECT_TRUE(bits.empty()) << name;
    }
    Bytes out;
    uint8_t px[4] = {};
    EXPECT_FALSE(encodePngBgr(px, 0, 1, 4, out));
    EXPECT_FALSE(encodePngBgr(px, 2, 1, 4, out));  // stride shorter than a row
    EXPECT_FALSE(encodePngBgr(nullptr, 1, 1, 4, out));
}

} // namespace
} // namespace zre
