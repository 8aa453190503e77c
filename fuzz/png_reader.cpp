// Feeds arbitrary bytes to the PNG decoder; a decoded picture must encode and decode back
// to the same pixels.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/png_io.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int w = 0, h = 0;
    std::vector<uint8_t> bits;
    if (!zre::decodePngBgr(data, size, w, h, bits)) {
        if (w != 0 || h != 0 || !bits.empty()) std::abort();
        return 0;
    }
    int stride = (w * 3 + 3) / 4 * 4;
    if (bits.size() != size_t(stride) * size_t(h)) std::abort();
    if (bits.size() > (1u << 18)) return 0;
    std::vector<uint8_t> png;
    if (!zre::encodePngBgr(bits.data(), w, h, stride, png)) std::abort();
    int w2 = 0, h2 = 0;
    std::vector<uint8_t> back;
    if (!zre::decodePngBgr(png.data(), png.size(), w2, h2, back) || w2 != w || h2 != h || back != bits) std::abort();
    return 0;
}
