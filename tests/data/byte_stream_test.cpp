#include "data/byte_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "data/byte_io.h"
#include "support/test_support.h"

namespace zre {
namespace {

const std::string kBytes = "0123456789";

std::unique_ptr<ByteStream> memory() { return std::make_unique<MemoryStream>(kBytes.data(), kBytes.size()); }

// Everything a stream yields from readAt(offset, n), as text.
std::string readAt(ByteStream& s, uint64_t offset, size_t n) {
    std::string out(n, '\0');
    out.resize(s.readAt(offset, out.data(), n));
    return out;
}

TEST(ByteStream, WindowsAreCutAtTheirParentsEndAndNeverReadOutside) {
    struct Case {
        const char* what;
        uint64_t offset, size;
        std::string whole;  // what the window holds
    };
    const Case cases[] = {
        {"inside", 2, 5, "23456"},
        {"reaching past the end", 7, 10, "789"},
        {"at the end", 10, 4, ""},
        {"beyond the end", 12, 4, ""},
        {"offset near 2^64", ~uint64_t(0) - 1, 8, ""},
        {"size near 2^64", 3, ~uint64_t(0), "3456789"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SubStream window(memory(), c.offset, c.size);
        EXPECT_EQ(window.size(), c.whole.size());
        EXPECT_EQ(readAt(window, 0, 64), c.whole);
        EXPECT_EQ(readAt(window, window.size(), 4), "");
        EXPECT_EQ(readAt(window, ~uint64_t(0), 4), "");
    }
    // The same windows as a directory states them: only a whole one is opened.
    EXPECT_NE(openWindow(memory(), 2, 8), nullptr);
    EXPECT_EQ(openWindow(memory(), 7, 10), nullptr);
    EXPECT_EQ(openWindow(memory(), ~uint64_t(0), 2), nullptr);
    EXPECT_EQ(openWindow(nullptr, 0, 0), nullptr);
}

TEST(ByteStream, AWindowOfAWindowStaysInsideBoth) {
    auto outer = std::make_unique<SubStream>(memory(), 2, 6);  // "234567"
    SubStream inner(std::move(outer), 3, 10);                  // "567", not "56789"
    EXPECT_EQ(inner.size(), 3u);
    EXPECT_EQ(readAt(inner, 0, 10), "567");
    EXPECT_EQ(readAt(inner, 2, 10), "7");
}

TEST(ByteStream, SequentialReadsSeeksAndSkipsStayWithinTheStream) {
    MemoryStream s(kBytes.data(), kBytes.size());
    char buf[4];
    EXPECT_EQ(s.read(buf, 4), 4u);
    EXPECT_EQ(s.tell(), 4u);
    EXPECT_TRUE(s.seek(10));  // the end itself is a position
    EXPECT_EQ(s.read(buf, 4), 0u);
    EXPECT_FALSE(s.seek(11));
    EXPECT_EQ(s.tell(), 10u);  // unchanged by a refused seek
    EXPECT_TRUE(s.seek(8));
    EXPECT_EQ(s.read(buf, 4), 2u);  // a read at the end delivers what is left
    EXPECT_TRUE(s.seek(3));
    EXPECT_FALSE(s.skip(8));
    EXPECT_EQ(s.tell(), 10u);  // a refused skip ends at the end
    EXPECT_EQ(s.remaining(), 0u);
}

TEST(ByteStream, FileStreamsReadHostFilesByPosition) {
    test::TempDir dir;
    test::writeFile(dir.file("f.bin"), kBytes);
    std::unique_ptr<FileStream> file = FileStream::open(dir.file("f.bin"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->size(), 10u);
    EXPECT_EQ(readAt(*file, 8, 4), "89");
    SubStream member(std::move(file), 4, 3);
    EXPECT_EQ(readAt(member, 0, 8), "456");
    EXPECT_FALSE(FileStream::open(dir.file("missing")));
    EXPECT_FALSE(FileStream::open(dir.path()));  // a folder is no file
}

TEST(ByteReader, FieldsPastTheEndReadAsZeroAndSetTheFlag) {
    const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    SubStream window(std::make_unique<MemoryStream>(bytes, sizeof bytes), 1, 4);
    ByteReader in(window);
    EXPECT_EQ(in.u16(), 0x0302u);
    EXPECT_FALSE(in.failed());
    EXPECT_EQ(in.u32(), 0u);  // only two bytes left in the window, none from beyond it
    EXPECT_TRUE(in.failed());
    EXPECT_EQ(in.remaining(), 0u);
}

} // namespace
} // namespace zre
