// The real program saves in the middle of a scene through the save screen, ends, starts
// again, loads from the title and is back at the same picture, variables and music.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/little_endian.h"
#include "platform/png_io.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using zre::test::TempDir;

namespace {

// The demo's pictures and music with the test's own script.
std::string makeGame(const TempDir& dir) {
    std::string game = dir.file("game");
    fs::copy(fs::path(ZRE_BINARY_DIR) / "demo" / "game", game, fs::copy_options::recursive);
    for (const auto& entry : fs::directory_iterator(game + "/scr")) fs::remove(entry.path());
    for (const char* name : {"game.dat", "system.dat", "save00.sav"}) fs::remove(game + "/dat/" + name);
    fs::copy(fs::path(ZRE_SOURCE_DIR) / "tests" / "games" / "saves" / "scr" / "main.txt", game + "/scr/main.txt");
    return game;
}

std::string run(const std::string& game, const std::string& input, const std::string& options) {
    zre::test::writeFile(game + "/input.txt", input);
    std::string command = "cd '" + game + "' && '" ZRE_BINARY_DIR
                          "/src/zre' --headless --dump-vars dump.txt --input input.txt " + options +
                          " . 2> errors.txt";
    EXPECT_EQ(zre::test::runCommand(command), 0) << zre::test::readText(game + "/errors.txt");
    return zre::test::readText(game + "/dump.txt");
}

// The picture above the message window (whose cursor blinks) of a screenshot.
std::vector<uint8_t> pictureAboveText(const std::string& png) {
    std::vector<uint8_t> bytes = zre::test::readFile(png), bits;
    int w = 0, h = 0;
    EXPECT_TRUE(zre::decodePngBgr(bytes.data(), bytes.size(), w, h, bits)) << png;
    if (w != 800 || h != 600) return {};
    // Bottom-up rows: the top 440 rows are the last ones.
    return std::vector<uint8_t>(bits.end() - 440 * 800 * 3, bits.end());
}

// Root mean square of 16-bit stereo samples between two times of a 44100 Hz capture.
double loudness(const std::vector<uint8_t>& wav, double fromS, double toS) {
    size_t at = 12;
    while (at + 8 <= wav.size() && std::memcmp(&wav[at], "data", 4) != 0) at += 8 + zre::loadU32(&wav[at + 4]);
    at += 8;
    double sum = 0;
    size_t n = 0;
    for (size_t i = at + size_t(fromS * 44100) * 4; i + 2 <= wav.size() && i < at + size_t(toS * 44100) * 4; i += 2) {
        double v = static_cast<int16_t>(zre::loadU16(&wav[i]));
        sum += v * v;
        ++n;
    }
    return n ? std::sqrt(sum / double(n)) : 0;
}

bool has(const std::string& text, const std::string& line) { return text.find(line) != std::string::npos; }

} // namespace

TEST(SaveLoadRun, SavedSceneComesBackAfterARestart) {
    TempDir dir;
    std::string game = makeGame(dir);

    // New game; at the first message the right button opens the configuration screen, its
    // Save button the save screen; row 00 is chosen and confirmed, a comment typed; the right
    // button twice goes back to the game, which goes on to its end (the variables change).
    std::string first = run(game,
                            "200 click 100 300\n2500 rclick 400 300\n3000 click 150 110\n"
                            "4000 click 200 60\n4300 click 200 60\n4500 text \xe6\xb8\xaf\xe3\x81\xae\xe5\xa4\x9c\n"
                            "4700 key ENTER\n5100 rclick 400 300\n5500 rclick 400 300\n7000 click 400 300\n8000 click 400 300\n",
                            "--max-ms 9000 --screenshot 2400:first.png --screenshot 4600:comment.png");
    EXPECT_TRUE(has(first, "$x=7\n")) << first;
    ASSERT_TRUE(fs::exists(game + "/dat/save00.sav"));

    // The slot read here without the engine: header, thumbnail, the first block.
    std::vector<uint8_t> slot = zre::test::readFile(game + "/dat/save00.sav");
    ASSERT_GT(slot.size(), 12u + 202554u + 8u);
    EXPECT_EQ(std::string(slot.begin(), slot.begin() + 8), "THUMB   ");
    EXPECT_EQ(zre::loadU32(&slot[8]), 202554u);
    EXPECT_EQ(slot[12], 'B');
    EXPECT_EQ(zre::loadU32(&slot[12 + 18]), 300u);
    EXPECT_EQ(zre::loadU32(&slot[12 + 22]), 225u);
    EXPECT_EQ(std::string(slot.begin() + 12 + 202554, slot.begin() + 12 + 202554 + 8), std::string("ARGL00\0\0", 8));

    // The tool reads it too.
    std::string command = "'" ZRE_BINARY_DIR "/src/zre-tool' vars dump '" + game + "/dat/save00.sav' > '" + game +
                          "/slot.txt'";
    ASSERT_EQ(zre::test::runCommand(command), 0);
    std::string slotText = zre::test::readText(game + "/slot.txt");
    for (const char* line : {"[thumbnail 300x225]", "$x=42\n", "$scene_title=Harbour\n", "$save_sound00=./bgm/m-01.ogg\n",
                             "$save_layer02=Draw(2,./pkg.dat/mina.gfb,280,170,0,0,0,LAYER_MASK)\n",
                             "$save_comment=\xe6\xb8\xaf\xe3\x81\xae\xe5\xa4\x9c\n"})
        EXPECT_TRUE(has(slotText, line)) << line << "\n" << slotText;

    // A new start: load from the title, preview row 00, load it. The game resumes at the
    // message it was saved at.
    std::string second = run(game, "200 click 100 360\n1500 click 200 60\n2500 click 200 60\n7000 move 10 10\n",
                             "--max-ms 9000 --screenshot 6800:second.png --audio-out sound.wav");
    EXPECT_TRUE(has(second, "$x=42\n")) << second;
    EXPECT_TRUE(has(second, "$save_sound00=./bgm/m-01.ogg\n")) << second;
    EXPECT_FALSE(has(zre::test::readText(game + "/errors.txt"), "messagebox"));

    std::vector<uint8_t> before = pictureAboveText(game + "/first.png");
    ASSERT_FALSE(before.empty());
    EXPECT_TRUE(before == pictureAboveText(game + "/second.png"));
    // The title's sound has ended long before; what plays now is the restored music.
    std::vector<uint8_t> wav = zre::test::readFile(game + "/sound.wav");
    EXPECT_GT(loudness(wav, 6.5, 8.5), 100.0);
}
