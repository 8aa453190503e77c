#pragma once
// The byte kernels of every blend: the compositor's rows and the whole-picture blends alike.
// Each byte of the result is a function of the bytes at the same place only, so they run
// over a row (or a whole picture) as one flat array. One processor check, made once, picks
// the widest form: 32 bytes at a time where the processor has AVX2, 16 with SSE2, the rest
// byte by byte. Every form gives exactly the byte formulas.
#include <cstddef>
#include <cstdint>

namespace zre {

// t = (p * a + g * (256 - a)) >> 8 over bytes, for a in 0..256; g may be t itself.
void blendRowAlpha(uint8_t* t, const uint8_t* p, const uint8_t* g, size_t bytes, int32_t a);
// t = (p * m + t * (255 - m)) >> 8; then, for a != 0, that blended over the old t by a as
// blendRowAlpha does.
void blendRowMasked(uint8_t* t, const uint8_t* p, const uint8_t* m, size_t bytes, int32_t a);
// Pixels of p equal to key (0x00BBGGRR, all three channels) leave t as it is; the others
// are copied or, for a != 0, blended over t by a.
void copyRowKeyed(uint8_t* t, const uint8_t* p, size_t pixels, uint32_t key, int32_t a);

} // namespace zre
