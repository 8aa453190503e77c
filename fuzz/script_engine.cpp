// Arbitrary text as a script: read, parse and dispatch statement by statement, with the
// labels and functions of the text indexed, the way the game mode runs a script. No window:
// commands that draw have no screen to draw on.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/message_box.h"
#include "platform/process.h"
#include "script/engine.h"

namespace {

struct Ended {};

void setUp() {
    static bool done = false;
    if (done) return;
    done = true;
    zre::silenceMessageBoxes();
    // A script that cannot be loaded ends the process; here it ends the run instead.
    zre::setExitHandler([](int) { throw Ended{}; });
    std::string dir = (std::filesystem::temp_directory_path() / "zre-fuzz-script-XXXXXX").string();
    if (!mkdtemp(dir.data()) || chdir(dir.c_str()) != 0) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUp();
    if (size > 64 * 1024) return 0;
    if (FILE* f = std::fopen("fuzz.txt", "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    // The outermost "}" ends the program: here it ends the run.
    struct EndingHost : zre::NullEngineHost {
        void endProgram() override { throw Ended{}; }
    } host;
    zre::NullServices null;
    zre::Engine engine(zre::EngineServices{host, null.sound, null.saves, null.movies});
    try {
        engine.indexScript("fuzz.txt");
        for (int steps = 0; steps < 300; ++steps) {
            if (engine.hasQueued()) {
                engine.runQueued();
                continue;
            }
            if (!engine.step()) break;
        }
    } catch (const Ended&) {
    }
    return 0;
}
