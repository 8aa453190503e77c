#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "data/glpk.h"
#include "script/engine.h"
#include "script/engine_fixture.h"

namespace zre {
namespace {

using test::GameFolder;
using test::MessageBoxRecorder;
using test::TestEngine;

constexpr uint32_t kTerminators = StatementFlag::BlockClose | StatementFlag::BlockOpen | StatementFlag::Ended;

struct Read {
    std::string statement;
    uint32_t terminator;
    bool operator==(const Read&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Read& r) {
    return os << "{\"" << r.statement << "\", " << std::hex << r.terminator << "}";
}

std::vector<Read> readAll(Engine& e) {
    std::vector<Read> out;
    while (e.readStatement()) out.push_back({e.statement, e.statementFlags & kTerminators});
    return out;
}

std::vector<std::string> elements(const Engine& e) {
    std::vector<std::string> out;
    for (const auto& a : e.args) out.push_back(a ? *a : "(null)");
    return out;
}

TEST(ScriptReader, CutsStatementsAtTheirTerminators) {
    constexpr uint32_t E = StatementFlag::Ended, O = StatementFlag::BlockOpen, C = StatementFlag::BlockClose;
    struct Case {
        const char* text;
        std::vector<Read> expected;
    } cases[] = {
        {"Wait(100); // comment\r\nNext();", {{"Wait(100)", E}, {"Next()", E}}},
        {"Print(Hello\r\n    world);", {{"Print(Hello\r\nworld)", E}}},
        {"if(1){A;}", {{"if(1)", O}, {"A", E}, {"", C}}},
        {"A; B", {{"A", E}}},                                  // unterminated last statement
        {"A; // a comment that ends the text", {{"A", E}}},
        {"x = a/b; //c\n//d\ny;", {{"x = a/b", E}, {"y", E}}},
        {"  \t\r\n  X;", {{"X", E}}},
        {"A // inside\r\n B;", {{"A B", E}}},                  // the statement goes on after it
        {"Print(\"a;b\");", {{"Print(\"a", E}, {"b\")", E}}},  // quotes do not protect
        // "ボ" and "マ" end in the bytes of "{" and "}": they are characters, not braces.
        {"Print(\x83\x7B\x83\x7D);", {{"Print(\x83\x7B\x83\x7D)", E}}},
    };
    for (const Case& c : cases) {
        GameFolder folder;
        TestEngine e;
        folder.write("t.txt", c.text);
        e.loadScript("t.txt");
        EXPECT_EQ(readAll(e), c.expected) << c.text;
        EXPECT_EQ(e.readStatement(), 0) << c.text;
    }
}

TEST(ScriptReader, TracksStartAndPosition) {
    GameFolder folder;
    TestEngine e;
    folder.write("t.txt", "A;\r\n  Bb;");
    e.loadScript("t.txt");
    e.resetPosition();
    ASSERT_EQ(e.readStatement(), 1);
    EXPECT_EQ(e.statementStart, 0);   // a statement at the very start keeps offset 0
    EXPECT_EQ(e.position, 2);
    ASSERT_EQ(e.readStatement(), 1);
    EXPECT_EQ(e.statementStart, 6);
    EXPECT_EQ(e.position, 9);
    EXPECT_EQ(e.cursor, 9u);
}

TEST(ScriptReader, LongStatementsAreKeptWhole) {
    GameFolder folder;
    TestEngine e;
    const std::string value(3000, 'x');
    folder.write("t.txt", "$v = " + value + ";$w = 1;");
    e.loadScript("t.txt");
    ASSERT_EQ(e.readStatement(), 1);
    e.parseStatement(e.statement);
    ASSERT_EQ(e.argCount(), 2);
    EXPECT_EQ(*e.args[1], value);
    e.dispatch();
    EXPECT_EQ(test::textOr(e.getScoped("$v")), value);
    ASSERT_EQ(e.readStatement(), 1);
    EXPECT_EQ(e.statement, "$w = 1");
}

TEST(StatementParser, SplitsIntoTargetNameAndArguments) {
    using F = StatementFlag;
    struct Case {
        const char* text;
        std::vector<std::string> elements;
        uint32_t flags;
    } cases[] = {
        {"Draw(1, bg.gfb, 0, 0, 0, 0, 0, LAYER_NORMAL)",
         {"(null)", "Draw", "1", "bg.gfb", "0", "0", "0", "0", "0", "LAYER_NORMAL"}, F::IsCommand | 0},
        {"$n = 5", {"$n", "5"}, F::IsAssignment},
        {"$a = 1+2", {"$a", "1+2"}, F::IsAssignment},
        {"$x", {"$x"}, F::IsAssignment},
        {"RegisterText()", {"(null)", "RegisterText", ""}, F::IsCommand | 6},
        {"", {}, 0},
        {"wait(1, 0)", {"(null)", "wait", "1", "0"}, F::IsCommand | 18},
        {"ELSEIF($a == 1)", {"(null)", "ELSEIF", "$a==1"}, F::IsKeyword | 2},
        {"return()", {"(null)", "return", ""}, F::IsKeyword | 9},
        {"Wait", {"(null)", "Wait"}, 0},                      // no "(": never a command
        {"Foo(a, b))", {"(null)", "Foo", "a", "b)"}, 0},      // one ")" is removed
        {"$r = Select(yes, no)", {"$r", "Select", "yes", "no"}, F::IsAssignment | F::IsCommand | 3},
        {"Print(a b, voice\r\nc)", {"(null)", "Print", "a b", " voice/nc"}, F::IsPrint},
        {"SetPage(\"a, b\")", {"(null)", "SetPage", "a", " b"}, F::IsCommand | 20},
    };
    for (const Case& c : cases) {
        TestEngine e;
        e.parseStatement(c.text);
        EXPECT_EQ(elements(e), c.elements) << c.text;
        EXPECT_EQ(e.statementFlags, c.flags) << c.text;
    }
}

TEST(StatementParser, SubstitutionGrowsTheStatement) {
    TestEngine e;
    const std::string longValue(2000, 'q');
    e.setInScope(0, "$long", longValue.c_str());
    e.parseStatement("F($long, $long, $missing)");
    ASSERT_EQ(e.argCount(), 5);
    EXPECT_EQ(*e.args[2], longValue);
    EXPECT_EQ(*e.args[3], longValue);
    EXPECT_EQ(*e.args[4], "$missing");
}

TEST(StatementParser, MissingArgumentsAreZeroAndNull) {
    TestEngine e;
    e.parseStatement("F(1+2, text)");
    EXPECT_EQ(e.argNumber(2), 3);
    EXPECT_STREQ(e.argText(3), "text");
    EXPECT_EQ(e.argText(0), nullptr);   // no assignment target
    EXPECT_EQ(e.argNumber(0), 0);
    EXPECT_EQ(e.argText(4), nullptr);
    EXPECT_EQ(e.argNumber(4), 0);
    EXPECT_EQ(e.argText(-1), nullptr);
    e.freeArgs();
    EXPECT_EQ(e.argText(1), nullptr);
}

TEST(ScriptIndex, RegistersLabelsAtTheirSemicolons) {
    GameFolder folder;
    TestEngine e;
    const std::string text = "$a = 1;\r\nlabel:start;\r\nB;\r\nlabel:end;\r\nlabel:start;";
    test::loadIndexed(folder, e, "t.txt", text);
    EXPECT_EQ(test::textOr(e.systemVars.getText("start")), "t.txt:" + std::to_string(text.find(';', 9)));
    EXPECT_EQ(test::textOr(e.systemVars.getText("end")), "t.txt:" + std::to_string(text.find("end;") + 3));
    // A second label of the same name is kept, but lookups find the first.
    EXPECT_EQ(e.systemVars.size(), 3u);
    EXPECT_EQ(e.cursor, 0u);
}

TEST(ScriptIndex, RegistersFunctionsAfterTheirBraces) {
    GameFolder folder;
    TestEngine e;
    const std::string text =
        "main(){ if(1){ x; } }\r\nsub() {\r\n}\r\nthird()\r\n{ while(1){ } }\r\n";
    test::loadIndexed(folder, e, "t.txt", text);
    EXPECT_EQ(test::textOr(e.systemVars.getText("main")), "t.txt:7");
    EXPECT_EQ(test::textOr(e.systemVars.getText("sub")), "t.txt:" + std::to_string(text.find("() {") + 4));
    EXPECT_EQ(test::textOr(e.systemVars.getText("third")), "t.txt:" + std::to_string(text.find("\n{") + 2));
    // Blocks inside a body are not functions.
    EXPECT_EQ(e.systemVars.find("if"), -1);
    EXPECT_EQ(e.systemVars.find("while"), -1);
    EXPECT_EQ(e.systemVars.size(), 3u);
    EXPECT_EQ(e.cursor, 0u);
}

TEST(ScriptIndex, AnUnclosedFunctionEndsTheScan) {
    GameFolder folder;
    MessageBoxRecorder boxes;
    TestEngine e;
    test::loadIndexed(folder, e, "t.txt", "{f(){ a; ");
    EXPECT_EQ(boxes.lines, std::vector<std::string>{"[t.txt] 大カッコの数が合いません"});
    EXPECT_EQ(e.systemVars.size(), 1u);  // the first "{" at offset 0, with an empty name
}

TEST(SkipBlock, CountsBracesAndStopsAtTheEndOfTheText) {
    GameFolder folder;
    MessageBoxRecorder boxes;
    TestEngine e;
    folder.write("t.txt", "{ a; { \x83\x7D b; } } c; { d;");
    e.loadScript("t.txt");
    e.cursor = 1;
    EXPECT_EQ(e.skipBlock(1), 15);   // the "マ" trail byte is not a brace
    EXPECT_TRUE(boxes.lines.empty());
    e.cursor = 21;
    EXPECT_EQ(e.skipBlock(1), 3);    // to the end of the text, reported once
    EXPECT_EQ(boxes.lines, std::vector<std::string>{"[t.txt] 大カッコの数が合いません"});
    EXPECT_EQ(e.skipBlock(0), 0);
}

TEST(JumpTo, MovesWithinTheTextAndReloadsNamedFiles) {
    GameFolder folder;
    TestEngine e;
    folder.write("a.txt", "A; B;");
    folder.write("b.txt", "C; D;");
    e.loadScript("a.txt");
    e.jumpTo("3");
    EXPECT_EQ(e.cursor, 3u);
    EXPECT_EQ(e.position, 3);
    e.jumpTo("b.txt:2");
    EXPECT_EQ(e.scriptName, "b.txt");
    ASSERT_EQ(e.readStatement(), 1);
    EXPECT_EQ(e.statement, "D");
    // Offsets outside the text are clamped to it.
    e.jumpTo("99999");
    EXPECT_EQ(e.cursor, 5u);
    EXPECT_EQ(e.position, 5);
    EXPECT_EQ(e.readStatement(), 0);
    e.jumpTo("a.txt:-7");
    EXPECT_EQ(e.cursor, 0u);
    EXPECT_EQ(e.position, 0);
}

TEST(FindBackward, FindsTheLastOccurrenceAtOrBeforeTheCursor) {
    GameFolder folder;
    MessageBoxRecorder boxes;
    TestEngine e;
    folder.write("t.txt", "label:a; Print(x); PRINT(y); z;");
    e.loadScript("t.txt");
    e.cursor = 29;
    EXPECT_EQ(e.findBackward("prinT"), 19 - 29);   // other letters in either case,
    EXPECT_EQ(e.findBackward("print"), 9 - 29);    // the last one exactly
    EXPECT_EQ(e.findBackward("label"), -29);       // at the very start of the text
    e.cursor = 4;
    EXPECT_EQ(e.findBackward("label"), -4);        // ending at the cursor
    EXPECT_TRUE(boxes.lines.empty());
    e.cursor = 3;
    EXPECT_EQ(e.findBackward("label"), 0);
    e.cursor = 0;
    EXPECT_EQ(e.findBackward("zzz"), 0);
    EXPECT_EQ(boxes.lines, (std::vector<std::string>{"[Error] 後方検索：文字が見つかりません。",
                                                     "[Error] 後方検索：文字が見つかりません。"}));
}

TEST(LoadScript, ReadsCompressedScriptsByTheirLowerCaseExtension) {
    GameFolder folder;
    TestEngine e;
    const std::string text = "$a = 1; // packed\r\n";
    std::vector<uint8_t> packed = encodeGlpk(reinterpret_cast<const uint8_t*>(text.data()), text.size(), true);
    std::string image(packed.begin(), packed.end());
    folder.write("s.zrb", image);
    folder.write("s.ZRB", image);

    e.loadScript("s.zrb");
    EXPECT_EQ(std::string(e.text()), text);
    EXPECT_EQ(e.textLength(), text.size());
    EXPECT_EQ(e.scriptText.back(), '\0');
    EXPECT_EQ(e.scriptName, "s.zrb");

    e.loadScript("s.ZRB");   // read as it is, a text
    EXPECT_EQ(e.textLength(), image.size());
    EXPECT_EQ(std::string(e.text(), 4), "GLPK");
}

TEST(LoadScript, AnUnreadableScriptEndsTheProcess) {
    GameFolder folder;
    folder.write("bad.zrb", "not a container");
    for (const char* name : {"missing.txt", "bad.zrb"}) {
        MessageBoxRecorder boxes;
        TestEngine e;
        int code = 0;
        try {
            e.loadScript(name);
        } catch (const test::ProcessExit& exit) {
            code = exit.code;
        }
        EXPECT_EQ(code, -1) << name;
        EXPECT_EQ(boxes.lines, std::vector<std::string>{"[" + std::string(name) + "] スクリプトファイルが開けませんでした。"});
    }
}

} // namespace
} // namespace zre
