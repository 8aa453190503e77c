#include "graphics/image_formats.h"

#include <algorithm>
#include <new>

#include "data/byte_io.h"
#include "data/file_access.h"
#include "data/lzss.h"
#include "graphics/picture_reader.h"
#include "platform/file_system.h"
#include "platform/picture_files.h"

namespace zre {

namespace {

constexpr uint32_t kGefXor = 0x6C6C6C6C;
// Offsets of the scrambled fields within the GGEF info header: header size, width,
// height, horizontal and vertical resolution.
constexpr size_t kGefScrambled[] = {0, 4, 8, 24, 28};
constexpr size_t kGefHeader = 4 + kBmpInfoHeaderSize;

constexpr size_t kGfbHeader = 64;
constexpr size_t kGfbInfo = 24;

// An LZSS item yields at least one output byte for at most 1 + 1/8 input bytes, so a
// stream never needs more than this many bytes to produce n; anything beyond is never read.
uint64_t lzssInputBound(uint64_t n) { return n + n / 8 + 16; }
// Conversely, a group of eight 18-byte references (17 bytes) yields the most: 144 bytes.
// A stream shorter than this cannot fill the picture, so it is refused before the picture's
// memory is allocated.
uint64_t lzssOutputBound(uint64_t m) { return (m / 17 + 1) * 144; }

} // namespace

void gfbScramble(uint8_t* data, size_t length, uint32_t key) {
    uint8_t k[4];
    storeU32(k, key);
    size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        data[i] ^= k[0];
        data[i + 1] ^= k[1];
        data[i + 2] ^= k[2];
        data[i + 3] ^= k[3];
    }
    for (; i < length; ++i) data[i] ^= k[i & 3];
}

PictureStatus readGef(Bitmap& bitmap, ByteStream& source) {
    clearPicture(bitmap);
    uint8_t header[kGefHeader];
    if (source.read(header, sizeof header) != sizeof header) return PictureStatus::Truncated;
    if (header[0] != 'G' || header[1] != 'G' || header[2] != 'E' || header[3] != 'F') {
        return PictureStatus::BadSignature;
    }
    uint8_t* info = header + 4;
    for (size_t off : kGefScrambled) storeU32(info + off, loadU32(info + off) ^ kGefXor);
    int32_t width = static_cast<int32_t>(loadU32(info + 4));
    int32_t height = static_cast<int32_t>(loadU32(info + 8));
    if (loadU16(info + 14) != 24 || loadU32(info + 16) != 0) return PictureStatus::Unsupported;
    if (PictureStatus s = checkPictureSize(width, height); s != PictureStatus::Ok) return s;
    uint64_t bytes = uint64_t(strideFor(width)) * uint64_t(height);
    if (source.remaining() < bytes) return PictureStatus::Truncated;
    return readPixels(bitmap, source, width, height, bytes);
}

PictureStatus readGfb(Bitmap& bitmap, ByteStream& source) {
    clearPicture(bitmap);
    uint8_t header[kGfbHeader];
    if (source.read(header, sizeof header) != sizeof header) return PictureStatus::Truncated;
    if (header[0] != 'G' || header[1] != 'F' || header[2] != 'B' || header[3] != ' ') {
        return PictureStatus::BadSignature;
    }
    uint32_t scrambled = loadU32(header + 4);
    uint32_t compressed = loadU32(header + 8);
    uint32_t storedSize = loadU32(header + 12);
    uint32_t pixelDataSize = loadU32(header + 16);
    const uint8_t* info = header + kGfbInfo;
    int32_t width = static_cast<int32_t>(loadU32(info + 4));
    int32_t height = static_cast<int32_t>(loadU32(info + 8));
    if (loadU16(info + 14) != 24 || loadU32(info + 16) != 0) return PictureStatus::Unsupported;
    if (PictureStatus s = checkPictureSize(width, height); s != PictureStatus::Ok) return s;
    uint64_t bytes = uint64_t(strideFor(width)) * uint64_t(height);
    // The pixel-data size must describe this very picture, and plain data cannot be more
    // than the pixel memory it is read into.
    if (pixelDataSize != bytes) return PictureStatus::Malformed;
    uint64_t n = storedSize ? storedSize : pixelDataSize;
    if (!compressed && n > bytes) return PictureStatus::Malformed;
    if (compressed && lzssOutputBound(n) < bytes) return PictureStatus::Malformed;
    if (source.remaining() < n) return PictureStatus::Truncated;
    uint32_t key = gfbKey(storedSize, pixelDataSize);
    if (!compressed) {
        // A stored size below the pixel size leaves the remaining pixels black.
        PictureStatus s = readPixels(bitmap, source, width, height, n);
        if (s == PictureStatus::Ok && scrambled) gfbScramble(bitmap.bits, size_t(n), key);
        return s;
    }
    if (!bitmap.create(width, height)) {
        clearPicture(bitmap);
        return PictureStatus::TooLarge;
    }
    size_t take = size_t(std::min(n, lzssInputBound(bytes)));
    std::vector<uint8_t> stored;
    try {
        stored.resize(take);
    } catch (const std::bad_alloc&) {
        clearPicture(bitmap);
        return PictureStatus::TooLarge;
    }
    if (source.read(stored.data(), take) != take) {
        clearPicture(bitmap);
        return PictureStatus::Truncated;
    }
    if (scrambled) gfbScramble(stored.data(), take, key);
    if (lzssDecode(stored.data(), take, bitmap.bits, size_t(bytes)) != 0) {
        clearPicture(bitmap);
        return PictureStatus::Malformed;
    }
    return PictureStatus::Ok;
}

int GefBitmap::load(FileHandle& file) { return loadFromHandle(*this, file, readGef); }

int GefBitmap::save(std::string_view fileName) {
    return writeFileAtomically(fileName, encodeGef(*this)) ? 1 : 0;
}

int GfbBitmap::load(FileHandle& file) { return loadFromHandle(*this, file, readGfb); }

int GfbBitmap::save(std::string_view fileName) {
    return writeFileAtomically(fileName, encodeGfb(*this, scrambled != 0, compressed != 0)) ? 1 : 0;
}

std::vector<uint8_t> encodeGef(const Bitmap& bitmap) {
    int32_t w = bitmap.empty() ? 0 : bitmap.width();
    int32_t h = bitmap.empty() ? 0 : bitmap.height();
    ByteWriter out;
    out.text("GGEF");
    appendBmpInfoHeader(out, w, h);
    uint8_t* info = out.buffer().data() + 4;
    for (size_t off : kGefScrambled) storeU32(info + off, loadU32(info + off) ^ kGefXor);
    if (!bitmap.empty()) out.bytes(bitmap.bits, bitmap.byteCount());
    return std::move(out.buffer());
}

std::vector<uint8_t> encodeGfb(const Bitmap& bitmap, bool scrambled, bool compressed) {
    int32_t w = bitmap.empty() ? 0 : bitmap.width();
    int32_t h = bitmap.empty() ? 0 : bitmap.height();
    uint32_t pixelDataSize = bitmap.empty() ? 0 : uint32_t(bitmap.byteCount());
    std::vector<uint8_t> data;
    if (!bitmap.empty()) data.assign(bitmap.bits, bitmap.bits + bitmap.byteCount());
    uint32_t storedSize = 0;
    if (compressed && data.empty()) compressed = false;
    if (compressed) {
        // Data that does not shrink is written plain, and the header then says so: a
        // compressed flag over raw pixels would make the file unreadable.
        if (auto packed = lzssEncode(data.data(), data.size())) {
            data = std::move(*packed);
            storedSize = uint32_t(data.size());
        } else {
            compressed = false;
        }
    }
    if (scrambled) gfbScramble(data.data(), data.size(), gfbKey(storedSize, pixelDataSize));

    ByteWriter out;
    out.text("GFB ");
    out.u32(scrambled ? 1 : 0);
    out.u32(compressed ? 1 : 0);
    out.u32(storedSize);
    out.u32(pixelDataSize);
    out.u32(uint32_t(kGfbHeader));
    appendBmpInfoHeader(out, w, h);
    out.bytes(data.data(), data.size());
    return std::move(out.buffer());
}

std::unique_ptr<Bitmap> loadImageFile(std::string_view fileName) {
    std::string_view ext = pathExtension(fileName);
    std::unique_ptr<Bitmap> bitmap;
    if (ext.find(".bmp") != std::string_view::npos) {
        bitmap = std::make_unique<Bitmap>();
    } else if (ext.find(".gef") != std::string_view::npos) {
        bitmap = std::make_unique<GefBitmap>();
    } else if (ext.find(".gfb") != std::string_view::npos) {
        bitmap = std::make_unique<GfbBitmap>();
    } else {
        // No reader fits; callers use the size at once, so they get an empty picture.
        return std::make_unique<Bitmap>();
    }
    bitmap->loadFile(fileName);
    return bitmap;
}

} // namespace zre
