// The movie decoder's thread and its queues, driven in step so that what comes out depends
// on the movie alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "data/byte_stream.h"
#include "platform/movie_encoder.h"
#include "sound/movie_player.h"
#include "support/test_support.h"

namespace zre::test {
namespace {

// Three seconds at 25 pictures per second with a tone all along.
std::string writeClipWithSound(const TempDir& dir, const std::string& name) {
    const std::string path = dir.file(name);
    std::vector<int16_t> tone(3 * kMovieSoundRate * 2);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(std::lround(6000 * std::sin(2 * M_PI * 440 * double(i / 2) / kMovieSoundRate)));
    EXPECT_TRUE(writeMovieFile(
        path, 160, 120, 25, 75, [](int frame, uint8_t* bgr, int stride) {
            for (int y = 0; y < 120; ++y)
                for (int x = 0; x < 160 * 3; ++x) bgr[y * stride + x] = static_cast<uint8_t>(frame);
        },
        tone));
    return path;
}

std::unique_ptr<MovieDecoder> clipWithSound(const TempDir& dir, const std::string& name = "clip.mpg") {
    const std::string path = writeClipWithSound(dir, name);
    if (name.ends_with(".avi")) {
        // The sound's chunks made into chunks every reader skips: a sound stream with no sound.
        std::vector<uint8_t> bytes = readFile(path);
        for (size_t i = 0; i + 4 <= bytes.size(); ++i)
            if (std::memcmp(&bytes[i], "01wb", 4) == 0) std::memcpy(&bytes[i], "JUNK", 4);
        writeFile(path, bytes);
    }
    return MovieDecoder::open(movieInput(FileStream::open(path)), 800, 600);
}

// A movie played where nobody takes its sound (no sound device) still runs to its end: the
// sound it decodes is let go instead of filling the queue and holding the pictures up.
TEST(MovieStream, SoundNobodyTakesDoesNotHoldThePicturesUp) {
    TempDir dir;
    std::unique_ptr<MovieDecoder> decoder = clipWithSound(dir);
    ASSERT_TRUE(decoder);
    ASSERT_TRUE(decoder->hasSound());
    MovieStream stream(std::move(decoder), true, false);
    stream.waitForFirstPicture();
    MoviePicture picture;
    int64_t lastMs = -1;
    for (int64_t ms = 0; ms <= 10000 && !stream.picturesEnded(); ms += 40) {
        if (stream.takePicture(ms, picture)) lastMs = picture.ms;
    }
    EXPECT_TRUE(stream.picturesEnded());
    EXPECT_GE(lastMs, 2900);
    EXPECT_EQ(stream.droppedPictures(), 0u);
}

// A movie that declares sound but holds none gives nothing to the sound it is asked for and
// ends with its pictures.
TEST(MovieStream, ASoundStreamWithoutSoundGivesNothing) {
    TempDir dir;
    std::unique_ptr<MovieDecoder> decoder = clipWithSound(dir, "clip.avi");
    ASSERT_TRUE(decoder);
    ASSERT_TRUE(decoder->hasSound());
    MovieStream stream(std::move(decoder), true);
    std::vector<int16_t> sound(4410 * 2);
    MoviePicture picture;
    int pictures = 0;
    for (int64_t ms = 0; ms <= 10000 && !stream.picturesEnded(); ms += 100) {
        EXPECT_EQ(stream.takeSound(sound.data(), 4410), 0u);
        if (stream.takePicture(ms, picture)) ++pictures;
    }
    EXPECT_TRUE(stream.picturesEnded());
    EXPECT_TRUE(stream.soundEnded());
    EXPECT_GT(pictures, 25);
}

// A sound stream that declares one sample a second: every sample would become a second of
// sound, so a chunk of them hours. Such runs are let go; the pictures play on.
TEST(MovieDecoder, AFewSamplesASecondAreNotBlownUpIntoHoursOfSound) {
    TempDir dir;
    const std::string path = writeClipWithSound(dir, "clip.avi");
    std::vector<uint8_t> bytes = readFile(path);
    // The wave format of the sound stream: integer PCM, 2 channels, 44100 per second.
    const uint8_t format[] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0};
    auto at = std::search(bytes.begin(), bytes.end(), std::begin(format), std::end(format));
    ASSERT_NE(at, bytes.end());
    at[4] = 1;
    at[5] = 0;
    writeFile(path, bytes);

    std::unique_ptr<MovieDecoder> decoder = MovieDecoder::open(movieInput(FileStream::open(path)), 800, 600);
    ASSERT_TRUE(decoder);
    ASSERT_TRUE(decoder->hasSound());
    MoviePicture picture;
    std::vector<int16_t> sound;
    int pictures = 0;
    for (int i = 0; i < 10000; ++i) {
        sound.clear();
        const MovieDecoder::Output got = decoder->next(picture, sound);
        if (got == MovieDecoder::Output::End) break;
        if (got == MovieDecoder::Output::Picture) ++pictures;
        ASSERT_LE(sound.size() / 2, size_t(60) * kMovieSoundRate);
    }
    EXPECT_EQ(pictures, 75);
}

} // namespace
} // namespace zre::test
