// Arbitrary bytes as ./dat/system.dat and ./dat/game.dat, read the way the start-up reads
// them, then written back.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/message_box.h"
#include "script/engine.h"
#include "scratch_folder.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    zre::fuzz::absoluteCommandLine(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zre::fuzz::enterDataScratchFolder("zre-fuzz-data-");
    // The same bytes once with the system data header in front, once bare as game data.
    std::string withTag = "ARGS    ";
    withTag.append(reinterpret_cast<const char*>(data), size);
    zre::fuzz::writeScratchFile("dat/system.dat", reinterpret_cast<const uint8_t*>(withTag.data()), withTag.size());
    zre::fuzz::writeScratchFile("dat/game.dat", data, size);
    zre::NullServices null;
    zre::Engine engine(null.services());
    engine.loadSystemData(zre::kSystemDataPath);
    engine.collectGameVariables(zre::kGameDataPath);
    engine.saveSystemData(zre::kSystemDataPath);
    return 0;
}
