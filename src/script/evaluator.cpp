#include "script/evaluator.h"

#include <cstring>
#include <vector>

#include "platform/message_box.h"
#include "platform/sjis.h"
#include "script/variable_table.h"

namespace zre {

namespace {

const char kSyntaxMessage[] =  // 計算構文がおかしいっす
    "\x8Cv\x8EZ\x8D\x5C\x95\xB6\x82\xAA\x82\xA8\x82\xA9\x82\xB5\x82\xA2\x82\xC1\x82\xB7";
const char kFaultMessage[] =  // If : 演算結果が不正です
    "If : \x89\x89\x8EZ\x8C\x8B\x89\xCA\x82\xAA\x95s\x90\xB3\x82\xC5\x82\xB7";
const char kCaption[] = "Error";

// Texts end at their first NUL, as the scripts' statements do.
std::string_view cText(std::string_view s) {
    size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

bool inSet(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }
bool isOperatorChar(char c) { return inSet(c, "+-*/%=&|<>!"); }
bool isSecondChar(char c) { return inSet(c, "=&|<>"); }
bool isBorderChar(char c) { return inSet(c, "+-=&|<>"); }
bool isMultiplicative(char c) { return inSet(c, "*/%"); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Marks the trail bytes of double-byte characters. A trail byte may be "|" (0x7C), which
// must not be taken for an operator: double-byte characters always belong to operands.
std::vector<bool> trailBytes(const std::string& text) {
    std::vector<bool> trail(text.size(), false);
    for (size_t i = 0; i < text.size();) {
        if (isLeadByteAt(text, i)) {
            trail[i + 1] = true;
            i += 2;
        } else {
            ++i;
        }
    }
    return trail;
}

// Applies one operator; false when the token names no operator. Arithmetic runs on
// unsigned or 64-bit values so that every result wraps like the 32-bit original.
bool applyOperator(const std::string& op, int32_t& v, int32_t r) {
    auto u = static_cast<uint32_t>(v);
    auto ur = static_cast<uint32_t>(r);
    if (op == "+" || op == "+=") { v = static_cast<int32_t>(u + ur); return true; }
    if (op == "-" || op == "-=") { v = static_cast<int32_t>(u - ur); return true; }
    if (op == "*" || op == "*=") { v = static_cast<int32_t>(u * ur); return true; }
    if (op == "/" || op == "/=") {
        // Division by zero gives 0; INT32_MIN / -1 wraps to INT32_MIN.
        if (r == 0) v = 0;
        else v = static_cast<int32_t>(static_cast<uint32_t>(int64_t(v) / int64_t(r)));
        return true;
    }
    if (op == "%" || op == "%=") {
        if (r == 0) v = 0;
        else v = static_cast<int32_t>(int64_t(v) % int64_t(r));
        return true;
    }
    if (op == "&" || op == "&=") { v = v & r; return true; }
    if (op == "|" || op == "|=") { v = v | r; return true; }
    if (op == "<") { v = v < r; return true; }
    if (op == ">") { v = v > r; return true; }
    if (op == "<=") { v = v <= r; return true; }
    if (op == ">=") { v = v >= r; return true; }
    if (op == "==") { v = v == r; return true; }
    if (op == "!=") { v = v != r; return true; }
    if (op == "=") { v = r; return true; }
    if (op == "&&") { v = (v != 0 && r != 0); return true; }
    if (op == "||") { v = (v != 0 || r != 0); return true; }
    if (op == ">>") { v = v >> (r & 31); return true; }
    if (op == "<<") { v = static_cast<int32_t>(u << (ur & 31)); return true; }
    return false;
}

struct FlatResult {
    int32_t value = 0;
    bool aborted = false;  // a syntax error ended the whole evaluation
};

// Left-to-right evaluation of a text without parentheses.
class FlatEvaluator {
public:
    explicit FlatEvaluator(const std::string& text) : text_(text), trail_(trailBytes(text)) {}

    FlatResult run() {
        std::string token;
        if (!readToken(true, token)) return {0, true};
        int32_t value = atoi32(token.c_str());
        // An unknown operator falls back to the value before its step; before the first
        // step that is -1, not the first operand.
        int32_t before = -1;
        bool faulty = false;
        std::string op;
        while (pos_ < text_.size()) {
            if (!readToken(false, op)) return {value, true};
            if (!readToken(false, token)) return {value, true};
            int32_t r = atoi32(token.c_str());
            if (!op.empty() && !applyOperator(op, value, r)) {
                faulty = true;
                value = before;
            }
            before = value;
        }
        if (faulty) messageBox(kFaultMessage, kCaption);
        return {value, false};
    }

private:
    bool operatorAt(size_t i) const { return i < text_.size() && !trail_[i] && isOperatorChar(text_[i]); }

    size_t nextOperator(size_t from) const {
        while (from < text_.size() && !operatorAt(from)) ++from;
        return from;
    }

    void take(std::string& token, size_t end) {
        token.assign(text_, pos_, end - pos_);
        pos_ = end;
    }

    // Reads one token at the current position. Operands are read whole, however long;
    // false after the syntax message, when nothing can be read.
    bool readToken(bool operandExpected, std::string& token) {
        token.clear();
        if (pos_ >= text_.size()) return true;
        if (!operatorAt(pos_)) {
            take(token, nextOperator(pos_));
            return true;
        }
        char next = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
        if (isSecondChar(next)) {
            take(token, pos_ + 2);
            return true;
        }
        if (isDigit(next)) {
            if (operandExpected || (pos_ > 0 && operatorAt(pos_ - 1)))
                take(token, nextOperator(pos_ + 1));
            else
                take(token, pos_ + 1);
            return true;
        }
        if (next == '+' || next == '-') {
            take(token, pos_ + 1);
            return true;
        }
        messageBox(kSyntaxMessage, kCaption);
        return false;
    }

    const std::string& text_;
    std::vector<bool> trail_;
    size_t pos_ = 0;
};

FlatResult evaluateFlat(const std::string& text) { return FlatEvaluator(text).run(); }

// The multiplicative group around the operator at m: [start, end).
void groupAround(const std::string& text, size_t m, size_t& start, size_t& end) {
    std::vector<bool> trail = trailBytes(text);
    auto border = [&](size_t i) { return !trail[i] && isBorderChar(text[i]); };

    // Forwards: a border right after "*", "/" or "%" is the sign of the next operand.
    end = m + 1;
    while (end < text.size() && !(border(end) && !isMultiplicative(text[end - 1]))) ++end;

    // Backwards, never looking at the first character. A "+" or "-" right after another
    // border is the sign of the group's first operand and belongs to the group. Only those
    // two can be signs: the second character of "<=", "==", "<<" and the like is part of
    // the operator, and taking it into the group would read "=2" as the operand 0.
    start = 0;
    for (size_t j = m; j-- > 1;) {
        if (!border(j)) continue;
        bool sign = (text[j] == '+' || text[j] == '-') && border(j - 1);
        start = sign ? j : j + 1;
        break;
    }
}

} // namespace

int32_t evaluate(std::string_view text) {
    std::string work = strippedText(text);
    // Every step removes a pair of parentheses, an unmatched "(" or at least one
    // multiplicative operator, and the decimal text written back holds none of them, so
    // the rewriting always ends.
    for (;;) {
        size_t open = work.rfind('(');
        if (open != std::string::npos) {
            size_t close = work.find(')', open + 1);
            if (close == std::string::npos) {
                work.erase(0, open + 1);
                continue;
            }
            FlatResult inner = evaluateFlat(work.substr(open + 1, close - open - 1));
            if (inner.aborted) return inner.value;
            work.replace(open, close - open + 1, std::to_string(inner.value));
            continue;
        }
        size_t m = work.find_first_of("*/%");
        if (m == std::string::npos) break;
        size_t start = 0, end = 0;
        groupAround(work, m, start, end);
        FlatResult group = evaluateFlat(work.substr(start, end - start));
        if (group.aborted) return group.value;
        work.replace(start, end - start, std::to_string(group.value));
    }
    return evaluateFlat(work).value;
}

void stripText(std::string& text) { text = strippedText(text); }

std::string strippedText(std::string_view text) {
    text = cText(text);
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (isLeadByteAt(text, i)) {
            out.append(text.data() + i, 2);
            i += 2;
            continue;
        }
        char c = text[i];
        if (c == '"') {
            // A quoted run is kept as it is; an unterminated one runs to the end.
            size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos) close = text.size();
            out.append(text.substr(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        if (static_cast<signed char>(c) >= 0x21) out.push_back(c);
        ++i;
    }
    return out;
}

} // namespace zre
