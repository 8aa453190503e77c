#pragma once
// A check of the first and third header packets of a Vorbis stream (identification and
// setup), made before the stream is decoded. The decoder accepts some setups it then cannot
// build (a codebook whose codeword lengths are not a complete prefix code leaves the books
// after it empty) or uses in ways it does not guard (a vector codebook without dimensions or
// values), and divides by zero or reads through null tables on the first audio packet. Only
// setups the format itself makes invalid are refused here.
#include <cstddef>
#include <cstdint>

namespace zre {

// True when both packets are well formed and every codebook, floor, residue, mapping and
// mode of the setup can be decoded.
bool vorbisHeadersDecodable(const uint8_t* identification, size_t identificationSize, const uint8_t* setup,
                            size_t setupSize);

} // namespace zre
