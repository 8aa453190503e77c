#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "data/byte_io.h"
#include "platform/file_system.h"
#include "platform/input_state.h"
#include "platform/messages.h"
#include "script/engine.h"
#include "script/engine_fixture.h"
#include "ui/message_text.h"

namespace zre {
namespace {

using test::GameFolder;
using test::MessageBoxRecorder;
using test::TestEngine;
using test::textOr;

TEST(EngineModes, RequestReturnAndReset) {
    TestEngine e;
    e.setScreen(std::make_unique<Screen>());
    e.mode = EngineMode::Game;
    e.requestMode(EngineMode::Configuration, 1);
    EXPECT_EQ(e.screen->requestedMode, EngineMode::Configuration);
    EXPECT_EQ(e.modeStack.depth(), 1);
    EXPECT_EQ(e.previousMode(), EngineMode::Game);
    e.mode = EngineMode::Configuration;
    e.requestMode(EngineMode::Save, 0);   // not pushed: the entry is written, the depth stays
    EXPECT_EQ(e.modeStack.depth(), 1);
    EXPECT_EQ(e.modeStack.at(1), EngineMode::Configuration);
    e.returnToPreviousMode();
    EXPECT_EQ(e.screen->requestedMode, EngineMode::Game);
    EXPECT_EQ(e.modeStack.depth(), 0);
    e.screen->requestedMode = EngineMode::None;
    e.returnToPreviousMode();   // nothing to return to
    EXPECT_EQ(e.screen->requestedMode, EngineMode::None);
    EXPECT_EQ(e.previousMode(), EngineMode::None);

    e.requestMode(EngineMode::Backlog, 1);
    e.resetMode(EngineMode::Title);
    EXPECT_EQ(e.modeStack.depth(), 0);
    EXPECT_EQ(e.modeStack.at(0), EngineMode::None);
    EXPECT_EQ(e.screen->requestedMode, EngineMode::Title);
}

TEST(EngineModes, AFifthNestedRequestOverwritesTheDeepestEntry) {
    TestEngine e;
    e.setScreen(std::make_unique<Screen>());
    const int32_t modes[] = {2, 3, 4, 5, 6};
    for (int i = 0; i < 5; ++i) {
        e.mode = toEngineMode(modes[i]);
        e.requestMode(toEngineMode(modes[i] + 1), 1);
    }
    EXPECT_EQ(e.modeStack.depth(), 4);
    std::vector<int32_t> stack;
    for (int32_t i = 0; i < ModeStack::kCapacity; ++i) stack.push_back(modeNumber(e.modeStack.at(i)));
    EXPECT_EQ(stack, (std::vector<int32_t>{2, 3, 4, 6}));
    std::vector<int32_t> back;
    for (int i = 0; i < 5; ++i) {
        e.screen->requestedMode = EngineMode::None;
        e.returnToPreviousMode();
        back.push_back(modeNumber(e.screen->requestedMode));
    }
    EXPECT_EQ(back, (std::vector<int32_t>{6, 4, 3, 2, 0}));
}

TEST(EngineModes, RequestsWithoutAScreenAreSafe) {
    TestEngine e;
    e.requestMode(EngineMode::Configuration, 1);
    e.returnToPreviousMode();
    e.resetMode(EngineMode::Game);
    EXPECT_EQ(e.modeStack.depth(), 0);
}

// The engine's input rules, message by message: the keys, the wheel and the right button.
TEST(EngineInput, KeysWheelAndRightButton) {
    auto key = [](int32_t vkey) {
        Message m = makeMessage(MessageKind::KeyUp);
        m.key = vkey;
        return m;
    };
    auto wheel = [](int32_t turn) {
        Message m = makeMessage(MessageKind::MouseWheel);
        m.wheel = turn;
        return m;
    };
    struct Case {
        const char* name;
        EngineMode mode;
        int32_t flags;
        Message message;
        int32_t clickX, clickY;      // the click left pending
        EngineMode requested;
        int closes;
    };
    const Message rclick = makeMessage(MessageKind::RButtonUp);
    const Case cases[] = {
        {"Enter clicks at (1, 0)", EngineMode::Title, 0, key(vk::Return), 1, 0, EngineMode::None, 0},
        {"Escape asks to quit", EngineMode::Game, 0, key(vk::Escape), -1, -1, EngineMode::None, 1},
        {"Page Up opens the backlog while text waits", EngineMode::Game, InputFlag::MenuKeys, key(vk::Prior), -1, -1,
         EngineMode::Backlog, 0},
        {"Up needs the menu keys", EngineMode::Game, 0, key(vk::Up), -1, -1, EngineMode::None, 0},
        {"Page Up presses the backlog's up arrow", EngineMode::Backlog, 0, key(vk::Prior), 751, 251, EngineMode::None,
         0},
        {"the wheel away is Page Up", EngineMode::Backlog, 0, wheel(+1), 751, 251, EngineMode::None, 0},
        {"the wheel toward is Page Down", EngineMode::Backlog, 0, wheel(-1), 751, 321, EngineMode::None, 0},
        {"Page Down does nothing in the game", EngineMode::Game, InputFlag::MenuKeys, key(vk::Next), -1, -1,
         EngineMode::None, 0},
        {"the right button opens the configuration", EngineMode::Game, InputFlag::MenuKeys, rclick, -1, -1,
         EngineMode::Configuration, 0},
        {"the right button needs waiting text", EngineMode::Game, InputFlag::ChoiceOpen, rclick, -1, -1,
         EngineMode::None, 0},
        {"the right button goes back elsewhere", EngineMode::Backlog, 0, rclick, -1, -1, EngineMode::Game, 0},
    };
    for (const Case& c : cases) {
        TestEngine e;
        InputState input;
        auto screen = std::make_unique<Screen>();
        screen->input = &input;
        e.setScreen(std::move(screen));
        e.modeStack.remember(EngineMode::Game, true);
        e.mode = c.mode;
        e.inputFlags = c.flags;
        e.handleInput(c.message);
        EXPECT_EQ(input.clickX, c.clickX) << c.name;
        EXPECT_EQ(input.clickY, c.clickY) << c.name;
        EXPECT_EQ(e.screen->requestedMode, c.requested) << c.name;
        EXPECT_EQ(e.testHost.closes, c.closes) << c.name;
        if (c.message.kind == MessageKind::MouseWheel) {
            EXPECT_EQ(input.keyUp, c.message.wheel < 0 ? vk::Next : vk::Prior) << c.name;
        }
    }

    // SetPageHook blocks the right button.
    TestEngine e;
    InputState input;
    auto screen = std::make_unique<Screen>();
    screen->input = &input;
    e.setScreen(std::move(screen));
    e.mode = EngineMode::Game;
    e.inputFlags = InputFlag::MenuKeys;
    e.executeNow("SetPageHook(1)");
    e.handleInput(rclick);
    EXPECT_EQ(e.screen->requestedMode, EngineMode::None);
}

TEST(EngineScopes, VisibleScopesOfBlocksAndFunctions) {
    TestEngine e;
    e.resetPosition();
    e.setScoped("$g", "global");
    e.pushScope(0);                 // a block sees its enclosing scopes
    e.setScoped("$b", "block");
    e.setScoped("$g", "changed");   // found in scope 0, changed there
    EXPECT_EQ(textOr(e.scopes[0].getText("$g")), "changed");
    EXPECT_EQ(textOr(e.scopes[1].getText("$b")), "block");

    e.pushScope(1);                 // a function sees itself and scope 0 only
    EXPECT_EQ(e.getScoped("$b"), nullptr);
    EXPECT_EQ(textOr(e.getScoped("$g")), "changed");
    e.setScoped("$b", "own");
    EXPECT_EQ(textOr(e.scopes[2].getText("$b")), "own");
    e.pushScope(0);
    std::string text = "$b,$g";
    e.substituteScoped(text);
    EXPECT_EQ(text, "own,changed");

    e.setInScope(1, "$g", "hidden");   // the caller's block is not visible
    text = "$g";
    e.substituteScoped(text);
    EXPECT_EQ(text, "changed");
    e.setInScopeNumber(3, "$n", -4);
    EXPECT_EQ(textOr(e.getScoped("$n")), "-4");
    e.setSystem("$sys_a", "1");
    e.setSystem("$sys_a", "2");
    EXPECT_EQ(e.systemVars.size(), 1u);
    EXPECT_EQ(e.getScoped("$sys_a"), nullptr);

    e.popScope();
    e.popScope();
    EXPECT_EQ(textOr(e.getScoped("$b")), "block");
    EXPECT_TRUE(e.scopes[2].empty());
    EXPECT_EQ(e.testHost.programEnds, 0);
}

TEST(EngineScopes, AnOddScopeEntryNeverReachesOutsideTheTables) {
    TestEngine e;
    e.depth = 5;
    e.setInScope(5, "scope", "-3");
    e.setInScope(0, "$v", "zero");
    EXPECT_EQ(textOr(e.getScoped("$v")), "zero");
    e.depth = 200;   // a depth from outside (a save) is kept inside the tables
    e.setScoped("$w", "1");
    EXPECT_EQ(textOr(e.scopes[63].getText("$w")), "1");
}

TEST(SystemData, RoundTripWithTheArgsHeader) {
    GameFolder folder;
    TestEngine e;
    e.setSystem("$sys_bgmvol", "8000");
    e.setSystem("$sys_none", nullptr);
    e.setSystem("main", "scr/a.txt:12");
    ASSERT_EQ(e.saveSystemData("./dat/system.dat"), 1);   // ./dat is created

    std::vector<uint8_t> bytes = folder.read("dat/system.dat");
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "ARGS    ");
    ByteWriter table;
    e.systemVars.write(table);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 8, bytes.end()), table.buffer());
    // Only the file itself: the temporary file was renamed over it.
    EXPECT_EQ(listDirectory("./dat").size(), 1u);

    TestEngine loaded;
    ASSERT_EQ(loaded.loadSystemData("./dat/system.dat"), 1);
    EXPECT_EQ(textOr(loaded.systemVars.getText("$sys_bgmvol")), "8000");
    EXPECT_GE(loaded.systemVars.find("$sys_none"), 0);
    EXPECT_EQ(loaded.systemVars.getText("$sys_none"), nullptr);
    EXPECT_EQ(textOr(loaded.systemVars.getText("main")), "scr/a.txt:12");
}

TEST(SystemData, TheHeaderIsComparedIgnoringCase) {
    GameFolder folder;
    TestEngine source;
    source.setSystem("$sys_x", "1");
    ByteWriter table;
    source.systemVars.write(table);
    std::string body(table.buffer().begin(), table.buffer().end());
    folder.write("lower.dat", "args    " + body);
    folder.write("other.dat", "ARGX    " + body);
    folder.write("short.dat", "ARG");

    TestEngine e;
    EXPECT_EQ(e.loadSystemData("lower.dat"), 1);
    EXPECT_EQ(textOr(e.systemVars.getText("$sys_x")), "1");
    e.setSystem("$sys_x", "kept");
    EXPECT_EQ(e.loadSystemData("other.dat"), 0);
    EXPECT_EQ(e.loadSystemData("short.dat"), 0);
    EXPECT_EQ(e.loadSystemData("missing.dat"), 0);
    EXPECT_EQ(textOr(e.systemVars.getText("$sys_x")), "kept");
}

// A small game: the system script defines the system variables, two script files.
void writeGame(const GameFolder& folder) {
    folder.write("system.zre",
                 "SetSysParam($sys_scriptfolder, scr);\r\n"
                 "SetSysParam($sys_startfunction, main);\r\n"
                 "SetSysParam($sys_auto, 1);\r\n"
                 "SetSysParam($sys_crt, 1);\r\n"
                 "SetSysParam($sys_marker, first);\r\n");
    folder.write("scr/a.txt",
                 "$g_a = 1;\r\n"
                 "$g_text = hello;\r\n"
                 "main(){\r\n"
                 "  $inner = 1;\r\n"
                 "  while(1){ break(); }\r\n"
                 "}\r\n"
                 "label:start;\r\n");
    folder.write("scr/b.txt", "$g_b = 2;\r\nhelper(){ }\r\n$late = 3;\r\n");
}

TEST(StartUp, TheFirstRunExecutesTheSystemScriptAndBuildsTheIndex) {
    GameFolder folder;
    writeGame(folder);
    TestEngine e;
    e.startUp();

    EXPECT_EQ(textOr(e.systemVars.getText("$sys_marker")), "first");
    EXPECT_EQ(textOr(e.systemVars.getText("$sys_auto")), "1");
    EXPECT_EQ(textOr(e.systemVars.getText("main")), "scr/a.txt:" + std::to_string(std::string("$g_a = 1;\r\n$g_text = hello;\r\nmain(){").size()));
    EXPECT_EQ(textOr(e.systemVars.getText("helper")).rfind("scr/b.txt:", 0), 0u);
    EXPECT_EQ(textOr(e.systemVars.getText("start")).rfind("scr/a.txt:", 0), 0u);
    EXPECT_TRUE(e.testHost.displayModes.empty());

    // Game variables: the statements before each file's first block.
    EXPECT_EQ(textOr(e.scopes[0].getText("$g_a")), "1");
    EXPECT_EQ(textOr(e.scopes[0].getText("$g_text")), "hello");
    EXPECT_EQ(textOr(e.scopes[0].getText("$g_b")), "2");
    EXPECT_EQ(e.scopes[0].find("$inner"), -1);
    EXPECT_EQ(e.scopes[0].find("$late"), -1);
    for (int i = 1; i < kScopeCount; ++i) EXPECT_TRUE(e.scopes[i].empty()) << i;
    EXPECT_EQ(e.depth, 0);

    ASSERT_TRUE(folder.exists("dat/game.dat"));
    std::vector<uint8_t> game = folder.read("dat/game.dat");
    ByteWriter scope0;
    e.scopes[0].write(scope0);
    EXPECT_EQ(game, scope0.buffer());
    EXPECT_FALSE(folder.exists("dat/system.dat"));   // written at shutdown only
    EXPECT_FALSE(e.hasScript());
    EXPECT_EQ(e.testHost.programEnds, 0);
}

TEST(StartUp, TheSecondRunTakesTheIndexFromTheSystemData) {
    GameFolder folder;
    writeGame(folder);
    {
        TestEngine first;
        first.startUp();
        first.saveSystemData("./dat/system.dat");
    }
    // Neither the system script nor the script folder is read again.
    folder.write("system.zre", "SetSysParam($sys_marker, second);\r\n");
    folder.write("scr/c.txt", "$g_c = 1;\r\nlabel:other;\r\n");

    TestEngine e;
    e.startUp();
    EXPECT_EQ(textOr(e.systemVars.getText("$sys_marker")), "first");
    EXPECT_EQ(textOr(e.systemVars.getText("$sys_auto")), "0");
    EXPECT_EQ(e.systemVars.find("other"), -1);
    EXPECT_EQ(e.scopes[0].find("$g_c"), -1);
    EXPECT_EQ(textOr(e.scopes[0].getText("$g_b")), "2");
    EXPECT_EQ(textOr(e.systemVars.getText("main")).rfind("scr/a.txt:", 0), 0u);
    EXPECT_EQ(e.testHost.displayModes, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}}));
}

TEST(StartUp, AMissingSystemScriptEndsTheProcess) {
    GameFolder folder;
    MessageBoxRecorder boxes;
    TestEngine e;
    int code = 0;
    try {
        e.startUp();
    } catch (const test::ProcessExit& exit) {
        code = exit.code;
    }
    EXPECT_EQ(code, -1);
    EXPECT_EQ(boxes.lines, std::vector<std::string>{"[./system.zre] スクリプトファイルが開けませんでした。"});
}

TEST(GamePass, ThePreambleEntersTheStartFunction) {
    GameFolder folder;
    writeGame(folder);
    MessageBoxRecorder boxes;
    TestEngine e;
    auto screen = std::make_unique<Screen>();
    attachMessageText(*screen);
    e.setScreen(std::move(screen));
    e.startUp();
    e.backlog.push_back("old message");
    e.mode = EngineMode::Game;

    e.beginPass();
    EXPECT_EQ(e.mode, EngineMode::Title);
    EXPECT_EQ(e.screen->requestedMode, EngineMode::Title);
    EXPECT_EQ(e.scriptName, "scr/a.txt");
    EXPECT_EQ(e.depth, 1);
    EXPECT_EQ(e.scopes[1].find("call"), -1);   // no return address
    EXPECT_EQ(textOr(e.scopes[1].getText("scope")), "1");
    EXPECT_EQ(messageTextOf(*e.screen)->text, " ");
    EXPECT_TRUE(e.backlog.empty());

    // The body runs; its closing "}" only closes its scope, and the pass ends with the text.
    test::runToEnd(e);
    EXPECT_EQ(e.depth, 0);
    EXPECT_EQ(e.scopes[1].size(), 0u);
    EXPECT_EQ(e.testHost.programEnds, 0);
    EXPECT_TRUE(boxes.lines.empty());
}

TEST(GamePass, AMissingStartFunctionIsReported) {
    GameFolder folder;
    MessageBoxRecorder boxes;
    TestEngine e;
    e.beginPass();
    EXPECT_EQ(boxes.lines, std::vector<std::string>{"[Error] call : 指定の関数が見つかりません"});
    EXPECT_EQ(e.depth, 0);
}

} // namespace
} // namespace zre
