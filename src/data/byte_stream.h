#pragma once
// Seekable read streams: the one shape every reader of game bytes takes, whether the bytes
// come from a host file, a window of one (a package member), or memory. A stream never
// delivers a byte outside its own range, so a reader that trusts a hostile size field still
// cannot read into the next package member.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/host_file.h"

namespace zre {

class ByteStream {
public:
    virtual ~ByteStream() = default;

    virtual uint64_t size() const = 0;
    // Reads up to n bytes at offset (relative to the stream's first byte); fewer only at
    // the end of the stream or on a read error. Does not move the position.
    virtual size_t readAt(uint64_t offset, void* out, size_t n) = 0;

    // Sequential reading from the position.
    uint64_t tell() const { return pos_; }
    uint64_t remaining() const { return pos_ < size() ? size() - pos_ : 0; }
    // Moves within [0, size]; false (position unchanged) outside it.
    bool seek(uint64_t pos);
    // Skips n bytes; false (position at the end) when fewer remain.
    bool skip(uint64_t n);
    // Reads up to n bytes and moves on by what was read.
    size_t read(void* out, size_t n);
    // Exactly n bytes at offset, or false.
    bool readExact(uint64_t offset, void* out, size_t n) { return readAt(offset, out, n) == n; }

private:
    uint64_t pos_ = 0;
};

// Bytes in memory: a view of bytes the caller keeps alive, or bytes the stream owns.
class MemoryStream final : public ByteStream {
public:
    MemoryStream(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(data ? size : 0) {}
    explicit MemoryStream(std::vector<uint8_t> bytes)
        : owned_(std::move(bytes)), data_(owned_.data()), size_(owned_.size()) {}
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t offset, void* out, size_t n) override;

private:
    std::vector<uint8_t> owned_;
    const uint8_t* data_;
    size_t size_;
};

// A regular host file.
class FileStream final : public ByteStream {
public:
    explicit FileStream(HostFile file) : file_(std::move(file)) {}
    // nullptr when the host path is not a readable regular file.
    static std::unique_ptr<FileStream> open(const std::string& hostPath);
    uint64_t size() const override { return file_.size(); }
    size_t readAt(uint64_t offset, void* out, size_t n) override { return file_.readAt(offset, out, n); }

private:
    HostFile file_;
};

// The window [offset, offset + size) of another stream, which it owns. A window reaching
// past the end of its parent is cut at the parent's end.
class SubStream final : public ByteStream {
public:
    SubStream(std::unique_ptr<ByteStream> parent, uint64_t offset, uint64_t size);
    uint64_t size() const override { return size_; }
    size_t readAt(uint64_t offset, void* out, size_t n) override;

private:
    std::unique_ptr<ByteStream> parent_;
    uint64_t offset_;
    uint64_t size_;
};

// The window [offset, offset + size) of parent when it lies wholly inside it; nullptr when
// it does not or there is no parent. For ranges a file's own directory states, where a
// range reaching past the end means the file is not what it claims.
std::unique_ptr<ByteStream> openWindow(std::unique_ptr<ByteStream> parent, uint64_t offset, uint64_t size);

} // namespace zre
