#pragma once
// Little-endian fields: the one writer of file fields (game files, captures, BMP and WAVE
// headers) and the in-place accessors of fixed headers held in a byte array. The platform
// writes headers of its own, so this sits at the bottom of the layers; the bounds-checked
// reader of game bytes is ByteReader in data/byte_io.h.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zre {

inline uint32_t loadU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void storeU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline uint16_t loadU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline void storeU16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }

// Appends fields to a growing byte image.
class ByteWriter {
public:
    std::vector<uint8_t>& buffer() { return buf_; }
    const std::vector<uint8_t>& buffer() const { return buf_; }
    size_t size() const { return buf_.size(); }

    void bytes(const void* p, size_t n) {
        auto* b = static_cast<const uint8_t*>(p);
        buf_.insert(buf_.end(), b, b + n);
    }
    void text(std::string_view s) { bytes(s.data(), s.size()); }
    void u8(uint8_t v) { buf_.push_back(v); }
    void u16(uint16_t v) { u8(uint8_t(v)); u8(uint8_t(v >> 8)); }
    void u32(uint32_t v) { for (int i = 0; i < 4; ++i) u8(uint8_t(v >> (8 * i))); }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void zeros(size_t n) { buf_.insert(buf_.end(), n, 0); }

private:
    std::vector<uint8_t> buf_;
};

} // namespace zre
