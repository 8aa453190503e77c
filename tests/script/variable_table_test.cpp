#include "script/variable_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace zre {
namespace {

std::vector<uint8_t> bytesOf(const VariableTable& table) {
    ByteWriter out;
    table.write(out);
    return out.buffer();
}

void appendU32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

void appendEntry(std::vector<uint8_t>& b, uint32_t total, uint32_t valueOffset, int32_t type,
                 const std::string& block) {
    appendU32(b, total);
    appendU32(b, valueOffset);
    appendU32(b, uint32_t(type));
    b.insert(b.end(), block.begin(), block.end());
}

TEST(VariableTable, FindIgnoresCaseAndTakesTheFirstMatch) {
    VariableTable t;
    EXPECT_EQ(t.find("$flag"), -1);
    t.add("$flag", "1");
    t.add("$FLAG", "2");
    t.add("$\x82\x60", "3");   // full-width capital A
    t.add("$\x83\x41", "4");   // katakana A; its trail byte is an ASCII "A"
    EXPECT_EQ(t.find("$FLAG"), 0);
    EXPECT_EQ(t.find("$Flag"), 0);
    EXPECT_EQ(t.find(static_cast<const char*>(nullptr)), -1);
    EXPECT_EQ(t.find("$fla"), -1);
    EXPECT_EQ(t.find("$\x82\x81"), 2);   // full-width small a
    EXPECT_EQ(t.find("$\x83\x61"), -1);  // a different katakana, not the same letter
    EXPECT_EQ(t.find("$\x83\x41"), 3);
    EXPECT_STREQ(t.getText("$flag"), "1");
}

TEST(VariableTable, AddConvertsHexadecimalAndSetsTheType) {
    struct Case {
        const char* value;
        const char* stored;
        int32_t type;
    };
    const Case cases[] = {
        {"0x1A", "26", 0},
        {"0xff", "255", 0},
        {"0xFFFFFFFF", "-1", 0},
        {"0x80000000", "-2147483648", 0},
        {"0x", "0", 0},
        {"0x1G", "0", 0},
        {"0x-1", "0", 0},
        {"0X1A", "0X1A", 1},                       // only a lower-case x marks hexadecimal
        {"0x123456789ABCDEF", "-1985229329", 0},  // 15 digits: the low 32 bits 0x89ABCDEF
        {"0x10000000000000000F", "15", 0},        // longer texts wrap the same way
        {"0x1000000000000000Z", "0", 0},
        {"12", "12", 0},
        {"", "", 0},
        {"-12", "-12", 1},
        {"abc", "abc", 1},
    };
    for (const Case& c : cases) {
        VariableTable t;
        t.add("$x", c.value);
        ASSERT_EQ(t.size(), 1u);
        EXPECT_STREQ(t.getText("$x"), c.stored) << c.value;
        EXPECT_EQ(t.entries()[0].type, c.type) << c.value;
    }
    VariableTable t;
    t.add("$x", static_cast<const char*>(nullptr));
    EXPECT_EQ(t.entries()[0].type, -1);
    EXPECT_EQ(t.getText("$x"), nullptr);
    EXPECT_EQ(t.getNumber("$x"), 0);
    t.add("$x", "5");  // add never looks for an existing entry
    EXPECT_EQ(t.size(), 2u);
    EXPECT_EQ(t.getNumber("$x"), 0);
}

TEST(VariableTable, SetAtKeepsTheTextAndRetypes) {
    VariableTable t;
    t.add("$x", "0x1A");
    t.setAt(0, "0x1A");
    EXPECT_STREQ(t.getTextAt(0), "0x1A");
    EXPECT_EQ(t.entries()[0].type, 1);
    t.setAt(0, "42");
    EXPECT_EQ(t.entries()[0].type, 0);
    t.setAt(0, nullptr);
    EXPECT_EQ(t.getTextAt(0), nullptr);
    EXPECT_EQ(t.entries()[0].type, 0);
    t.setAt(1, "7");
    t.setAt(-1, "7");
    EXPECT_EQ(t.size(), 1u);

    t.set("$X", "9");
    t.set("$y", "0x10");
    EXPECT_EQ(t.size(), 2u);
    EXPECT_EQ(t.getNumber("$x"), 9);
    EXPECT_STREQ(t.getText("$y"), "16");
}

TEST(VariableTable, LookupsAndRemovals) {
    VariableTable t;
    t.add("12abc", nullptr);
    t.add("$n", " -34z");
    t.add("$save_layer02", "a");
    t.add("$save_layer03", "b");
    t.add("$Save_layer04", "c");
    EXPECT_EQ(t.getNumber("12ABC"), 12);
    EXPECT_EQ(t.getNumber("$n"), -34);
    EXPECT_EQ(t.getNumber("$missing"), -1);
    EXPECT_EQ(t.getText("$missing"), nullptr);
    EXPECT_STREQ(t.nameAt(4), "$Save_layer04");
    EXPECT_EQ(t.nameAt(5), nullptr);
    EXPECT_EQ(t.nameAt(-1), nullptr);
    EXPECT_EQ(t.getTextAt(5), nullptr);

    t.removePrefix("$save_layer", 11);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_STREQ(t.nameAt(2), "$Save_layer04");
    // Fewer characters in the prefix than n: the name must end where the prefix does.
    t.removePrefix("$n", 5);
    ASSERT_EQ(t.size(), 2u);

    EXPECT_EQ(t.removeByName("$nothing"), 0);
    EXPECT_EQ(t.removeByName("12Abc"), 1);
    EXPECT_EQ(t.removeAt(7), 1);
    EXPECT_EQ(t.size(), 1u);
    EXPECT_EQ(t.removeAt(0), 1);
    EXPECT_TRUE(t.empty());
    t.add("a", "1");
    t.clear();
    EXPECT_TRUE(t.empty());
}

TEST(VariableTable, Substitute) {
    VariableTable t;
    t.add("$a", "3");
    t.add("$ab", "5");
    t.add("$ref", "$a*$b");
    t.add("$\x83\x7C", "7");  // a katakana name whose trail byte is "|"
    t.add("$empty", "");
    t.add("$novalue", nullptr);
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"$a+$a*2", "3+3*2"},
        {"$ab+$a", "5+3"},
        {"$b", "$b"},
        {"$ref+1", "3*$b+1"},
        {"f($a,$a)", "f(3,3)"},
        {"$a\t$A $a", "3\t3 3"},
        {"$\x83\x7C|1", "7|1"},
        {"$abc$a", "$abc$a"},  // one name that is not in the table
        {"x$empty=", "x="},
        {"$novalue", "$novalue"},
        {"$", "$"},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        t.substitute(text);
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(VariableTable, SubstituteEndsOnValuesThatNameThemselves) {
    VariableTable t;
    t.add("$a", "$a+1");
    t.add("$b", "$c");
    t.add("$c", "$b");
    t.add("$d", "$d$d $d");
    for (const char* in : {"$a", "$b", "$d"}) {
        std::string text = in;
        t.substitute(text);
        EXPECT_LE(text.size(), 64u * 1024) << in;
    }
    std::string text = "$a";
    t.substitute(text);
    EXPECT_EQ(text.rfind("$a+1", 0), 0u);
}

TEST(VariableTable, WriteProducesTheFileLayout) {
    VariableTable t;
    t.add("a", nullptr);
    t.add("$b", "7");
    ByteWriter out;
    EXPECT_EQ(t.write(out), 35u);
    const std::vector<uint8_t> expected = {
        2, 0, 0, 0,                                                  // entryCount
        2, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0,      // "a", no value, type -1
        5, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, '$', 'b', 0, '7', 0,     // "$b" = "7", type 0
    };
    EXPECT_EQ(out.buffer(), expected);

    ByteReader in(expected.data(), expected.size());
    VariableTable back;
    back.add("old", "1");
    EXPECT_EQ(back.read(in), expected.size());
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back.find("old"), -1);
    EXPECT_EQ(back.entries()[0].name, "a");
    EXPECT_FALSE(back.entries()[0].value);
    EXPECT_EQ(back.entries()[0].type, -1);
    EXPECT_STREQ(back.getText("$b"), "7");
    EXPECT_EQ(bytesOf(back), expected);
}

TEST(VariableTable, ReadStopsAtTheEndOfTheData) {
    // A count far beyond the data: only the entries present are read.
    std::vector<uint8_t> b;
    appendU32(b, 0xFFFFFFFFu);
    appendEntry(b, 4, 2, 0, std::string("x\0" "1\0", 4));
    VariableTable t;
    ByteReader in(b.data(), b.size());
    EXPECT_EQ(t.read(in), b.size());
    ASSERT_EQ(t.size(), 1u);
    EXPECT_STREQ(t.getText("x"), "1");

    // A block longer than what remains ends the table and consumes the rest.
    std::vector<uint8_t> cut;
    appendU32(cut, 2);
    appendEntry(cut, 4, 2, 0, std::string("x\0" "1\0", 4));
    appendEntry(cut, 100, 0, -1, "short");
    ByteReader cutIn(cut.data(), cut.size());
    EXPECT_EQ(t.read(cutIn), cut.size());
    EXPECT_EQ(t.size(), 1u);

    // Fewer than four bytes: nothing is read.
    const uint8_t tiny[] = {1, 0};
    ByteReader tinyIn(tiny, sizeof tiny);
    EXPECT_EQ(t.read(tinyIn), 2u);
    EXPECT_TRUE(t.empty());
}

TEST(VariableTable, ReadTakesOddBlocksSoundly) {
    std::vector<uint8_t> b;
    appendU32(b, 5);
    appendEntry(b, 3, 0, -1, "abc");                            // no NUL at all
    appendEntry(b, 4, 9, 1, std::string("n\0v\0", 4));          // value offset past the block
    appendEntry(b, 6, 1, 1, std::string("nm\0vv\0", 6));        // value offset inside the name
    appendEntry(b, 7, 2, 0, std::string("k\0" "12\0zz", 7));    // bytes after the value's NUL
    appendEntry(b, 0, 0, 7, "");                                // empty block, odd type kept
    VariableTable t;
    ByteReader in(b.data(), b.size());
    EXPECT_EQ(t.read(in), b.size());
    ASSERT_EQ(t.size(), 5u);
    EXPECT_EQ(t.entries()[0].name, "abc");
    EXPECT_FALSE(t.entries()[0].value);
    EXPECT_EQ(t.entries()[1].value, std::optional<std::string>(""));
    EXPECT_EQ(t.entries()[2].value, std::optional<std::string>("m"));
    EXPECT_EQ(t.entries()[3].value, std::optional<std::string>("12"));
    EXPECT_EQ(t.entries()[4].name, "");
    EXPECT_EQ(t.entries()[4].type, 7);

    // Written back, the entries are well-formed and read the same.
    std::vector<uint8_t> again = bytesOf(t);
    ByteReader againIn(again.data(), again.size());
    VariableTable u;
    u.read(againIn);
    ASSERT_EQ(u.size(), t.size());
    for (size_t i = 0; i < t.size(); ++i) {
        EXPECT_EQ(u.entries()[i].name, t.entries()[i].name);
        EXPECT_EQ(u.entries()[i].value, t.entries()[i].value);
        EXPECT_EQ(u.entries()[i].type, t.entries()[i].type);
    }
}

TEST(VariableTable, Atoi32) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"", 0},
        {"12", 12},
        {" \t\n-7x", -7},
        {"+5", 5},
        {"abc", 0},
        {"- 5", 0},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX},
        {"99999999999999999999", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-2147483649", INT32_MIN},
        {"-99999999999999999999", INT32_MIN},
        {"00000000000000000042", 42},
    };
    for (const Case& c : cases) EXPECT_EQ(atoi32(c.text), c.value) << c.text;
    EXPECT_EQ(atoi32(nullptr), 0);
    EXPECT_EQ(valueType("0123"), 0);
    EXPECT_EQ(valueType(""), 0);
    EXPECT_EQ(valueType("1a"), 1);
}

} // namespace
} // namespace zre
