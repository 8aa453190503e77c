// Feeds arbitrary bytes to the GFB reader (plain, scrambled, compressed). An accepted
// picture must survive being written with every flag combination and read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "graphics/image_formats.h"
#include "graphics/picture_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zre::GfbBitmap bitmap;
    zre::MemoryStream source(data, size);
    if (zre::readGfb(bitmap, source) != zre::PictureStatus::Ok) {
        if (!bitmap.empty() || bitmap.width() != 0) std::abort();
        return 0;
    }
    // The instrumented encoder is slow: compressed round trips only for tiny pictures.
    if (bitmap.byteCount() > (1u << 16)) return 0;
    const int combinations = bitmap.byteCount() <= 64 ? 4 : 2;
    for (int flags = 0; flags < combinations; ++flags) {
        std::vector<uint8_t> again = zre::encodeGfb(bitmap, (flags & 1) != 0, (flags & 2) != 0);
        zre::GfbBitmap back;
        zre::MemoryStream second(again.data(), again.size());
        if (zre::readGfb(back, second) != zre::PictureStatus::Ok || back.bounds != bitmap.bounds ||
            std::memcmp(back.bits, bitmap.bits, bitmap.byteCount()) != 0) {
            std::abort();
        }
    }
    return 0;
}
