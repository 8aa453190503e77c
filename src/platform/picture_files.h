#pragma once
// The one BMP writer (pictures the game saves, thumbnails, captures) and writing the window
// picture to host files (UTF-8 paths given by the player on the command line, not game
// paths).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/little_endian.h"

namespace zre {

// Pictures larger than this many pixels per side (or bytes of pixel memory) are refused by
// every reader (BMP, GGEF, GFB, PNG): no picture of the game comes near it, and it keeps
// hostile headers from asking for gigabytes.
constexpr int32_t kMaxPictureSide = 16384;
constexpr uint64_t kMaxPictureBytes = 256ull << 20;

// Bytes of one row of 24-bit pixels, padded to a multiple of 4.
inline int32_t strideFor(int32_t width) { return ((width * 24 + 31) / 32) * 4; }

constexpr size_t kBmpFileHeaderSize = 14;
constexpr size_t kBmpInfoHeaderSize = 40;
constexpr size_t kBmpHeadersSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;

// The 40-byte info header of a 24-bit picture: header size 40, width, height, one plane,
// 24 bits per pixel, imageSize in the image-size field and zero in every other field.
void appendBmpInfoHeader(ByteWriter& out, int32_t width, int32_t height, uint32_t imageSize = 0);

// Appends a 24-bit BMP: the file header, the info header, then height rows of width pixels
// taken stride bytes apart from bitsBottomUp, each padded to a multiple of 4 bytes. The
// image-size field holds the pixel byte count when recordImageSize, else 0 (which an
// uncompressed picture may leave there, and the game's own pictures do). Width and height
// must not be negative. Returns the number of bytes appended.
size_t appendBmp24(ByteWriter& out, const uint8_t* bitsBottomUp, int32_t width, int32_t height, size_t stride,
                   bool recordImageSize);

// A captured picture as a BMP file image (image size recorded); empty for no picture.
std::vector<uint8_t> encodeBmp24(const uint8_t* bitsBottomUp, int width, int height, int stride);

// PNG, or BMP when the name ends in ".bmp" (any case). False when encoding or writing failed.
bool writePictureFile(const std::string& path, const uint8_t* bitsBottomUp, int width, int height, int stride);

} // namespace zre
