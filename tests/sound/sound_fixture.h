#pragma once
// Sounds made in the test: RIFF WAVE images with any chunks, tones, and readers over them.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/byte_io.h"
#include "data/byte_stream.h"
#include "sound/wave_reader.h"

namespace zre::test {

inline PcmFormat pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
    const auto block = static_cast<uint16_t>(channels * bits / 8);
    return PcmFormat{1, channels, rate, rate * block, block, bits};
}

struct WaveChunk {
    std::string id;
    std::vector<uint8_t> body;
    uint32_t size = 0;  // written as the chunk's size; the body's length when 0
};

// "RIFF" size "WAVE", a "fmt " chunk of fmtSize bytes (the format, then zeros), the chunks.
inline std::vector<uint8_t> waveImage(const PcmFormat& f, const std::vector<WaveChunk>& chunks,
                                      uint32_t fmtSize = 16) {
    ByteWriter w;
    w.text("RIFF");
    w.u32(0);
    w.text("WAVEfmt ");
    w.u32(fmtSize);
    w.u16(f.formatTag);
    w.u16(f.channels);
    w.u32(f.samplesPerSec);
    w.u32(f.avgBytesPerSec);
    w.u16(f.blockAlign);
    w.u16(f.bitsPerSample);
    w.zeros(fmtSize - 16);
    for (const WaveChunk& c : chunks) {
        w.text(c.id);
        w.u32(c.size ? c.size : static_cast<uint32_t>(c.body.size()));
        w.bytes(c.body.data(), c.body.size());
    }
    storeU32(w.buffer().data() + 4, static_cast<uint32_t>(w.size() - 8));
    return w.buffer();
}

inline std::vector<uint8_t> waveWithData(const PcmFormat& f, const std::vector<uint8_t>& data) {
    return waveFileImage(f, data.data(), data.size());
}

// 16-bit samples as little-endian bytes.
inline std::vector<uint8_t> sampleBytes(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> out(samples.size() * 2);
    for (size_t i = 0; i < samples.size(); ++i) storeU16(out.data() + 2 * i, static_cast<uint16_t>(samples[i]));
    return out;
}

// A sine of frequency hz, interleaved over channels.
inline std::vector<int16_t> tone(size_t frames, int channels, double rate, double hz, double amplitude = 12000) {
    std::vector<int16_t> out(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * double(i) / rate)));
        for (int c = 0; c < channels; ++c) out[i * size_t(channels) + size_t(c)] = v;
    }
    return out;
}

inline std::shared_ptr<sslib2::CPlainWavFileReader> wavReader(std::vector<uint8_t> image) {
    auto r = std::make_shared<sslib2::CPlainWavFileReader>();
    if (!r->OpenStream(std::make_unique<MemoryStream>(std::move(image)))) return nullptr;
    return r;
}

inline int16_t sampleAt(const uint8_t* p, size_t index) { return static_cast<int16_t>(loadU16(p + 2 * index)); }

} // namespace zre::test
