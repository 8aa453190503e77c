#pragma once
// Ogg Vorbis encoding of 16-bit PCM, for the tools that generate sounds (the demo's
// builder, test fixtures, benchmarks). The game itself only decodes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zre {

// Encodes frames of interleaved samples (channels 1 or 2) at rate with VBR quality
// -0.1 to 1.0; empty on failure. The same input gives the same bytes on every run.
std::vector<uint8_t> encodeVorbis(const int16_t* samples, size_t frames, int channels, long rate,
                                  float quality = 0.4f);

} // namespace zre
