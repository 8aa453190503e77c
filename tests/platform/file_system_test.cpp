#include "platform/file_system.h"
#include "platform/sjis.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace zre {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileSystem, NameComparisonFoldsAsciiAndFullWidthLettersOnly) {
    struct Case {
        std::string a, b;
        bool equal;
    };
    const Case cases[] = {
        {"Save01.SAV", "save01.sav", true},
        {"\x82\x60\x82\x79", "\x82\x81\x82\x9A", true},  // ＡＺ / ａｚ
        {"\x83\x41", "\x83\x61", false},                  // trail bytes are not letters
        {"\x83\x5C" "a", "\x83\x5C" "A", true},
        {"abc", "abcd", false},
        {"\xC1", "\xE1", false},  // half-width katakana stay as they are
        {"", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a + " / " + c.b);
        EXPECT_EQ(equalsIgnoringCase(c.a, c.b), c.equal);
    }
}

TEST(FileSystem, WildcardMatching) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Case cases[] = {
        {"*", "anything", true},     {"*.sav", "SAVE01.SAV", true}, {"save??.sav", "save1.sav", false},
        {"save??.sav", "save12.sav", true}, {"*.*", "noext", true}, {"abc.*", "abc", true},
        {"a*b*c", "aXbYbZc", true},  {"a*b*c", "aXbYbZ", false},    {"?", "\x82\xA0", true},
        {"??", "\x82\xA0", false},   {"*x", "", false},             {"", "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + c.name);
        EXPECT_EQ(matchesWildcard(c.pattern, c.name), c.match);
    }
}

TEST(FileSystem, HostPathResolvesComponentsThatExistIgnoringCase) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("Game/日本語"));
    writeFile(dir.file("Game/日本語/Pic.BMP"), std::string("x"));
    const std::string base = dir.path() + "/";
    // 日本語 in Shift JIS
    const std::string japanese = "\x93\xFA\x96\x7B\x8C\xEA";
    EXPECT_EQ(hostPath(base + "Game/" + japanese + "/Pic.BMP"), dir.file("Game/日本語/Pic.BMP"));
    EXPECT_EQ(hostPath(base + "game\\" + japanese + "\\pic.bmp"), dir.file("Game/日本語/Pic.BMP"));
    // Missing parts are kept as written, converted.
    EXPECT_EQ(hostPath(base + "GAME/new/" + japanese), dir.file("Game/new/日本語"));
    EXPECT_EQ(hostPath(base + "game//x"), dir.file("Game/x"));
    EXPECT_EQ(hostPath("./no-such-folder-here/b"), "./no-such-folder-here/b");
    EXPECT_EQ(hostPath("no-such-folder-here\\name"), "no-such-folder-here/name");
}

TEST(FileSystem, ExactNameWinsOverOtherSpellings) {
    TempDir dir;
    writeFile(dir.file("data.txt"), std::string("lower"));
    writeFile(dir.file("DATA.txt"), std::string("upper"));
    writeFile(dir.file("Data.TXT"), std::string("mixed"));
    EXPECT_EQ(hostPath(dir.file("DATA.txt")), dir.file("DATA.txt"));
    EXPECT_EQ(hostPath(dir.file("data.txt")), dir.file("data.txt"));
    // No exact match: the first spelling in sorted order, every time.
    EXPECT_EQ(hostPath(dir.file("data.TXT")), dir.file("DATA.txt"));
}

TEST(FileSystem, ListingKindsAndWholeFiles) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("sub"));
    writeFile(dir.file("b.txt"), std::string("bee"));
    writeFile(dir.file("表.txt"), std::string("hyou"));
    writeFile(dir.file("A.txt"), std::string());

    auto entries = listDirectory(dir.path());
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "A.txt");
    EXPECT_EQ(entries[1].name, "b.txt");
    EXPECT_EQ(entries[2].name, "sub");
    EXPECT_TRUE(entries[2].directory);
    EXPECT_FALSE(entries[1].directory);
    EXPECT_EQ(entries[3].name, "\x95\x5C.txt");
    EXPECT_TRUE(listDirectory(dir.file("missing")).empty());

    EXPECT_EQ(hostKind(dir.file("SUB")), HostKind::Directory);
    EXPECT_EQ(hostKind(dir.path() + "\\\x95\x5C.TXT"), HostKind::File);
    EXPECT_EQ(hostKind(dir.file("none")), HostKind::Missing);

    auto hyou = readWholeFile(dir.path() + "/\x95\x5C.txt");
    ASSERT_TRUE(hyou);
    EXPECT_EQ(std::string(hyou->begin(), hyou->end()), "hyou");
    auto empty = readWholeFile(dir.file("a.TXT"));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(readWholeFile(dir.file("sub")));
    EXPECT_FALSE(readWholeFile(dir.file("none")));
}

// A folder lists as Windows lists it: upper-cased UTF-16 code units, so case does not
// matter, letters come before "_", kana before kanji, and full-width letters fold too.
TEST(FileSystem, FoldersListInWindowsOrder) {
    TempDir dir;
    const std::vector<std::string> files = {"_x.txt", "b.txt", "a_b.txt", "AB.txt", "a.txt", "C1.txt",
                                            "c10.txt", "c2.txt", "漢.txt", "かな.txt", "ｂ.txt", "Ａ.txt"};
    for (const std::string& f : files) writeFile(dir.file(f), std::string());
    std::vector<std::string> listed;
    for (const HostEntry& e : listDirectory(dir.path())) listed.push_back(sjisToUtf8(e.name));
    EXPECT_EQ(listed, (std::vector<std::string>{"a.txt", "AB.txt", "a_b.txt", "b.txt", "C1.txt", "c10.txt", "c2.txt",
                                                "_x.txt", "かな.txt", "漢.txt", "Ａ.txt", "ｂ.txt"}));
    // Names that differ only in case keep a stable order.
    EXPECT_TRUE(windowsNameOrder("A.txt", "a.txt"));
    EXPECT_FALSE(windowsNameOrder("a.txt", "A.txt"));
}

TEST(FileSystem, AtomicWritesReplaceWholeFilesAndLeaveNothingBehind) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("dat"));
    writeFile(dir.file("dat/System.dat"), std::string("old contents"));
    ::chmod(dir.file("dat/System.dat").c_str(), 0640);

    // The existing spelling is replaced, keeping its permissions.
    const std::string fresh = "new";
    ASSERT_TRUE(writeFileAtomically(dir.path() + "\\DAT\\system.dat", fresh.data(), fresh.size()));
    EXPECT_EQ(readFile(dir.file("dat/System.dat")), std::vector<uint8_t>(fresh.begin(), fresh.end()));
    EXPECT_EQ(namesIn(dir.file("dat")), std::vector<std::string>{"System.dat"});
    struct stat st;
    ASSERT_EQ(::stat(dir.file("dat/System.dat").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    EXPECT_TRUE(writeFileAtomically(dir.file("dat/empty.sav"), std::vector<uint8_t>{}));
    EXPECT_TRUE(readFile(dir.file("dat/empty.sav")).empty());

    // Failures leave the old state: a missing folder, a folder in the way.
    EXPECT_FALSE(writeFileAtomically(dir.file("nofolder/x.dat"), fresh.data(), fresh.size()));
    EXPECT_FALSE(writeFileAtomically(dir.file("dat"), fresh.data(), fresh.size()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("dat")));
    EXPECT_EQ(namesIn(dir.file("dat")), (std::vector<std::string>{"System.dat", "empty.sav"}));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"dat"});
}

TEST(FileSystem, MakeDirectoriesCreatesParentsAndReusesExistingSpellings) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("Dat"));
    EXPECT_TRUE(makeDirectories(dir.path() + "\\dat\\save\\old"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("Dat/save/old")));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"Dat"});
    EXPECT_TRUE(makeDirectories(dir.file("Dat")));
    writeFile(dir.file("file"), std::string("x"));
    EXPECT_FALSE(makeDirectories(dir.file("file")));
    EXPECT_FALSE(makeDirectories(dir.file("file/sub")));
}

} // namespace
} // namespace zre
