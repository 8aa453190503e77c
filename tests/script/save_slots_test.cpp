// Save slot files read back independently of the engine's reader, the records a save adds,
// the restore of picture, sound and script position, and slots that must be refused.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "data/slot_file.h"
#include "graphics/layer.h"
#include "graphics/pixel_ops.h"
#include "platform/input_state.h"
#include "platform/little_endian.h"
#include "platform/message_box.h"
#include "script/engine_fixture.h"
#include "script/save_slots.h"
#include "support/fake_host.h"

namespace zre::test {
namespace {

LocalTime fixedTime() { return {2004, 1, 2, 9, 5}; }

// Records message boxes instead of showing them and answers with a fixed button.
struct MessageBoxLog {
    MessageBoxLog() {
        previous = setMessageBoxHandler([this](std::string_view text, std::string_view caption, MessageBoxButtons,
                                               MessageBoxIcon) {
            shown.push_back(std::string(caption) + ": " + std::string(text));
            return MessageBoxResult::Ok;
        });
    }
    ~MessageBoxLog() { setMessageBoxHandler(std::move(previous)); }
    std::vector<std::string> shown;
    MessageBoxHandler previous;
};

// One variable table as the file holds it, read here without the engine's reader.
struct RawTable {
    std::vector<std::pair<std::string, std::string>> entries;  // name, value ("<none>" without)
    size_t bytes = 0;
};
RawTable readRawTable(const uint8_t* p, size_t size) {
    RawTable t;
    size_t at = 4;
    uint32_t count = loadU32(p);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t total = loadU32(p + at), valueOffset = loadU32(p + at + 4);
        const char* block = reinterpret_cast<const char*>(p + at + 12);
        std::string name(block), value = valueOffset ? std::string(block + valueOffset) : "<none>";
        t.entries.emplace_back(name, value);
        at += 12 + total;
        EXPECT_LE(at, size);
    }
    t.bytes = at;
    return t;
}

class SaveSlots : public ::testing::Test {
protected:
    SaveSlots() {
        attachGameScreen(engine, host, input);
        engine.localTime = fixedTime;
        writePicture("bg.bmp", 800, 600, 0x204080);
        writePicture("a.bmp", 100, 50, 0x00FF00);
        loadIndexed(folder, engine, "main.zre", kScript);
    }
    static constexpr const char* kScript =
        "$x = 1;\r\nDraw(0, bg.bmp, 0, 0, 0, 0, 0, LAYER_NORMAL, SHOW_NORMAL, 0);\r\n"
        "print(first);\r\n$y = 2;\r\nprint(second);\r\n$c = Select(yes, no);\r\nprint(after);\r\n";
    void writePicture(const std::string& name, int w, int h, uint32_t colour) {
        auto b = makeBitmap(w, h);
        fillBitmap(*b, colour);
        ASSERT_EQ(b->save(name), 1);
    }
    // Runs script statements up to and including the first one whose text contains what.
    void runThrough(const std::string& what) {
        for (int i = 0; i < 100; ++i) {
            ASSERT_TRUE(engine.readStatement()) << what;
            std::string st = engine.statement;
            engine.parseStatement(st);
            // The choice itself is not opened here: only its position matters.
            if (st.find("Select") == std::string::npos) engine.dispatch();
            engine.freeArgs();
            if (st.find(what) != std::string::npos) return;
        }
    }
    void present() {
        engine.screen->compose();
        engine.screen->present();
    }
    std::string scope0(const char* name) { return textOr(engine.scopes[0].getText(name)); }

    GameFolder folder;
    FakeHost host;
    InputState input;
    TestEngine engine;
};

TEST_F(SaveSlots, SlotFileReadsBackByteForByte) {
    runThrough("first");
    present();
    engine.setInScope(1, "$inner", "one");
    engine.setInScope(3, "$deep", "three");
    ASSERT_EQ(engine.saveSlot("./dat/save07.sav"), 1);

    std::vector<uint8_t> f = folder.read("dat/save07.sav");
    ASSERT_GT(f.size(), 12u + 202554u);
    EXPECT_EQ(std::string(f.begin(), f.begin() + 8), "THUMB   ");
    EXPECT_EQ(loadU32(&f[8]), 202554u);

    // The thumbnail: a BMP file image of 300 x 225, 24 bits, bottom-up rows of 900 bytes.
    const uint8_t* bmp = &f[12];
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(loadU32(bmp + 2), 202554u);
    EXPECT_EQ(loadU32(bmp + 10), 54u);
    EXPECT_EQ(loadU32(bmp + 14), 40u);
    EXPECT_EQ(static_cast<int32_t>(loadU32(bmp + 18)), 300);
    EXPECT_EQ(static_cast<int32_t>(loadU32(bmp + 22)), 225);
    EXPECT_EQ(loadU16(bmp + 28), 24);
    // The game picture shrunk: every pixel the background's colour (blue, green, red).
    for (size_t at : {size_t(54), size_t(54 + 900 * 112 + 450), size_t(202554 - 3)}) {
        EXPECT_EQ(bmp[at], 0x20) << at;
        EXPECT_EQ(bmp[at + 1], 0x40) << at;
        EXPECT_EQ(bmp[at + 2], 0x80) << at;
    }

    // Blocks for scopes 0, 1 and 3, in that order, to the end of the file.
    size_t at = 12 + 202554;
    std::vector<int> scopes;
    std::vector<RawTable> tables;
    while (at < f.size()) {
        ASSERT_LE(at + 8, f.size());
        EXPECT_EQ(std::memcmp(&f[at], "ARGL", 4), 0);
        EXPECT_EQ(f[at + 6], 0);
        EXPECT_EQ(f[at + 7], 0);
        scopes.push_back((f[at + 4] - '0') * 10 + (f[at + 5] - '0'));
        tables.push_back(readRawTable(&f[at + 8], f.size() - at - 8));
        at += 8 + tables.back().bytes;
    }
    EXPECT_EQ(at, f.size());
    EXPECT_EQ(scopes, (std::vector<int>{0, 1, 3}));
    ASSERT_EQ(tables.size(), 3u);
    auto has = [](const RawTable& t, const std::string& name, const std::string& value) {
        for (auto& [n, v] : t.entries)
            if (n == name) return v == value;
        return false;
    };
    EXPECT_TRUE(has(tables[0], "$x", "1"));
    EXPECT_TRUE(has(tables[0], "$save_layer01", "Draw(1,bg.bmp,0,0,0,0,0,LAYER_NORMAL)"));
    EXPECT_TRUE(has(tables[0], "$save_time", "2004/01/02/09:05"));
    EXPECT_TRUE(has(tables[1], "$inner", "one"));
    EXPECT_TRUE(has(tables[2], "$deep", "three"));

    // Loading gives back exactly those scopes and empties every other.
    engine.setInScope(2, "$stray", "x");
    engine.scopes[1].clear();
    ASSERT_EQ(engine.loadSlot("./dat/save07.sav"), 1);
    EXPECT_EQ(textOr(engine.scopes[1].getText("$inner")), "one");
    EXPECT_EQ(textOr(engine.scopes[3].getText("$deep")), "three");
    EXPECT_TRUE(engine.scopes[2].empty());
    for (int i = 4; i < kScopeCount; ++i) EXPECT_TRUE(engine.scopes[i].empty()) << i;

    // The thumbnail comes back as the picture it is.
    auto thumb = engine.loadThumbnail("./dat/save07.sav");
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->width(), 300);
    EXPECT_EQ(thumb->height(), 225);
}

TEST_F(SaveSlots, OnlyScopeZeroMakesOneBlockOfKnownSize) {
    runThrough("first");
    ASSERT_EQ(engine.saveSlot("./dat/save00.sav"), 1);
    ByteWriter table;
    engine.scopes[0].write(table);
    EXPECT_EQ(folder.read("dat/save00.sav").size(), 12u + 202554u + 8u + table.size());
}

TEST_F(SaveSlots, RecordsTakeTheResumePositionNestAndTime) {
    runThrough("second");
    std::string text(engine.text());
    engine.updateSaveRecords();
    EXPECT_EQ(scope0("$save_script"), "main.zre:" + std::to_string(text.find("print(second)")));
    EXPECT_EQ(scope0("$save_nest"), "0");
    EXPECT_EQ(scope0("$save_time"), "2004/01/02/09:05");

    // Saving while a choice is open goes back to the message before it.
    runThrough("Select");
    engine.updateSaveRecords();
    EXPECT_EQ(scope0("$save_script"), "main.zre:" + std::to_string(text.find("print(second)")));
}

TEST_F(SaveSlots, SoundRecordsOfSilentKeysArePruned) {
    engine.testSound.lengths["bgm.ogg"] = 60000;
    engine.testSound.lengths["rain.ogg"] = 60000;
    engine.executeNow("PlayBgm(bgm.ogg)");
    engine.executeNow("PlaySound(1, rain.ogg, 1)");
    engine.executeNow("PlaySound(2, gone.ogg, 1)");  // never opened: not playing
    engine.testSound.channels[4].second = false;     // the rain has ended
    engine.updateSaveRecords();
    EXPECT_EQ(scope0("$save_sound00"), "bgm.ogg");
    EXPECT_EQ(scope0("$save_sound04"), "(null)");
    EXPECT_EQ(scope0("$save_sound05"), "(null)");
}

TEST_F(SaveSlots, RestoreRebuildsPictureSoundAndPosition) {
    engine.testSound.lengths["bgm.ogg"] = 60000;
    runThrough("first");
    engine.executeNow("Draw(1, a.bmp, 10, 20, 0, 0, 65280, LAYER_TRANS, SHOW_NORMAL, 0)");
    engine.executeNow("PlayBgm(bgm.ogg)");
    runThrough("second");
    ASSERT_EQ(engine.saveSlot("./dat/save01.sav"), 1);
    std::string text(engine.text());

    // The game moves on: other pictures, other music, further in the script, in blocks
    // nested past the last scope table.
    runThrough("after");
    engine.executeNow("Del(1, SHOW_NORMAL, 0)");
    engine.executeNow("Draw(4, a.bmp, 0, 0, 0, 0, 0, LAYER_NORMAL, SHOW_NORMAL, 0)");
    engine.executeNow("StopBgm()");
    {
        MessageBoxLog tooDeep;
        for (int i = 0; i < kScopeCount + 2; ++i) engine.pushScope(0);
    }
    ASSERT_GT(engine.overflowBlocks(), 0);
    engine.testSound.log.clear();

    ASSERT_EQ(engine.loadSlot("./dat/save01.sav"), 1);
    engine.restoreGame();
    Screen& s = *engine.screen;
    EXPECT_EQ(s.getLayer(5), nullptr);
    ASSERT_NE(s.getLayer(2), nullptr);
    EXPECT_EQ(s.getLayer(2)->destRect.left, 10);
    EXPECT_EQ(s.getLayer(2)->destRect.top, 20);
    EXPECT_EQ(s.getLayer(2)->keyColor, 65280u);
    ASSERT_NE(s.getLayer(1), nullptr);
    EXPECT_EQ(engine.testSound.log, (std::vector<std::string>{"play 0 bgm.ogg 1 1"}));
    EXPECT_EQ(engine.depth, 0);
    EXPECT_EQ(engine.overflowBlocks(), 0);
    EXPECT_EQ(engine.position, static_cast<int32_t>(text.find("print(second)")));
    EXPECT_EQ(input.clickX, 0);
    EXPECT_EQ(input.clickY, 1);
    EXPECT_TRUE(s.isBusy());  // the saved picture fades in

    // The script goes on with the saved message.
    ASSERT_TRUE(engine.readStatement());
    EXPECT_EQ(engine.statement.rfind("print(second)", 0), 0u);
}

TEST_F(SaveSlots, DamagedSlotsLeaveTheGameAsItWas) {
    runThrough("first");
    ASSERT_EQ(engine.saveSlot("./dat/save02.sav"), 1);
    const std::vector<uint8_t> good = folder.read("dat/save02.sav");
    const size_t blocks = 12 + 202554;

    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    const std::vector<Case> cases = {
        {"not a slot", [](auto& f) { f[0] = 'X'; }},
        {"thumbnail beyond the file", [](auto& f) { storeU32(&f[8], uint32_t(f.size())); }},
        {"file ends inside the thumbnail", [](auto& f) { f.resize(5000); }},
        {"scope 64", [&](auto& f) { f[blocks + 4] = '6'; f[blocks + 5] = '4'; }},
        {"negative scope", [&](auto& f) { f[blocks + 4] = '-'; f[blocks + 5] = '1'; }},
        {"table cut short", [](auto& f) { f.resize(f.size() - 3); }},
        {"block tag cut short", [](auto& f) { f.insert(f.end(), {'A', 'R', 'G'}); }},
        {"count beyond the entries", [&](auto& f) { storeU32(&f[blocks + 8], loadU32(&f[blocks + 8]) + 1); }},
        {"no block at all", [&](auto& f) { f.resize(blocks); }},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = good;
        c.damage(bad);
        folder.write("dat/bad.sav", std::string(bad.begin(), bad.end()));
        engine.setInScope(0, "$x", "kept");
        engine.setInScope(5, "$five", "5");
        MessageBoxLog boxes;
        EXPECT_EQ(engine.loadSlot("./dat/bad.sav"), 0) << c.what;
        EXPECT_EQ(scope0("$x"), "kept") << c.what;
        EXPECT_EQ(textOr(engine.scopes[5].getText("$five")), "5") << c.what;
        EXPECT_FALSE(boxes.shown.empty()) << c.what;
        std::string title, comment, time;
        EXPECT_EQ(engine.readSlotInfo("./dat/bad.sav", title, comment, time), 0) << c.what;
    }

    // A missing slot is no slot, without a word.
    MessageBoxLog boxes;
    EXPECT_EQ(engine.loadSlot("./dat/none.sav"), 0);
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(engine.loadThumbnail("./dat/none.sav"), nullptr);
}

TEST_F(SaveSlots, UntaggedBlockIsReportedAndReadAnyway) {
    runThrough("first");
    ASSERT_EQ(engine.saveSlot("./dat/save03.sav"), 1);
    std::vector<uint8_t> f = folder.read("dat/save03.sav");
    std::memcpy(&f[12 + 202554], "XXXX", 4);
    folder.write("dat/save03.sav", std::string(f.begin(), f.end()));
    engine.setInScope(0, "$x", "changed");
    MessageBoxLog boxes;
    EXPECT_EQ(engine.loadSlot("./dat/save03.sav"), 1);
    EXPECT_EQ(scope0("$x"), "1");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].rfind("Debug Message: ", 0), 0u);
}

TEST_F(SaveSlots, FailedWriteIsReportedAndLeavesWhatWasThere) {
    runThrough("first");
    // A folder where the slot should go cannot be replaced by the file.
    std::filesystem::create_directories("dat/save04.sav/keep");
    MessageBoxLog boxes;
    EXPECT_EQ(engine.saveSlot("./dat/save04.sav"), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_directory("dat/save04.sav/keep"));
    for (auto& entry : std::filesystem::directory_iterator("dat"))  // no temporary file left behind
        EXPECT_EQ(entry.path().filename(), "save04.sav");
}

TEST_F(SaveSlots, SlotInfoForTheSlotList) {
    runThrough("first");
    engine.setInScope(0, "$scene_title", "Scene");
    ASSERT_EQ(engine.saveSlot("./dat/save05.sav"), 1);
    std::string title, comment = "stale", time;
    ASSERT_EQ(engine.readSlotInfo("./dat/save05.sav", title, comment, time), 1);
    EXPECT_EQ(title, "Scene");
    EXPECT_EQ(comment, "");  // a save without comment
    EXPECT_EQ(time, "2004/01/02/09:05");
    EXPECT_EQ(slotPath(43), "./dat/save43.sav");
}

TEST(DateStamp, FourForms) {
    const LocalTime t{2004, 1, 2, 9, 5};
    // "2004年01月02日09時05分", "01月02日09時05分"
    EXPECT_EQ(formatDateStamp(t, 0), "2004\x94\x4e" "01\x8c\x8e" "02\x93\xfa" "09\x8e\x9e" "05\x95\xaa");
    EXPECT_EQ(formatDateStamp(t, 1), "01\x8c\x8e" "02\x93\xfa" "09\x8e\x9e" "05\x95\xaa");
    EXPECT_EQ(formatDateStamp(t, 2), "01/02 09:05");
    EXPECT_EQ(formatDateStamp(t, 3), "2004/01/02/09:05");

    NullServices services;
    Engine engine(services.services());
    engine.localTime = fixedTime;
    std::string buffer = "untouched";
    engine.dateStamp(buffer, 4);
    EXPECT_EQ(buffer, "untouched");
    engine.dateStamp(buffer, 2);
    EXPECT_EQ(buffer, "01/02 09:05");
}

} // namespace
} // namespace zre::test
