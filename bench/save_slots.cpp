// A save and a load as the player makes them: saveSlot with its thumbnail (shrinking the
// front buffer, writing the slot beside the old one, flushing and renaming it), and loadSlot
// plus restoreGame of a game showing a background and 8 pictures. Each reports its mean wall
// time (the file system counts) as a fraction of one 16 ms frame.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "graphics/bitmap.h"
#include "graphics/screen.h"
#include "patterned_bitmap.h"
#include "platform/file_system.h"
#include "script/engine.h"

namespace {

using namespace zre;

using bench::patterned;

// A game folder of its own with a background, 8 pictures on it and a short script.
struct SavedGame {
    SavedGame() {
        std::string dir = (std::filesystem::temp_directory_path() / "zre-bench-slots-XXXXXX").string();
        if (!mkdtemp(dir.data()) || chdir(dir.c_str()) != 0) std::abort();
        patterned(800, 600, 1)->save("bg.bmp");
        for (int i = 0; i < 8; ++i) patterned(200, 240, uint32_t(i + 2))->save("p" + std::to_string(i) + ".bmp");
        const char script[] = "main(){\r\n  Print(Saved here.);\r\n}\r\n";
        writeFileAtomically("main.zre", script, sizeof script - 1);
        auto screen = std::make_unique<Screen>();
        screen->attachWindow(800, 600);
        engine.setScreen(std::move(screen));
        engine.indexScript("main.zre");
        engine.executeNow("Clear(bg.bmp, SHOW_NORMAL, 0)");
        for (int i = 0; i < 8; ++i)
            engine.executeNow("Draw(" + std::to_string(i + 1) + ", p" + std::to_string(i) + ".bmp, " +
                              std::to_string(i * 70) + ", " + std::to_string(i * 30) +
                              ", 0, 0, 0, LAYER_NORMAL, SHOW_NORMAL, 0)");
        settle();
    }
    // Lets the transitions end and the picture reach the front buffer.
    void settle() {
        engine.screen->tasks.clear();
        engine.screen->compose();
        engine.screen->present();
    }
    NullServices services;
    Engine engine{services.services()};
};

SavedGame& game() {
    static SavedGame g;
    return g;
}

template <class Body>
void framed(benchmark::State& state, Body&& body) {
    double seconds = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        body();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    }
    state.counters["frame_fraction"] = seconds / double(std::max<int64_t>(state.iterations(), 1)) / 0.016;
}

void BM_SaveSlotWithThumbnail(benchmark::State& state) {
    SavedGame& g = game();
    framed(state, [&] { benchmark::DoNotOptimize(g.engine.saveSlot("./dat/save00.sav")); });
}
BENCHMARK(BM_SaveSlotWithThumbnail)->Unit(benchmark::kMillisecond);

void BM_LoadAndRestoreEightPictures(benchmark::State& state) {
    SavedGame& g = game();
    g.engine.saveSlot("./dat/save01.sav");
    framed(state, [&] {
        if (!g.engine.loadSlot("./dat/save01.sav")) std::abort();
        g.engine.restoreGame();
        g.engine.screen->tasks.clear();  // the fade-in belongs to the frames after
    });
    if (!g.engine.screen->getLayer(9)) state.SkipWithError("the pictures were not restored");
}
BENCHMARK(BM_LoadAndRestoreEightPictures)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
