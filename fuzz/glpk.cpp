// GLPK containers from bytes. A success must agree with decoding the payload directly, and
// the decoded data must survive a round trip through the writer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "data/byte_io.h"
#include "data/glpk.h"
#include "data/lzss.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> decoded = {1, 2, 3};
    int rc = zre::decodeGlpk(data, size, decoded);
    if (rc != 0) {
        if (rc != -1 || decoded != std::vector<uint8_t>{1, 2, 3}) std::abort();
        return 0;
    }
    if (size < 12 || std::memcmp(data, "GLPK", 4) != 0) std::abort();
    if (decoded.size() != zre::loadU32(data + 4) || decoded.empty()) std::abort();

    std::vector<uint8_t> payload(data + 12, data + size);
    if (zre::loadU32(data + 8) != 0) {
        for (uint8_t& b : payload) b = static_cast<uint8_t>(~b);
    }
    auto direct = zre::lzssDecode(payload.data(), payload.size(), decoded.size());
    if (!direct || *direct != decoded) std::abort();

    if (decoded.size() <= 1 << 16) {
        for (bool inverted : {false, true}) {
            auto file = zre::encodeGlpk(decoded.data(), decoded.size(), inverted);
            std::vector<uint8_t> back;
            if (zre::decodeGlpk(file.data(), file.size(), back) != 0 || back != decoded) std::abort();
        }
    }
    return 0;
}
