#include <gtest/gtest.h>

#include "data/byte_io.h"
#include "graphics/image_formats.h"
#include "platform/png_io.h"
#include "support/test_support.h"

namespace zre {
namespace {

using Bytes = std::vector<uint8_t>;

const std::string kTool = ZRE_BINARY_DIR "/src/zre-tool";

struct ToolRun {
    int code;
    std::string err;
};

ToolRun tool(const test::TempDir& dir, const std::string& args) {
    std::string errFile = dir.file("stderr.txt");
    int code = test::runCommand("cd '" + dir.path() + "' && '" + kTool + "' " + args + " 2>'" + errFile + "'");
    Bytes err = test::readFile(errFile);
    return {code, std::string(err.begin(), err.end())};
}

// 30 pixels: rows of 90 bytes padded to 92.
constexpr int kW = 30, kH = 12, kStride = 92, kRow = 90;

std::unique_ptr<Bitmap> picture() {
    auto b = makeBitmap(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            uint8_t* p = b->pixel(x, y);  // flat blocks, so the GFB coder shrinks it
            p[0] = uint8_t((x / 8) * 60);
            p[1] = uint8_t((y / 4) * 50);
            p[2] = 100;
        }
    return b;
}

TEST(ToolImage, ConvertsThroughEveryFormatWithoutLoss) {
    test::TempDir dir;
    auto pic = picture();
    const Bytes bmp = pic->bmpImage();
    test::writeFile(dir.file("in.bmp"), bmp);

    ASSERT_EQ(tool(dir, "image convert in.bmp a.png").code, 0);
    Bytes png = test::readFile(dir.file("a.png"));
    int w = 0, h = 0;
    Bytes bits;
    ASSERT_TRUE(decodePngBgr(png.data(), png.size(), w, h, bits));
    EXPECT_EQ(w, kW);
    EXPECT_EQ(h, kH);
    for (int y = 0; y < kH; ++y)  // padding aside, the rows are the picture's
        EXPECT_EQ(Bytes(bits.begin() + y * kStride, bits.begin() + y * kStride + kRow),
                  Bytes(pic->bits + y * kStride, pic->bits + y * kStride + kRow));

    ToolRun r = tool(dir, "image convert a.png b.gfb --compress --scramble");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    Bytes gfb = test::readFile(dir.file("b.gfb"));
    ASSERT_GE(gfb.size(), 64u);
    EXPECT_EQ(loadU32(&gfb[4]), 1u);
    EXPECT_EQ(loadU32(&gfb[8]), 1u);
    EXPECT_EQ(loadU32(&gfb[12]), gfb.size() - 64);

    ASSERT_EQ(tool(dir, "image convert b.gfb c.gef").code, 0);
    ASSERT_EQ(tool(dir, "image convert c.gef d.gfb --scramble").code, 0);
    EXPECT_EQ(loadU32(&test::readFile(dir.file("d.gfb"))[8]), 0u);
    ASSERT_EQ(tool(dir, "image convert d.gfb out.bmp").code, 0);
    // PNG carries no padding bytes; the rest is unchanged.
    Bytes back = test::readFile(dir.file("out.bmp"));
    ASSERT_EQ(back.size(), bmp.size());
    EXPECT_TRUE(std::equal(back.begin(), back.begin() + 54, bmp.begin()));
    for (int row = 0; row < kH; ++row)
        EXPECT_EQ(Bytes(back.begin() + 54 + row * kStride, back.begin() + 54 + row * kStride + kRow),
                  Bytes(bmp.begin() + 54 + row * kStride, bmp.begin() + 54 + row * kStride + kRow));
}

TEST(ToolImage, RefusalsSayWhy) {
    test::TempDir dir;
    auto pic = picture();
    test::writeFile(dir.file("in.bmp"), pic->bmpImage());
    test::writeFile(dir.file("words.bmp"), std::string(80, 'x'));
    Bytes gfb = encodeGfb(*pic, false, false);
    test::writeFile(dir.file("cut.gfb"), Bytes(gfb.begin(), gfb.end() - 1));
    Bytes huge = gfb;
    storeU32(&huge[28], 20000);
    test::writeFile(dir.file("huge.gfb"), huge);
    test::writeFile(dir.file("deep.bmp"), [&] { Bytes b = pic->bmpImage(); storeU16(&b[28], 32); return b; }());
    Bytes png;
    ASSERT_TRUE(encodePngBgr(pic->bits, kW, kH, pic->stride(), png));
    test::writeFile(dir.file("cut.png"), Bytes(png.begin(), png.begin() + 40));
    test::writeFile(dir.file("fake.png"), pic->bmpImage());
    test::writeFile(dir.file("keep.png"), std::string("old"));

    struct Case { const char* args; int code; const char* says; };
    const Case cases[] = {
        {"image convert in.bmp out.jpg", 2, "extension '.jpg'"},
        {"image convert in.bmp out", 2, "no extension"},
        {"image convert in.BMP out.png", 2, "'.BMP' is not a picture type"},
        {"image convert in.bmp out.bmp --compress", 2, "only to .gfb"},
        {"image convert in.bmp out.png --scramble", 2, "only to .gfb"},
        {"image convert in.bmp out.png --fast", 2, "unknown option"},
        {"image convert in.bmp", 2, "usage"},
        {"image shrink in.bmp out.png", 2, "usage"},
        {"image convert missing.bmp out.png", 1, "not found"},
        {"image convert words.bmp out.png", 1, "not a BMP picture"},
        {"image convert deep.bmp out.png", 1, "24-bit"},
        {"image convert cut.gfb out.png", 1, "shorter"},
        {"image convert huge.gfb out.png", 1, "too large"},
        {"image convert cut.png out.bmp", 1, "malformed PNG"},
        {"image convert fake.png out.bmp", 1, "not a PNG"},
        {"image convert words.bmp keep.png", 1, "not a BMP"},
    };
    for (const Case& c : cases) {
        ToolRun r = tool(dir, c.args);
        EXPECT_EQ(r.code, c.code) << c.args;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
        EXPECT_TRUE(test::readFile(dir.file("out.png")).empty()) << c.args;
        EXPECT_TRUE(test::readFile(dir.file("out.bmp")).empty()) << c.args;
    }
    EXPECT_EQ(test::readFile(dir.file("keep.png")), (Bytes{'o', 'l', 'd'}));
}

} // namespace
} // namespace zre
