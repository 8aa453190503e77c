// LZSS streams: the first two bytes choose the output length, the rest is the stream.
// Whatever decodes must encode and decode back to itself.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "data/lzss.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t length = size_t(data[0]) | (size_t(data[1]) << 8);
    const uint8_t* stream = data + 2;
    const size_t streamLength = size - 2;

    std::vector<uint8_t> out(length + 1, 0xA5);
    int rc = zre::lzssDecode(stream, streamLength, out.data(), length);
    if (out[length] != 0xA5) std::abort();  // wrote past the requested length
    if (length == 0 ? rc != 1 : rc != 0 && rc != -1) std::abort();

    auto allocated = zre::lzssDecode(stream, streamLength, length);
    if (allocated.has_value() != (rc == 0)) std::abort();
    if (rc != 0) return 0;
    if (std::memcmp(allocated->data(), out.data(), length) != 0) std::abort();

    auto packed = zre::lzssEncode(out.data(), length);
    if (packed) {
        if (packed->size() + 9 > length) std::abort();
        auto back = zre::lzssDecode(packed->data(), packed->size(), length);
        if (!back || std::memcmp(back->data(), out.data(), length) != 0) std::abort();
    }
    return 0;
}
