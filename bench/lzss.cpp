// The LZSS coder and the GFB reader on an 800 x 600 picture of the kind games ship (smooth
// gradients, flat shapes, a little noise), each beside a memcpy of the same bytes in the
// same run: decoding is what every compressed picture costs when a scene is drawn.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/lzss.h"
#include "graphics/bitmap.h"
#include "graphics/image_formats.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

// A background: a sky gradient, a sea band, two flat figures, and faint noise in the sky.
zre::Bitmap& picture() {
    static std::unique_ptr<zre::Bitmap> b = [] {
        auto p = zre::makeBitmap(kWidth, kHeight);
        std::mt19937 rng(7);
        for (int y = 0; y < kHeight; ++y) {
            uint8_t* row = p->row(y);
            for (int x = 0; x < kWidth; ++x) {
                uint8_t* px = row + 3 * x;
                const bool sea = y > 400;
                const bool figure = (x - 250) * (x - 250) + (y - 300) * (y - 300) < 90 * 90 || (x > 560 && x < 700 && y > 250);
                px[0] = uint8_t(figure ? 60 : sea ? 120 + y / 8 : 200 - y / 4);
                px[1] = uint8_t(figure ? 50 : sea ? 70 : 120 - y / 6);
                px[2] = uint8_t(figure ? 40 : sea ? 30 : 90 + y / 5);
                if (!sea && !figure && rng() % 16 == 0) px[0] = uint8_t(px[0] + 1);
            }
        }
        return p;
    }();
    return *b;
}

std::vector<uint8_t> pixels() {
    const zre::Bitmap& b = picture();
    return std::vector<uint8_t>(b.bits, b.bits + static_cast<size_t>(b.stride()) * kHeight);
}

const std::vector<uint8_t>& compressed() {
    static const std::vector<uint8_t> c = [] {
        std::vector<uint8_t> raw = pixels();
        return zre::lzssEncode(raw.data(), raw.size()).value();
    }();
    return c;
}

void BM_MemcpyPicture(benchmark::State& state) {
    std::vector<uint8_t> src = pixels(), dst(src.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(src.size()));
}

void BM_LzssDecode(benchmark::State& state) {
    std::vector<uint8_t> out(pixels().size());
    const std::vector<uint8_t>& c = compressed();
    for (auto _ : state) {
        int r = zre::lzssDecode(c.data(), c.size(), out.data(), out.size());
        benchmark::DoNotOptimize(r);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size()));
    state.counters["ratio"] = double(c.size()) / double(out.size());
}

void BM_LzssEncode(benchmark::State& state) {
    std::vector<uint8_t> raw = pixels();
    for (auto _ : state) {
        auto c = zre::lzssEncode(raw.data(), raw.size());
        benchmark::DoNotOptimize(c);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(raw.size()));
}

// The whole GFB load as a scene change pays it: open, header, decode, scramble undone.
void BM_GfbLoad(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() / "zre-bench-picture.gfb").string();
    std::vector<uint8_t> file = zre::encodeGfb(picture(), true, true);
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
    for (auto _ : state) {
        auto b = zre::loadImageFile(path);
        if (b->width() != kWidth) state.SkipWithError("the picture did not load");
        benchmark::DoNotOptimize(b->bits);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pixels().size()));
    std::filesystem::remove(path);
}

} // namespace

BENCHMARK(BM_MemcpyPicture);
BENCHMARK(BM_LzssDecode);
BENCHMARK(BM_LzssEncode);
BENCHMARK(BM_GfbLoad);
BENCHMARK_MAIN();
