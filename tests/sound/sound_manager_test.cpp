#include <gtest/gtest.h>

#include <filesystem>

#include "data/gpk_archive.h"
#include "platform/sound_mixer.h"
#include "platform/vorbis_encoder.h"
#include "sound/sound_fixture.h"
#include "sound/sound_manager.h"
#include "support/test_support.h"

namespace zre {
namespace {

using namespace test;

// A scratch game folder as the current directory, with a few sounds.
class ManagerFixture : public ::testing::Test {
protected:
    ManagerFixture() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir_.path());
        std::filesystem::create_directories("se");
        // Constant samples, so that a mixed level is easy to read.
        writeFile("se/level.wav", waveWithData(pcm(2, 44100, 16), sampleBytes(std::vector<int16_t>(2 * 44100, 3000))));
        writeFile("se/short.wav", waveWithData(pcm(2, 44100, 16), sampleBytes(std::vector<int16_t>(2 * 441, 3000))));
        writeFile("se/mono.wav", waveWithData(pcm(1, 22050, 16), sampleBytes(std::vector<int16_t>(44100, 1))));
        writeFile("se/stereo.wav", waveWithData(pcm(2, 22050, 16), sampleBytes(std::vector<int16_t>(88200, 1))));
        const std::vector<int16_t> t = tone(22050, 2, 44100, 440);
        const std::vector<uint8_t> ogg = encodeVorbis(t.data(), 22050, 2, 44100);
        writeFile("se/tone.ogg", ogg);
        writeFile("se/TONE.OGG", ogg);
        writeFile("pkg.dat", buildGpkArchive({{"junk.bin", std::vector<uint8_t>(333, 1)}, {"tone.ogg", ogg}}));
        manager.init();
    }
    ~ManagerFixture() override {
        manager.stopAll();
        std::filesystem::current_path(previous_);
    }
    static std::vector<int16_t> mix(size_t frames) {
        std::vector<int16_t> out(frames * 2);
        detail::mixSound(out.data(), frames, true);
        return out;
    }

    TempDir dir_;
    std::filesystem::path previous_;
    SoundManager manager;
};

TEST_F(ManagerFixture, OpensByExtensionAndFromPackages) {
    struct Case {
        const char* path;
        int played;
    } cases[] = {
        {"./se/level.wav", 1},  {"./se/tone.ogg", 1},     {"./pkg.dat/tone.ogg", 1}, {"./pkg.dat/TONE.ogg", 1},
        {"./se/TONE.OGG", 0},  // an upper-case extension goes to the WAVE reader
        {"./pkg.dat/none.ogg", 0}, {"./nowhere/tone.ogg", 0}, {"./se/missing.wav", 0}, {"./se/level.wav.ogg", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(manager.play(3, c.path, 1, 0), c.played);
        EXPECT_EQ(manager.isPlaying(3), c.played == 1);
        EXPECT_EQ(manager.count(), size_t(c.played));
    }
    EXPECT_EQ(manager.play(3, "./se/tone.ogg", 0, 0), 1);  // the whole-sound buffer
    EXPECT_EQ(manager.getDuration(3), 500);
}

TEST_F(ManagerFixture, LengthsStopAndRemove) {
    ASSERT_EQ(manager.play(1, "./se/mono.wav", 1, 0), 1);
    ASSERT_EQ(manager.play(2, "./se/stereo.wav", 1, 0), 1);
    EXPECT_EQ(manager.getDuration(1), 2000);
    EXPECT_EQ(manager.getDuration(2), 2000);
    EXPECT_EQ(manager.stop(1), 1);
    EXPECT_FALSE(manager.isPlaying(1));
    EXPECT_EQ(manager.getDuration(1), 2000);  // a stopped channel stays listed
    EXPECT_EQ(manager.count(), 2u);
    EXPECT_EQ(manager.remove(1), 1);
    EXPECT_EQ(manager.count(), 1u);
    for (int32_t key : {1, 77}) {
        EXPECT_EQ(manager.stop(key), 0);
        EXPECT_EQ(manager.remove(key), 0);
        EXPECT_FALSE(manager.isPlaying(key));
        EXPECT_FALSE(manager.setVolume(key, 5000));
        EXPECT_EQ(manager.getDuration(key), 0);
    }
    // A new sound on a key replaces the old one even when it fails to open.
    ASSERT_EQ(manager.play(0, "./se/level.wav", 1, 1), 1);
    EXPECT_EQ(manager.play(0, "./bgm/m-99.ogg", 1, 1), 0);
    EXPECT_FALSE(manager.isPlaying(0));
    EXPECT_EQ(manager.count(), 1u);
}

TEST_F(ManagerFixture, CollectFinishedKeepsTheFirstEffectChannel) {
    for (int32_t key : {3, 4, 5}) ASSERT_EQ(manager.play(key, "./se/short.wav", 1, 0), 1);
    ASSERT_EQ(manager.play(6, "./se/level.wav", 1, 1), 1);
    mix(44100 / 2);  // past the first notification: the short ones stop themselves
    for (int32_t key : {3, 4, 5}) EXPECT_FALSE(manager.isPlaying(key));
    manager.collectFinished();
    EXPECT_EQ(manager.count(), 2u);
    EXPECT_EQ(manager.getDuration(3), 10);
    EXPECT_EQ(manager.getDuration(4), 0);
    EXPECT_TRUE(manager.isPlaying(6));
}

TEST_F(ManagerFixture, ClassVolumesFollowTheirChannels) {
    manager.setVolumes(2500, 10000, 10000, 10000);
    ASSERT_EQ(manager.play(0, "./se/level.wav", 1, 1), 1);  // starts at the class volume
    EXPECT_NEAR(mix(100)[50], 750, 2);
    manager.setBgmVolume(10000);
    for (int32_t key : {3, 9, 40}) ASSERT_EQ(manager.play(key, "./se/level.wav", 1, 1), 1);
    EXPECT_EQ(mix(100)[50], 12000);
    manager.setEffectVolume(5000);  // all three effects, the music stays
    EXPECT_NEAR(mix(100)[50], 3000 + 3 * 1500, 4);
    EXPECT_EQ(manager.getEffectVolume(), 5000);
    manager.setEffectVolume(-1);  // no level: refused, the channels keep theirs
    EXPECT_NEAR(mix(100)[50], 3000 + 3 * 1500, 4);
    manager.stopAll();
    EXPECT_EQ(manager.count(), 0u);
    EXPECT_EQ(mix(100)[50], 0);
}

TEST(SoundManagerWithoutDevice, PlaysNothing) {
    SoundManager silent;  // never initialised: no device
    EXPECT_EQ(silent.play(0, "./se/level.wav", 1, 1), 0);
    EXPECT_EQ(silent.count(), 0u);
}

} // namespace
} // namespace zre
