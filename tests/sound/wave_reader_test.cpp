#include <gtest/gtest.h>

#include "platform/vorbis_encoder.h"
#include "sound/sound_fixture.h"

namespace zre {
namespace {

using namespace test;
using sslib2::COggFileReader;
using sslib2::CPlainWavFileReader;

TEST(PlainWav, LengthSeekAndTheEnd) {
    struct Case {
        uint32_t dataBytes;
        uint32_t frames;
        bool isLong;
    } cases[] = {{1000000, 250000, true}, {132300 * 4, 132300, false}, {132301 * 4, 132301, true}, {6, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataBytes);
        auto r = wavReader(waveWithData(pcm(2, 44100, 16), std::vector<uint8_t>(c.dataBytes, 7)));
        ASSERT_TRUE(r);
        EXPECT_EQ(r->GetLength(), c.frames);
        EXPECT_EQ(r->IsLong(), c.isLong);
        EXPECT_EQ(r->GetLoopStart(), 0u);
        EXPECT_EQ(r->GetLoopEnd(), c.frames);
        EXPECT_EQ(r->GetLoopCount(), 0u);
        EXPECT_FALSE(r->IsEOF());
        EXPECT_TRUE(r->Seek(c.dataBytes / 4));
        EXPECT_EQ(r->IsEOF(), c.dataBytes % 4 == 0);
        EXPECT_FALSE(r->Seek(c.dataBytes / 4 + 1));
    }
}

TEST(PlainWav, ReadsDeliverTheDataAndStopAtItsEnd) {
    std::vector<uint8_t> data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    auto r = wavReader(waveImage(pcm(1, 22050, 16), {{"data", data}, {"LIST", {0xEE, 0xEE}}}));
    ASSERT_TRUE(r);
    uint8_t out[16] = {};
    uint32_t got = 0;
    EXPECT_TRUE(r->Read(out, 4, &got));
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(r->Tell(), 2u);
    EXPECT_TRUE(r->Read(out, 16, &got));
    EXPECT_EQ(got, 6u);  // the chunk after "data" is not sound
    EXPECT_EQ(out[5], 10);
    EXPECT_TRUE(r->IsEOF());
    EXPECT_TRUE(r->Seek(1));
    EXPECT_TRUE(r->Read(out, 2, nullptr));
    EXPECT_EQ(out[0], 3);
    r->Close();
    EXPECT_FALSE(r->IsOpen());
    EXPECT_FALSE(r->Read(out, 2, &got));
    EXPECT_FALSE(r->Seek(0));
}

TEST(PlainWav, TheChunkWalk) {
    const PcmFormat f = pcm(1, 8000, 8);
    // An odd chunk size is walked as it stands: the data chunk must start right after it.
    std::vector<uint8_t> odd = waveImage(f, {{"junk", {1, 2, 3}}, {"data", {0x10, 0x20}}});
    auto r = wavReader(odd);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->GetLength(), 2u);
    // An 18-byte format chunk (extended) opens; the data follows its 18 bytes.
    auto extended = wavReader(waveImage(f, {{"data", {9, 9, 9}}}, 18));
    ASSERT_TRUE(extended);
    EXPECT_EQ(extended->GetLength(), 3u);
    uint8_t b = 0;
    extended->Read(&b, 1, nullptr);
    EXPECT_EQ(b, 9);
}

TEST(PlainWav, RefusesWhatIsNotIntegerPcmWithData) {
    PcmFormat floatFormat = pcm(2, 44100, 32);
    floatFormat.formatTag = 3;
    std::vector<uint8_t> good = waveWithData(pcm(2, 44100, 16), {0, 0, 0, 0});
    std::vector<uint8_t> noRiff = good;
    noRiff[0] = 'X';
    std::vector<uint8_t> noWave = good;
    noWave[8] = 'X';
    std::vector<uint8_t> noFmt = good;
    noFmt[12] = 'X';
    // A chunk whose size would wrap the walk back to its start, and one that runs past the
    // end of the file: both end the walk without a data chunk.
    std::vector<uint8_t> wrapping = waveImage(pcm(1, 8000, 8), {{"junk", {}, 0xFFFFFFF8u}, {"data", {1}}});
    std::vector<uint8_t> pastEnd = waveImage(pcm(1, 8000, 8), {{"junk", {}, 0x7FFFFFF0u}, {"data", {1}}});
    const std::vector<uint8_t> refused[] = {
        noRiff, noWave, noFmt, waveWithData(floatFormat, {0, 0, 0, 0}), waveImage(pcm(1, 8000, 8), {{"junk", {1}}}),
        wrapping, pastEnd, std::vector<uint8_t>(good.begin(), good.begin() + 30)};
    for (size_t i = 0; i < std::size(refused); ++i) {
        SCOPED_TRACE(i);
        EXPECT_FALSE(wavReader(refused[i]));
    }
}

TEST(PlainWav, ADataChunkCutShortEndsWhereTheFileEnds) {
    auto r = wavReader(waveImage(pcm(1, 8000, 16), {{"data", {1, 0, 2, 0}, 4000}}));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->GetLength(), 2u);
    uint8_t out[8];
    uint32_t got = 0;
    r->Read(out, 8, &got);
    EXPECT_EQ(got, 4u);
    EXPECT_TRUE(r->IsEOF());
}

std::vector<uint8_t> oggTone(size_t frames, int channels, long rate) {
    return encodeVorbis(tone(frames, channels, double(rate), 440).data(), frames, channels, rate);
}

TEST(OggReader, SixteenBitFramesOfTheStreamAndItsEnd) {
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        std::vector<uint8_t> ogg = oggTone(30000, channels, 22050);
        ASSERT_FALSE(ogg.empty());
        COggFileReader r;
        ASSERT_TRUE(r.OpenSource(std::make_unique<MemoryStream>(ogg), 0, static_cast<int32_t>(ogg.size())));
        PcmFormat f;
        r.GetFormat(&f);
        EXPECT_EQ(f.formatTag, 1);
        EXPECT_EQ(f.channels, channels);
        EXPECT_EQ(f.samplesPerSec, 22050u);
        EXPECT_EQ(f.bitsPerSample, 16);
        EXPECT_EQ(f.blockAlign, 2 * channels);
        EXPECT_EQ(f.avgBytesPerSec, 22050u * 2 * uint32_t(channels));
        EXPECT_EQ(r.GetLength(), 30000u);
        // Across the end: what was left, then the end is reported until a seek.
        std::vector<uint8_t> all(30000 * f.blockAlign + 1000);
        uint32_t got = 0;
        EXPECT_TRUE(r.Read(all.data(), static_cast<uint32_t>(all.size()), &got));
        EXPECT_EQ(got, 30000u * f.blockAlign);
        EXPECT_TRUE(r.IsEOF());
        EXPECT_TRUE(r.Seek(0));
        EXPECT_FALSE(r.IsEOF());
        EXPECT_EQ(r.Tell(), 0u);
        std::vector<uint8_t> again(all.size());
        r.Read(again.data(), got, nullptr);
        EXPECT_EQ(std::vector<uint8_t>(all.begin(), all.begin() + got), std::vector<uint8_t>(again.begin(), again.begin() + got));
        EXPECT_TRUE(r.Seek(20000));
        EXPECT_EQ(r.Tell(), 20000u);
    }
}

TEST(OggReader, ASoundInsideALargerFileIsReadThroughItsWindow) {
    std::vector<uint8_t> ogg = oggTone(8000, 2, 44100);
    const int32_t base = 1000;
    ByteWriter w;
    w.text(std::string(base, '\xAB'));
    w.bytes(ogg.data(), ogg.size());
    w.text(std::string(777, '\xCD'));
    const std::vector<uint8_t> file = w.buffer();
    const auto length = static_cast<int32_t>(ogg.size());

    sslib2::OggSource s;
    s.file = std::make_unique<MemoryStream>(file);
    s.base = base;
    s.length = length;
    EXPECT_EQ(s.seek(0, 0), 0);
    EXPECT_EQ(s.file->tell(), uint64_t(base));
    EXPECT_EQ(s.tell(), 0);
    EXPECT_EQ(s.seek(0, 2), 0);
    EXPECT_EQ(s.file->tell(), uint64_t(base + length));
    EXPECT_EQ(s.seek(-10, 1), 0);
    EXPECT_EQ(s.tell(), length - 10);
    EXPECT_EQ(s.seek(0, 7), -1);
    EXPECT_EQ(s.seek(int64_t(1) << 40, 0), 0);  // only the low 32 bits count
    EXPECT_EQ(s.tell(), 0);
    uint8_t b[4];
    EXPECT_EQ(s.read(b, 2, 2), 4u);  // bytes, not items
    EXPECT_EQ(s.close(), 0);
    EXPECT_FALSE(s.file);
    EXPECT_EQ(s.base, 0);
    EXPECT_EQ(s.close(), -1);

    COggFileReader r;
    auto whole = std::make_unique<MemoryStream>(file);
    whole->seek(uint64_t(base));
    ASSERT_TRUE(r.OpenSource(std::move(whole), base, length));
    EXPECT_EQ(r.GetLength(), 8000u);
    // Not Ogg at all: refused and closed.
    COggFileReader bad;
    EXPECT_FALSE(bad.OpenSource(std::make_unique<MemoryStream>(std::vector<uint8_t>(500, 1)), 0, 500));
    EXPECT_FALSE(bad.IsOpen());
    EXPECT_EQ(bad.Tell(), 0u);
}

} // namespace
} // namespace zre
