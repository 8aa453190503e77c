#include "data/glpk.h"

#include <cstring>

#include "data/byte_io.h"
#include "data/lzss.h"
#include "platform/file_system.h"

namespace zre {

namespace {

constexpr size_t kHeaderSize = 12;

} // namespace

int decodeGlpk(const uint8_t* file, size_t size, std::vector<uint8_t>& data) {
    if (!file || size < kHeaderSize || std::memcmp(file, "GLPK", 4) != 0) return -1;
    const uint32_t decodedLength = loadU32(file + 4);
    const bool inverted = loadU32(file + 8) != 0;
    const size_t payloadSize = size - kHeaderSize;
    if (decodedLength == 0 || uint64_t(decodedLength) > uint64_t(payloadSize) * kLzssMaxExpansion) return -1;

    std::vector<uint8_t> payload(file + kHeaderSize, file + size);
    if (inverted) {
        for (uint8_t& b : payload) b = static_cast<uint8_t>(~b);
    }
    std::vector<uint8_t> out(decodedLength);
    if (lzssDecode(payload.data(), payload.size(), out.data(), out.size()) != 0) return -1;
    data = std::move(out);
    return 0;
}

int readGlpk(std::string_view path, std::vector<uint8_t>& data) {
    std::optional<std::vector<uint8_t>> file = readWholeFile(path);
    if (!file) return -1;
    return decodeGlpk(file->data(), file->size(), data);
}

std::vector<uint8_t> encodeGlpk(const uint8_t* data, size_t size, bool inverted) {
    std::optional<std::vector<uint8_t>> packed = lzssEncode(data, size);
    std::vector<uint8_t> payload;
    if (packed) {
        payload = std::move(*packed);
    } else {
        // All literals: a flag byte 0xFF before every eight bytes.
        payload.reserve(size + size / 8 + 1);
        for (size_t i = 0; i < size; i += 8) {
            payload.push_back(0xFF);
            size_t n = size - i < 8 ? size - i : 8;
            payload.insert(payload.end(), data + i, data + i + n);
        }
    }
    if (inverted) {
        for (uint8_t& b : payload) b = static_cast<uint8_t>(~b);
    }
    ByteWriter out;
    out.text("GLPK");
    out.u32(static_cast<uint32_t>(size));
    out.u32(inverted ? 1 : 0);
    out.bytes(payload.data(), payload.size());
    return std::move(out.buffer());
}

} // namespace zre
