#pragma once
// The readers of the three picture formats behind Bitmap::load, GefBitmap::load and
// GfbBitmap::load. They read from a PictureSource so that the same code serves an open
// file handle, a byte buffer (the tool, the fuzzers) and anything else that delivers the
// bytes in order. Each reader checks every size against what the source really holds
// before it allocates, and leaves the bitmap empty (no store, 0 x 0) when it refuses.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "graphics/bitmap.h"

namespace zre {

// Why a picture was refused; Ok when it was accepted.
enum class PictureStatus {
    Ok,
    Truncated,      // the file ends before its header or its pixel data does
    BadSignature,   // not "BM", "GGEF" or "GFB "
    Unsupported,    // not 24 bits per pixel, compressed BMP, header kind we do not read
    TooLarge,       // width, height or pixel bytes beyond what any picture may have
    Malformed,      // sizes in the header that contradict each other, a broken stream
};

// A short English reason for a refusal, for tools.
const char* pictureStatusText(PictureStatus status);

class PictureSource {
public:
    virtual ~PictureSource() = default;
    // Reads up to n bytes; returns how many were read.
    virtual size_t read(void* out, size_t n) = 0;
    // Bytes left from the current position to the end.
    virtual uint64_t remaining() const = 0;
    // Skips n bytes; false when fewer remain.
    virtual bool skip(uint64_t n) = 0;
};

class MemoryPictureSource final : public PictureSource {
public:
    MemoryPictureSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t read(void* out, size_t n) override {
        size_t k = n < size_ - pos_ ? n : size_ - pos_;
        if (k) std::memcpy(out, data_ + pos_, k);
        pos_ += k;
        return k;
    }
    uint64_t remaining() const override { return size_ - pos_; }
    bool skip(uint64_t n) override {
        if (n > size_ - pos_) return false;
        pos_ += static_cast<size_t>(n);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class FileHandle;

// A source over an open file handle (its bytes from the current position to its size).
class HandlePictureSource final : public PictureSource {
public:
    explicit HandlePictureSource(FileHandle& file) : file_(file) {}
    size_t read(void* out, size_t n) override;
    uint64_t remaining() const override;
    bool skip(uint64_t n) override;

private:
    FileHandle& file_;
};

PictureStatus readBmp(Bitmap& bitmap, PictureSource& source);
PictureStatus readGef(Bitmap& bitmap, PictureSource& source);
PictureStatus readGfb(Bitmap& bitmap, PictureSource& source);

// The checks every reader makes on a header's size before anything is allocated.
PictureStatus checkPictureSize(int32_t width, int32_t height);

} // namespace zre
