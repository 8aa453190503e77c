#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/engine.h"
#include "script/engine_fixture.h"
#include "script/evaluator.h"

namespace zre {
namespace {

using test::GameFolder;
using test::MessageBoxRecorder;
using test::TestEngine;
using test::textOr;

// Runs a script from its start; "$log = $log X;" statements append X to a trace that starts
// as "x".
struct ScriptRun {
    GameFolder folder;
    MessageBoxRecorder boxes;
    TestEngine e;

    explicit ScriptRun(const std::string& script, bool indexed = true) {
        const std::string text = "$log = x;\r\n" + script;
        if (indexed) {
            test::loadIndexed(folder, e, "t.txt", text);
        } else {
            folder.write("t.txt", text);
            e.loadScript("t.txt");
            e.resetPosition();
        }
        test::runToEnd(e);
    }
    std::string log() const { return textOr(e.getScoped("$log")); }
    // Nothing left open: no scope above 0 holds an entry.
    bool scopesClosed() const {
        if (e.depth != 0 || e.overflowBlocks() != 0) return false;
        for (int i = 1; i < kScopeCount; ++i)
            if (!e.scopes[i].empty()) return false;
        return true;
    }
};

TEST(Interpreter, IfElseChains) {
    struct Case {
        const char* script;
        const char* log;
    } cases[] = {
        {"if(0){ $log = $log A; } else(){ $log = $log B; }", "xB"},
        {"if(1){ $log = $log A; } else(){ $log = $log B; }", "xA"},
        // The else sees the if's value, not the elseif's.
        {"if(0){ $log = $log A; } elseif(1){ $log = $log B; } else(){ $log = $log C; }", "xBC"},
        {"if(1){ $log = $log A; } elseif(1){ $log = $log B; } else(){ $log = $log C; }", "xA"},
        {"if(0){ $log = $log A; } elseif(0){ $log = $log B; } else(){ $log = $log C; }", "xC"},
        {"if(0){ if(1){ $log = $log A; } $log = $log B; } $log = $log C;", "xC"},
        {"$n = 2; if($n == 2){ $log = $log A; }", "xA"},
        {"if(0){}$log = $log A; if(1){}$log = $log B;", "xAB"},
    };
    for (const Case& c : cases) {
        ScriptRun run(c.script);
        EXPECT_EQ(run.log(), c.log) << c.script;
        EXPECT_TRUE(run.scopesClosed()) << c.script;
        EXPECT_EQ(run.e.testHost.programEnds, 0) << c.script;
        EXPECT_TRUE(run.boxes.lines.empty()) << c.script;
    }
}

TEST(Interpreter, WhileLoopsAndBreak) {
    struct Case {
        const char* script;
        const char* log;
    } cases[] = {
        {"$i = 0; while($i < 3){ $log = $log A; $i = $i+1; } $log = $log E;", "xAAAE"},
        {"while(0){ $log = $log A; } $log = $log E;", "xE"},
        // break inside an if leaves both blocks
        {"while(1){ $log = $log A; if(1){ break(); } $log = $log N; } $log = $log E;", "xAE"},
        {"$i = 0; while($i < 2){ $i = $i+1; $j = 0; while($j < 2){ $j = $j+1; $log = $log B; } }", "xBBBB"},
    };
    for (const Case& c : cases) {
        ScriptRun run(c.script);
        EXPECT_EQ(run.log(), c.log) << c.script;
        EXPECT_TRUE(run.scopesClosed()) << c.script;
    }
}

TEST(Interpreter, LoopVariablesCloseWithTheLoop) {
    ScriptRun run("while(1){ $tmp = 1; break(); }");
    EXPECT_EQ(run.e.getScoped("$tmp"), nullptr);
}

TEST(Interpreter, WhileAtTheStartOfTheText) {
    GameFolder folder;
    TestEngine e;
    e.setInScope(0, "$i", "0");
    test::loadIndexed(folder, e, "t.txt", "while($i < 2){ $i = $i+1; }");
    test::runToEnd(e);
    EXPECT_EQ(evaluate(textOr(e.getScoped("$i"))), 2);
}

TEST(Interpreter, SwitchRunsOnlyTheMatchingCase) {
    const std::string body =
        "{ case(1); $log = $log A; case(2); $log = $log B; case(3); $log = $log C; } $log = $log E;";
    struct Case {
        const char* head;
        const char* log;
    } cases[] = {{"sw(2)", "xBE"}, {"sw(1)", "xAE"}, {"sw(3)", "xCE"}, {"sw(4)", "xE"}};
    for (const Case& c : cases) {
        ScriptRun run(c.head + body);
        EXPECT_EQ(run.log(), c.log) << c.head;
        EXPECT_TRUE(run.scopesClosed()) << c.head;
    }
}

TEST(Interpreter, CallReturnsAfterTheCallInTheCallersScope) {
    ScriptRun run(
        "call(f); $log = $log R; goto(end);\r\n"
        "f(){ $loc = 1; $log = $log F; }\r\n"
        "label:end;\r\n");
    EXPECT_EQ(run.log(), "xFR");
    EXPECT_EQ(run.e.getScoped("$loc"), nullptr);
    EXPECT_TRUE(run.scopesClosed());
    EXPECT_TRUE(run.boxes.lines.empty());
}

TEST(Interpreter, ReturnClosesEveryBlockOfTheFunction) {
    ScriptRun run(
        "if(1){ call(f); $log = $log R; }\r\ngoto(end);\r\n"
        "f(){ $log = $log A; while(1){ if(1){ return(); } } $log = $log N; }\r\n"
        "label:end; $log = $log E;\r\n");
    EXPECT_EQ(run.log(), "xARE");
    EXPECT_TRUE(run.scopesClosed());
}

TEST(Interpreter, FunctionsSeeOnlyTheirOwnScopesAndScopeZero) {
    ScriptRun run(
        "if(1){ $blk = b; call(f); }\r\ngoto(end);\r\n"
        "f(){ $log = $log $blk; if(1){ $log = $log $own; } $own = o; }\r\n"
        "label:end;\r\n");
    // $blk of the calling block is hidden; $own did not exist yet when it was used.
    EXPECT_EQ(run.log(), "x$blk$own");
}

TEST(Interpreter, MissingLabelsAndFunctionsAreReportedAndSkipped) {
    ScriptRun run("goto(nowhere); call(nothing); $log = $log A;");
    EXPECT_EQ(run.log(), "xA");
    EXPECT_EQ(run.boxes.lines, (std::vector<std::string>{"[Error] goto : 指定のラベルが見つかりません",
                                                         "[Error] call : 指定の関数が見つかりません"}));
    EXPECT_TRUE(run.scopesClosed());
}

TEST(Interpreter, BreakAndReturnOutsideTheirBlocksDoNothing) {
    ScriptRun run("break(); $log = $log A; return(); $log = $log B; if(1){ break(); return(); $log = $log C; }");
    EXPECT_EQ(run.log(), "xABC");
    EXPECT_TRUE(run.scopesClosed());
    EXPECT_EQ(run.e.testHost.programEnds, 0);
}

TEST(Interpreter, TheOutermostCloseEndsTheProgram) {
    ScriptRun run("$log = $log A; } $log = $log B;");
    EXPECT_EQ(run.e.testHost.programEnds, 1);
    EXPECT_EQ(run.e.depth, 0);
}

TEST(Interpreter, NestingBeyondTheLastScopeStaysBalanced) {
    std::string script;
    for (int i = 0; i < 70; ++i) script += "if(1){ ";
    script += "$deep = 1; $log = $log D; ";
    for (int i = 0; i < 70; ++i) script += "} ";
    script += "$log = $log E;";
    ScriptRun run(script);
    EXPECT_EQ(run.log(), "xDE");
    EXPECT_EQ(run.boxes.lines.size(), 7u);   // one warning per block past scope 63
    EXPECT_EQ(run.boxes.lines[0], "[警告] 関数のネスト下がりすぎ、注意");
    EXPECT_TRUE(run.scopesClosed());
    EXPECT_EQ(run.e.testHost.programEnds, 0);
}

TEST(Interpreter, LoopsAndCallsPastTheLastScopeStillWork) {
    std::string script;
    for (int i = 0; i < 66; ++i) script += "if(1){ ";
    script +=
        "if(0){ $log = $log N; } $log = $log D; while(1){ break(); } "
        "$i = 0; while($i < 2){ $i = $i+1; $log = $log W; } call(f); $log = $log R; ";
    for (int i = 0; i < 66; ++i) script += "} ";
    script += "$log = $log E; goto(end);\r\nf(){ if(1){ return(); } $log = $log N; }\r\nlabel:end;";
    ScriptRun run(script);
    EXPECT_EQ(run.log(), "xDWWRE");
    EXPECT_TRUE(run.scopesClosed());
    EXPECT_EQ(run.e.testHost.programEnds, 0);
}

TEST(Interpreter, UnbalancedSkipContinuesAtTheEnd) {
    ScriptRun run("if(0){ $log = $log A;", false);
    EXPECT_EQ(run.log(), "x");
    EXPECT_EQ(run.boxes.lines, std::vector<std::string>{"[t.txt] 大カッコの数が合いません"});
    EXPECT_EQ(run.e.readStatement(), 0);
}

TEST(Interpreter, Assignments) {
    ScriptRun run("$a = 0x10; $b = $a+1; $c; $d = 5; $e = ; $t = hello world; $a = 0x20;");
    EXPECT_EQ(textOr(run.e.getScoped("$a")), "0x20");   // hexadecimal only when created
    EXPECT_EQ(textOr(run.e.getScoped("$b")), "16+1");   // evaluated where it is used
    EXPECT_EQ(textOr(run.e.getScoped("$c")), "0");
    EXPECT_EQ(textOr(run.e.getScoped("$d")), "5");
    EXPECT_EQ(textOr(run.e.getScoped("$e")), "0");
    EXPECT_EQ(textOr(run.e.getScoped("$t")), "helloworld");
}

TEST(Interpreter, QueuedStatementsRunInOrder) {
    TestEngine e;
    e.queueStatement("$q = a");
    e.queueStatement("$q = $q b");
    EXPECT_TRUE(e.hasQueued());
    e.runQueued();
    e.runQueued();
    e.runQueued();   // nothing left
    EXPECT_FALSE(e.hasQueued());
    EXPECT_EQ(textOr(e.getScoped("$q")), "ab");
    e.executeNow("$z = 7");
    EXPECT_EQ(textOr(e.getScoped("$z")), "7");
    EXPECT_EQ(e.statement, "$z = 7");
    EXPECT_TRUE(e.args.empty());
}

TEST(Commands, PageAndSystemParameters) {
    TestEngine e;
    e.setScreen(std::make_unique<Screen>());
    e.mode = EngineMode::Game;
    e.executeNow("SetSysParam($sys_x, 5)");
    e.executeNow("SetSysParam($sys_y)");
    EXPECT_EQ(textOr(e.systemVars.getText("$sys_x")), "5");
    ASSERT_GE(e.systemVars.find("$sys_y"), 0);
    EXPECT_EQ(e.systemVars.getText("$sys_y"), nullptr);

    e.executeNow("SetPage(3, 1)");
    EXPECT_EQ(e.screen->requestedMode, EngineMode::Configuration);
    EXPECT_EQ(e.modeStack.depth(), 1);
    EXPECT_EQ(e.modeStack.at(0), EngineMode::Game);
    e.executeNow("SetPageConst(2)");
    EXPECT_EQ(e.screen->requestedMode, EngineMode::Game);
    EXPECT_EQ(e.modeStack.depth(), 0);

    e.executeNow("SetPageHook(1)");
    EXPECT_EQ(e.rightButtonBlocked, 1);
    e.executeNow("SetPageHook(0)");
    EXPECT_EQ(e.rightButtonBlocked, 0);
}

TEST(Commands, ConstantNames) {
    MessageBoxRecorder boxes;
    EXPECT_EQ(constantValue("SHOW_MASK"), 10);
    EXPECT_EQ(constantValue("SHOW_RECT"), 9);
    EXPECT_EQ(constantValue("LAYER_BUTTON"), 5);
    EXPECT_EQ(constantValue("LAYER_TRANS"), 3);
    EXPECT_EQ(constantValue("show_alpha"), 0);   // names are case-sensitive
    EXPECT_EQ(constantValue("1"), 0);
    EXPECT_TRUE(boxes.lines.empty());
    EXPECT_EQ(constantValue(nullptr), 0);
    EXPECT_EQ(boxes.lines, std::vector<std::string>{"[] 謎のパラメータ参照"});
    EXPECT_EQ(commandIndex("shake"), 24);
    EXPECT_EQ(commandIndex(" "), 14);
    EXPECT_EQ(commandIndex("Print"), -1);
    EXPECT_EQ(keywordIndex("WHILE"), 5);
}

} // namespace
} // namespace zre
