#pragma once
// Little-endian fields of game files. Every reader goes through ByteReader, which reads a
// byte stream and never past its end: a short read sets the failed flag and yields zeros.
// The writer and the in-place accessors are the platform's (platform/little_endian.h).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "data/byte_stream.h"
#include "platform/little_endian.h"

namespace zre {

class ByteReader {
public:
    // Fields of stream from its position on; reading moves the stream.
    explicit ByteReader(ByteStream& stream) : stream_(stream) {}
    // Fields of bytes the caller keeps alive.
    ByteReader(const void* data, size_t size) : memory_(data, size), stream_(memory_) {}
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    uint64_t position() const { return stream_.tell(); }
    uint64_t size() const { return stream_.size(); }
    uint64_t remaining() const { return stream_.remaining(); }
    bool failed() const { return failed_; }

    bool skip(uint64_t n) {
        if (stream_.skip(n)) return true;
        failed_ = true;
        return false;
    }
    bool seek(uint64_t pos) {
        if (stream_.seek(pos)) return true;
        stream_.seek(stream_.size());
        failed_ = true;
        return false;
    }
    bool bytes(void* out, size_t n) {
        if (n <= remaining() && stream_.read(out, n) == n) return true;
        std::memset(out, 0, n);
        stream_.seek(stream_.size());
        failed_ = true;
        return false;
    }
    // n bytes at the position without moving; false when fewer remain.
    bool peek(void* out, size_t n) const { return stream_.readExact(stream_.tell(), out, n); }
    uint8_t u8() { uint8_t b[1]; bytes(b, 1); return b[0]; }
    uint16_t u16() { uint8_t b[2]; bytes(b, 2); return loadU16(b); }
    uint32_t u32() { uint8_t b[4]; bytes(b, 4); return loadU32(b); }
    int32_t i32() { return static_cast<int32_t>(u32()); }

private:
    MemoryStream memory_{nullptr, 0};
    ByteStream& stream_;
    bool failed_ = false;
};

} // namespace zre
