#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "data/byte_io.h"
#include "platform/sound_buffer.h"
#include "platform/clock.h"
#include "platform/little_endian.h"
#include "platform/message_box.h"
#include "platform/png_io.h"
#include "platform/window.h"
#include "platform_fixture.h"
#include "support/test_support.h"

namespace zre {
namespace {

using test::HeadlessTest;

// An 800 x 600 bottom-up BGR picture whose pixel (x, y from the top) is (x, y, 7).
std::vector<uint8_t> gradient(int& stride) {
    stride = 800 * 3;
    std::vector<uint8_t> bits(static_cast<size_t>(stride) * 600);
    for (int y = 0; y < 600; ++y) {
        uint8_t* row = bits.data() + static_cast<size_t>(599 - y) * stride;
        for (int x = 0; x < 800; ++x) {
            row[x * 3] = static_cast<uint8_t>(x);
            row[x * 3 + 1] = static_cast<uint8_t>(y);
            row[x * 3 + 2] = 7;
        }
    }
    return bits;
}

const uint8_t* pixelAt(const WindowPicture& p, int x, int y) {
    return p.bits.data() + static_cast<size_t>(p.height - 1 - y) * p.stride + static_cast<size_t>(x) * 3;
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return loadU32(b.data() + at); }

// The shake's paints: the block destRect.right x destRect.bottom from (0, 0) of the picture
// goes to the window at the destination's corner; the strips it does not cover keep what
// the window showed before instead of turning black.
TEST_F(HeadlessTest, PresentCopiesTheBlockAndKeepsTheUncoveredStrips) {
    start();
    ASSERT_TRUE(createWindow("test", 800, 600, false));
    const WindowPicture& p = windowPicture();
    ASSERT_EQ(p.width, 800);
    ASSERT_EQ(p.height, 600);
    EXPECT_EQ(pixelAt(p, 400, 300)[2], 0);  // black before any paint

    int stride = 0;
    std::vector<uint8_t> bits = gradient(stride);
    const std::vector<uint8_t> grey(bits.size(), 0x20);
    struct Step {
        int left, top, right, bottom;
        int oldX, oldY;       // a pixel of an uncovered strip: still the grey picture
        int newX, newY;       // a covered pixel and the source pixel it shows
        int srcX, srcY;
    };
    const Step steps[] = {
        {-40, -40, 760, 560, 720, 100, 719, 519, 759, 559},
        {40, 40, 840, 640, 39, 100, 40, 40, 0, 0},
        {40, -40, 840, 560, 39, 100, 799, 519, 759, 559},
        {-40, 40, 760, 640, 100, 39, 0, 40, 40, 0},
    };
    for (const Step& s : steps) {
        presentFront(grey.data(), 800, 600, stride, 0, 0, 800, 600);
        presentFront(bits.data(), 800, 600, stride, s.left, s.top, s.right, s.bottom);
        EXPECT_EQ(pixelAt(p, s.oldX, s.oldY)[0], 0x20) << s.left << "," << s.top;
        const uint8_t* px = pixelAt(p, s.newX, s.newY);
        EXPECT_EQ(px[0], static_cast<uint8_t>(s.srcX)) << s.left << "," << s.top;
        EXPECT_EQ(px[1], static_cast<uint8_t>(s.srcY)) << s.left << "," << s.top;
    }
    // The block's size counts, not the picture's: a 760 x 560 block at (-40, -40) leaves
    // the right and bottom strips alone.
    presentFront(grey.data(), 800, 600, stride, 0, 0, 800, 600);
    presentFront(bits.data(), 800, 600, stride, -40, -40, 760, 560);
    EXPECT_EQ(pixelAt(p, 730, 10)[0], 0x20);
    EXPECT_EQ(pixelAt(p, 10, 530)[0], 0x20);

    presentFront(bits.data(), 800, 600, stride, 0, 0, 800, 600);
    EXPECT_EQ(std::memcmp(p.bits.data(), bits.data(), bits.size()), 0);
    presentFront(grey.data(), 800, 600, stride, 900, 0, 800, 600);  // entirely outside
    EXPECT_EQ(std::memcmp(p.bits.data(), bits.data(), bits.size()), 0);
}

TEST_F(HeadlessTest, ScreenshotsAreTakenWhenTheirTimeIsReached) {
    test::TempDir dir;
    HeadlessOptions o;
    o.frameMs = 16;
    o.screenshots = {{40, dir.file("later.png")}, {0, dir.file("first.bmp")}};
    start(o);
    int stride = 0;
    std::vector<uint8_t> bits = gradient(stride);
    presentFront(bits.data(), 800, 600, stride, 0, 0, 800, 600);
    advanceFrame();  // 0 -> 16: the picture painted at 0 is due for 0
    ASSERT_TRUE(std::filesystem::exists(dir.file("first.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("later.png")));

    std::vector<uint8_t> bmp = test::readFile(dir.file("first.bmp"));
    ASSERT_EQ(bmp.size(), 54u + 800u * 3 * 600);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(le32(bmp, 2), bmp.size());
    EXPECT_EQ(le32(bmp, 10), 54u);
    EXPECT_EQ(le32(bmp, 18), 800u);
    EXPECT_EQ(le32(bmp, 22), 600u);
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(std::memcmp(bmp.data() + 54, bits.data(), bits.size()), 0);

    advanceFrame();  // 32
    advanceFrame();  // 48: 40 was passed at 32 -> 48, after the frame at 32 painted
    std::vector<uint8_t> png = test::readFile(dir.file("later.png"));
    int w = 0;
    int h = 0;
    std::vector<uint8_t> decoded;
    ASSERT_TRUE(decodePngBgr(png.data(), png.size(), w, h, decoded));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(decoded, bits);
}

TEST_F(HeadlessTest, ScreenshotBeforeAnyPaintIsBlackAndUnreachedOnesAreReported) {
    test::TempDir dir;
    HeadlessOptions o;
    o.screenshots = {{0, dir.file("black.bmp")}, {100000, dir.file("never.png")}};
    start(o);
    testing::internal::CaptureStderr();
    shutdownPlatform();
    std::string err = testing::internal::GetCapturedStderr();
    std::vector<uint8_t> bmp = test::readFile(dir.file("black.bmp"));
    ASSERT_EQ(bmp.size(), 54u + 800u * 3 * 600);
    EXPECT_TRUE(std::all_of(bmp.begin() + 54, bmp.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_FALSE(std::filesystem::exists(dir.file("never.png")));
    EXPECT_NE(err.find("never.png"), std::string::npos);
}

TEST_F(HeadlessTest, MessageBoxesAreLoggedAndAnsweredInOrder) {
    HeadlessOptions o;
    o.answers = {MessageBoxResult::No, MessageBoxResult::Ok, MessageBoxResult::Yes};
    start(o);
    // "終了" / "ゲームを終了しますか？" in Shift JIS.
    const std::string caption = "\x8f\x49\x97\xb9";
    const std::string text = "\x83\x51\x81\x5b\x83\x80\x82\xf0\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81\x48";
    testing::internal::CaptureStderr();
    EXPECT_EQ(messageBox(text, caption, MessageBoxButtons::YesNo, MessageBoxIcon::Question), MessageBoxResult::No);
    // An OK box uses up an answer too.
    EXPECT_EQ(messageBox("a", "Error", MessageBoxButtons::Ok, MessageBoxIcon::Error), MessageBoxResult::Ok);
    EXPECT_EQ(messageBox("b", "c", MessageBoxButtons::YesNo), MessageBoxResult::Yes);
    // The list is used up: yes from now on.
    EXPECT_EQ(messageBox("d", "e", MessageBoxButtons::YesNo), MessageBoxResult::Yes);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err,
              "messagebox [\xe7\xb5\x82\xe4\xba\x86] "
              "\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0\xe3\x82\x92\xe7\xb5\x82\xe4\xba\x86\xe3\x81\x97\xe3\x81\xbe"
              "\xe3\x81\x99\xe3\x81\x8b\xef\xbc\x9f\n"
              "messagebox [Error] a\nmessagebox [c] b\nmessagebox [e] d\n");
}

// Two rings of 10 ms each that play once: full scale left, a small negative value right.
std::unique_ptr<SoundBuffer> squareWave(SoundDevice& device) {
    PcmFormat f{1, 2, 44100, 44100 * 4, 4, 16};
    std::unique_ptr<SoundBuffer> b = device.createBuffer(f, 441 * 4);
    uint8_t* p = nullptr;
    uint32_t n = 0;
    EXPECT_TRUE(b->lock(0, b->bytes(), &p, &n, nullptr, nullptr));
    for (uint32_t i = 0; i < n; i += 4) {
        storeU16(p + i, 30000);
        storeU16(p + i + 2, static_cast<uint16_t>(-100));
    }
    b->unlock(p, n, nullptr, 0);
    return b;
}

TEST_F(HeadlessTest, AudioOutHoldsTheMixOverTheVirtualRun) {
    test::TempDir dir;
    HeadlessOptions o;
    o.frameMs = 10;
    o.audioOut = dir.file("out.wav");
    start(o);
    std::unique_ptr<SoundDevice> device = SoundDevice::open();
    ASSERT_TRUE(device);
    std::unique_ptr<SoundBuffer> a = squareWave(*device);
    std::unique_ptr<SoundBuffer> b = squareWave(*device);
    a->play(false);
    b->play(false);
    advanceFrame();  // 10 ms with both rings
    EXPECT_FALSE(a->status() & kSoundStatusPlaying);
    for (int i = 0; i < 99; ++i) advanceFrame();  // to 1 s
    shutdownPlatform();

    std::vector<uint8_t> wav = test::readFile(dir.file("out.wav"));
    ASSERT_EQ(wav.size(), 44u + 44100u * 4);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(le32(wav, 4), wav.size() - 8);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le32(wav, 24), 44100u);
    EXPECT_EQ(wav[22], 2);
    EXPECT_EQ(wav[34], 16);
    EXPECT_EQ(le32(wav, 40), 44100u * 4);
    auto sample = [&](size_t frame, int channel) {
        size_t at = 44 + frame * 4 + static_cast<size_t>(channel) * 2;
        return static_cast<int16_t>(loadU16(wav.data() + at));
    };
    EXPECT_EQ(sample(0, 0), 32767);   // 30000 + 30000 clipped
    EXPECT_EQ(sample(440, 1), -200);
    EXPECT_EQ(sample(441, 0), 0);     // silence after the sources left
    EXPECT_EQ(sample(44099, 1), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.wav.part")));
}

} // namespace
} // namespace zre
