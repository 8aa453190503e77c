// zre-tool's lzss, gpk and glpk commands, run as the built program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/byte_io.h"
#include "support/test_support.h"

namespace zre {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

class ToolData : public ::testing::Test {
protected:
    // Runs zre-tool with words (each quoted); stdout and stderr land in files of dir.
    int tool(const std::string& words) {
        return test::runCommand(std::string("'") + ZRE_BINARY_DIR "/src/zre-tool' " + words + " >'" +
                                dir.file("stdout") + "' 2>'" + dir.file("stderr") + "'");
    }
    std::string q(const std::string& name) const { return "'" + dir.file(name) + "'"; }
    std::string text(const std::string& name) const {
        auto b = readFile(dir.file(name));
        return std::string(b.begin(), b.end());
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }
    TempDir dir;
};

std::string repetitive() {
    std::string s;
    for (int i = 0; i < 300; ++i) s += "Print(\"hello " + std::to_string(i % 5) + "\");\n";
    return s;
}

TEST_F(ToolData, LzssRoundTripAndRefusals) {
    writeFile(dir.file("in"), repetitive());
    ASSERT_EQ(tool("lzss encode " + q("in") + " " + q("packed")), 0) << text("stderr");
    EXPECT_EQ(text("stdout"), "");
    EXPECT_LT(readFile(dir.file("packed")).size(), repetitive().size() / 4);
    const std::string length = std::to_string(repetitive().size());
    ASSERT_EQ(tool("lzss decode " + q("packed") + " " + q("back") + " " + length), 0) << text("stderr");
    EXPECT_EQ(text("back"), repetitive());

    // Data that does not shrink: exit 1, a message, no output, an old output untouched.
    writeFile(dir.file("small"), std::string("abcdefghijkl"));
    writeFile(dir.file("old"), std::string("keep"));
    EXPECT_EQ(tool("lzss encode " + q("small") + " " + q("old")), 1);
    EXPECT_NE(text("stderr").find("does not shrink"), std::string::npos) << text("stderr");
    EXPECT_EQ(text("old"), "keep");

    // A stream that ends early, or a length it can never reach.
    EXPECT_EQ(tool("lzss decode " + q("packed") + " " + q("old") + " " + length + "0"), 1);
    EXPECT_EQ(tool("lzss decode " + q("packed") + " " + q("old") + " 99999999999"), 1);
    EXPECT_EQ(text("old"), "keep");
    EXPECT_EQ(tool("lzss decode " + q("missing") + " " + q("out") + " 10"), 1);
    EXPECT_FALSE(exists("out"));

    const std::string usage[] = {"lzss", "lzss encode " + q("in"), "lzss decode " + q("packed") + " " + q("o") + " x",
                                 "lzss decode " + q("packed") + " " + q("o") + " -5",
                                 "lzss decode " + q("packed") + " " + q("o") + " 0", "lzss squash a b"};
    for (const std::string& words : usage) EXPECT_EQ(tool(words), 2) << words;
}

TEST_F(ToolData, GpkPackListExtract) {
    std::filesystem::create_directories(dir.file("src/other"));
    writeFile(dir.file("src/画像.bmp"), std::string("picture"));
    writeFile(dir.file("src/Voice.ogg"), std::string("sound!"));
    ASSERT_EQ(tool("gpk pack " + q("pkg.dat") + " " + q("src/画像.bmp") + " " + q("src/Voice.ogg")), 0)
        << text("stderr");

    auto image = readFile(dir.file("pkg.dat"));
    ASSERT_GE(image.size(), 8u);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), "GPK2");
    // The member name is stored in Shift JIS.
    EXPECT_NE(std::string(image.begin(), image.end()).find("\x89\xE6\x91\x9C.bmp"), std::string::npos);

    ASSERT_EQ(tool("gpk list " + q("pkg.dat")), 0) << text("stderr");
    EXPECT_EQ(text("stdout"), "画像.bmp 7 8\nVoice.ogg 6 15\n");

    ASSERT_EQ(tool("gpk extract " + q("pkg.dat") + " VOICE.OGG " + q("voice")), 0) << text("stderr");
    EXPECT_EQ(text("voice"), "sound!");
    ASSERT_EQ(tool("gpk extract " + q("pkg.dat") + " 画像.bmp " + q("pic")), 0) << text("stderr");
    EXPECT_EQ(text("pic"), "picture");

    EXPECT_EQ(tool("gpk extract " + q("pkg.dat") + " none.bmp " + q("none")), 1);
    EXPECT_FALSE(exists("none"));
    EXPECT_EQ(tool("gpk list " + q("src/Voice.ogg")), 1);
    EXPECT_NE(text("stderr").find("GPK2"), std::string::npos);

    // Two members whose names differ only in case could not both be found: refused.
    writeFile(dir.file("src/other/voice.OGG"), std::string("x"));
    EXPECT_EQ(tool("gpk pack " + q("pkg.dat") + " " + q("src/Voice.ogg") + " " + q("src/other/voice.OGG")), 1);
    EXPECT_EQ(readFile(dir.file("pkg.dat")), image);

    EXPECT_EQ(tool("gpk pack " + q("new.dat") + " " + q("src/missing")), 1);
    EXPECT_FALSE(exists("new.dat"));
    EXPECT_EQ(tool("gpk pack " + q("new.dat")), 2);
    EXPECT_EQ(tool("gpk"), 2);
    EXPECT_EQ(tool("gpk extract " + q("pkg.dat") + " x"), 2);
}

TEST_F(ToolData, GlpkPackUnpack) {
    writeFile(dir.file("script.zre"), repetitive());
    for (bool invert : {false, true}) {
        SCOPED_TRACE(invert);
        ASSERT_EQ(tool("glpk pack " + q("script.zre") + " " + q("script.zrb") + (invert ? " --invert" : "")), 0)
            << text("stderr");
        auto file = readFile(dir.file("script.zrb"));
        ASSERT_GE(file.size(), 12u);
        EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "GLPK");
        EXPECT_EQ(loadU32(file.data() + 4), repetitive().size());
        EXPECT_EQ(loadU32(file.data() + 8), invert ? 1u : 0u);
        ASSERT_EQ(tool("glpk unpack " + q("script.zrb") + " " + q("back.zre")), 0) << text("stderr");
        EXPECT_EQ(text("back.zre"), repetitive());
    }

    // Input that does not compress is stored as literals and still unpacks.
    writeFile(dir.file("tiny"), std::string("abc"));
    ASSERT_EQ(tool("glpk pack " + q("tiny") + " " + q("tiny.zrb")), 0) << text("stderr");
    ASSERT_EQ(tool("glpk unpack " + q("tiny.zrb") + " " + q("tiny.back")), 0) << text("stderr");
    EXPECT_EQ(text("tiny.back"), "abc");

    auto broken = readFile(dir.file("script.zrb"));
    broken.resize(20);
    writeFile(dir.file("broken.zrb"), broken);
    EXPECT_EQ(tool("glpk unpack " + q("broken.zrb") + " " + q("broken.out")), 1);
    EXPECT_FALSE(exists("broken.out"));
    writeFile(dir.file("empty"), std::string());
    EXPECT_EQ(tool("glpk pack " + q("empty") + " " + q("empty.zrb")), 1);
    EXPECT_FALSE(exists("empty.zrb"));

    EXPECT_EQ(tool("glpk pack " + q("tiny") + " " + q("x") + " --fast"), 2);
    EXPECT_EQ(tool("glpk unpack " + q("tiny.zrb") + " " + q("x") + " --invert"), 2);
    EXPECT_EQ(tool("glpk pack " + q("tiny")), 2);
}

} // namespace
} // namespace zre
