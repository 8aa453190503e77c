#pragma once
// The one pixel surface: 24 bits per pixel in the order blue, green, red, rows bottom-up,
// each row padded to a multiple of 4 bytes, new memory all zero. Pixel memory is our own
// store (it stands where a platform bitmap section would); the byte layout is what the
// blends, the file formats and the window see.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/byte_io.h"
#include "graphics/rect.h"
#include "platform/picture_files.h"

namespace zre {

class FileHandle;

class Bitmap {
public:
    Bitmap() = default;
    virtual ~Bitmap() = default;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    // Reads the picture from a handle positioned at its first byte; 1 accepted, 0 refused
    // (the bitmap is then empty). Bitmap reads BMP.
    virtual int load(FileHandle& file);
    // Writes the picture in the class's format; 1 written, 0 when the file cannot be made.
    virtual int save(std::string_view fileName);

    // Nonzero when the store was made; replaces any earlier store. bounds holds the size
    // even when the store could not be made (zero, negative or too large sizes).
    int create(int32_t width, int32_t height);
    void release();
    // Opens the file (plain or package member), calls load and closes it. Always 1.
    int loadFile(std::string_view fileName);

    // New bitmap of (right - left) x (bottom - top) holding that part of this one (display
    // coordinates); the part outside this bitmap is zero. Null when it cannot be made.
    std::unique_ptr<Bitmap> crop(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    std::unique_ptr<Bitmap> clone() const;

    // Appends the 14-byte file header, the 40-byte info header and the pixel memory; returns
    // the number of bytes appended.
    size_t writeBmp(ByteWriter& out) const;
    // The same three pieces as one byte image.
    std::vector<uint8_t> bmpImage() const;

    bool empty() const { return bits == nullptr; }
    int32_t width() const { return bounds.right; }
    int32_t height() const { return bounds.bottom; }
    int32_t stride() const { return strideFor(bounds.right); }
    size_t byteCount() const { return pixels_.size(); }

    // Display coordinates (origin top-left) to the first byte of that pixel.
    uint8_t* pixel(int32_t x, int32_t y) { return bits + size_t(height() - 1 - y) * stride() + size_t(x) * 3; }
    const uint8_t* pixel(int32_t x, int32_t y) const {
        return bits + size_t(height() - 1 - y) * stride() + size_t(x) * 3;
    }
    // Display row y (origin top) as a pointer to its first byte.
    uint8_t* row(int32_t y) { return bits + size_t(height() - 1 - y) * stride(); }
    const uint8_t* row(int32_t y) const { return bits + size_t(height() - 1 - y) * stride(); }

    uint8_t* bits = nullptr;   // first byte of the pixel memory; null while empty
    Rect bounds;               // (0, 0, width, height)

protected:
    std::vector<uint8_t> pixels_;
};

// Creates a bitmap of the given size (nullptr when it cannot be made).
std::unique_ptr<Bitmap> makeBitmap(int32_t width, int32_t height);

} // namespace zre
