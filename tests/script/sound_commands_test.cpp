// PlayBgm, PlaySound, StopBgm and StopSound through the engine: what they ask of the sound
// channels, the fades they start and the records they keep.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "script/engine.h"
#include "script/engine_fixture.h"
#include "support/fake_host.h"

namespace zre {
namespace {

using test::GameFolder;
using test::TestEngine;
using test::textOr;

struct SoundFixture : ::testing::Test {
    SoundFixture() {
        auto s = std::make_unique<Screen>(host);
        s->attachWindow(800, 600);
        e.setScreen(std::move(s));
        sound().lengths = {{"./bgm/m-01.ogg", 60000}, {"./se/wave.ogg", 4000}};
    }
    test::RecordingSound& sound() { return e.testSound; }
    std::string record(int key) {
        return textOr(e.scopes[0].getText(key < 10 ? "$save_sound0" + std::to_string(key)
                                                   : "$save_sound" + std::to_string(key)));
    }
    // Runs the screen's tasks at t ms from now.
    void at(uint32_t ms) {
        host.time = start + ms;
        e.screen->updateTasks();
    }
    std::vector<std::string> run(const std::string& statement) {
        sound().log.clear();
        e.executeNow(statement);
        return sound().log;
    }

    GameFolder folder;
    test::FakeHost host{1000};
    uint32_t start = 1000;
    TestEngine e;
};

using Log = std::vector<std::string>;

TEST_F(SoundFixture, TheFormsOfTheCommands) {
    struct Case {
        std::string statement;
        Log log;
    };
    const std::vector<Case> cases = {
        {"PlayBgm(./bgm/m-01.ogg)", {"play 0 ./bgm/m-01.ogg 1 1"}},
        {"PlayBgm(./bgm/m-01.ogg, 2000, 5)", {"play 0 ./bgm/m-01.ogg 1 1"}},  // a fade needs exactly two
        {"PlaySound(2, ./se/wave.ogg, 0)", {"collect", "play 5 ./se/wave.ogg 1 0"}},
        {"PlaySound(0, ./se/wave.ogg, 1)", {"collect", "play 3 ./se/wave.ogg 1 1"}},
        {"StopSound(0)", {"stop 3", "remove 3"}},
        {"StopSound(0, 0, 0)", {"stop 3", "remove 3"}},
        {"PlayCD(1)", {}},
        {"StopCD()", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        EXPECT_EQ(run(c.statement), c.log);
        EXPECT_TRUE(e.screen->tasks.empty());
    }
    // Empty parentheses hold one (empty) argument: a fade of 0 ms, which stops the music at
    // the next update.
    EXPECT_EQ(run("StopBgm()"), Log{});
    sound().log.clear();
    at(0);
    EXPECT_EQ(sound().log, (Log{"stop 0", "bgm 10000"}));
}

TEST_F(SoundFixture, RecordsKeepTheLoopingSounds) {
    run("PlayBgm(./bgm/m-01.ogg)");
    EXPECT_EQ(record(0), "./bgm/m-01.ogg");
    run("PlaySound(2, ./se/wave.ogg, 0)");
    EXPECT_EQ(record(5), "(null)");
    run("PlaySound(2, ./se/wave.ogg, 1)");
    EXPECT_EQ(record(5), "./se/wave.ogg");
    run("PlaySound(40, ./se/gone.ogg, 1)");  // kept even when the file does not play
    EXPECT_EQ(record(43), "./se/gone.ogg");
    run("StopSound(2)");
    EXPECT_EQ(record(5), "(null)");
    EXPECT_EQ(record(0), "./bgm/m-01.ogg");  // the music is untouched
    EXPECT_TRUE(sound().isPlaying(0));
    run("StopBgm(1500)");
    EXPECT_EQ(record(0), "(null)");
}

TEST_F(SoundFixture, AFadeInStartsSilentAndEndsAtTheConfiguredVolume) {
    sound().effect = 7500;
    EXPECT_EQ(run("PlaySound(4, ./se/wave.ogg, 0, 2000)"), (Log{"collect", "se 0", "play 7 ./se/wave.ogg 1 0"}));
    ASSERT_EQ(e.screen->tasks.size(), 1u);
    sound().log.clear();
    at(1000);
    at(2001);
    EXPECT_EQ(sound().log, (Log{"se 3750", "se 7500"}));
    EXPECT_TRUE(sound().isPlaying(7));

    EXPECT_EQ(run("PlayBgm(./bgm/m-01.ogg, 1000)"), (Log{"bgm 0", "play 0 ./bgm/m-01.ogg 1 1"}));
    sound().log.clear();
    at(2501);
    at(3002);
    EXPECT_EQ(sound().log, (Log{"bgm 5000", "bgm 10000"}));
}

TEST_F(SoundFixture, AFadeOutStopsTheChannelAndPutsTheVolumeBack) {
    run("PlayBgm(./bgm/m-01.ogg)");
    sound().bgm = 8000;
    EXPECT_EQ(run("StopBgm(1500)"), Log{});  // nothing until the fade runs
    sound().log.clear();
    at(750);
    at(1501);
    EXPECT_EQ(sound().log, (Log{"bgm 4000", "stop 0", "bgm 8000"}));
    EXPECT_FALSE(sound().isPlaying(0));

    run("PlaySound(1, ./se/wave.ogg, 1)");
    run("StopSound(1, 100)");
    sound().log.clear();
    at(1700);
    EXPECT_EQ(sound().log, (Log{"stop 4", "se 10000"}));
}

TEST(SoundCommandsWithoutScreen, FadesFallBackToTheirPlainForms) {
    GameFolder folder;
    TestEngine e;
    e.executeNow("PlayBgm(./bgm/m-01.ogg, 2000)");
    e.executeNow("StopSound(1, 500)");
    EXPECT_EQ(e.testSound.log, (Log{"play 0 ./bgm/m-01.ogg 1 1", "stop 4", "remove 4"}));
    EXPECT_EQ(e.testSound.bgm, 10000);  // not left at 0 by a fade that never runs
}

} // namespace
} // namespace zre
