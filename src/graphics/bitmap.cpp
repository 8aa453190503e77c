#include "graphics/bitmap.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "data/file_access.h"
#include "graphics/picture_reader.h"
#include "platform/file_system.h"
#include "platform/picture_files.h"

namespace zre {

namespace {

// Header sizes of the later BMP header versions; their first 40 bytes are the classic
// info header, so a 24-bit picture in them reads the same once the pixel offset is honoured.
constexpr uint32_t kBmpV4Header = 108;
constexpr uint32_t kBmpV5Header = 124;

} // namespace

const char* pictureStatusText(PictureStatus status) {
    switch (status) {
    case PictureStatus::Ok: return "ok";
    case PictureStatus::Truncated: return "the file is shorter than its header says";
    case PictureStatus::BadSignature: return "not a picture of this kind (wrong signature)";
    case PictureStatus::Unsupported: return "unsupported picture (only uncompressed 24-bit pictures are read)";
    case PictureStatus::TooLarge: return "the picture is too large";
    case PictureStatus::Malformed: return "malformed picture (its sizes do not fit together)";
    }
    return "refused";
}

PictureStatus checkPictureSize(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return PictureStatus::Malformed;
    if (width > kMaxPictureSide || height > kMaxPictureSide) return PictureStatus::TooLarge;
    if (uint64_t(strideFor(width)) * uint64_t(height) > kMaxPictureBytes) return PictureStatus::TooLarge;
    return PictureStatus::Ok;
}

int loadFromHandle(Bitmap& bitmap, FileHandle& file, PictureReader reader) {
    MemoryStream none(nullptr, 0);
    ByteStream& source = file.stream() ? *file.stream() : none;
    return reader(bitmap, source) == PictureStatus::Ok ? 1 : 0;
}

void clearPicture(Bitmap& bitmap) {
    bitmap.release();
    bitmap.bounds = Rect{};
}

PictureStatus readPixels(Bitmap& bitmap, ByteStream& source, int32_t width, int32_t height, uint64_t n) {
    if (!bitmap.create(width, height)) {
        clearPicture(bitmap);
        return PictureStatus::TooLarge;
    }
    if (source.read(bitmap.bits, size_t(n)) != n) {
        clearPicture(bitmap);
        return PictureStatus::Truncated;
    }
    return PictureStatus::Ok;
}

int Bitmap::create(int32_t width, int32_t height) {
    release();
    bounds = Rect{0, 0, width, height};
    if (checkPictureSize(width, height) != PictureStatus::Ok) return 0;
    try {
        pixels_.assign(size_t(strideFor(width)) * size_t(height), 0);
    } catch (const std::bad_alloc&) {
        pixels_ = std::vector<uint8_t>();
        return 0;
    }
    bits = pixels_.data();
    return 1;
}

void Bitmap::release() {
    // Our own store cannot refuse to be freed, so there is never a failure to report.
    std::vector<uint8_t>().swap(pixels_);
    bits = nullptr;
}

int Bitmap::loadFile(std::string_view fileName) {
    FileHandle file;
    file.open(fileName);
    if (file.isOpen()) load(file);
    file.close();
    return 1;
}

int Bitmap::load(FileHandle& file) { return loadFromHandle(*this, file, readBmp); }

int Bitmap::save(std::string_view fileName) {
    return writeFileAtomically(fileName, bmpImage()) ? 1 : 0;
}

std::unique_ptr<Bitmap> Bitmap::crop(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    auto result = std::make_unique<Bitmap>();
    if (!result->create(right - left, bottom - top)) return nullptr;
    if (empty()) return result;
    // The part of the requested block that lies inside this bitmap; the rest stays zero.
    int64_t x0 = std::max<int64_t>(left, 0), x1 = std::min<int64_t>(right, width());
    int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(bottom, height());
    if (x0 >= x1 || y0 >= y1) return result;
    size_t rowBytes = size_t(x1 - x0) * 3;
    for (int64_t y = y0; y < y1; ++y) {
        std::memcpy(result->pixel(int32_t(x0 - left), int32_t(y - top)), pixel(int32_t(x0), int32_t(y)), rowBytes);
    }
    return result;
}

std::unique_ptr<Bitmap> Bitmap::clone() const {
    auto result = std::make_unique<Bitmap>();
    if (!result->create(width(), height())) return nullptr;
    if (!empty()) std::memcpy(result->bits, bits, std::min(byteCount(), result->byteCount()));
    return result;
}

size_t Bitmap::writeBmp(ByteWriter& out) const {
    // A bitmap without a store is written as the 0 x 0 picture it holds, so the header
    // never claims pixels that are not there.
    if (empty()) return appendBmp24(out, nullptr, 0, 0, 0, false);
    return appendBmp24(out, bits, width(), height(), size_t(stride()), false);
}

std::vector<uint8_t> Bitmap::bmpImage() const {
    ByteWriter out;
    writeBmp(out);
    return std::move(out.buffer());
}

std::unique_ptr<Bitmap> makeBitmap(int32_t width, int32_t height) {
    auto result = std::make_unique<Bitmap>();
    if (!result->create(width, height)) return nullptr;
    return result;
}

PictureStatus readBmp(Bitmap& bitmap, ByteStream& source) {
    clearPicture(bitmap);
    uint8_t header[kBmpHeadersSize];
    if (source.read(header, sizeof header) != sizeof header) return PictureStatus::Truncated;
    if (header[0] != 'B' || header[1] != 'M') return PictureStatus::BadSignature;
    const uint8_t* info = header + kBmpFileHeaderSize;
    uint32_t infoSize = loadU32(info);
    int32_t width = static_cast<int32_t>(loadU32(info + 4));
    int32_t height = static_cast<int32_t>(loadU32(info + 8));
    uint16_t bitCount = loadU16(info + 14);
    uint32_t compression = loadU32(info + 16);
    if (bitCount != 24 || compression != 0) return PictureStatus::Unsupported;

    // The classic header: pixels at offset 54, whatever the offset field says (files in the
    // wild carry junk there and the game reads them this way). The later header versions
    // put the pixels where the offset field points.
    uint64_t gap = 0;
    if (infoSize != kBmpInfoHeaderSize) {
        if (infoSize != kBmpV4Header && infoSize != kBmpV5Header) return PictureStatus::Unsupported;
        uint32_t offset = loadU32(header + 10);
        if (offset < kBmpFileHeaderSize + infoSize) return PictureStatus::Malformed;
        gap = offset - kBmpHeadersSize;
    }
    // Negative heights (top-down rows) are not a layout this surface has.
    if (PictureStatus s = checkPictureSize(width, height); s != PictureStatus::Ok) return s;
    uint64_t bytes = uint64_t(strideFor(width)) * uint64_t(height);
    if (source.remaining() < gap + bytes) return PictureStatus::Truncated;
    if (!source.skip(gap)) return PictureStatus::Truncated;
    return readPixels(bitmap, source, width, height, bytes);
}

} // namespace zre
