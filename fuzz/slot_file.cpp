// Arbitrary bytes as a save slot, read the way the save and load screens and the load read
// it: the slot information, the thumbnail and the checked load of every scope. The same
// bytes once as they are and once behind a slot header without thumbnail, so the blocks
// are reached at once.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "data/byte_io.h"
#include "data/slot_file.h"
#include "platform/message_box.h"
#include "script/engine.h"
#include "scratch_folder.h"

namespace {

void setUp() {
    static bool done = false;
    if (done) return;
    done = true;
    zre::silenceMessageBoxes();
    zre::fuzz::enterScratchFolder("zre-fuzz-slot-");
    std::filesystem::create_directories("dat");
}

void put(const char* name, const std::vector<uint8_t>& bytes) {
    if (FILE* f = std::fopen(name, "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

void readSlot(zre::Engine& engine, const char* path) {
    std::string title, comment, time;
    engine.readSlotInfo(path, title, comment, time);
    engine.loadThumbnail(path);
    engine.loadSlot(path);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    zre::fuzz::absoluteCommandLine(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUp();
    put("dat/save00.sav", std::vector<uint8_t>(data, data + size));
    zre::ByteWriter blocksOnly;
    zre::writeSlotHeader(blocksOnly, 0);
    blocksOnly.bytes(data, size);
    put("dat/save01.sav", blocksOnly.buffer());

    zre::NullServices null;
    zre::Engine engine(null.services());
    engine.setInScope(0, "$kept", "1");
    readSlot(engine, "./dat/save00.sav");
    readSlot(engine, "./dat/save01.sav");
    return 0;
}
