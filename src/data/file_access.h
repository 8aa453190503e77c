#pragma once
// Paths and file handles with the game's naming rule: a path whose folder part is an
// existing folder (or that has no folder part) names a plain file; any other folder part
// names a GPK2 package and the rest a member inside it.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "data/byte_stream.h"

namespace zre {

constexpr uint32_t kAttributeDirectory = 0x10;  // the directory bit of fileAttributes
constexpr uint32_t kAttributeNormal = 0x80;

// A file or folder exists at path. "*" and "?" in the last component match as wildcards.
bool fileExists(std::string_view path);
// Attribute bits of what path names (kAttributeDirectory for a folder, kAttributeNormal
// for a file), or -1 (all bits set) when nothing is found.
uint32_t fileAttributes(std::string_view path);
bool isDirectory(std::string_view path);

// Splits at the last "/", or, only when there is no "/", at the last "\". When path has
// neither, folder and name are left as the caller set them.
void splitPath(std::string_view path, std::string& folder, std::string& name);

// The extension of the last component as written: from its last "." to the end, empty
// when there is none.
std::string_view pathExtension(std::string_view path);
// ext (converted to lower case) occurs in the path's extension; case-sensitive on the
// path's side.
bool hasExtension(std::string_view path, std::string_view ext);

// What path names, plain file or package member, as a stream of exactly its bytes;
// nullptr when nothing readable is there (no file, no package, no such member).
std::unique_ptr<ByteStream> openGameStream(std::string_view path);

// An open plain file or package member: the game's handle on a byte stream. It delivers
// exactly `size` bytes: reads stop at the member's end and never run into the next member.
class FileHandle {
public:
    FileHandle() = default;
    // A handle on stream's bytes from its current position (closed for nullptr). The size
    // field is 32 bits wide: a longer stream delivers its first 4 GiB - 1 bytes.
    explicit FileHandle(std::unique_ptr<ByteStream> stream);
    ~FileHandle();
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept { *this = std::move(other); }
    FileHandle& operator=(FileHandle&& other) noexcept;

    // 1 when a plain file opened or a package lookup was made (even one that found no
    // member, as the game expects); 0 when a plain file could not be opened.
    // isOpen() tells whether bytes can be read.
    int open(std::string_view path);
    // Opens `size` bytes at `offset` of a host file (a package member); false when the
    // range does not lie inside the file.
    bool openRange(std::string_view gamePath, uint32_t offset, uint32_t size);
    void close();

    bool isOpen() const { return stream_ != nullptr; }
    uint32_t size = 0;

    // Reads up to n bytes from the current position, never past the end; returns the count.
    size_t read(void* out, size_t n);
    // Position relative to the first byte of the file or member.
    uint32_t tell() const;
    // Moves within [0, size]; false (position unchanged) outside it.
    bool seek(uint32_t pos);

    // The handle's bytes as a stream of exactly `size` bytes; reading it moves the handle.
    // Null while closed.
    ByteStream* stream() const { return stream_.get(); }

private:
    std::unique_ptr<ByteStream> stream_;
};

} // namespace zre
