// The real program, run headless on the small game folders under tests/games.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "data/glpk.h"
#include "graphics/bitmap.h"
#include "graphics/pixel_ops.h"
#include "script/evaluator.h"
#include "sound/sound_fixture.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using zre::test::TempDir;

namespace {

struct GameRun {
    int exitCode = -1;
    std::string errors;  // what the program wrote to stderr (message boxes among it)
    std::string dump;    // --dump-vars
};

// Copies tests/games/NAME into a fresh folder, so every run starts from the data as shipped.
std::string copyGame(const TempDir& dir, const std::string& name) {
    std::string target = dir.file("game");
    fs::copy(fs::path(ZRE_SOURCE_DIR) / "tests" / "games" / name, target, fs::copy_options::recursive);
    return target;
}

GameRun runGame(const std::string& game, const std::string& options, const std::string& environment = "") {
    GameRun r;
    std::string command = "cd '" + game + "' && " + environment + "'" ZRE_BINARY_DIR
                          "/src/zre' --headless --dump-vars dump.txt " + options + " . 2> errors.txt";
    r.exitCode = zre::test::runCommand(command);
    r.errors = zre::test::readText(game + "/errors.txt");
    r.dump = zre::test::readText(game + "/dump.txt");
    fs::remove(game + "/dump.txt");
    return r;
}

bool has(const std::string& text, const std::string& line) { return text.find(line) != std::string::npos; }

// The value of "name=..." in a dump, as an expression: an assignment of a non-digit text
// stores the text, which scripts evaluate when they use it.
int valueOf(const std::string& dump, const std::string& name) {
    size_t at = dump.find("\n" + name + "=");
    if (at == std::string::npos) return -99999;
    at += name.size() + 2;
    return zre::evaluate(dump.substr(at, dump.find('\n', at) - at));
}

void packZrb(const std::string& game) {
    auto source = zre::test::readFile(game + "/zrb_source.txt");
    zre::test::writeFile(game + "/scr/c_zrb.zrb", zre::encodeGlpk(source.data(), source.size(), true));
}

// A click on the title's new-game button starts the script.
const char kNewGame[] = "100 click 100 300\n";

} // namespace

TEST(HeadlessRun, FirstRunExecutesSystemScriptAndEveryKeyword) {
    TempDir dir;
    std::string game = copyGame(dir, "flow");
    packZrb(game);
    zre::test::writeFile(game + "/input.txt", std::string(kNewGame));
    GameRun r = runGame(game, "--max-ms 3000 --input input.txt");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.errors, "");
    struct Expect {
        const char* name;
        int value;
    };
    for (Expect e : {Expect{"$r_if", 2}, {"$r_else", 1}, {"$r_elseif", 110}, {"$r_sw", 2}, {"$r_while", 15},
                     {"$r_break", 3}, {"$r_call", 1}, {"$r_return", 7}, {"$r_goto", 1}, {"$r_zrb", 42},
                     {"$passes", 1}})
        EXPECT_EQ(valueOf(r.dump, e.name), e.value) << e.name << "\n" << r.dump;
    // A value that is not all digits is kept as text.
    EXPECT_TRUE(has(r.dump, "$r_text=2*10\n")) << r.dump;
    // The function's own variables went with its scope.
    EXPECT_FALSE(has(r.dump, "$local")) << r.dump;
    // The index of labels and functions went into the system variables.
    EXPECT_TRUE(has(r.dump, "helper=./scr/b_other.txt:")) << r.dump;
    EXPECT_TRUE(has(r.dump, "zrbfunc=./scr/c_zrb.zrb:")) << r.dump;
    EXPECT_TRUE(fs::exists(game + "/dat/game.dat"));
    EXPECT_TRUE(fs::exists(game + "/dat/system.dat"));
}

TEST(HeadlessRun, SecondRunTakesTheIndexFromSystemData) {
    TempDir dir;
    std::string game = copyGame(dir, "flow");
    packZrb(game);
    zre::test::writeFile(game + "/input.txt", std::string(kNewGame));
    ASSERT_EQ(runGame(game, "--max-ms 500").exitCode, 0);

    // Without the system script the index can only come from dat/system.dat.
    fs::remove(game + "/system.zre");
    GameRun r = runGame(game, "--max-ms 3000 --input input.txt");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.errors, "");
    EXPECT_TRUE(has(r.dump, "$sys_auto=0\n")) << r.dump;  // reset at every start from saved data
    EXPECT_EQ(valueOf(r.dump, "$r_zrb"), 42) << r.dump;
}

TEST(HeadlessRun, OutermostBraceEndsTheProgram) {
    TempDir dir;
    std::string game = copyGame(dir, "ending");
    zre::test::writeFile(game + "/input.txt", std::string(kNewGame));
    GameRun r = runGame(game, "--max-ms 60000 --input input.txt");
    EXPECT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(has(r.dump, "$reached=1\n")) << r.dump;
    EXPECT_FALSE(has(r.dump, "$reached=2\n")) << r.dump;
    EXPECT_TRUE(fs::exists(game + "/dat/system.dat"));
}

TEST(HeadlessRun, QuitQuestion) {
    const std::string question = "messagebox [\xE7\xB5\x82\xE4\xBA\x86] "
                                 "\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0\xE3\x82\x92\xE7\xB5\x82\xE4\xBA\x86"
                                 "\xE3\x81\x97\xE3\x81\xBE\xE3\x81\x99\xE3\x81\x8B\xEF\xBC\x9F";
    struct Case {
        const char* answer;
        int passes;
    };
    for (Case c : {Case{"no", 1}, Case{"yes", 0}}) {
        SCOPED_TRACE(c.answer);
        TempDir dir;
        std::string game = copyGame(dir, "flow");
        packZrb(game);
        // Escape asks; the new-game click comes after the answer.
        zre::test::writeFile(game + "/input.txt", std::string("50 key ESCAPE\n500 click 100 300\n"));
        GameRun r = runGame(game, std::string("--max-ms 3000 --input input.txt --answers ") + c.answer);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(has(r.errors, question)) << r.errors;
        EXPECT_EQ(valueOf(r.dump, "$passes"), c.passes) << r.dump;
        EXPECT_TRUE(fs::exists(game + "/dat/system.dat"));
    }
}

// A termination signal ends the game as a logout does: the settings are written and no
// question is asked. The run could only end by the signal.
TEST(HeadlessRun, TerminationSignalsEndTheGameWithoutTheQuestion) {
    // The signal is sent once the game has started (its first run writes dat/game.dat), so
    // a slow start on a loaded machine cannot make it arrive before the handlers exist.
    for (const char* signal : {"TERM", "INT", "HUP"}) {
        SCOPED_TRACE(signal);
        TempDir dir;
        std::string game = copyGame(dir, "flow");
        packZrb(game);
        std::string command = "cd '" + game + "' && { '" ZRE_BINARY_DIR
                              "/src/zre' --headless --max-ms 2000000000 --dump-vars dump.txt . 2> errors.txt & "
                              "pid=$!; for i in $(seq 400); do [ -e dat/game.dat ] && break; sleep 0.05; done; "
                              "kill -" + signal + " $pid; wait $pid; }";
        EXPECT_EQ(zre::test::runCommand(command), 0);
        std::string errors = zre::test::readText(game + "/errors.txt");
        EXPECT_EQ(errors.find("messagebox"), std::string::npos) << errors;
        EXPECT_TRUE(fs::exists(game + "/dat/system.dat"));
        EXPECT_TRUE(has(zre::test::readText(game + "/dump.txt"), "[system]"));
    }
}

// A game folder whose "dat" cannot be written keeps its data files in the player's folder:
// written there on the first run and read from there on the next.
TEST(HeadlessRun, AReadOnlyInstallKeepsItsDataInThePlayersFolder) {
    TempDir dir;
    std::string game = copyGame(dir, "flow");
    packZrb(game);
    // "dat" taken by a file cannot become the data folder (a read-only mount behaves the
    // same; root ignores permission bits, so this is the case every runner can build).
    zre::test::writeFile(game + "/dat", std::string("not a folder"));
    const std::string home = dir.file("xdg");
    zre::test::writeFile(game + "/input.txt", std::string(kNewGame));
    const std::string options = "--max-ms 3000 --input input.txt";
    GameRun first = runGame(game, options, "XDG_DATA_HOME='" + home + "' ");
    ASSERT_EQ(first.exitCode, 0) << first.errors;
    EXPECT_EQ(first.errors, "");
    std::vector<fs::path> folders;
    for (const auto& e : fs::directory_iterator(home + "/zre")) folders.push_back(e.path());
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(folders[0].filename().string().rfind("game-", 0), 0u) << folders[0];
    EXPECT_TRUE(fs::exists(folders[0] / "system.dat"));
    EXPECT_TRUE(fs::exists(folders[0] / "game.dat"));
    EXPECT_EQ(valueOf(first.dump, "$passes"), 1) << first.dump;

    // The second run finds the system data there: the start-up of a second run.
    GameRun second = runGame(game, options, "XDG_DATA_HOME='" + home + "' ");
    ASSERT_EQ(second.exitCode, 0) << second.errors;
    EXPECT_EQ(valueOf(second.dump, "$sys_auto"), 0) << second.dump;
    EXPECT_EQ(zre::test::readText(game + "/dat"), "not a folder");
}

TEST(HeadlessRun, MissingSystemScriptEndsWithItsMessage) {
    TempDir dir;
    GameRun r = runGame(dir.path(), "--max-ms 1000");
    EXPECT_EQ(r.exitCode, 255);
    EXPECT_TRUE(has(r.errors, "messagebox [./system.zre] "
                              "\xE3\x82\xB9\xE3\x82\xAF\xE3\x83\xAA\xE3\x83\x97\xE3\x83\x88\xE3\x83\x95"
                              "\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\x8C\xE9\x96\x8B\xE3\x81\x91"
                              "\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93\xE3\x81\xA7\xE3\x81\x97\xE3\x81\x9F"
                              "\xE3\x80\x82"))
        << r.errors;
}

TEST(HeadlessRun, BadOptionsAreRefused) {
    TempDir dir;
    EXPECT_EQ(runGame(dir.path(), "--frame-ms zero").exitCode, 2);
    EXPECT_EQ(runGame(dir.path(), "--no-such-option").exitCode, 2);
}

namespace {

void writePicture(const std::string& path, int w, int h, uint32_t colour) {
    auto b = zre::makeBitmap(w, h);
    zre::fillBitmap(*b, colour);
    ASSERT_EQ(b->save(path), 1);
}

} // namespace

// Enter is a click; while text waits, the wheel (away from the player) and Page Up open the
// backlog, which takes the next click instead of the text; the right button brings the
// game back. Seen through the text: "a" is dismissed first, and the Enter at 2500 ms
// dismisses "b" only when the game screen is current.
TEST(HeadlessRun, KeysAndWheelFollowTheKeyTable) {
    struct Case {
        const char* between;  // input at 2000 ms and after, before the Enter at 2500 ms
        const char* step;
    };
    for (Case c : {Case{"", "$step=2\n"}, Case{"2000 wheel +1\n", "$step=1\n"},
                   Case{"2000 wheel -1\n", "$step=2\n"}, Case{"2000 key PAGEUP\n", "$step=1\n"},
                   Case{"2000 key UP\n", "$step=1\n"}, Case{"2000 key PAGEDOWN\n", "$step=2\n"},
                   Case{"2000 wheel +1\n2200 wheel -1\n2300 rclick 400 300\n", "$step=2\n"}}) {
        SCOPED_TRACE(c.between);
        TempDir dir;
        std::string game = copyGame(dir, "keys");
        writePicture(game + "/bg.bmp", 800, 600, 0x0000C0);
        writePicture(game + "/win.bmp", 1520, 120, 0x404040);  // window picture and its mask
        zre::test::writeFile(game + "/input.txt",
                             std::string(kNewGame) + "1500 key ENTER\n" + c.between + "2500 key ENTER\n");
        GameRun r = runGame(game, "--max-ms 3000 --input input.txt");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        EXPECT_EQ(r.errors, "");
        EXPECT_TRUE(has(r.dump, c.step)) << r.dump;
    }
}

// Without --max-ms a run whose input script is used up ends where the game can only wait
// for the player, instead of running its virtual clock for ever.
TEST(HeadlessRun, ARunEndsWhenOnlyInputCouldMoveTheGameOn) {
    TempDir dir;
    std::string game = copyGame(dir, "keys");
    writePicture(game + "/bg.bmp", 800, 600, 0x0000C0);
    writePicture(game + "/win.bmp", 1520, 120, 0x404040);
    zre::test::writeFile(game + "/input.txt", std::string(kNewGame) + "1500 key ENTER\n");
    GameRun r = runGame(game, "--input input.txt");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_TRUE(has(r.dump, "$step=1\n")) << r.dump;  // stopped at the second message
    EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), '\n'), 1) << r.errors;
    EXPECT_TRUE(r.errors.starts_with("zre: the game waits for input and the input script has ended")) << r.errors;
}

// Music fading in, looping, an effect on top that ends by itself, the music fading out and
// then silence, all read back from --audio-out; a second run gives the same bytes.
TEST(HeadlessRun, TheAudioOutHoldsTheMixOfTheScriptsSounds) {
    using namespace zre::test;
    constexpr int16_t kA = 8000;
    std::vector<int16_t> square(2 * 44100);  // 1 s; a period of 100 frames fits it 441 times
    for (size_t i = 0; i < 44100; ++i) square[2 * i] = square[2 * i + 1] = (i / 50) % 2 ? -kA : kA;
    std::vector<std::vector<uint8_t>> outputs;
    for (int run = 0; run < 2; ++run) {
        TempDir dir;
        std::string game = copyGame(dir, "sound");
        fs::create_directories(game + "/snd");
        writeFile(game + "/snd/square.wav", waveWithData(pcm(2, 44100, 16), sampleBytes(square)));
        writeFile(game + "/snd/level.wav", waveWithData(pcm(2, 44100, 16), sampleBytes(std::vector<int16_t>(2 * 44100, kA))));
        writeFile(game + "/input.txt", std::string(kNewGame));
        GameRun r = runGame(game, "--max-ms 10000 --input input.txt --audio-out out.wav");
        ASSERT_EQ(r.exitCode, 0) << r.errors;
        EXPECT_TRUE(has(r.dump, "$done=1\n")) << r.dump;
        outputs.push_back(readFile(game + "/out.wav"));
    }
    ASSERT_EQ(outputs[0], outputs[1]);
    const std::vector<uint8_t>& wav = outputs[0];
    ASSERT_EQ(wav.size(), 44u + 441000u * 4);
    auto left = [&](size_t frame) { return sampleAt(wav.data() + 44, 2 * frame); };
    auto ms = [](double t) { return static_cast<size_t>(t * 44.1); };
    // The music starts silent with the script: find its first sample.
    size_t start = 0;
    while (start < 441000 && left(start) == 0) ++start;
    ASSERT_LT(start, ms(2000));
    // Halfway through the fade-in about half the level, at full level after it; the pattern
    // runs on unbroken over the loop's seams (one every second).
    EXPECT_NEAR(std::abs(left(start + ms(500))), kA / 2, kA / 20);
    // The sound began where the silent start of the fade cannot show it: take the pattern's
    // phase from its first rising edge at full level.
    size_t edge = start + ms(1100);
    while (!(left(edge - 1) < 0 && left(edge) > 0)) ++edge;
    for (size_t f = start + ms(1100); f < start + ms(2900); ++f) {
        const int16_t want = ((f + 100 - edge) / 50) % 2 ? -kA : kA;
        ASSERT_EQ(left(f), want) << "frame " << f - start;
    }
    // The effect at the effect volume 5000 (half the amplitude) on top, for its one second.
    auto mean = [&](size_t from, size_t to) {
        double sum = 0;
        for (size_t f = from; f < to; ++f) sum += left(f);
        return sum / double(to - from);
    };
    size_t effect = start + ms(2900);
    while (effect < start + ms(3500) && mean(effect, effect + 100) < kA / 4) ++effect;
    EXPECT_NEAR(mean(effect, effect + ms(900)), kA / 2, 50);
    EXPECT_NEAR(mean(effect + ms(1100), effect + ms(1900)), 0, 50);
    // StopBgm(1000): faded out, then nothing at all.
    const size_t fadeEnd = start + ms(6100);
    EXPECT_GT(std::abs(left(start + ms(4900))), kA * 9 / 10);
    for (size_t f = fadeEnd; f < 441000; ++f) ASSERT_EQ(left(f), 0) << "frame " << f - start;
}


// F11 and Alt+Enter switch between the window and full screen and keep $sys_crt in step;
// the end of the program gives the desktop back, and the next start takes $sys_crt.
TEST(HeadlessRun, FullScreenKeysAndTheSavedSetting) {
    TempDir dir;
    std::string game = copyGame(dir, "keys");
    writePicture(game + "/bg.bmp", 800, 600, 0x0000C0);
    writePicture(game + "/win.bmp", 1520, 120, 0x404040);
    const std::string full = "display 800x600 32bpp 60Hz full screen\n";
    const std::string window = "display 1024x768 32bpp 60Hz window\n";
    zre::test::writeFile(game + "/input.txt",
                         std::string(kNewGame) + "1000 key F11\n1200 key ALT+ENTER\n1400 key F11\n");
    GameRun r = runGame(game, "--max-ms 2000 --input input.txt");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.errors, full + window + full + window) << r.errors;
    EXPECT_TRUE(has(r.dump, "$sys_crt=1\n")) << r.dump;
    // Alt+Enter is no Enter: the first message still waits.
    EXPECT_FALSE(has(r.dump, "$step=")) << r.dump;

    r = runGame(game, "--max-ms 500");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    EXPECT_EQ(r.errors, full + window) << r.errors;
}
