#pragma once
// A check of the first and third header packets of a Vorbis stream (identification and
// setup), made before the stream is decoded. libvorbis takes a setup with a codebook whose
// codeword lengths are no complete prefix code, but building the decoder then stops at that
// book and leaves the books after it empty; a seek decodes with them anyway and divides by
// zero on a residue's empty classbook. The other fields are held to the format's own rules,
// so that the whole setup is read as the decoder reads it; nothing the format allows is
// refused.
#include <cstddef>
#include <cstdint>

namespace zre {

// True when both packets are well formed and every codebook, floor, residue, mapping and
// mode of the setup can be decoded.
bool vorbisHeadersDecodable(const uint8_t* identification, size_t identificationSize, const uint8_t* setup,
                            size_t setupSize);

} // namespace zre
