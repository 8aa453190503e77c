#include <gtest/gtest.h>

#include "platform/sound_mixer.h"
#include "sound/sound_buffer.h"
#include "sound/sound_fixture.h"

namespace zre {
namespace {

using namespace test;
using sslib2::CStreamSoundBuffer;

class StreamBuffer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(device.Create()); }

    // A stream over a WAV of the given data, created on the device.
    std::unique_ptr<CStreamSoundBuffer> stream(const PcmFormat& f, std::vector<uint8_t> data) {
        auto b = std::make_unique<CStreamSoundBuffer>();
        EXPECT_TRUE(b->Create(device, wavReader(waveWithData(f, std::move(data)))));
        return b;
    }
    // The ring's bytes as they are now.
    static std::vector<uint8_t> ring(CStreamSoundBuffer& b) {
        uint8_t* p = nullptr;
        uint32_t n = 0;
        b.ring()->lock(0, b.ring()->bytes(), &p, &n, nullptr, nullptr);
        std::vector<uint8_t> out(p, p + n);
        b.ring()->unlock(p, n, nullptr, 0);
        return out;
    }
    // Output frames of the headless mix (44100 Hz stereo).
    static std::vector<int16_t> mix(size_t frames) {
        std::vector<int16_t> out(frames * 2);
        detail::mixSound(out.data(), frames, true);
        return out;
    }

    sslib2::CDirectSound device;
};

TEST(StreamSegments, ThreeSixteenthsOfASecondInWholeFrames) {
    struct Case {
        PcmFormat format;
        uint32_t segment;
    } cases[] = {{pcm(2, 44100, 16), 33076}, {pcm(1, 22050, 16), 8268}, {pcm(2, 22050, 16), 16540},
                 {pcm(2, 48000, 16), 36000}, {pcm(1, 22050, 8), 4134},   {pcm(1, 11025, 16), 4134}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format.samplesPerSec);
        EXPECT_EQ(CStreamSoundBuffer::SegmentBytes(c.format), c.segment);
    }
    PcmFormat noFrames = pcm(2, 44100, 16);
    noFrames.blockAlign = 0;
    EXPECT_EQ(CStreamSoundBuffer::SegmentBytes(noFrames), 0u);
}

TEST_F(StreamBuffer, SixteenNotificationsTheLastAtTheRingsLastByte) {
    auto b = stream(pcm(2, 44100, 16), std::vector<uint8_t>(400, 0));
    EXPECT_EQ(b->ring()->bytes(), 529216u);
    std::vector<uint32_t> at = b->ring()->notificationPositions();
    ASSERT_EQ(at.size(), 16u);
    for (uint32_t k = 1; k < 16; ++k) EXPECT_EQ(at[k - 1], 33076u * k);
    EXPECT_EQ(at[15], 529215u);

    // A format of no frames has no segment size and makes no buffer.
    PcmFormat broken = pcm(2, 44100, 16);
    broken.blockAlign = 0;
    CStreamSoundBuffer none;
    EXPECT_FALSE(none.Create(device, wavReader(waveWithData(broken, {0, 0, 0, 0}))));
    sslib2::CDirectSound absent;
    EXPECT_FALSE(none.Create(absent, wavReader(waveWithData(pcm(1, 8000, 8), {0}))));
}

TEST_F(StreamBuffer, ATwoSegmentSoundFillsTwoSegmentsAndStopsItself) {
    const PcmFormat f = pcm(1, 22050, 16);  // segment 8268 bytes = 4134 frames
    auto b = stream(f, sampleBytes(std::vector<int16_t>(2 * 4134, 1000)));
    ASSERT_TRUE(b->Play(0));
    std::vector<uint8_t> r = ring(*b);
    for (uint32_t s = 0; s < 16; ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(sampleAt(r.data() + s * 8268, 0), s < 2 ? 1000 : 0);
        EXPECT_EQ(sampleAt(r.data() + s * 8268, 4133), s < 2 ? 1000 : 0);
    }
    // 22050 Hz mono to 44100 Hz: a segment is 8268 output frames.
    std::vector<int16_t> first = mix(8000);
    EXPECT_TRUE(b->IsPlaying());
    EXPECT_NEAR(first[2 * 4000], 1000, 2);
    EXPECT_EQ(first[2 * 4000 + 1], first[2 * 4000]);
    mix(8268 * 2);
    EXPECT_FALSE(b->IsPlaying());
    std::vector<int16_t> after = mix(1000);
    EXPECT_EQ(*std::max_element(after.begin(), after.end()), 0);
}

TEST_F(StreamBuffer, ALoopingSoundFillsItsSeamFromTheFirstFrame) {
    const PcmFormat f = pcm(1, 22050, 16);
    std::vector<int16_t> samples(6201);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i + 1);
    auto b = stream(f, sampleBytes(samples));
    ASSERT_TRUE(b->Play(1));
    std::vector<uint8_t> r = ring(*b);
    EXPECT_EQ(sampleAt(r.data(), 6200), 6201);
    EXPECT_EQ(sampleAt(r.data(), 6201), 1);  // inside segment 1
    EXPECT_EQ(sampleAt(r.data(), 6201 + 6200), 6201);
    EXPECT_EQ(sampleAt(r.data(), 2 * 6201), 1);
    mix(44100 * 4);  // past every segment once
    EXPECT_TRUE(b->IsPlaying());
    // Play restarts from the start with a fresh prefill.
    ASSERT_TRUE(b->Play(0));
    EXPECT_EQ(b->ring()->currentPosition(), 0u);
    r = ring(*b);
    EXPECT_EQ(sampleAt(r.data(), 0), 1);
    EXPECT_EQ(sampleAt(r.data(), 6201), 0);  // no loop this time: silence after the end
}

TEST_F(StreamBuffer, AnEmptySoundIsSilence) {
    auto looping = stream(pcm(2, 44100, 16), {});
    ASSERT_TRUE(looping->Play(1));
    std::vector<uint8_t> r = ring(*looping);
    EXPECT_EQ(std::count(r.begin(), r.end(), 0), static_cast<std::ptrdiff_t>(r.size()));
    mix(44100);
    EXPECT_TRUE(looping->IsPlaying());
    looping->Stop();
    EXPECT_FALSE(looping->IsPlaying());

    auto once = stream(pcm(2, 44100, 16), {});
    ASSERT_TRUE(once->Play(0));
    mix(33076 / 4 - 10);
    EXPECT_TRUE(once->IsPlaying());
    mix(20);  // the first notification
    EXPECT_FALSE(once->IsPlaying());
}

TEST_F(StreamBuffer, EightBitSoundsArePaddedWith0x80) {
    auto b = stream(pcm(1, 22050, 8), std::vector<uint8_t>(100, 0x10));
    ASSERT_TRUE(b->Play(0));
    std::vector<uint8_t> r = ring(*b);
    EXPECT_EQ(r[99], 0x10);
    EXPECT_EQ(r[100], 0x80);
    EXPECT_EQ(r[4134 * 15 - 1], 0x80);
}

TEST_F(StreamBuffer, VolumesAreLinearAndTruncatedToLevels) {
    auto b = stream(pcm(2, 44100, 16), std::vector<uint8_t>(400, 0));
    struct Case {
        int32_t linear;
        int32_t level;
    } cases[] = {{10000, 0}, {7500, -249}, {5000, -602}, {2500, -1204}, {1000, -2000}, {100, -4000},
                 {1, -8000}, {0, -10000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.linear);
        EXPECT_EQ(sslib2::linearToLevel(c.linear), c.level);
        EXPECT_TRUE(b->SetVolume(c.linear));
        int32_t level = 1;
        EXPECT_TRUE(b->GetVolume(&level));
        EXPECT_EQ(level, c.level);
    }
    // Out of range: refused, the level stays (10001 still truncates to level 0).
    for (int32_t bad : {20000, -1, INT32_MIN}) {
        EXPECT_FALSE(b->SetVolume(bad));
        int32_t level = 1;
        b->GetVolume(&level);
        EXPECT_EQ(level, -10000);
    }
    // The whole-sound buffer takes platform levels: 7500 is none.
    sslib2::CStaticSoundBuffer whole;
    ASSERT_TRUE(whole.Create(device, wavReader(waveWithData(pcm(1, 8000, 16), {1, 0}))));
    EXPECT_FALSE(whole.SetVolume(7500));
    EXPECT_TRUE(whole.SetVolume(-600));
}

TEST_F(StreamBuffer, TheLevelScalesTheMixAndTheSumClipsOnce) {
    const PcmFormat f = pcm(2, 44100, 16);
    auto a = stream(f, sampleBytes(std::vector<int16_t>(20000, 20000)));
    auto b = stream(f, sampleBytes(std::vector<int16_t>(20000, 20000)));
    a->Play(0);
    b->Play(0);
    std::vector<int16_t> both = mix(100);
    EXPECT_EQ(both[50], 32767);
    a->SetVolume(5000);  // -602: amplitude 10^(-602/2000) = 0.5000
    b->SetVolume(0);
    std::vector<int16_t> half = mix(100);
    EXPECT_NEAR(half[50], 10000, 2);
}

TEST_F(StreamBuffer, TheWholeSoundBufferPlaysOnceOrLoops) {
    sslib2::CStaticSoundBuffer whole;
    ASSERT_TRUE(whole.Create(device, wavReader(waveWithData(pcm(2, 44100, 16), sampleBytes(std::vector<int16_t>(200, 500))))));
    whole.Play(0);
    std::vector<int16_t> once = mix(200);
    EXPECT_EQ(once[2 * 50], 500);
    EXPECT_EQ(once[2 * 150], 0);
    EXPECT_FALSE(whole.IsPlaying());
    whole.Play(1);
    mix(1000);
    EXPECT_TRUE(whole.IsPlaying());
}

TEST_F(StreamBuffer, DestroyingAPlayingStreamEndsItsWorker) {
    for (int i = 0; i < 20; ++i) {
        auto b = stream(pcm(2, 44100, 16), sampleBytes(tone(44100, 2, 44100, 300)));
        b->Play(1);
        mix(4000);
    }
    std::vector<int16_t> after = mix(100);
    EXPECT_EQ(*std::max_element(after.begin(), after.end()), 0);
}

} // namespace
} // namespace zre
