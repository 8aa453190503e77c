#pragma once
// The LZSS coder of GFB pictures and GLPK containers: 4096-byte ring, zero at the start,
// coding position 4078, references of 3 to 18 bytes, eight items per flag byte (LSB first).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace zre {

// The most a stream of k bytes can decode to: every two bytes a reference of 18, so never
// more than 9 output bytes per input byte. A larger length asked of k bytes cannot be met,
// and is refused before the output is allocated.
constexpr uint64_t kLzssMaxExpansion = 9;

// Decodes exactly outLength bytes into out. Returns 0 when the output is complete, 1 when
// asked for 0 bytes, and -1 when the stream ends before the output is complete (out then
// holds what was decoded, the rest zero). Never reads past src + srcLength.
int lzssDecode(const uint8_t* src, size_t srcLength, uint8_t* out, size_t outLength);
// Allocating form: the decoded bytes, or nullopt unless the result was 0.
std::optional<std::vector<uint8_t>> lzssDecode(const uint8_t* src, size_t srcLength, size_t outLength);

// Encodes n bytes, byte-identical to the classic binary-tree coder with a zero-filled ring.
// nullopt (failure) when the output would not be at least 9 bytes shorter than the input.
std::optional<std::vector<uint8_t>> lzssEncode(const uint8_t* src, size_t n);

} // namespace zre
