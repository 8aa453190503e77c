#include "data/gpk_archive.h"

#include <gtest/gtest.h>

#include <string>

#include "data/byte_io.h"
#include "support/test_support.h"

namespace zre {
namespace {

using test::MessageBoxRecorder;
using test::TempDir;
using test::writeFile;

std::vector<uint8_t> bytesOf(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::string readAll(FileHandle& f) {
    std::string out(f.size + 4, '\0');
    out.resize(f.read(out.data(), out.size()));
    return out;
}

// A hand-made archive: header, member bytes, then a directory written entry by entry.
struct RawEntry {
    uint32_t offset, size;
    std::string name;
    bool terminated = true;  // false: 128 name bytes without a NUL
};

std::vector<uint8_t> rawArchive(const std::string& body, int32_t count, const std::vector<RawEntry>& entries,
                                int64_t dirOffset = -1) {
    ByteWriter w;
    w.text("GPK2");
    w.u32(dirOffset >= 0 ? static_cast<uint32_t>(dirOffset) : static_cast<uint32_t>(8 + body.size()));
    w.text(body);
    w.i32(count);
    for (const RawEntry& e : entries) {
        w.u32(e.offset);
        w.u32(e.size);
        std::string name = e.name;
        name.resize(128, e.terminated ? '\0' : 'x');
        w.text(name);
    }
    return w.buffer();
}

TEST(GpkArchive, LooksMembersUpIgnoringCaseAndFirstDuplicateWins) {
    TempDir dir;
    const std::string file = dir.file("pkg.dat");
    // "\x83\x5C" is a katakana whose trail byte looks like "\"; "\x82\x60" a full-width A.
    writeFile(file, buildGpkArchive({{"Title.BMP", bytesOf("title")},
                                     {"\x83\x5C\x82\x60.ogg", bytesOf("so")},
                                     {"title.bmp", bytesOf("second")},
                                     {"empty.bmp", {}}}));
    EXPECT_TRUE(GpkArchive::isGpkFile(file));

    GpkArchive a;
    ASSERT_EQ(a.open(file), 1);
    EXPECT_EQ(a.archivePath, file);
    ASSERT_EQ(a.entryCount(), 4);
    GpkEntry e;
    EXPECT_EQ(a.find("TITLE.bmp", &e), 0);
    EXPECT_EQ(e.name, "Title.BMP");
    EXPECT_EQ(e.offset, 8u);
    EXPECT_EQ(e.size, 5u);
    EXPECT_EQ(a.find("\x83\x5C\x82\x81.OGG"), 1);  // full-width a finds the capital
    EXPECT_EQ(a.find("\x83\x7C\x82\x60.ogg"), -1);  // a trail byte is never folded
    EXPECT_EQ(a.find("title"), -1);

    FileHandle h = a.openEntryByName("title.BMP", &e);
    ASSERT_TRUE(h.isOpen());
    EXPECT_EQ(readAll(h), "title");
    h = a.openEntry(2);
    EXPECT_EQ(readAll(h), "second");
    h = a.openEntry(3);
    EXPECT_TRUE(h.isOpen());
    EXPECT_EQ(h.size, 0u);
    EXPECT_FALSE(a.openEntry(4).isOpen());
    EXPECT_FALSE(a.openEntry(-1).isOpen());
    EXPECT_FALSE(a.openEntryByName("missing.bmp").isOpen());

    // Offsets: 8, 13, 15, 21; the end of the last (empty) member is 21.
    const std::pair<int, int64_t> offsets[] = {{0, 8}, {1, 13}, {2, 15}, {3, 21}, {4, 21}, {5, -1}, {-1, -1}};
    for (auto [index, offset] : offsets) EXPECT_EQ(a.entryOffset(index), offset) << index;

    a.close();
    EXPECT_EQ(a.entryCount(), 0);
    EXPECT_TRUE(a.archivePath.empty());
    EXPECT_EQ(a.find("title.bmp"), -1);
    ASSERT_EQ(a.open(file), 1);  // reusable after close
    EXPECT_EQ(a.entryCount(), 4);
}

TEST(GpkArchive, FilesThatAreNoArchiveOpenAsNothing) {
    TempDir dir;
    writeFile(dir.file("short"), std::string("GPK"));
    writeFile(dir.file("other"), std::string("GLPK\0\0\0\0", 8));
    EXPECT_FALSE(GpkArchive::isGpkFile(dir.file("short")));
    EXPECT_FALSE(GpkArchive::isGpkFile(dir.path()));
    GpkArchive a;
    EXPECT_EQ(a.open(dir.file("short")), 0);
    EXPECT_EQ(a.open(dir.file("other")), 0);
    EXPECT_EQ(a.open(dir.file("missing")), 0);
    EXPECT_EQ(a.open(dir.path()), 0);
    EXPECT_EQ(a.entryCount(), 0);
}

TEST(GpkArchive, ZeroEntriesShowsTheMessageEachTime) {
    MessageBoxRecorder boxes;
    TempDir dir;
    writeFile(dir.file("empty.dat"), buildGpkArchive({}));
    GpkArchive a;
    EXPECT_EQ(a.open(dir.file("empty.dat")), 1);
    EXPECT_EQ(a.entryCount(), 0);
    EXPECT_EQ(a.entryOffset(0), 8);
    EXPECT_EQ(a.open(dir.file("empty.dat")), 1);
    const std::string line = "[なんだそりゃ] ファイルカウントが0です";
    EXPECT_EQ(boxes.lines, (std::vector<std::string>{line, line}));

    FileHandle f;
    EXPECT_EQ(f.open(dir.file("empty.dat") + "/a.bmp"), 1);
    EXPECT_FALSE(f.isOpen());
    EXPECT_EQ(boxes.lines.size(), 3u);
}

TEST(GpkArchive, BrokenDirectoriesKeepOnlyTheEntriesInsideTheFile) {
    const std::string body = "0123456789";  // bytes 8..17
    struct Case {
        const char* what;
        std::vector<uint8_t> image;
        std::vector<std::string> kept;
    };
    const Case cases[] = {
        {"negative count", rawArchive(body, -1, {{8, 2, "a"}}), {}},
        {"directory beyond the end", rawArchive(body, 1, {{8, 2, "a"}}, 1000), {}},
        {"directory offset near 4 GiB", rawArchive(body, 1, {{8, 2, "a"}}, 0xFFFFFFFE), {}},
        {"count larger than the entries present",
         rawArchive(body, 0x7FFFFFFF, {{8, 2, "a"}, {10, 3, "b"}}), {"a", "b"}},
        {"name without a NUL", rawArchive(body, 2, {{8, 2, "a", false}, {10, 3, "b"}}), {"b"}},
        {"member past the end", rawArchive(body, 3, {{8, 2, "a"}, {10, 1000, "b"}, {0xFFFFFFF0, 0x20, "c"}}), {"a"}},
        {"member ending at the last byte", rawArchive(body, 1, {{8, 10 + 4 + 136, "a"}}), {"a"}},
        {"entry cut short by the end", [&] {
             auto v = rawArchive(body, 2, {{8, 2, "a"}, {10, 3, "b"}});
             v.pop_back();
             return v;
         }(), {"a"}},
        {"no directory offset", std::vector<uint8_t>{'G', 'P', 'K', '2', 1}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GpkArchive a;
        EXPECT_EQ(a.openImage(c.image.data(), c.image.size()), 1);
        std::vector<std::string> names;
        for (const GpkEntry& e : a.entries) names.push_back(e.name);
        EXPECT_EQ(names, c.kept);

        // The same from a file, where members are read through handles.
        TempDir dir;
        writeFile(dir.file("pkg"), c.image);
        ASSERT_EQ(a.open(dir.file("pkg")), 1);
        EXPECT_EQ(a.entryCount(), static_cast<int>(c.kept.size()));
        for (int i = 0; i < a.entryCount(); ++i) {
            FileHandle h = a.openEntry(i);
            ASSERT_TRUE(h.isOpen());
            EXPECT_EQ(readAll(h).size(), a.entries[i].size);
        }
    }
}

TEST(GpkArchive, BuilderRefusesNamesThatDoNotFit) {
    EXPECT_TRUE(buildGpkArchive({{std::string(128, 'n'), {1}}}).empty());
    EXPECT_TRUE(buildGpkArchive({{std::string("a\0b", 3), {1}}}).empty());
    auto ok = buildGpkArchive({{std::string(127, 'n'), {1}}});
    GpkArchive a;
    ASSERT_EQ(a.openImage(ok.data(), ok.size()), 1);
    ASSERT_EQ(a.entryCount(), 1);
    EXPECT_EQ(a.entries[0].name, std::string(127, 'n'));
    EXPECT_FALSE(a.openEntry(0).isOpen());  // an image in memory has no file to read from
}

} // namespace
} // namespace zre
