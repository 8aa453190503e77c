#pragma once
// The picture files: BMP (class Bitmap), GGEF (.gef, a BMP info header with five fields
// XOR-ed with 0x6C6C6C6C) and GFB (.gfb, a 64-byte header, optional LZSS and XOR scramble).
#include <cstdint>
#include <memory>
#include <string_view>

#include "graphics/bitmap.h"

namespace zre {

class GefBitmap : public Bitmap {
public:
    int load(FileHandle& file) override;
    int save(std::string_view fileName) override;
};

class GfbBitmap : public Bitmap {
public:
    int load(FileHandle& file) override;
    int save(std::string_view fileName) override;

    uint32_t scrambled = 0;
    uint32_t compressed = 0;
};

// Builds the class that fits the name's extension (".bmp", ".gef", ".gfb" tested in this
// order as case-sensitive substrings of the extension) and loads the file into it. Any
// other extension gives an empty Bitmap. Never returns null.
std::unique_ptr<Bitmap> loadImageFile(std::string_view fileName);

// The GFB scramble: byte i XOR byte (i mod 4) of key (least significant first).
void gfbScramble(uint8_t* data, size_t length, uint32_t key);
// The key of a GFB file: ~storedSize | pixelDataSize.
inline uint32_t gfbKey(uint32_t storedSize, uint32_t pixelDataSize) { return ~storedSize | pixelDataSize; }

// The file images the writers produce (save() writes these atomically).
std::vector<uint8_t> encodeGef(const Bitmap& bitmap);
std::vector<uint8_t> encodeGfb(const Bitmap& bitmap, bool scrambled, bool compressed);

} // namespace zre
