// zre-tool vars dump on system data, game data and save slots built here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/picture_files.h"
#include "script/variable_table.h"
#include "support/test_support.h"

namespace zre {
namespace {

struct DumpResult {
    int code;
    std::string out;
    std::string err;
};

DumpResult dump(const test::TempDir& dir, const std::string& file) {
    std::string outFile = dir.file("stdout.txt");
    std::string errFile = dir.file("stderr.txt");
    int code = test::runCommand("'" ZRE_BINARY_DIR "/src/zre-tool' vars dump '" + file + "' >'" + outFile +
                                "' 2>'" + errFile + "'");
    auto text = [](const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); };
    return {code, text(test::readFile(outFile)), text(test::readFile(errFile))};
}

std::vector<uint8_t> tableBytes(const VariableTable& table) {
    ByteWriter out;
    table.write(out);
    return out.buffer();
}

void append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

void append(std::vector<uint8_t>& to, const std::string& text) { to.insert(to.end(), text.begin(), text.end()); }

void appendTag(std::vector<uint8_t>& to, int scope) {
    append(to, "ARGL");
    to.push_back(uint8_t('0' + scope / 10));
    to.push_back(uint8_t('0' + scope % 10));
    to.push_back(0);
    to.push_back(0);
}

// A black BMP file image of width x height, as the thumbnail writer makes it.
std::vector<uint8_t> bmp(int32_t width, int32_t height) {
    std::vector<uint8_t> black(size_t(width) * 3 * size_t(height));
    ByteWriter w;
    appendBmp24(w, black.data(), width, height, size_t(width) * 3, false);
    return w.buffer();
}

std::vector<uint8_t> slotHeader(const std::vector<uint8_t>& thumbnail) {
    std::vector<uint8_t> b;
    append(b, "THUMB   ");
    ByteWriter size;
    size.u32(uint32_t(thumbnail.size()));
    append(b, size.buffer());
    append(b, thumbnail);
    return b;
}

TEST(ToolVars, DumpsSystemAndGameData) {
    test::TempDir dir;
    VariableTable system;
    system.add("$sys_bgmvol", "8000");
    system.add("start", "script/main.zre:120");
    system.add("$title", "\x83\x65\x83\x58\x83\x67");  // テスト
    system.add("$flag", nullptr);
    std::vector<uint8_t> file;
    append(file, "aRgS    ");  // the tag is compared ignoring case
    append(file, tableBytes(system));
    test::writeFile(dir.file("system.dat"), file);
    DumpResult run = dump(dir, dir.file("system.dat"));
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "[system]\n$sys_bgmvol=8000\nstart=script/main.zre:120\n$title=\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\n"
              "$flag\n");
    EXPECT_EQ(run.err, "");

    VariableTable game;
    game.add("$a", "1");
    game.add("$b", "");
    test::writeFile(dir.file("game.dat"), tableBytes(game));
    run = dump(dir, dir.file("game.dat"));
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "[scope 0]\n$a=1\n$b=\n");

    test::writeFile(dir.file("empty.dat"), tableBytes(VariableTable()));
    run = dump(dir, dir.file("empty.dat"));
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, "[scope 0]\n");
}

TEST(ToolVars, DumpsEverySlotBlock) {
    test::TempDir dir;
    VariableTable scope0, scope3;
    scope0.add("$save_script", "script/a.zre:10");
    scope0.add("$save_nest", "3");
    scope3.add("scope", "1");
    scope3.add("call", nullptr);

    std::vector<uint8_t> slot = slotHeader(bmp(3, 2));
    appendTag(slot, 0);
    append(slot, tableBytes(scope0));
    appendTag(slot, 3);
    append(slot, tableBytes(scope3));
    test::writeFile(dir.file("save00.sav"), slot);
    DumpResult run = dump(dir, dir.file("save00.sav"));
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "[thumbnail 3x2]\n[scope 0]\n$save_script=script/a.zre:10\n$save_nest=3\n[scope 3]\nscope=1\ncall\n");

    std::vector<uint8_t> odd = slotHeader({1, 2, 3, 4, 5});
    appendTag(odd, 0);
    append(odd, tableBytes(scope0));
    test::writeFile(dir.file("save01.sav"), odd);
    run = dump(dir, dir.file("save01.sav"));
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "[thumbnail 5 bytes]\n[scope 0]\n$save_script=script/a.zre:10\n$save_nest=3\n");
}

TEST(ToolVars, MalformedFilesPrintWhatWasReadAndFail) {
    test::TempDir dir;
    VariableTable table;
    table.add("$a", "1");
    table.add("$b", "2");
    std::vector<uint8_t> whole = tableBytes(table);

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* out;
    };
    std::vector<Case> cases;
    cases.push_back({"cut.dat", std::vector<uint8_t>(whole.begin(), whole.end() - 3), "[scope 0]\n$a=1\n"});
    cases.push_back({"short.dat", {2, 0}, "[scope 0]\n"});
    std::vector<uint8_t> trailing = whole;
    trailing.push_back(9);
    cases.push_back({"trailing.dat", trailing, "[scope 0]\n$a=1\n$b=2\n"});

    std::vector<uint8_t> slot = slotHeader(bmp(1, 1));
    appendTag(slot, 0);
    append(slot, whole);
    std::vector<uint8_t> badTag = slot;
    append(badTag, "XXXX0000");
    append(badTag, whole);
    cases.push_back({"badtag.sav", badTag, "[thumbnail 1x1]\n[scope 0]\n$a=1\n$b=2\n"});
    std::vector<uint8_t> noScope = slot;
    appendTag(noScope, 64);
    append(noScope, whole);
    cases.push_back({"scope64.sav", noScope, "[thumbnail 1x1]\n[scope 0]\n$a=1\n$b=2\n"});
    std::vector<uint8_t> cutTag = slot;
    append(cutTag, "ARGL");
    cases.push_back({"cuttag.sav", cutTag, "[thumbnail 1x1]\n[scope 0]\n$a=1\n$b=2\n"});
    std::vector<uint8_t> cutTable = slot;
    appendTag(cutTable, 1);
    append(cutTable, std::vector<uint8_t>(whole.begin(), whole.begin() + 25));
    cases.push_back({"cuttable.sav", cutTable, "[thumbnail 1x1]\n[scope 0]\n$a=1\n$b=2\n[scope 1]\n$a=1\n"});
    std::vector<uint8_t> bigThumb = slotHeader(bmp(1, 1));
    bigThumb[8] = 0xFF;
    bigThumb[11] = 0x7F;
    cases.push_back({"bigthumb.sav", bigThumb, ""});

    for (const Case& c : cases) {
        test::writeFile(dir.file(c.name), c.bytes);
        DumpResult run = dump(dir, dir.file(c.name));
        EXPECT_EQ(run.code, 1) << c.name;
        EXPECT_EQ(run.out, c.out) << c.name;
        EXPECT_NE(run.err, "") << c.name;
    }

    DumpResult missing = dump(dir, dir.file("missing.dat"));
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(test::runCommand("'" ZRE_BINARY_DIR "/src/zre-tool' vars list x 2>/dev/null"), 2);
}

} // namespace
} // namespace zre
