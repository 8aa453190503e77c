#include "platform/input_script.h"

#include <charconv>
#include <optional>

namespace zre {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string_view> splitWords(std::string_view s) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isSpace(s[i])) ++i;
        size_t start = i;
        while (i < s.size() && !isSpace(s[i])) ++i;
        if (i > start) words.push_back(s.substr(start, i - start));
    }
    return words;
}

// Plain decimal digits only: no sign, no spaces, no overflow past max.
std::optional<uint32_t> parseUnsigned(std::string_view s, uint32_t max) {
    if (s.empty()) return std::nullopt;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    uint64_t v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v > max) return std::nullopt;
    return static_cast<uint32_t>(v);
}

Message mouseMessage(MessageKind kind, int32_t x, int32_t y) {
    Message m;
    m.kind = kind;
    m.x = x;
    m.y = y;
    return m;
}

Message keyMessage(MessageKind kind, int32_t key) {
    Message m;
    m.kind = kind;
    m.key = key;
    return m;
}

// One line's events, or an error text.
bool parseLine(std::string_view line, std::vector<ScriptedInput>& out, std::string& error) {
    size_t i = 0;
    while (i < line.size() && isSpace(line[i])) ++i;
    if (i == line.size() || line[i] == '#') return true;
    line.remove_prefix(i);

    size_t timeEnd = 0;
    while (timeEnd < line.size() && !isSpace(line[timeEnd])) ++timeEnd;
    std::string_view timeWord = line.substr(0, timeEnd);
    auto time = parseUnsigned(timeWord, UINT32_MAX);
    if (!time) {
        error = "bad time '" + std::string(timeWord) + "'";
        return false;
    }
    std::string_view rest = line.substr(timeEnd);
    while (!rest.empty() && isSpace(rest.front())) rest.remove_prefix(1);

    // The string of a text event is taken as written (it may hold spaces and '#').
    if (rest.substr(0, 4) == "text" && (rest.size() == 4 || isSpace(rest[4]))) {
        std::string_view text = rest.substr(rest.size() > 4 ? 5 : 4);
        while (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        if (text.empty()) {
            error = "text needs a string";
            return false;
        }
        Message m;
        m.kind = MessageKind::Text;
        m.text = std::string(text);
        out.push_back({*time, std::move(m)});
        return true;
    }

    if (size_t hash = rest.find('#'); hash != std::string_view::npos) rest = rest.substr(0, hash);
    std::vector<std::string_view> words = splitWords(rest);
    if (words.empty()) {
        error = "missing event after the time";
        return false;
    }
    std::string_view verb = words[0];
    auto wantArgs = [&](size_t n) {
        if (words.size() == n + 1) return true;
        error = std::string(verb) + (words.size() < n + 1 ? " needs " : " takes only ") + std::to_string(n) +
                (n == 1 ? " argument" : " arguments");
        return false;
    };

    if (verb == "click" || verb == "rclick" || verb == "move") {
        if (!wantArgs(2)) return false;
        auto x = parseUnsigned(words[1], 32767);
        auto y = parseUnsigned(words[2], 32767);
        if (!x || !y) {
            error = "bad position '" + std::string(words[1]) + " " + std::string(words[2]) + "'";
            return false;
        }
        auto px = static_cast<int32_t>(*x);
        auto py = static_cast<int32_t>(*y);
        out.push_back({*time, mouseMessage(MessageKind::MouseMove, px, py)});
        if (verb == "click") out.push_back({*time, mouseMessage(MessageKind::LButtonUp, px, py)});
        if (verb == "rclick") out.push_back({*time, mouseMessage(MessageKind::RButtonUp, px, py)});
        return true;
    }
    if (verb == "key" || verb == "keydown" || verb == "keyup") {
        if (!wantArgs(1)) return false;
        // Alt+Enter is the one key with Alt the game knows (full screen and back).
        const bool alt = words[1] == "ALT+ENTER";
        int32_t code = alt ? vk::Return : inputKeyCode(words[1]);
        if (code == 0) {
            error = "unknown key '" + std::string(words[1]) + "'";
            return false;
        }
        Message down = keyMessage(MessageKind::KeyDown, code);
        Message up = keyMessage(MessageKind::KeyUp, code);
        down.alt = up.alt = alt;
        if (verb != "keyup") out.push_back({*time, std::move(down)});
        if (verb != "keydown") out.push_back({*time, std::move(up)});
        return true;
    }
    if (verb == "wheel") {
        if (!wantArgs(1)) return false;
        int32_t sign = 0;
        if (words[1] == "+1" || words[1] == "1") sign = 1;
        if (words[1] == "-1") sign = -1;
        if (sign == 0) {
            error = "wheel takes +1 or -1, not '" + std::string(words[1]) + "'";
            return false;
        }
        Message m;
        m.kind = MessageKind::MouseWheel;
        m.wheel = sign;
        out.push_back({*time, std::move(m)});
        return true;
    }
    error = "unknown event '" + std::string(verb) + "'";
    return false;
}

} // namespace

int32_t inputKeyCode(std::string_view name) {
    struct Named {
        std::string_view name;
        int32_t code;
    };
    static constexpr Named kKeys[] = {
        {"ENTER", vk::Return}, {"ESCAPE", vk::Escape}, {"SPACE", vk::Space}, {"PAGEUP", vk::Prior},
        {"PAGEDOWN", vk::Next}, {"UP", vk::Up},         {"DOWN", vk::Down},   {"CTRL", vk::Control},
        {"BACKSPACE", vk::Back},
        {"F11", vk::F11},
    };
    for (const Named& k : kKeys) {
        if (k.name == name) return k.code;
    }
    return 0;
}

bool parseInputScript(std::string_view text, std::vector<ScriptedInput>& out, std::string& error) {
    size_t lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        ++lineNo;
        std::string reason;
        if (!parseLine(text.substr(pos, end - pos), out, reason)) {
            error = "line " + std::to_string(lineNo) + ": " + reason;
            return false;
        }
        pos = end + 1;
    }
    return true;
}

} // namespace zre
