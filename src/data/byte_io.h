#pragma once
// Little-endian fields of game files. Every reader goes through ByteReader, which never
// reads past the bytes it was given: a short read sets the failed flag and yields zeros.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace zre {

class ByteReader {
public:
    ByteReader(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size) {}

    size_t position() const { return pos_; }
    size_t size() const { return size_; }
    size_t remaining() const { return size_ - pos_; }
    bool failed() const { return failed_; }
    const uint8_t* current() const { return data_ + pos_; }

    bool skip(size_t n) {
        if (n > remaining()) { pos_ = size_; failed_ = true; return false; }
        pos_ += n;
        return true;
    }
    bool seek(size_t pos) {
        if (pos > size_) { pos_ = size_; failed_ = true; return false; }
        pos_ = pos;
        return true;
    }
    bool bytes(void* out, size_t n) {
        if (n > remaining()) {
            std::memset(out, 0, n);
            pos_ = size_;
            failed_ = true;
            return false;
        }
        std::memcpy(out, data_ + pos_, n);
        pos_ += n;
        return true;
    }
    uint8_t u8() { uint8_t b[1]; bytes(b, 1); return b[0]; }
    uint16_t u16() { uint8_t b[2]; bytes(b, 2); return uint16_t(b[0] | (b[1] << 8)); }
    uint32_t u32() {
        uint8_t b[4];
        bytes(b, 4);
        return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool failed_ = false;
};

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

// In-place little-endian accessors for fixed headers held in a byte array.
inline uint32_t loadU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void storeU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
inline uint16_t loadU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline void storeU16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }

} // namespace zre
