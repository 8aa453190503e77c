#include "data/glpk.h"

#include <gtest/gtest.h>

#include <string>

#include "data/byte_io.h"
#include "support/test_support.h"

namespace zre {
namespace {

std::vector<uint8_t> glpkFile(uint32_t decodedLength, uint32_t inverted, std::vector<uint8_t> payload) {
    ByteWriter w;
    w.text("GLPK");
    w.u32(decodedLength);
    w.u32(inverted);
    if (inverted) {
        for (uint8_t& b : payload) b = static_cast<uint8_t>(~b);
    }
    w.bytes(payload.data(), payload.size());
    return w.buffer();
}

// "xy" then a reference to ring 4078 of length 7: "xyxyxyxyx".
const std::vector<uint8_t> kStream = {0x03, 'x', 'y', 0xEE, 0xF4};

TEST(Glpk, DecodesStoredAndComplementedPayloads) {
    for (uint32_t inverted : {0u, 1u, 0x100u}) {
        SCOPED_TRACE(inverted);
        auto file = glpkFile(9, inverted, kStream);
        std::vector<uint8_t> data;
        ASSERT_EQ(decodeGlpk(file.data(), file.size(), data), 0);
        EXPECT_EQ(std::string(data.begin(), data.end()), "xyxyxyxyx");
    }
    // Read as stored, the complemented stream starts with a reference of 9 zero bytes.
    auto file = glpkFile(9, 1, kStream);
    storeU32(file.data() + 8, 0);
    std::vector<uint8_t> data;
    ASSERT_EQ(decodeGlpk(file.data(), file.size(), data), 0);
    EXPECT_EQ(data, std::vector<uint8_t>(9, 0));
}

TEST(Glpk, FailuresGiveMinusOneAndLeaveTheOutputAlone) {
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
    };
    auto wrongMagic = glpkFile(9, 0, kStream);
    wrongMagic[3] = 'Q';
    const Case cases[] = {
        {"decoded length 0", glpkFile(0, 0, kStream)},
        {"wrong magic", wrongMagic},
        {"header cut short", std::vector<uint8_t>(wrongMagic.begin(), wrongMagic.begin() + 11)},
        {"stream ends early", glpkFile(10, 0, kStream)},
        {"length beyond what the stream can hold", glpkFile(0xFFFFFFFF, 0, kStream)},
        {"no payload", glpkFile(1, 0, {})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> data = {42};
        EXPECT_EQ(decodeGlpk(c.file.data(), c.file.size(), data), -1);
        EXPECT_EQ(data, std::vector<uint8_t>{42});
    }
}

TEST(Glpk, EncodedFilesReadBackThroughThePathRules) {
    test::TempDir dir;
    std::string script;
    for (int i = 0; i < 200; ++i) script += "Print(\"line " + std::to_string(i % 7) + "\");\r\n";
    const std::vector<uint8_t> compressible(script.begin(), script.end());
    const std::vector<uint8_t> tiny = {'a', 'b', 'c'};  // does not shrink: stored as literals
    for (const auto* data : {&compressible, &tiny}) {
        for (bool inverted : {false, true}) {
            auto file = encodeGlpk(data->data(), data->size(), inverted);
            EXPECT_EQ(loadU32(file.data() + 4), data->size());
            EXPECT_EQ(loadU32(file.data() + 8), inverted ? 1u : 0u);
            if (data == &compressible) {
                EXPECT_LT(file.size(), data->size() / 4);
            }
            test::writeFile(dir.file("Script.zrb"), file);
            std::vector<uint8_t> back;
            ASSERT_EQ(readGlpk(dir.path() + "\\SCRIPT.ZRB", back), 0);
            EXPECT_EQ(back, *data);
        }
    }
    std::vector<uint8_t> back;
    EXPECT_EQ(readGlpk(dir.file("missing.zrb"), back), -1);
    EXPECT_EQ(readGlpk(dir.path(), back), -1);
}

} // namespace
} // namespace zre
