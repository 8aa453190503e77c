// The bundled demo game, played to its end by the headless runner with scripted clicks, once
// down each branch of its choice.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/png_io.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

// Starts a new game from the title, lets the opening movie play, then clicks every 700 ms
// at one of the two choice buttons (a click anywhere also moves the text on).
std::string playDemo(const zre::test::TempDir& dir, int choiceY) {
    std::string game = dir.file("game");
    fs::copy(ZRE_BINARY_DIR "/demo/game", game, fs::copy_options::recursive);
    std::string input = "200 click 100 300\n";
    for (int t = 6000; t < 153000; t += 700) input += std::to_string(t) + " click 365 " + std::to_string(choiceY) + "\n";
    zre::test::writeFile(game + "/input.txt", input);
    std::string command = "cd '" + game + "' && '" ZRE_BINARY_DIR
                          "/src/zre' --headless --max-ms 153000 --input input.txt --dump-vars dump.txt "
                          "--screenshot 153000:end.png . 2> errors.txt";
    EXPECT_EQ(zre::test::runCommand(command), 0) << zre::test::readText(game + "/errors.txt");
    EXPECT_EQ(zre::test::readText(game + "/errors.txt"), "");
    return zre::test::readText(game + "/dump.txt");
}

// The game ends in the music room, with its stop button lit (the lit picture's plate).
void expectMusicRoomAtTheEnd(const zre::test::TempDir& dir) {
    std::vector<uint8_t> png = zre::test::readFile(dir.file("game") + "/end.png");
    int w = 0, h = 0;
    std::vector<uint8_t> bits;
    ASSERT_TRUE(zre::decodePngBgr(png.data(), png.size(), w, h, bits));
    ASSERT_EQ(w, 800);
    const size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
    const uint8_t* p = bits.data() + size_t(h - 1 - 292) * stride + 395 * 3;
    EXPECT_EQ((std::vector<int>{p[2], p[1], p[0]}), (std::vector<int>{255, 210, 120}));
}

bool has(const std::string& text, const std::string& line) { return text.find(line) != std::string::npos; }

} // namespace

TEST(DemoPlaythrough, TowerBranchReachesTheEnd) {
    zre::test::TempDir dir;
    std::string dump = playDemo(dir, 226);
    EXPECT_TRUE(has(dump, "$demo_finished=1\n")) << dump;
    EXPECT_TRUE(has(dump, "$choice=1\n")) << dump;
    EXPECT_TRUE(has(dump, "$tower=1\n")) << dump;
    EXPECT_TRUE(has(dump, "$seaside=0\n")) << dump;
    expectMusicRoomAtTheEnd(dir);
}

TEST(DemoPlaythrough, SeasideBranchReachesTheEnd) {
    zre::test::TempDir dir;
    std::string dump = playDemo(dir, 304);
    EXPECT_TRUE(has(dump, "$demo_finished=1\n")) << dump;
    EXPECT_TRUE(has(dump, "$choice=2\n")) << dump;
    EXPECT_TRUE(has(dump, "$seaside=1\n")) << dump;
}
