// The configuration screen of the demo in the real program, run headless.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace fs = std::filesystem;

TEST(ConfigScreenRun, QuitAnsweredNoLeavesTheScreenAndAVolumeIsKept) {
    zre::test::TempDir dir;
    const std::string game = dir.file("game");
    fs::copy(ZRE_BINARY_DIR "/demo/game", game, fs::copy_options::recursive);
    zre::test::writeFile(game + "/input.txt",
                         "300 click 100 400\n"   // the title's configuration button
                         "800 click 675 569\n"   // quit: answered No
                         "850 move 400 50\n"
                         "1000 click 212 533\n"  // music volume, level 2
                         "1200 rclick 400 300\n");
    const std::string command = "cd '" + game + "' && '" ZRE_BINARY_DIR
                                "/src/zre' --headless --max-ms 1500 --input input.txt --answers no "
                                "--dump-vars dump.txt --screenshot 700:before.png --screenshot 900:after.png "
                                ". 2> errors.txt";
    ASSERT_EQ(zre::test::runCommand(command), 0) << zre::test::readText(game + "/errors.txt");
    EXPECT_EQ(zre::test::readText(game + "/errors.txt"), "messagebox [終了] ゲームを終了しますか？\n");
    EXPECT_EQ(zre::test::readFile(game + "/before.png"), zre::test::readFile(game + "/after.png"));
    const std::string dump = zre::test::readText(game + "/dump.txt");
    EXPECT_NE(dump.find("\n$sys_bgmvol=5000\n"), std::string::npos) << dump;
    // The setting outlives the run.
    EXPECT_NE(zre::test::readText(game + "/dat/system.dat").find("5000"), std::string::npos);
}
