#pragma once
// A regular host file opened for reading, read by position. Positioned reads share no file
// offset, so a package member can be streamed on a sound worker while the window thread
// reads another member of the same package through its own HostFile.
#include <cstddef>
#include <cstdint>
#include <string>

namespace zre {

class HostFile {
public:
    HostFile() = default;
    ~HostFile() { close(); }
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;
    HostFile(HostFile&& other) noexcept;
    HostFile& operator=(HostFile&& other) noexcept;

    // Opens a regular file (UTF-8 host path, used as given). False for a folder, a device,
    // a missing or unreadable file.
    bool open(const std::string& hostPath);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    // Size at the time of opening.
    uint64_t size() const { return size_; }
    // Reads up to n bytes at offset; fewer only at the end of the file or on a read error.
    size_t readAt(uint64_t offset, void* out, size_t n) const;

private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

} // namespace zre
