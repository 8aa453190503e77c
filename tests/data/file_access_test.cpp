#include "data/file_access.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/byte_stream.h"
#include "data/gpk_archive.h"
#include "support/test_support.h"

namespace zre {
namespace {

using test::TempDir;
using test::writeFile;

// Shift JIS spellings of host names used below.
const std::string kPictureSjis = "\x89\xE6\x91\x9C";  // 画像
const std::string kHyouSjis = "\x95\x5C";             // 表, whose trail byte is "\"

std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::string readAll(FileHandle& f) {
    std::string out;
    char buf[3];  // small reads cross the member's end
    for (size_t n; (n = f.read(buf, sizeof buf)) > 0;) out.append(buf, n);
    return out;
}

TEST(SplitPath, SplitsAtTheLastSlashOrElseTheLastBackslash) {
    struct Case {
        std::string path, folder, name;
    };
    const Case cases[] = {
        {"./pkg.dat/pic.bmp", "./pkg.dat", "pic.bmp"},
        {"a\\b/c\\d", "a\\b", "c\\d"},  // a "/" wins even when a "\" follows it
        {"a\\b\\c", "a\\b", "c"},
        {"/name", "", "name"},
        {"dir/", "dir", ""},
        {"dir\\" + kHyouSjis + ".bmp", "dir", kHyouSjis + ".bmp"},
        {"x" + kHyouSjis + "y", "<kept>", "<kept>"},  // the trail byte is no separator
        {"plain.bmp", "<kept>", "<kept>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string folder = "<kept>", name = "<kept>";
        splitPath(c.path, folder, name);
        EXPECT_EQ(folder, c.folder);
        EXPECT_EQ(name, c.name);
    }
}

TEST(HasExtension, ComparesTheLastComponentsExtensionCaseSensitively) {
    struct Case {
        const char* path;
        const char* ext;
        bool expected;
    };
    const Case cases[] = {
        {"bgm/op.ogg", "ogg", true},
        {"bgm/op.OGG", "ogg", false},
        {"bgm/op.Ogg", "ogg", false},
        {"bgm/op.ogg2", "ogg", true},
        {"bgm/op.ogg", "OGG", true},  // ext is lowered first
        {"bgm/op", "ogg", false},
        {"bgm.ogg/op", "ogg", false},
        {"bgm.ogg\\op", "ogg", false},
        {"a.ogg.wav", "ogg", false},
        {"pic.gfb", "gfb", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path) + " " + c.ext);
        EXPECT_EQ(hasExtension(c.path, c.ext), c.expected);
    }
    EXPECT_EQ(pathExtension("a/b.c/d.tar.gz"), ".gz");
    EXPECT_EQ(pathExtension("a/b.c/d"), "");
    EXPECT_EQ(pathExtension("x" + kHyouSjis + ".bmp"), ".bmp");
}

class GameFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.file("Data/Sub"));
        std::filesystem::create_directories(dir.file("Empty"));
        writeFile(dir.file("Data/Sub/File.BMP"), std::string("0123456789"));
        writeFile(dir.file("画像.bmp"), std::string("pic"));
        writeFile(dir.file("表.txt"), std::string("hyou"));
        writeFile(dir.file("ＡＢ.txt"), std::string("fullwidth"));
        writeFile(dir.file("pkg.dat"),
                  buildGpkArchive({{"First.bmp", bytesOf("AAAAA")}, {"second.bmp", bytesOf("BBBBBBB")}}));
    }
    std::string path(const std::string& rest) const { return dir.path() + "/" + rest; }
    TempDir dir;
};

TEST_F(GameFolder, PathsResolveIgnoringCaseWithEitherSeparatorAndShiftJisNames) {
    const std::string found[] = {
        "Data/Sub/File.BMP",
        "data/sub/file.bmp",
        "DATA\\SUB\\FILE.bmp",
        kPictureSjis + ".BMP",
        kHyouSjis + ".txt",
        "\x82\x81\x82\x82.TXT",  // full-width small letters find the capitals
        "data",
        "data\\sub",
    };
    for (const std::string& rest : found) {
        SCOPED_TRACE(rest);
        EXPECT_TRUE(fileExists(path(rest)));
        EXPECT_NE(fileAttributes(path(rest)), 0xFFFFFFFFu);
    }
    EXPECT_FALSE(fileExists(path("data/sub/file.png")));
    EXPECT_FALSE(fileExists(path("nothing/file.bmp")));
    EXPECT_EQ(fileAttributes(path("missing")), 0xFFFFFFFFu);
    EXPECT_TRUE(isDirectory(path("DATA/Sub")));
    EXPECT_FALSE(isDirectory(path("data/sub/file.bmp")));
    EXPECT_EQ(fileAttributes(path("data/sub/file.bmp")), kAttributeNormal);
    EXPECT_EQ(fileAttributes(path("data")), kAttributeDirectory);
}

TEST_F(GameFolder, WildcardsInTheLastComponent) {
    struct Case {
        std::string pattern;
        bool expected;
    };
    const Case cases[] = {
        {"data/sub/*.bmp", true},
        {"data/sub/f?le.*", true},
        {"data/sub/*.png", false},
        {"data/sub/????.bmp", true},
        {"data/sub/?????.bmp", false},
        {"*.dat", true},
        {"?" + kPictureSjis.substr(2) + ".bmp", true},  // "?" takes one double-byte character
        {"data/*", true},
        {"empty/*", true},  // as on Windows, "." and ".." are listed too
        {"empty/*.bmp", false},
        {"missing/*", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(fileExists(path(c.pattern)), c.expected);
    }
    EXPECT_EQ(fileAttributes(path("data/sub/*.bmp")), kAttributeNormal);
}

TEST_F(GameFolder, PlainFileHandleReadsSeeksAndStopsAtTheEnd) {
    FileHandle f;
    ASSERT_EQ(f.open(path("DATA\\sub\\file.bmp")), 1);
    ASSERT_TRUE(f.isOpen());
    EXPECT_EQ(f.size, 10u);
    EXPECT_EQ(readAll(f), "0123456789");
    EXPECT_EQ(f.tell(), 10u);
    EXPECT_TRUE(f.seek(7));
    char buf[8];
    EXPECT_EQ(f.read(buf, sizeof buf), 3u);
    EXPECT_FALSE(f.seek(11));
    EXPECT_EQ(f.tell(), 10u);

    FileHandle moved = std::move(f);
    EXPECT_FALSE(f.isOpen());
    EXPECT_TRUE(moved.isOpen());
    moved.close();
    EXPECT_FALSE(moved.isOpen());
    EXPECT_EQ(moved.size, 0u);
}

TEST_F(GameFolder, PlainFilesThatCannotOpenGiveZero) {
    FileHandle f;
    EXPECT_EQ(f.open(path("data/sub/missing.bmp")), 0);
    EXPECT_EQ(f.open(path("data/sub")), 0);  // a folder is no file
    EXPECT_FALSE(f.isOpen());
}

TEST_F(GameFolder, PackageMembersOpenThroughTheArchivePath) {
    FileHandle f;
    ASSERT_EQ(f.open(path("pkg.dat/FIRST.BMP")), 1);
    ASSERT_TRUE(f.isOpen());
    EXPECT_EQ(f.size, 5u);
    EXPECT_EQ(readAll(f), "AAAAA");  // the next member's bytes follow on disk
    EXPECT_TRUE(f.seek(2));
    EXPECT_EQ(readAll(f), "AAA");

    ASSERT_EQ(f.open(path("PKG.DAT/second.bmp")), 1);
    EXPECT_EQ(readAll(f), "BBBBBBB");
    // The split is at the last "/": here the folder is the game folder and
    // "pkg.dat\second.bmp" a plain file name, which does not exist.
    EXPECT_EQ(f.open(path("pkg.dat\\second.bmp")), 0);

    // Lookups that find nothing still report 1, with no handle.
    const std::string misses[] = {"pkg.dat/third.bmp", "nofolder/first.bmp", "data/sub/file.bmp/x"};
    for (const std::string& rest : misses) {
        SCOPED_TRACE(rest);
        EXPECT_EQ(f.open(path(rest)), 1);
        EXPECT_FALSE(f.isOpen());
        EXPECT_EQ(f.size, 0u);
    }
}

TEST_F(GameFolder, GameStreamsOpenPlainFilesAndPackageMembers) {
    auto readStream = [](ByteStream& s) {
        std::string bytes(static_cast<size_t>(s.size()), '\0');
        EXPECT_TRUE(s.readExact(0, bytes.data(), bytes.size()));
        return bytes;
    };
    std::unique_ptr<ByteStream> plain = openGameStream(path("data/sub/file.bmp"));
    ASSERT_TRUE(plain);
    EXPECT_EQ(readStream(*plain), "0123456789");

    std::unique_ptr<ByteStream> member = openGameStream(path("PKG.DAT/first.bmp"));
    ASSERT_TRUE(member);
    EXPECT_EQ(readStream(*member), "AAAAA");
    char more = 0;
    EXPECT_EQ(member->readAt(5, &more, 1), 0u);  // the next member is not part of it

    const std::string misses[] = {"pkg.dat/third.bmp", "nofolder/first.bmp", "missing.bmp", "data/sub"};
    for (const std::string& rest : misses) {
        SCOPED_TRACE(rest);
        EXPECT_FALSE(openGameStream(path(rest)));
    }
}

TEST_F(GameFolder, OpenRangeRefusesARangeBeyondTheFile) {
    FileHandle f;
    EXPECT_TRUE(f.openRange(path("data/sub/file.bmp"), 4, 6));
    EXPECT_EQ(readAll(f), "456789");
    EXPECT_FALSE(f.openRange(path("data/sub/file.bmp"), 4, 7));
    EXPECT_FALSE(f.isOpen());
    EXPECT_FALSE(f.openRange(path("data/sub/file.bmp"), 0xFFFFFFFFu, 2));
}

TEST(FileHandle, AStreamBeyond32BitsDeliversItsFirst4GiB) {
    TempDir dir;
    const std::string big = dir.file("big.bin");
    writeFile(big, std::string("head"));
    std::filesystem::resize_file(big, (uint64_t(1) << 32) + 10);  // sparse on the usual file systems
    FileHandle f(FileStream::open(big));
    ASSERT_TRUE(f.isOpen());
    EXPECT_EQ(f.size, 0xFFFFFFFFu);
    EXPECT_EQ(f.stream()->size(), 0xFFFFFFFFu);
    EXPECT_TRUE(f.seek(0xFFFFFFFFu));
    char c;
    EXPECT_EQ(f.read(&c, 1), 0u);
}

} // namespace
} // namespace zre
