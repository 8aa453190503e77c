// The two blends over a whole 800 x 600 frame, beside a plain copy of the same bytes:
// a fade runs one blend per layer per frame, so they should cost about a memcpy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "graphics/pixel_ops.h"

namespace {

constexpr size_t kFrameBytes = 800 * 600 * 3;

std::vector<uint8_t> randomBytes(uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> b(kFrameBytes);
    for (auto& v : b) v = uint8_t(rng());
    return b;
}

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kFrameBytes));
}

void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> src = randomBytes(1), dst = randomBytes(2);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), kFrameBytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

void BM_BlendConstant(benchmark::State& state) {
    std::vector<uint8_t> src = randomBytes(1), dst = randomBytes(2);
    int32_t weight = 0;
    for (auto _ : state) {
        zre::blendConstantBytes(dst.data(), src.data(), kFrameBytes, weight);
        weight = (weight + 37) & 255;
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

void BM_BlendMasked(benchmark::State& state) {
    std::vector<uint8_t> src = randomBytes(1), dst = randomBytes(2), mask = randomBytes(3);
    for (auto _ : state) {
        zre::blendMaskedBytes(dst.data(), src.data(), mask.data(), kFrameBytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

// The bitmap forms, as the compositor calls them.
void BM_BlendConstantBitmap(benchmark::State& state) {
    auto src = zre::makeBitmap(800, 600), dst = zre::makeBitmap(800, 600);
    for (auto _ : state) {
        zre::blendConstant(*dst, *src, 128);
        benchmark::ClobberMemory();
    }
    setBytes(state);
}

// The save thumbnail.
void BM_StretchThumbnail(benchmark::State& state) {
    auto src = zre::makeBitmap(800, 600);
    std::vector<uint8_t> r = randomBytes(4);
    std::memcpy(src->bits, r.data(), kFrameBytes);
    for (auto _ : state) {
        auto thumb = zre::stretchBitmap(*src, 300, 225);
        benchmark::DoNotOptimize(thumb->bits);
    }
    setBytes(state);
}

} // namespace

BENCHMARK(BM_Memcpy);
BENCHMARK(BM_BlendConstant);
BENCHMARK(BM_BlendMasked);
BENCHMARK(BM_BlendConstantBitmap);
BENCHMARK(BM_StretchThumbnail);
BENCHMARK_MAIN();
