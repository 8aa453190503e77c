#pragma once
// PNG files for screenshots and the picture tool, on raw 24-bit pixel buffers in the
// engine's own layout: B G R per pixel, rows bottom-up, each row padded to 4 bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace zre {

// Encodes width x height pixels (rows `stride` bytes apart, bottom row first) as an 8-bit
// RGB PNG into out. False on bad arguments or when the encoder fails.
bool encodePngBgr(const uint8_t* bits, int width, int height, int stride, std::vector<uint8_t>& out);

// Decodes any PNG (palette, grey, 16-bit, interlaced; alpha composited over black) into
// bottom-up B G R rows padded to 4 bytes. False, with width and height 0, for data that is
// not a well-formed PNG or is larger than kMaxPictureSide or kMaxPictureBytes (refused
// before its pixels are decoded; platform/picture_files.h).
bool decodePngBgr(const uint8_t* data, size_t size, int& width, int& height, std::vector<uint8_t>& bitsBottomUp);

} // namespace zre
