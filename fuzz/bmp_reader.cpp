// Feeds arbitrary bytes to the BMP reader. An accepted picture must survive being written
// and read back unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "graphics/bitmap.h"
#include "graphics/picture_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zre::Bitmap bitmap;
    zre::MemoryStream source(data, size);
    if (zre::readBmp(bitmap, source) != zre::PictureStatus::Ok) {
        if (!bitmap.empty() || bitmap.width() != 0) std::abort();
        return 0;
    }
    std::vector<uint8_t> again = bitmap.bmpImage();
    zre::Bitmap back;
    zre::MemoryStream second(again.data(), again.size());
    if (zre::readBmp(back, second) != zre::PictureStatus::Ok || back.bounds != bitmap.bounds ||
        std::memcmp(back.bits, bitmap.bits, bitmap.byteCount()) != 0) {
        std::abort();
    }
    return 0;
}
