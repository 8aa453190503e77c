#pragma once
// Writing the window picture and other captures to host files (UTF-8 paths given by the
// player on the command line, not game paths).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zre {

// A 24-bit BMP: 54-byte header, then bottom-up rows padded to 4 bytes, as the rows given.
std::vector<uint8_t> encodeBmp24(const uint8_t* bitsBottomUp, int width, int height, int stride);

// PNG, or BMP when the name ends in ".bmp" (any case). False when encoding or writing failed.
bool writePictureFile(const std::string& path, const uint8_t* bitsBottomUp, int width, int height, int stride);

} // namespace zre
