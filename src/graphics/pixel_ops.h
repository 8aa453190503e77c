#pragma once
// Operations on the pixels of bitmaps: copies, stretch, fill, keyed copy and the two blends.
// Colours are 0x00BBGGRR (red in the lowest byte).
#include <cstdint>
#include <memory>

#include "graphics/bitmap.h"

namespace zre {

// Copies the w x h block at (0, 0) of source to (x, y) of target, clipped to both.
void blitBitmap(Bitmap& target, const Bitmap& source, int32_t x, int32_t y, int32_t w, int32_t h);
// A new w x h bitmap holding the whole source scaled by area averaging (the equivalent of a
// halftone stretch).
std::unique_ptr<Bitmap> stretchBitmap(const Bitmap& source, int32_t w, int32_t h);
// Every pixel set to colour (padding bytes unspecified).
void fillBitmap(Bitmap& bitmap, uint32_t colour);
// Copies the whole source to (0, 0) of target, leaving target pixels where the source pixel
// equals key exactly (all three channels).
void blitKeyed(Bitmap& target, const Bitmap& source, uint32_t key);
// Every byte of target becomes (source * weight + target * (256 - weight)) >> 8 over the
// first (n / 8) * 8 bytes, n the source's byte count; weight 0..256.
void blendConstant(Bitmap& target, const Bitmap& source, int32_t weight);
// As blendConstant with weight m from the mask byte and target weight 255 - m.
void blendMasked(Bitmap& target, const Bitmap& source, const Bitmap& mask);

// The byte kernels behind the blends, on raw memory (n bytes; the tail n mod 8 unchanged).
void blendConstantBytes(uint8_t* target, const uint8_t* source, size_t n, int32_t weight);
void blendMaskedBytes(uint8_t* target, const uint8_t* source, const uint8_t* mask, size_t n);

} // namespace zre
