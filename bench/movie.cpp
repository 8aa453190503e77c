// Movies: decoding and scaling a three-second 800 x 600 movie into the game picture, as a
// multiple of its own frame rate (MPEG-1 in a program stream with MPEG audio, and MPEG-4
// part 2 in AVI with PCM), and the processor's share of playing it in real time: the
// decoder on its thread, the window thread taking the picture that is due and showing it.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "data/byte_stream.h"
#include "platform/movie_decoder.h"
#include "platform/movie_encoder.h"
#include "platform/window.h"
#include "sound/movie_player.h"

namespace {

constexpr int kFps = 25;
constexpr int kFrames = 3 * kFps;

// A picture that changes everywhere from frame to frame, as film does: moving gradients
// with a little grain.
std::vector<uint8_t> movieBytes(const char* extension) {
    const std::string path = (std::filesystem::temp_directory_path() / ("zre_bench_movie" + std::string(extension))).string();
    std::vector<int16_t> sound(size_t(kFrames) * 44100 / kFps * 2);
    for (size_t i = 0; i < sound.size() / 2; ++i)
        sound[2 * i] = sound[2 * i + 1] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 330 * double(i) / 44100));
    zre::writeMovieFile(
        path, 800, 600, kFps, kFrames,
        [](int f, uint8_t* bgr, int stride) {
            uint32_t grain = 12345u + uint32_t(f);
            for (int y = 0; y < 600; ++y)
                for (int x = 0; x < 800; ++x) {
                    grain = grain * 1103515245u + 12345u;
                    uint8_t* p = bgr + size_t(y) * stride + size_t(x) * 3;
                    const int g = int(grain >> 28);
                    p[0] = static_cast<uint8_t>((x + 3 * f) / 4 + g);
                    p[1] = static_cast<uint8_t>((y + 5 * f) / 3 + g);
                    p[2] = static_cast<uint8_t>(128 + 100 * std::sin((x + y + 8 * f) * 0.01));
                }
        },
        sound);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::filesystem::remove(path);
    return bytes;
}

const std::vector<uint8_t>& movie(int kind) {
    static const std::vector<uint8_t> mpg = movieBytes(".mpg");
    static const std::vector<uint8_t> avi = movieBytes(".avi");
    return kind == 0 ? mpg : avi;
}

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void BM_MovieDecodeAndScale(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = movie(static_cast<int>(state.range(0)));
    state.SetLabel(state.range(0) == 0 ? "mpeg1+mp2 in mpg" : "mpeg4+pcm in avi");
    int64_t pictures = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto from = std::chrono::steady_clock::now();
        auto decoder = zre::MovieDecoder::open(zre::movieInput(std::make_unique<zre::MemoryStream>(bytes.data(), bytes.size())), zre::kGameWidth, zre::kGameHeight);
        if (!decoder) {
            state.SkipWithError("the movie does not open");
            return;
        }
        zre::MoviePicture picture;
        std::vector<int16_t> sound;
        for (;;) {
            sound.clear();
            const auto got = decoder->next(picture, sound);
            if (got == zre::MovieDecoder::Output::End) break;
            if (got == zre::MovieDecoder::Output::Picture) ++pictures;
            benchmark::DoNotOptimize(picture.bits.data());
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
    }
    // Pictures decoded and scaled per second, as a multiple of the movie's own rate.
    state.counters["x_framerate"] = double(pictures) / seconds / kFps;
}

void BM_MoviePlayRealTime(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = movie(0);
    double cpu = 0;
    double wall = 0;
    uint64_t dropped = 0;
    for (auto _ : state) {
        const double cpuFrom = processSeconds();
        const auto from = std::chrono::steady_clock::now();
        zre::MovieStream stream(zre::MovieDecoder::open(zre::movieInput(std::make_unique<zre::MemoryStream>(bytes.data(), bytes.size())), zre::kGameWidth, zre::kGameHeight),
                                false);
        std::vector<int16_t> sound(4096);
        zre::MoviePicture picture;
        while (!stream.picturesEnded()) {
            const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - from).count();
            if (stream.takePicture(ms, picture))
                zre::presentFront(picture.bits.data(), picture.width, picture.height, picture.stride, 0, 0, picture.width,
                                  picture.height);
            // The sound is taken as the mixer would, so the decoder is never held up by it.
            while (stream.takeSound(sound.data(), 2048) > 0) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        dropped += stream.droppedPictures();
        cpu += processSeconds() - cpuFrom;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
    }
    // One core's time used while the movie plays, in percent.
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["dropped"] = double(dropped);
}

} // namespace

BENCHMARK(BM_MovieDecodeAndScale)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoviePlayRealTime)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
