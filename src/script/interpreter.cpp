// Executing parsed statements: blocks, control keywords, assignments, function calls and
// jumps, and the statement queue. Nesting lives in the scope tables; a function's return
// address is the "call" entry of its scope, a loop's head the "while" entry of its body.
#include <algorithm>
#include <string>

#include "platform/message_box.h"
#include "platform/sjis.h"
#include "script/engine.h"
#include "script/evaluator.h"

namespace zre {

namespace {

// "関数のネスト下がりすぎ、注意"
constexpr char kNestTooDeep[] =
    "\x8A\xD6\x90\x94\x82\xCC\x83l\x83X\x83g\x89\xBA\x82\xAA\x82\xE8\x82\xB7\x82\xAC\x81" "A\x92\x8D\x88\xD3";
// "警告"
constexpr char kWarning[] = "\x8Cx\x8D\x90";
// "goto : 指定のラベルが見つかりません"
constexpr char kNoLabel[] =
    "goto : \x8Ew\x92\xE8\x82\xCC\x83\x89\x83x\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC"
    "\x82\xB9\x82\xF1";
// "call : 指定の関数が見つかりません"
constexpr char kNoFunction[] =
    "call : \x8Ew\x92\xE8\x82\xCC\x8A\xD6\x90\x94\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9"
    "\x82\xF1";

constexpr std::string_view kKeywords[] = {"if",   "else",  "elseif", "sw",   "case",
                                          "while", "break", "goto",   "call", "return"};


} // namespace

int keywordIndex(std::string_view name) {
    for (size_t i = 0; i < std::size(kKeywords); ++i) {
        if (equalsIgnoringCase(name, kKeywords[i])) return static_cast<int>(i);
    }
    return -1;
}

void Engine::dispatch() {
    const uint32_t flags = statementFlags;
    const int index = static_cast<int>(flags & StatementFlag::IndexMask);

    if (flags & StatementFlag::BlockClose) {
        const VariableTable& scope = block();
        if (const char* loop = scope.find("while") >= 0 ? scope.getText("while") : nullptr) {
            jumpTo(std::string(loop));  // back to the while statement; the body's scope stays
            return;
        }
        if (const char* back = scope.find("call") >= 0 ? scope.getText("call") : nullptr) {
            jumpTo(std::string(back));
        }
        popScope();
        return;
    }
    if (flags & StatementFlag::IsPrint) {
        printStatement();
        return;
    }
    if (flags & StatementFlag::IsKeyword) {
        runKeyword(index);
        return;
    }
    if (flags & StatementFlag::BlockOpen) {
        pushScope(0);
        return;
    }
    if (flags & StatementFlag::IsCommand) executeCommand(index);
    if (flags & StatementFlag::IsAssignment) runAssignment();
}

// "$a = 5" stores 5; "$a = $b+1" stores the substituted text, evaluated where it is used.
void Engine::runAssignment() {
    const char* target = argText(0);
    if (!target) return;
    const char* value = argText(1);
    if (!value || valueType(value) == 0) {
        setScopedNumber(target, value ? evaluate(value) : 0);
    } else {
        setScoped(target, value);
    }
}

// Number of open blocks from the innermost one out to the nearest that holds entry, that
// one included; 0 when none does.
int Engine::blocksOutTo(std::string_view entry) const {
    const int deep = static_cast<int>(overflow_.size());
    for (int k = deep - 1; k >= 0; --k) {
        if (overflow_[k].find(entry) >= 0) return deep - k;
    }
    const int top = scopeIndex();
    for (int n = top; n >= 0; --n) {
        if (scopes[n].find(entry) >= 0) return deep + top - n + 1;
    }
    return 0;
}

void Engine::runKeyword(int index) {
    switch (static_cast<KeywordId>(index)) {
    case KeywordId::If: {
        int32_t c = argNumber(2);
        block().set("if", std::to_string(c).c_str());
        pushScope(0);
        if (c == 0) skipBlocks(1);
        break;
    }
    case KeywordId::Else: {
        int32_t v = block().getNumber("if");
        pushScope(0);
        if (v != 0) skipBlocks(1);
        break;
    }
    case KeywordId::ElseIf: {
        // The recorded "if" value stays: every later else of the chain still sees the if's.
        int32_t v = block().getNumber("if");
        pushScope(0);
        if (v != 0 || argNumber(2) == 0) skipBlocks(1);
        break;
    }
    case KeywordId::Sw: {
        int32_t c = argNumber(2);
        pushScope(0);
        block().set("sw", std::to_string(c).c_str());
        block().set("endsw", std::to_string(skipBlock(1) + position).c_str());
        break;
    }
    case KeywordId::Case: {
        const VariableTable& scope = block();
        if (scope.getNumber("sw") == argNumber(2)) break;
        size_t next = findText(cursorOffset(), "case");
        int32_t endsw = scope.getNumber("endsw");
        if (next != std::string_view::npos && static_cast<int64_t>(next) < endsw) {
            moveCursor(next);
        } else {
            skipBlocks(1);
        }
        break;
    }
    case KeywordId::While: {
        const VariableTable& scope = block();
        const int32_t s = statementStart;
        if (scope.find("while") >= 0 && scope.getNumber("while") == s) {
            if (argNumber(2) == 0) skipBlocks(1);  // re-entered through the body's "}"
        } else {
            pushScope(0);
            if (argNumber(2) != 0) {
                block().set("while", std::to_string(s).c_str());
            } else {
                skipBlocks(1);
            }
        }
        break;
    }
    case KeywordId::Break:
        // Outside any loop there is nothing to leave: the statement does nothing.
        if (int blocks = blocksOutTo("while")) skipBlocks(blocks);
        break;
    case KeywordId::Goto:
        gotoLabel(argText(2));
        break;
    case KeywordId::Call:
        callFunction(argText(2));
        break;
    case KeywordId::Return: {
        // Outside any function (the start function has no return address) it does nothing.
        const int blocks = blocksOutTo("call");
        if (blocks == 0) break;
        for (int i = 1; i < blocks; ++i) popScope();
        const char* back = block().getText("call");
        if (back) jumpTo(std::string(back));
        popScope();
        break;
    }
    }
}

void Engine::executeNow(std::string_view text) {
    statementFlags = 0;
    statement.assign(text);
    parseStatement(statement);
    dispatch();
    freeArgs();
}

void Engine::runQueued() {
    if (statementQueue.empty()) return;
    std::string text = std::move(statementQueue.front());
    statementQueue.pop_front();
    executeNow(text);
}

// A block opened past the last table gets only a bookkeeping table of its own (its
// variables go to scope 63); closing unwinds those first, so braces stay balanced and no
// scope table is overrun.
void Engine::pushScope(int own) {
    depth = scopeIndex();
    if (depth >= kScopeCount - 1) {
        messageBox(kNestTooDeep, kWarning);
        overflow_.emplace_back();
        return;
    }
    int32_t visible = scopes[depth].getNumber("scope");
    ++depth;
    setInScopeNumber(depth, "scope", own ? depth : visible);
}

void Engine::popScope() {
    if (!overflow_.empty()) {
        overflow_.pop_back();
        return;
    }
    depth = scopeIndex();
    scopes[depth].clear();
    if (depth == 0) {
        // The outermost block has closed: the game ends.
        host.endProgram();
        return;
    }
    --depth;
}

void Engine::skipBlocks(int n) {
    if (n <= 0) return;
    const size_t length = static_cast<size_t>(skipBlock(n));
    for (int i = 0; i < n; ++i) popScope();
    cursor = std::min(cursorOffset() + length, textLength());
    position += static_cast<int32_t>(length);
}

void Engine::callFunction(const char* name) {
    const char* target = name ? systemVars.getText(name) : nullptr;
    if (!target) {
        messageBox(kNoFunction, "Error");
        return;
    }
    std::string address(target);
    std::string back = scriptName + ":" + std::to_string(position);
    pushScope(1);
    block().set("call", back.c_str());
    jumpTo(address);
}

void Engine::gotoLabel(const char* name) {
    const char* target = name ? systemVars.getText(name) : nullptr;
    if (!target) {
        messageBox(kNoLabel, "Error");
        return;
    }
    jumpTo(std::string(target));
}

} // namespace zre
