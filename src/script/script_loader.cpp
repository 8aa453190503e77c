// Loading script files, cutting statements out of the text, splitting them into elements,
// and the two folder scans of the start-up (label/function index, initial game variables).
#include <algorithm>
#include <cctype>
#include <cstring>

#include "data/byte_io.h"
#include "data/file_access.h"
#include "data/glpk.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/sjis.h"
#include "script/engine.h"
#include "script/evaluator.h"

namespace zre {

namespace {

// "スクリプトファイルが開けませんでした。"
constexpr char kCannotOpenScript[] =
    "\x83X\x83N\x83\x8A\x83v\x83g\x83t\x83@\x83" "C\x83\x8B\x82\xAA\x8AJ\x82\xAF\x82\xDC\x82\xB9"
    "\x82\xF1\x82\xC5\x82\xB5\x82\xBD\x81" "B";
// "大カッコの数が合いません"
constexpr char kUnbalancedBraces[] =
    "\x91\xE5\x83J\x83" "b\x83R\x82\xCC\x90\x94\x82\xAA\x8D\x87\x82\xA2\x82\xDC\x82\xB9\x82\xF1";
// "後方検索：文字が見つかりません。"
constexpr char kBackwardNotFound[] =
    "\x8C\xE3\x95\xFB\x8C\x9F\x8D\xF5\x81" "F\x95\xB6\x8E\x9A\x82\xAA\x8C\xA9\x82\xC2\x82\xA9"
    "\x82\xE8\x82\xDC\x82\xB9\x82\xF1\x81" "B";

// Blank in the reader's sense: below "!" as a signed byte, so every byte from 0x80 up too.
bool isBlank(char c) { return static_cast<signed char>(c) < 0x21; }


bool sameLetterIgnoringCase(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

} // namespace

void Engine::loadScript(std::string_view name) {
    std::vector<uint8_t> bytes;
    bool loaded = false;
    // The extension test looks at the name as written: ".ZRB" is an ordinary text script.
    if (pathExtension(name).find(".zrb") != std::string_view::npos) {
        loaded = readGlpk(name, bytes) == 0;
    } else if (std::optional<std::vector<uint8_t>> file = readWholeFile(name)) {
        bytes = std::move(*file);
        loaded = true;
    }
    if (!loaded) {
        messageBox(kCannotOpenScript, name);
        exitProcess(-1);
    }
    scriptText.assign(bytes.begin(), bytes.end());
    scriptText.push_back('\0');
    cursor = 0;
    scriptName.assign(name);
}

void Engine::freeScript() {
    scriptText.clear();
    scriptText.shrink_to_fit();
    cursor = 0;
}

void Engine::resetPosition() {
    depth = 0;
    overflow_.clear();
    position = 0;
    setInScopeNumber(0, "scope", 1);
}

size_t Engine::cursorOffset() const { return std::min(cursor, textLength()); }

void Engine::moveCursor(size_t offset) {
    cursor = std::min(offset, textLength());
    position = static_cast<int32_t>(cursor);
}

// Double-byte aware search; the text ends at its first NUL.
size_t Engine::findText(size_t from, std::string_view pattern) const {
    const char* t = text();
    size_t end = textLength();
    if (pattern.empty()) return std::string_view::npos;
    for (size_t i = std::min(from, end); i < end && t[i] != '\0';) {
        if (isLeadByte(t + i)) {
            i += 2;
            continue;
        }
        if (end - i >= pattern.size() && std::memcmp(t + i, pattern.data(), pattern.size()) == 0) return i;
        ++i;
    }
    return std::string_view::npos;
}

int Engine::readStatement() {
    statementFlags = 0;
    statementStart = 0;
    statement.clear();
    if (!hasScript()) return 0;
    const char* t = text();
    const size_t begin = cursorOffset();
    size_t p = begin;
    bool started = false;  // statementStart holds the first byte's offset, even offset 0
    auto skipBlanks = [&] {
        while (t[p] != '\0' && isBlank(t[p])) ++p;
    };

    skipBlanks();
    while (statementFlags == 0) {
        const char c = t[p];
        if (isLeadByte(t + p)) {
            if (!started) {
                statementStart = static_cast<int32_t>(p);
                started = true;
            }
            statement.append(t + p, 2);
            p += 2;
        } else if (c == '\0') {
            statement.clear();  // an unterminated last statement is dropped
            return 0;
        } else if (c == '\r') {
            if (statement.empty()) {
                skipBlanks();
                continue;
            }
            statement.push_back(c);
            ++p;
            if (t[p] == '\n') statement.push_back(t[p++]);
            while (t[p] == ' ' || t[p] == '\t') ++p;
        } else if (c == '/' && t[p + 1] == '/') {
            // A comment runs to the line feed, or to the end of the text without one.
            while (t[p] != '\0' && t[p] != '\n') ++p;
            skipBlanks();
        } else if (c == ';') {
            statementFlags |= StatementFlag::Ended;
            ++p;
        } else if (c == '{') {
            statementFlags |= StatementFlag::BlockOpen;
            ++p;
        } else if (c == '}') {
            statementFlags |= StatementFlag::BlockClose;
            ++p;
        } else {
            if (!started) {
                statementStart = static_cast<int32_t>(p);
                started = true;
            }
            statement.push_back(c);
            ++p;
        }
    }
    cursor = p;
    position += static_cast<int32_t>(p - begin);
    return 1;
}

void Engine::parseStatement(std::string_view source) {
    args.clear();
    if (source.empty()) return;
    std::string rest(source);

    if (rest[0] == '$') {
        statementFlags |= StatementFlag::IsAssignment;
        size_t eq = rest.find('=');
        args.emplace_back(strippedText(std::string_view(rest).substr(0, eq)));
        if (eq == std::string::npos) return;
        rest.erase(0, eq + 1);
    } else {
        args.emplace_back(std::nullopt);
    }

    substituteScoped(rest);

    size_t open = rest.find('(');
    std::string name = strippedText(std::string_view(rest).substr(0, open));
    args.emplace_back(name);
    if (open == std::string::npos) return;
    rest.erase(0, open + 1);

    if (equalsIgnoringCase(name, "Print")) {
        statementFlags |= StatementFlag::IsPrint;
        for (size_t at = rest.find("\r\n"); at != std::string::npos; at = rest.find("\r\n", at + 2)) {
            rest[at] = '/';
            rest[at + 1] = 'n';
        }
    } else {
        if (int k = keywordIndex(name); k >= 0) {
            statementFlags |= StatementFlag::IsKeyword | static_cast<uint32_t>(k);
        } else if (int c = commandIndex(name); c >= 0) {
            statementFlags |= StatementFlag::IsCommand | static_cast<uint32_t>(c);
        }
        stripText(rest);
    }

    size_t from = 0;
    for (;;) {
        size_t comma = rest.find(',', from);
        if (comma == std::string::npos) break;
        args.emplace_back(rest.substr(from, comma - from));
        from = comma + 1;
    }
    std::string last = rest.substr(from);
    if (!last.empty() && last.back() == ')') last.pop_back();
    args.emplace_back(std::move(last));
}

int32_t Engine::argNumber(int i) const {
    const char* t = argText(i);
    return t ? evaluate(t) : 0;
}

const char* Engine::argText(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= args.size() || !args[i]) return nullptr;
    return args[i]->c_str();
}

int32_t Engine::skipBlock(int n) {
    if (n <= 0) return 0;
    const char* t = text();
    const size_t begin = cursorOffset();
    const size_t end = textLength();
    int open = n;
    for (size_t p = begin; p < end && t[p] != '\0';) {
        if (isLeadByte(t + p)) {
            p += 2;
            continue;
        }
        if (t[p] == '{') {
            ++open;
        } else if (t[p] == '}' && --open == 0) {
            return static_cast<int32_t>(p + 1 - begin);
        }
        ++p;
    }
    // The text ends inside the block: report it once and continue at the end of the text.
    messageBox(kUnbalancedBraces, scriptName);
    size_t stop = begin;
    while (stop < end && t[stop] != '\0') ++stop;
    return static_cast<int32_t>(stop - begin);
}

void Engine::jumpTo(std::string_view address) {
    size_t colon = address.find(':');
    std::string offset;
    if (colon == std::string_view::npos) {
        offset.assign(address);
    } else {
        std::string file(address.substr(0, colon));
        offset.assign(address.substr(colon + 1));
        freeScript();
        loadScript(file);
    }
    // Offsets from outside (the index, saves) may not fit this text: keep them inside it.
    int32_t value = atoi32(offset.c_str());
    moveCursor(value < 0 ? 0 : static_cast<size_t>(value));
}

int32_t Engine::findBackward(std::string_view pattern) {
    const size_t from = cursorOffset();
    const size_t n = pattern.size();
    if (n > 0 && hasScript()) {
        const char* t = text();
        // The occurrence's last byte lies at or before cursor and its first byte inside the text.
        size_t lastEnd = std::min(from + 1, textLength());
        for (size_t endAt = lastEnd; endAt >= n; --endAt) {
            size_t s = endAt - n;
            if (t[endAt - 1] != pattern[n - 1]) continue;
            bool match = true;
            for (size_t k = 0; k + 1 < n && match; ++k) match = sameLetterIgnoringCase(t[s + k], pattern[k]);
            if (match) return static_cast<int32_t>(s) - static_cast<int32_t>(from);
        }
    }
    messageBox(kBackwardNotFound, "Error");
    return 0;
}

void Engine::registerLabels(std::string_view fileName) {
    const char* t = text();
    for (size_t at = findText(0, "label"); at != std::string_view::npos;) {
        size_t semicolon = at;
        while (t[semicolon] != '\0' && t[semicolon] != ';') ++semicolon;
        if (t[semicolon] != ';') break;
        std::string name = strippedText(std::string_view(t + at, semicolon - at));
        name.erase(0, std::min<size_t>(6, name.size()));
        std::string address = std::string(fileName) + ":" + std::to_string(semicolon);
        systemVars.add(name, address.c_str());
        at = findText(semicolon + 1, "label");
    }
    cursor = 0;
}

void Engine::registerFunctions(std::string_view fileName) {
    const char* t = text();
    for (size_t brace = findText(0, "{"); brace != std::string_view::npos;) {
        // The head is the run of visible bytes before the "{" (after any line breaks), its
        // name everything up to the first "(".
        // The byte just before the "{" (a space or the ")") always belongs to the head.
        size_t q = 0;
        if (brace > 0) {
            size_t p = brace - 1;
            while (p > 0 && static_cast<signed char>(t[p]) < 0x20) --p;
            q = p;
            while (q > 0 && static_cast<signed char>(t[q - 1]) > 0x20) --q;
        }
        size_t nameEnd = q;
        while (nameEnd < brace && t[nameEnd] != '(') ++nameEnd;
        std::string name(t + q, nameEnd - q);
        std::string address = std::string(fileName) + ":" + std::to_string(brace + 1);
        systemVars.add(name, address.c_str());

        // Blocks inside the body are not functions: continue after its closing "}".
        cursor = brace + 1;
        size_t after = cursor + static_cast<size_t>(skipBlock(1));
        brace = findText(after, "{");
    }
    cursor = 0;
}

std::vector<std::string> Engine::scriptFiles() const {
    std::vector<std::string> files;
    const char* folder = systemVars.getText("$sys_scriptfolder");
    if (!folder || !*folder) return files;
    for (const HostEntry& entry : listDirectory(folder)) {
        if (entry.directory || entry.name == "." || entry.name == "..") continue;
        files.push_back(std::string(folder) + "/" + entry.name);
    }
    return files;
}

bool Engine::step(bool topLevelOnly) {
    if (!readStatement()) return false;
    parseStatement(statement);
    if (!topLevelOnly || depth == 0) dispatch();
    statement.clear();
    freeArgs();
    return true;
}

void Engine::indexScript(std::string_view fileName) {
    loadScript(fileName);
    resetPosition();
    registerLabels(fileName);
    registerFunctions(fileName);
}

void Engine::buildIndex(std::string_view systemScript) {
    loadScript(systemScript);
    resetPosition();
    while (step()) {
    }
    freeScript();

    for (const std::string& path : scriptFiles()) {
        indexScript(path);
        freeScript();
    }
}

void Engine::collectGameVariables(std::string_view dataFile) {
    if (fileExists(dataFile)) {
        if (std::optional<std::vector<uint8_t>> bytes = readWholeFile(dataFile)) {
            ByteReader in(bytes->data(), bytes->size());
            scopes[0].read(in);
        }
        return;
    }
    for (const std::string& path : scriptFiles()) {
        loadScript(path);
        resetPosition();
        while (step(true)) {
        }
        freeScript();
        // The first block of a file is opened and never closed by this scan; its scope
        // tables must not carry "while" or "call" entries into the game.
        for (int i = 1; i < kScopeCount; ++i) scopes[i].clear();
    }
    depth = 0;
    overflow_.clear();

    ByteWriter out;
    scopes[0].write(out);
    std::string folder, name;
    splitPath(dataFile, folder, name);
    if (!folder.empty()) makeDirectories(folder);
    writeFileAtomically(dataFile, out.buffer());
}

} // namespace zre
