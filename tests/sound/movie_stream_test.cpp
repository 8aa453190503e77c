// The movie decoder's thread and its queues, driven in step so that what comes out depends
// on the movie alone.
#include <gtest/gtest.h>

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
std::unique_ptr<MovieDecoder> clipWithSound(const TempDir& dir, const std::string& name = "clip.mpg") {
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

} // namespace
} // namespace zre::test
