// The compositor's hot paths against the cost of one plain copy of the front buffer
// (800 x 600 x 3 bytes): a frame of a full-screen alpha fade, one compose of a full-screen
// masked picture, and one compose of the small rectangle a typing glyph leaves while large
// pictures are on the screen. Each reports its time in memcpys of the front buffer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstring>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/layer.h"
#include "graphics/screen.h"
#include "patterned_bitmap.h"

namespace {

using namespace zre;

constexpr size_t kFrontBytes = size_t(800) * 600 * 3;

using bench::patterned;

std::unique_ptr<Layer> pictureLayer(int32_t w, int32_t h, int32_t x, int32_t y, uint32_t seed) {
    auto l = std::make_unique<Layer>();
    l->image = patterned(w, h, seed);
    l->srcRect = l->image->bounds;
    l->destRect = l->srcRect;
    l->destRect.moveTo(x, y);
    return l;
}

// Thread CPU time in nanoseconds: the machine may be shared, and wall time would charge
// other processes' work to ours.
double cpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e9 + double(ts.tv_nsec);
}

// CPU nanoseconds of one memcpy of the front buffer, the mean of a run of copies, measured
// once per program run.
double memcpyNs() {
    static const double ns = [] {
        std::vector<uint8_t> a(kFrontBytes, 1), b(kFrontBytes, 2);
        constexpr int kRuns = 2000;
        for (int i = 0; i < 50; ++i) std::memcpy(b.data(), a.data(), kFrontBytes);  // warm up
        const double t0 = cpuNs();
        for (int i = 0; i < kRuns; ++i) {
            std::memcpy(b.data(), a.data(), kFrontBytes);
            benchmark::DoNotOptimize(b.data());
            benchmark::ClobberMemory();
        }
        return (cpuNs() - t0) / kRuns;
    }();
    return ns;
}

// Runs body per iteration and reports the mean CPU time as a multiple of one memcpy.
template <class Body>
void timed(benchmark::State& state, Body&& body) {
    const double copy = memcpyNs();
    const double t0 = cpuNs();
    for (auto _ : state) body();
    const double perIteration = (cpuNs() - t0) / double(std::max<int64_t>(state.iterations(), 1));
    state.counters["memcpy_us"] = copy / 1000.0;
    state.counters["in_memcpys"] = perIteration / copy;
}

void BM_MemcpyFrontBuffer(benchmark::State& state) {
    std::vector<uint8_t> a(kFrontBytes, 1), b(kFrontBytes, 2);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), kFrontBytes);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrontBytes));
}
BENCHMARK(BM_MemcpyFrontBuffer);

// One frame while a full-screen fade runs: the snapshot goes back into the front buffer and
// the composite is blended over it.
void BM_AlphaFadeFrame(benchmark::State& state) {
    ScreenHost host;  // the clock stands still, so the fade never ends
    Screen screen(host);
    screen.attachWindow(800, 600);
    std::memset(screen.front()->image->bits, 90, screen.front()->image->byteCount());
    screen.insertLayer(1, pictureLayer(800, 600, 0, 0, 1));
    screen.show(SHOW_ALPHA, 100000);
    screen.composite()->alpha = 128;
    timed(state, [&] {
        screen.updateTasks();
        screen.compose();
        screen.present();
        benchmark::DoNotOptimize(screen.front()->image->bits);
    });
}
BENCHMARK(BM_AlphaFadeFrame);

// One compose of a full-screen LAYER_MASKEX picture (picture and mask 800 x 600).
void BM_ComposeMaskedFullScreen(benchmark::State& state) {
    Screen screen;
    screen.attachWindow(800, 600);
    auto layer = pictureLayer(800, 600, 0, 0, 2);
    layer->mask = patterned(800, 600, 3);
    Layer* l = screen.insertLayer(2, std::move(layer));
    timed(state, [&] {
        l->dirtyRect = l->destRect;
        screen.compose();
        screen.presentDirty.setEmpty();
        benchmark::DoNotOptimize(screen.composite()->image->bits);
    });
}
BENCHMARK(BM_ComposeMaskedFullScreen);

// One compose of a 32 x 32 glyph rectangle over a background and three large pictures
// (masked, keyed, alpha). range(0) scales the pictures: 1 = screen-sized, 2 = twice as
// wide and high (shown through srcRect), so the time must not depend on it.
void BM_ComposeGlyphRect(benchmark::State& state) {
    const int32_t scale = int32_t(state.range(0));
    Screen screen;
    screen.attachWindow(800, 600);
    auto sized = [&](uint32_t seed) {
        auto l = pictureLayer(800 * scale, 600 * scale, 0, 0, seed);
        l->srcRect = Rect{0, 0, 800, 600};
        l->destRect = Rect{0, 0, 800, 600};
        return l;
    };
    screen.insertLayer(1, sized(4));
    auto masked = sized(5);
    masked->mask = patterned(800 * scale, 600 * scale, 6);
    screen.insertLayer(2, std::move(masked));
    auto keyed = sized(7);
    keyed->keyColor = 0x00FF00FF;
    screen.insertLayer(3, std::move(keyed));
    auto faded = sized(8);
    faded->alpha = 100;
    screen.insertLayer(4, std::move(faded));
    screen.compose();
    screen.presentDirty.setEmpty();
    const Rect glyph{412, 503, 444, 535};
    timed(state, [&] {
        screen.composeDirty = glyph;
        screen.compose();
        screen.presentDirty.setEmpty();
        benchmark::DoNotOptimize(screen.composite()->image->bits);
    });
}
BENCHMARK(BM_ComposeGlyphRect)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
