// Arbitrary bytes as a save slot, read the way the save and load screens and the load read
// it: the slot information, the thumbnail and the checked load of every scope. The same
// bytes once as they are and once behind a slot header without thumbnail, so the blocks
// are reached at once.
#include <cstdint>
#include <string>
#include <vector>

#include "data/byte_io.h"
#include "data/slot_file.h"
#include "script/engine.h"
#include "scratch_folder.h"

namespace {

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
    zre::fuzz::enterDataScratchFolder("zre-fuzz-slot-");
    zre::fuzz::writeScratchFile("dat/save00.sav", data, size);
    zre::ByteWriter blocksOnly;
    zre::writeSlotHeader(blocksOnly, 0);
    blocksOnly.bytes(data, size);
    zre::fuzz::writeScratchFile("dat/save01.sav", blocksOnly.buffer().data(), blocksOnly.size());

    zre::NullServices null;
    zre::Engine engine(null.services());
    engine.setInScope(0, "$kept", "1");
    readSlot(engine, "./dat/save00.sav");
    readSlot(engine, "./dat/save01.sav");
    return 0;
}
