#include "script/evaluator.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace zre {
namespace {

const std::string kSyntax = "[Error] \xE8\xA8\x88\xE7\xAE\x97\xE6\xA7\x8B\xE6\x96\x87\xE3\x81\x8C\xE3\x81\x8A"
                            "\xE3\x81\x8B\xE3\x81\x97\xE3\x81\x84\xE3\x81\xA3\xE3\x81\x99";  // 計算構文がおかしいっす
const std::string kFault = "[Error] If : \xE6\xBC\x94\xE7\xAE\x97\xE7\xB5\x90\xE6\x9E\x9C\xE3\x81\x8C\xE4\xB8\x8D"
                           "\xE6\xAD\xA3\xE3\x81\xA7\xE3\x81\x99";  // If : 演算結果が不正です

struct Case {
    const char* text;
    int32_t value;
    std::vector<std::string> boxes;
};

void expectCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        test::MessageBoxRecorder recorder;
        EXPECT_EQ(evaluate(c.text), c.value) << c.text;
        EXPECT_EQ(recorder.lines, c.boxes) << c.text;
    }
}

TEST(Evaluator, PrecedenceSignsAndOperators) {
    expectCases({
        {"1+2*3", 7, {}},
        {"(1+2)*3", 9, {}},
        {"10-2-3", 5, {}},
        {"2*3+12*3", 42, {}},
        {"3*-2", -6, {}},
        {"4--1", 5, {}},
        {"-5+2", -3, {}},
        {"1-2+5", 4, {}},
        {"1-2*3", -5, {}},
        {"4--1*2", 6, {}},
        {"2*3*4-1", 23, {}},
        {"10/-2*3", -15, {}},
        {"7/2", 3, {}},
        {"-7/2", -3, {}},
        {"-7%2", -1, {}},
        {"7%-2", 1, {}},
        {"1<2==1", 1, {}},
        {"2>=2", 1, {}},
        {"3<=2", 0, {}},
        {"2!=3", 1, {}},
        {"2==3", 0, {}},
        {"2||0", 1, {}},
        {"0||0", 0, {}},
        {"0&&5", 0, {}},
        {"3&&5", 1, {}},
        {"6&3", 2, {}},
        {"6|3", 7, {}},
        {"1<<4", 16, {}},
        {"-16>>2", -4, {}},
        {"1<<33", 2, {}},
        {"5=9", 9, {}},
        {"5+=2", 7, {}},
        {"5*=2", 10, {}},
        {"1 + 2", 3, {}},
        {"\t1\r\n+ 2 ", 3, {}},
        {"", 0, {}},
        {"(3+4", 7, {}},
        {"2*(3+4", 7, {}},
        {"((2))+(1)", 3, {}},
        {"(1+2*3)", 9, {}},  // inside parentheses everything runs left to right
        {"()", 0, {}},
        {"abc==def", 1, {}},
        {"12abc+1", 13, {}},
    });
}

TEST(Evaluator, UnknownOperatorsAndSyntaxErrors) {
    expectCases({
        {"5!3", -1, {kFault}},
        {"1+2!3", 3, {kFault}},
        {"1<>2", -1, {kFault}},
        {"1=<2+4", 3, {kFault}},
        {"5+", 5, {kSyntax}},
        {"5*", 5, {kSyntax}},
        {"8+3*", 3, {kSyntax}},  // the evaluation ends with the group's value
        {"1+*", 0, {kSyntax}},
        {"7-!", 7, {kSyntax}},
        {"*", 0, {kSyntax}},
    });
}

TEST(Evaluator, MendedCases) {
    expectCases({
        // Division and remainder by zero give 0; the one overflowing quotient wraps.
        {"5/0", 0, {}},
        {"5%0", 0, {}},
        {"1+(4/0)", 1, {}},
        {"-2147483648/-1", INT32_MIN, {}},
        {"-2147483648%-1", 0, {}},
        // Wrapping arithmetic.
        {"2147483647+1", INT32_MIN, {}},
        {"-2147483648-1", INT32_MAX, {}},
        {"65536*65536", 0, {}},
        {"1<<31", INT32_MIN, {}},
        // Operands longer than eleven characters are read whole and saturate.
        {"000000000000000000012+1", 13, {}},
        {"99999999999999+0", INT32_MAX, {}},
        {"-99999999999999+0", INT32_MIN, {}},
        // A lone ")" or an unterminated quote still ends.
        {"3)+4", 7, {}},
        {")", 0, {}},
        {"\"1+2", 3, {}},
        // The second character of a comparison is not the sign of a product.
        {"6==2*3", 1, {}},
        {"1<=2*3", 1, {}},
        {"1<<2*2", 16, {}},
        {"2<-3*2", 0, {}},
        {"1||0*5", 1, {}},
        // A double-byte character whose trail byte is "|" is operand text, not an operator.
        {"\x83\x7C==\x83\x7C", 1, {}},
    });
}

TEST(Evaluator, LongExpressionsAreEvaluatedWhole) {
    std::string sum = "0";
    for (int i = 0; i < 500; ++i) sum += "+1*1";
    EXPECT_EQ(evaluate(sum), 500);
    std::string nested(300, '(');
    nested += "2";
    nested += std::string(300, ')');
    nested += "*3";
    EXPECT_EQ(evaluate(nested), 6);
}

TEST(Evaluator, StripText) {
    struct StripCase {
        const char* in;
        const char* out;
    };
    const StripCase cases[] = {
        {" a b\tc\r\n", "abc"},
        {"\"a b\" c", "a bc"},
        {"x\"a b", "xa b"},                  // an unterminated quote runs to the end
        {"\"\"", ""},
        {"\x82\xA0 \x82\xA0", "\x82\xA0\x82\xA0"},  // double-byte characters stay
        {"\x83\x20x", "x"},                  // a lead byte without trail byte is dropped
        {"\xB1\xB2" "1", "1"},               // half-width katakana are single bytes
        {"\"\xB1 \"", "\xB1 "},
        {"a\x7F" "b", "a\x7F" "b"},
    };
    for (const StripCase& c : cases) {
        std::string text = c.in;
        stripText(text);
        EXPECT_EQ(text, c.out) << c.in;
        EXPECT_EQ(strippedText(c.in), c.out) << c.in;
    }
}

} // namespace
} // namespace zre
