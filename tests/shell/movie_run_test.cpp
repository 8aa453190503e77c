// Movies played by the real program, headless: the Movie command's cases, the movie's clock
// and end, its sound beside the game's, the picture around it, and the demo's opening
// compared with what the ffmpeg command-line tool decodes.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/byte_stream.h"
#include "platform/movie_decoder.h"
#include "platform/movie_encoder.h"
#include "platform/picture_files.h"
#include "platform/png_io.h"
#include "sound/movie_player.h"
#include "sound/sound_fixture.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace zre::test;

namespace {

constexpr int kRate = 44100;
constexpr int16_t kToneLevel = 8000;

struct GameRun {
    int exitCode = -1;
    std::string errors;
    std::string dump;
};

GameRun runGame(const std::string& game, const std::string& options) {
    GameRun r;
    std::string command = "cd '" + game + "' && '" ZRE_BINARY_DIR "/src/zre' --headless --dump-vars dump.txt " +
                          options + " . 2> errors.txt";
    r.exitCode = runCommand(command);
    r.errors = readText(game + "/errors.txt");
    r.dump = readText(game + "/dump.txt");
    fs::remove(game + "/dump.txt");
    return r;
}

bool has(const std::string& text, const std::string& line) { return text.find(line) != std::string::npos; }

std::vector<int16_t> tone(double seconds, double hz, int16_t level) {
    const size_t frames = static_cast<size_t>(seconds * kRate);
    std::vector<int16_t> s(frames * 2);
    for (size_t i = 0; i < frames; ++i)
        s[2 * i] = s[2 * i + 1] = static_cast<int16_t>(std::lround(level * std::sin(2 * M_PI * hz * double(i) / kRate)));
    return s;
}

// Three seconds at 25 pictures per second, each a flat colour of its own, with a 440 Hz
// tone when sound is asked for.
void writeClip(const std::string& path, bool sound) {
    std::vector<int16_t> pcm = sound ? tone(3.0, 440, kToneLevel) : std::vector<int16_t>{};
    ASSERT_TRUE(zre::writeMovieFile(
        path, 160, 120, 25, 75,
        [](int frame, uint8_t* bgr, int stride) {
            for (int y = 0; y < 120; ++y)
                for (int x = 0; x < 160; ++x) {
                    uint8_t* p = bgr + y * stride + x * 3;
                    p[0] = 40;
                    p[1] = static_cast<uint8_t>(frame * 3);
                    p[2] = 200;
                }
        },
        pcm));
}

// The test game with main() as given, a clip with sound at ./mov/clip.mpg and input that
// starts a new game from the title.
std::string makeGame(const TempDir& dir, const std::string& main, const std::string& input = "") {
    std::string game = dir.file("game");
    fs::copy(fs::path(ZRE_SOURCE_DIR) / "tests" / "games" / "movie", game, fs::copy_options::recursive);
    writeFile(game + "/scr/main.txt", "main(){\n" + main + "}\n");
    fs::create_directories(game + "/mov");
    writeClip(game + "/mov/clip.mpg", true);
    writeFile(game + "/input.txt", "100 click 100 300\n" + input);
    return game;
}

// The amplitude of the hz component of the left channel over frames [from, to).
double amplitudeAt(const std::vector<uint8_t>& wav, size_t from, size_t to, double hz) {
    std::complex<double> sum = 0;
    for (size_t f = from; f < to; ++f)
        sum += double(sampleAt(wav.data() + 44, 2 * f)) * std::polar(1.0, -2 * M_PI * hz * double(f) / kRate);
    return 2 * std::abs(sum) / double(to - from);
}

double meanAt(const std::vector<uint8_t>& wav, size_t from, size_t to) {
    double sum = 0;
    for (size_t f = from; f < to; ++f) sum += sampleAt(wav.data() + 44, 2 * f);
    return sum / double(to - from);
}

size_t frameAt(int ms) { return static_cast<size_t>(ms) * kRate / 1000; }

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bits;
};

Picture readPng(const std::string& path) {
    Picture p;
    std::vector<uint8_t> bytes = readFile(path);
    EXPECT_TRUE(zre::decodePngBgr(bytes.data(), bytes.size(), p.width, p.height, p.bits)) << path;
    return p;
}

// Mean absolute difference per colour byte.
double difference(const Picture& a, const Picture& b) {
    if (a.bits.size() != b.bits.size() || a.bits.empty()) return 255;
    double sum = 0;
    for (size_t i = 0; i < a.bits.size(); ++i) sum += std::abs(int(a.bits[i]) - int(b.bits[i]));
    return sum / double(a.bits.size());
}

} // namespace

// Nothing to play: no file, a file that is no movie, a folder, a sound without picture.
// The script goes straight on and nobody is told.
TEST(MovieRun, WhatIsNoMovieReturnsAtOnce) {
    for (const char* name : {"none.mpg", "text.mpg", "empty.avi", "folder.mpg", "sound.wav"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        std::string game = makeGame(dir, std::string("  Movie(./mov/") + name + ", 0);\n  SetSysParam($after, 1);\n");
        writeFile(game + "/mov/text.mpg", std::string("this is not a movie at all, only a few words"));
        writeFile(game + "/mov/empty.avi", std::string());
        fs::create_directories(game + "/mov/folder.mpg");
        writeFile(game + "/mov/sound.wav", waveWithData(pcm(2, kRate, 16), sampleBytes(tone(1.0, 440, 1000))));
        GameRun r = runGame(game, "--max-ms 1800 --input input.txt");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        EXPECT_EQ(r.errors, "");
        EXPECT_TRUE(has(r.dump, "$after=1\n")) << r.dump;
    }
}

// A click 0.7 s into the three-second clip ends it only when bit 0 of clickToEnd is set;
// otherwise it plays to its end all the same.
TEST(MovieRun, OnlyBitZeroOfClickToEndLetsAClickEndTheMovie) {
    struct Case {
        const char* argument;
        bool clickEnds;
    };
    for (Case c : {Case{", 1", true}, {", 0", false}, {", 2", false}, {", 3", true}, {"", false}}) {
        SCOPED_TRACE(c.argument);
        TempDir dir;
        std::string game = makeGame(dir, std::string("  Movie(./mov/clip.mpg") + c.argument + ");\n  SetSysParam($after, 1);\n",
                                    "2000 click 400 300\n");
        GameRun during = runGame(game, "--max-ms 3500 --input input.txt");
        ASSERT_EQ(during.exitCode, 0) << during.errors;
        EXPECT_EQ(has(during.dump, "$after=1\n"), c.clickEnds) << during.dump;
        GameRun later = runGame(game, "--max-ms 6000 --input input.txt");
        EXPECT_TRUE(has(later.dump, "$after=1\n")) << later.dump;
    }
}

// Escape during a movie asks the quit question as always: "no" lets the movie play on to its
// end, "yes" ends the program there, its decoder stopped.
TEST(MovieRun, EscapeDuringAMovieAsksTheQuitQuestion) {
    for (const char* answer : {"no", "yes"}) {
        SCOPED_TRACE(answer);
        TempDir dir;
        std::string game = makeGame(dir, "  Movie(./mov/clip.mpg, 0);\n  SetSysParam($after, 1);\n", "2000 key ESCAPE\n");
        GameRun r = runGame(game, std::string("--max-ms 6000 --input input.txt --answers ") + answer);
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        EXPECT_TRUE(has(r.errors, "messagebox [")) << r.errors;
        EXPECT_EQ(has(r.dump, "$after=1\n"), std::string(answer) == "no") << r.dump;
    }
}

// A movie whose header promises ten times the pictures it holds ends with its last picture:
// its position never reaches the length the header gives.
TEST(MovieRun, TheEndOfTheStreamEndsAMovieWhoseLengthSaysMore) {
    TempDir dir;
    std::string game = makeGame(dir, "  Movie(./mov/long.avi, 0);\n  SetSysParam($after, 1);\n");
    const std::string avi = game + "/mov/long.avi";
    writeClip(avi, false);
    // The main header's frame count and the stream header's length, both times ten.
    std::vector<uint8_t> bytes = readFile(avi);
    auto patch = [&](const char* tag, size_t field) {
        for (size_t i = 0; i + 8 + field + 4 <= bytes.size(); ++i) {
            if (std::string(bytes.begin() + i, bytes.begin() + i + 4) != tag) continue;
            uint8_t* p = bytes.data() + i + 8 + field;
            zre::storeU32(p, zre::loadU32(p) * 10);
            return;
        }
        FAIL() << tag;
    };
    patch("avih", 16);
    patch("strh", 32);
    writeFile(avi, bytes);
    auto decoder = zre::MovieDecoder::open(zre::movieInput(zre::FileStream::open(avi)), 800, 600);
    ASSERT_TRUE(decoder);
    ASSERT_GT(decoder->lengthMs(), 20000);

    GameRun r = runGame(game, "--max-ms 6000 --input input.txt");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(has(r.dump, "$after=1\n")) << r.dump;
}

// Music playing before the movie goes on under it, at its class volume; the movie's tone
// is mixed on top at its own full level, then stops with the movie. The same bytes every run.
TEST(MovieRun, TheGamesSoundGoesOnAndTheMoviesSoundPlaysAtFullLevel) {
    std::vector<std::vector<uint8_t>> outputs;
    for (int run = 0; run < 2; ++run) {
        TempDir dir;
        std::string game = makeGame(dir, "  PlayBgm(./snd/level.wav);\n  Wait(500, 0);\n  Movie(./mov/clip.mpg, 0);\n"
                                         "  SetSysParam($after, 1);\n  Wait(100000, 0);\n");
        fs::create_directories(game + "/snd");
        writeFile(game + "/snd/level.wav", waveWithData(pcm(2, kRate, 16), sampleBytes(std::vector<int16_t>(2 * kRate, 4000))));
        GameRun r = runGame(game, "--max-ms 7000 --input input.txt --audio-out out.wav");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        ASSERT_TRUE(has(r.dump, "$after=1\n")) << r.dump;
        outputs.push_back(readFile(game + "/out.wav"));
    }
    ASSERT_EQ(outputs[0], outputs[1]);
    const std::vector<uint8_t>& wav = outputs[0];
    ASSERT_GE(wav.size(), 44u + frameAt(6900) * 4);
    // The music's level, wherever it plays.
    size_t start = 0;
    while (start < frameAt(7000) && sampleAt(wav.data() + 44, 2 * start) == 0) ++start;
    ASSERT_LT(start, frameAt(2000));
    const double music = meanAt(wav, start + frameAt(100), start + frameAt(400));
    ASSERT_GT(music, 500);
    ASSERT_LT(music, 3900);  // the music class volume 5000 is heard
    // The tone's onset: the movie starts half a second after the music.
    size_t onset = start + frameAt(400);
    while (onset < start + frameAt(1500) && amplitudeAt(wav, onset, onset + 441, 440) < kToneLevel / 4) onset += 441;
    ASSERT_LT(onset, start + frameAt(1500));
    // During the movie: the music unchanged, and the tone at the level it was made with.
    EXPECT_NEAR(meanAt(wav, onset + frameAt(500), onset + frameAt(2500)), music, 60);
    EXPECT_NEAR(amplitudeAt(wav, onset + frameAt(500), onset + frameAt(2500), 440), kToneLevel, kToneLevel / 10);
    // After it: the music alone.
    EXPECT_NEAR(meanAt(wav, onset + frameAt(3300), onset + frameAt(3800)), music, 1);
    EXPECT_LT(amplitudeAt(wav, onset + frameAt(3300), onset + frameAt(3800), 440), 20);
}

// The movie covers the whole window while it plays; afterwards the game's picture is back
// exactly as it was.
TEST(MovieRun, TheGamePictureIsBackUnchangedAfterTheMovie) {
    TempDir dir;
    std::string game = makeGame(dir, "  Clear(./pict/bg.bmp, SHOW_NORMAL, 0);\n  Wait(1000, 0);\n"
                                     "  Movie(./mov/clip.mpg, 0);\n  Wait(100000, 0);\n");
    std::vector<uint8_t> bg(800 * 600 * 3);
    for (size_t i = 0; i < bg.size(); ++i) bg[i] = static_cast<uint8_t>(i * 7 % 251);
    fs::create_directories(game + "/pict");
    ASSERT_TRUE(zre::writePictureFile(game + "/pict/bg.bmp", bg.data(), 800, 600, 800 * 3));
    GameRun r = runGame(game, "--max-ms 8000 --input input.txt --screenshot 2000:before.png "
                              "--screenshot 3800:during.png --screenshot 7500:after.png");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    Picture before = readPng(game + "/before.png");
    Picture during = readPng(game + "/during.png");
    Picture after = readPng(game + "/after.png");
    ASSERT_EQ(before.bits.size(), 800u * 600 * 3);
    EXPECT_EQ(before.bits, after.bits);
    // The clip's 4:3 fills the window: every pixel is the clip's red.
    for (size_t i = 0; i < during.bits.size(); i += 3) ASSERT_NEAR(during.bits[i + 2], 200, 12) << i / 3;
}

// The demo's opening movie: three moments of the run's screenshots are the frames the
// ffmpeg tool decodes from the same file (scaled and placed the same way), and the run's
// sound holds the movie's 440 Hz tone. Two runs give the same bytes.
TEST(MovieRun, TheDemosOpeningShowsWhatFfmpegDecodesAndSoundsItsTone) {
    TempDir dir;
    std::string game = dir.file("game");
    fs::copy(ZRE_BINARY_DIR "/demo/game", game, fs::copy_options::recursive);
    writeFile(game + "/input.txt", std::string("200 click 100 300\n"));
    const int shots[] = {1900, 2900, 3900};
    std::string options = "--max-ms 4200 --input input.txt --audio-out out.wav";
    for (int ms : shots) options += " --screenshot " + std::to_string(ms) + ":" + std::to_string(ms) + ".png";
    GameRun r = runGame(game, options);
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    const std::vector<uint8_t> wav = readFile(game + "/out.wav");
    const std::vector<uint8_t> firstShot = readFile(game + "/1900.png");
    runGame(game, options);
    EXPECT_EQ(readFile(game + "/out.wav"), wav);
    EXPECT_EQ(readFile(game + "/1900.png"), firstShot);

    fs::create_directories(game + "/ref");
    ASSERT_EQ(runCommand("ffmpeg -v error -i '" + game + "/movie/opening.mpg' -vf "
                         "'scale=800:450:flags=bilinear,pad=800:600:0:75' '" + game + "/ref/%02d.png'"),
              0);
    std::vector<Picture> frames;
    for (int i = 1; fs::exists(game + "/ref/" + (i < 10 ? "0" : "") + std::to_string(i) + ".png"); ++i)
        frames.push_back(readPng(game + "/ref/" + (i < 10 ? "0" : "") + std::to_string(i) + ".png"));
    ASSERT_EQ(frames.size(), 75u);
    // Each shot is one frame nearly exactly and clearly not its neighbours; one second apart
    // in the run, 25 frames apart in the movie.
    int first = -1;
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(shots[k]);
        Picture shot = readPng(game + "/" + std::to_string(shots[k]) + ".png");
        size_t best = 0;
        for (size_t i = 1; i < frames.size(); ++i)
            if (difference(shot, frames[i]) < difference(shot, frames[best])) best = i;
        EXPECT_LT(difference(shot, frames[best]), 1.5);
        for (size_t n : {best - 1, best + 1}) {
            if (n >= frames.size()) continue;
            EXPECT_GT(difference(shot, frames[n]), 1.5 * difference(shot, frames[best])) << n;
        }
        if (k == 0) first = static_cast<int>(best);
        EXPECT_EQ(static_cast<int>(best), first + 25 * k);
    }
    // The tone at the level the builder gave it (9000), in the middle of the movie.
    EXPECT_NEAR(amplitudeAt(wav, frameAt(2700), frameAt(3100), 440), 9000, 900);
}
