// The sound path: the mixer over eight playing 44.1 kHz stereo streams (what the audio
// callback costs, as a fraction of the sound's own time), Ogg Vorbis decoding (times real
// time) and Play of an Ogg stream on the game thread, whose 15-segment prefill decodes
// 2.8 s of sound (as a fraction of one 16 ms frame).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "data/byte_io.h"
#include "data/byte_stream.h"
#include "platform/sound_mixer.h"
#include "platform/vorbis_encoder.h"
#include "sound/sound_buffer.h"
#include "sound/wave_reader.h"

namespace {

constexpr int kRate = 44100;

// Music-like stereo: two detuned tones and a little noise.
std::vector<int16_t> music(double seconds) {
    const size_t frames = static_cast<size_t>(seconds * kRate);
    std::vector<int16_t> s(frames * 2);
    std::mt19937 rng(3);
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double v = 0.3 * std::sin(2 * M_PI * 220 * t) + 0.2 * std::sin(2 * M_PI * 331 * t) +
                         0.02 * (double(rng() % 2000) / 1000.0 - 1.0);
        s[2 * i] = static_cast<int16_t>(v * 30000);
        s[2 * i + 1] = static_cast<int16_t>(v * 28000);
    }
    return s;
}

const std::vector<uint8_t>& oggMusic() {
    static const std::vector<uint8_t> ogg = [] {
        std::vector<int16_t> pcm = music(10.0);
        return zre::encodeVorbis(pcm.data(), pcm.size() / 2, 2, kRate);
    }();
    return ogg;
}

std::vector<uint8_t> waveImage(const std::vector<int16_t>& pcm) {
    std::vector<uint8_t> bytes(pcm.size() * 2);
    for (size_t i = 0; i < pcm.size(); ++i) zre::storeU16(bytes.data() + 2 * i, static_cast<uint16_t>(pcm[i]));
    return zre::waveFileImage(zre::PcmFormat{1, 2, kRate, kRate * 4, 4, 16}, bytes.data(), bytes.size());
}

std::shared_ptr<sslib2::COggFileReader> oggReader() {
    auto r = std::make_shared<sslib2::COggFileReader>();
    const std::vector<uint8_t>& ogg = oggMusic();
    r->OpenSource(std::make_unique<zre::MemoryStream>(ogg.data(), ogg.size()), 0, static_cast<int32_t>(ogg.size()));
    return r;
}

// Wall time of the measured part, printed as a plain ratio (a rate counter would print its
// inverse with a time unit).
struct Stopwatch {
    void start() { from = std::chrono::steady_clock::now(); }
    void stop() { seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count(); }
    std::chrono::steady_clock::time_point from;
    double seconds = 0;
};

void BM_MixEightStreams(benchmark::State& state) {
    sslib2::CDirectSound device;
    device.Create();
    const std::vector<uint8_t> wav = waveImage(music(5.0));
    std::vector<std::unique_ptr<sslib2::CStreamSoundBuffer>> streams;
    for (int i = 0; i < 8; ++i) {
        auto reader = std::make_shared<sslib2::CPlainWavFileReader>();
        reader->OpenStream(std::make_unique<zre::MemoryStream>(wav.data(), wav.size()));
        auto b = std::make_unique<sslib2::CStreamSoundBuffer>();
        b->Create(device, reader);
        b->SetVolume(5000);
        b->Play(1);
        streams.push_back(std::move(b));
    }
    std::vector<int16_t> out(2 * kRate);
    Stopwatch watch;
    for (auto _ : state) {
        watch.start();
        // One second of output, in the callback's block size; refills run on the workers.
        for (size_t at = 0; at < size_t(kRate); at += 1024) {
            const size_t n = std::min<size_t>(1024, kRate - at);
            zre::detail::mixSound(out.data() + 2 * at, n, false);
        }
        benchmark::DoNotOptimize(out.data());
        watch.stop();
    }
    // Work per second of sound, in percent of one core.
    state.counters["core_percent"] = 100.0 * watch.seconds / double(state.iterations());
}

void BM_OggDecode(benchmark::State& state) {
    std::shared_ptr<sslib2::COggFileReader> r = oggReader();
    std::vector<uint8_t> buffer(1 << 16);
    const double seconds = double(r->GetLength()) / kRate;
    for (auto _ : state) {
        r->Seek(0);
        for (uint32_t got = 1; got > 0;) r->Read(buffer.data(), static_cast<uint32_t>(buffer.size()), &got);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["x_realtime"] = benchmark::Counter(double(state.iterations()) * seconds, benchmark::Counter::kIsRate);
}

void BM_PlayOggStream(benchmark::State& state) {
    sslib2::CDirectSound device;
    device.Create();
    sslib2::CStreamSoundBuffer b;
    b.Create(device, oggReader());
    Stopwatch watch;
    for (auto _ : state) {
        watch.start();
        b.Play(1);
        benchmark::ClobberMemory();
        watch.stop();
    }
    b.Stop();
    // The game thread's time in Play as a fraction of one 16 ms frame.
    state.counters["frame_fraction"] = watch.seconds / double(state.iterations()) / 0.016;
}

} // namespace

BENCHMARK(BM_MixEightStreams)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OggDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayOggStream)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
