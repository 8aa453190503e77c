// Arbitrary text as a script: read, parse and execute statement by statement, with the
// labels and functions of the text indexed, the way the game mode runs a script, on a real
// screen. Pictures, layers, transitions, effects, messages and choices are drawn with
// whatever numbers the text holds; a virtual clock moves with every frame and every pump,
// and each input ends after a fixed number of frames, so waits and loops always end.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "graphics/bitmap.h"
#include "graphics/pixel_ops.h"
#include "graphics/screen.h"
#include "platform/input_state.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "script/engine.h"
#include "scratch_folder.h"
#include "ui/message_text.h"

namespace {

struct Ended {};

constexpr int kStatements = 300;
constexpr int kFrames = 400;
constexpr uint32_t kFrameMs = 16;

// A window that is not there: the clock moves 1 ms with every pump and a frame's worth
// with every frame, so a timed wait inside a command ends.
class VirtualHost : public zre::ScreenHost {
public:
    uint32_t now() override { return time; }
    void pump(uint32_t) override { ++time; }
    uint32_t time = 10000;
};

// The outermost "}" ends the program: here it ends the run.
class EndingHost : public zre::NullEngineHost {
public:
    void endProgram() override { throw Ended{}; }
};

void setUp() {
    static bool done = false;
    if (done) return;
    done = true;
    zre::silenceMessageBoxes();
    // A script that cannot be loaded ends the process; here it ends the run instead.
    zre::setExitHandler([](int) { throw Ended{}; });
    zre::fuzz::enterScratchFolder("zre-fuzz-script-");
    // Pictures for the scripts to draw: a background, a small picture and a window.
    struct Picture {
        const char* name;
        int32_t width, height;
        uint32_t colour;
    };
    for (Picture p : {Picture{"bg.bmp", 800, 600, 0x402010}, Picture{"a.bmp", 64, 48, 0x00FF00},
                      Picture{"w.bmp", 1600, 150, 0x808080}}) {
        auto b = zre::makeBitmap(p.width, p.height);
        zre::fillBitmap(*b, p.colour);
        b->save(p.name);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    zre::fuzz::absoluteCommandLine(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUp();
    if (size > 64 * 1024) return 0;
    if (FILE* f = std::fopen("fuzz.txt", "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    VirtualHost window;
    EndingHost host;
    zre::NullServices null;
    zre::InputState input;
    zre::Engine engine(zre::EngineServices{host, null.sound, null.saves, null.movies});
    auto screen = std::make_unique<zre::Screen>(window);
    screen->attachWindow(zre::kScreenWidth, zre::kScreenHeight);
    screen->input = &input;
    zre::attachMessageText(*screen);
    engine.setScreen(std::move(screen));
    engine.mode = zre::EngineMode::Game;
    int frames = 0;
    try {
        engine.indexScript("fuzz.txt");
        for (int steps = 0; steps < kStatements && frames < kFrames; ++steps) {
            if (engine.hasQueued()) {
                engine.runQueued();
            } else if (!engine.step()) {
                break;
            }
            // Frames while something blocks; now and then a click, so waits for the
            // player move on too.
            do {
                zre::Screen& s = *engine.screen;
                if (frames % 5 == 4) engine.onLeftButtonUp(1, 0);
                s.updateTasks();
                s.compose();
                s.present();
                window.time += kFrameMs;
                ++frames;
            } while (engine.screen->isBusy() && frames < kFrames);
            engine.screen->requestedMode = zre::EngineMode::None;
        }
    } catch (const Ended&) {
    }
    return 0;
}
