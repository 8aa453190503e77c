#include "data/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace zre {

bool ByteStream::seek(uint64_t pos) {
    if (pos > size()) return false;
    pos_ = pos;
    return true;
}

bool ByteStream::skip(uint64_t n) {
    if (n > remaining()) {
        pos_ = std::max(pos_, size());
        return false;
    }
    pos_ += n;
    return true;
}

size_t ByteStream::read(void* out, size_t n) {
    size_t got = readAt(pos_, out, n);
    pos_ += got;
    return got;
}

size_t MemoryStream::readAt(uint64_t offset, void* out, size_t n) {
    if (offset >= size_) return 0;
    size_t k = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
    if (k) std::memcpy(out, data_ + offset, k);
    return k;
}

std::unique_ptr<FileStream> FileStream::open(const std::string& hostPath) {
    HostFile file;
    if (!file.open(hostPath)) return nullptr;
    return std::make_unique<FileStream>(std::move(file));
}

SubStream::SubStream(std::unique_ptr<ByteStream> parent, uint64_t offset, uint64_t size)
    : parent_(std::move(parent)), offset_(offset), size_(0) {
    const uint64_t whole = parent_ ? parent_->size() : 0;
    if (offset_ < whole) size_ = std::min(size, whole - offset_);
}

size_t SubStream::readAt(uint64_t offset, void* out, size_t n) {
    if (!parent_ || offset >= size_) return 0;
    size_t k = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
    return parent_->readAt(offset_ + offset, out, k);
}

std::unique_ptr<ByteStream> openWindow(std::unique_ptr<ByteStream> parent, uint64_t offset, uint64_t size) {
    if (!parent) return nullptr;
    const uint64_t whole = parent->size();
    if (offset > whole || size > whole - offset) return nullptr;
    return std::make_unique<SubStream>(std::move(parent), offset, size);
}

} // namespace zre
