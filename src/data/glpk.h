#pragma once
// GLPK: the container of compressed scripts. "GLPK", decoded length, inversion flag, then an
// LZSS stream, byte-complemented when the flag is set.
#include <cstdint>
#include <string_view>
#include <vector>

namespace zre {

// 0 and the decoded bytes in data, or -1 on any failure (missing file, wrong magic, a
// decoded length of 0, a stream that ends before the output is complete).
int readGlpk(std::string_view path, std::vector<uint8_t>& data);
// The same from bytes in memory.
int decodeGlpk(const uint8_t* file, size_t size, std::vector<uint8_t>& data);

// Builds a GLPK image of data (compressed; stored literally when it does not shrink, which
// the decoder reads the same way). inverted complements the payload bytes.
std::vector<uint8_t> encodeGlpk(const uint8_t* data, size_t size, bool inverted);

} // namespace zre
