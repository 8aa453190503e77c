#pragma once
// The backends' side of the mixer: fills frames of interleaved stereo with the sum of the
// registered sources (silence when there are none).
#include <cstddef>
#include <cstdint>

namespace zre::detail {

void mixAudio(int16_t* stereo, size_t frames);

} // namespace zre::detail
