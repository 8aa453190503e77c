#include "data/file_access.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "data/byte_stream.h"
#include "data/gpk_archive.h"
#include "platform/file_system.h"
#include "platform/sjis.h"

namespace zre {

namespace {

constexpr uint32_t kNotFound = 0xFFFFFFFFu;

// Position just after the last separator ("/" or "\") of path, skipping the trail bytes
// of double-byte characters, which may look like "\".
size_t lastComponentStart(std::string_view path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size();) {
        if (isLeadByteAt(path, i)) {
            i += 2;
            continue;
        }
        if (path[i] == '/' || path[i] == '\\') start = i + 1;
        ++i;
    }
    return start;
}

bool hasWildcard(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        if (isLeadByteAt(s, i)) {
            i += 2;
            continue;
        }
        if (s[i] == '*' || s[i] == '?') return true;
        ++i;
    }
    return false;
}

uint32_t attributesOf(HostKind kind) {
    switch (kind) {
    case HostKind::Directory: return kAttributeDirectory;
    case HostKind::File: return kAttributeNormal;
    case HostKind::Missing: break;
    }
    return kNotFound;
}

// What a directory search for path finds first: the attributes of the named entry, or of
// the first entry (in sorted order) that the wildcard pattern of the last component matches.
uint32_t findFirst(std::string_view path) {
    if (path.empty()) return kNotFound;
    size_t start = lastComponentStart(path);
    std::string_view pattern = path.substr(start);
    if (!hasWildcard(pattern)) return attributesOf(hostKind(path));
    if (pattern.empty()) return kNotFound;

    std::string_view folder = path.substr(0, start);
    std::string listed = folder.empty() ? std::string(".") : std::string(folder);
    if (hostKind(listed) != HostKind::Directory) return kNotFound;
    // Every folder but the root lists "." and ".." as well, and patterns may match them.
    bool root = hostPath(listed) == "/";
    if (!root) {
        if (matchesWildcard(pattern, ".") || matchesWildcard(pattern, "..")) return kAttributeDirectory;
    }
    for (const HostEntry& entry : listDirectory(listed)) {
        if (matchesWildcard(pattern, entry.name)) return entry.directory ? kAttributeDirectory : kAttributeNormal;
    }
    return kNotFound;
}

// Opens a regular host file for reading; its size through size.
std::FILE* openHostFile(const std::string& host, uint64_t& size) {
    std::FILE* f = std::fopen(host.c_str(), "rbe");
    if (!f) return nullptr;
    struct stat st;
    if (::fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return nullptr;
    }
    size = static_cast<uint64_t>(st.st_size);
    return f;
}

} // namespace

bool fileExists(std::string_view path) { return findFirst(path) != kNotFound; }

uint32_t fileAttributes(std::string_view path) { return findFirst(path); }

bool isDirectory(std::string_view path) {
    uint32_t attributes = fileAttributes(path);
    return attributes != kNotFound && (attributes & kAttributeDirectory) != 0;
}

void splitPath(std::string_view path, std::string& folder, std::string& name) {
    // "/" never occurs inside a double-byte character, "\" may (as its trail byte).
    size_t pos = path.rfind('/');
    if (pos == std::string_view::npos) {
        for (size_t i = 0; i < path.size();) {
            if (isLeadByteAt(path, i)) {
                i += 2;
                continue;
            }
            if (path[i] == '\\') pos = i;
            ++i;
        }
    }
    if (pos == std::string_view::npos) return;
    folder.assign(path.substr(0, pos));
    name.assign(path.substr(pos + 1));
}

std::string_view pathExtension(std::string_view path) {
    size_t dot = std::string_view::npos;
    for (size_t i = 0; i < path.size();) {
        if (isLeadByteAt(path, i)) {
            i += 2;
            continue;
        }
        if (path[i] == '/' || path[i] == '\\') dot = std::string_view::npos;
        else if (path[i] == '.') dot = i;
        ++i;
    }
    return dot == std::string_view::npos ? std::string_view() : path.substr(dot);
}

bool hasExtension(std::string_view path, std::string_view ext) {
    std::string lower(ext);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    }
    return pathExtension(path).find(lower) != std::string_view::npos;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        file_ = std::exchange(other.file_, nullptr);
        base_ = std::exchange(other.base_, 0);
        pos_ = std::exchange(other.pos_, 0);
        size = std::exchange(other.size, 0);
    }
    return *this;
}

std::unique_ptr<ByteStream> openGameStream(std::string_view path) {
    std::string folder;
    std::string name;
    splitPath(path, folder, name);
    if (folder.empty() || isDirectory(folder)) return FileStream::open(hostPath(path));
    GpkArchive archive;
    GpkEntry entry;
    if (!archive.open(folder) || archive.find(name, &entry) < 0) return nullptr;
    std::unique_ptr<ByteStream> file = FileStream::open(hostPath(archive.archivePath));
    if (!file) return nullptr;
    return std::make_unique<SubStream>(std::move(file), entry.offset, entry.size);
}

int FileHandle::open(std::string_view path) {
    close();
    std::string folder;
    std::string name;
    splitPath(path, folder, name);
    if (folder.empty() || isDirectory(folder)) {
        uint64_t fileSize = 0;
        std::FILE* f = openHostFile(hostPath(path), fileSize);
        if (!f) return 0;
        file_ = f;
        base_ = 0;
        pos_ = 0;
        // The size field is 32 bits wide; larger files deliver their first 4 GiB.
        size = static_cast<uint32_t>(std::min<uint64_t>(fileSize, 0xFFFFFFFFu));
        return 1;
    }
    GpkArchive archive;
    if (archive.open(folder)) *this = archive.openEntryByName(name);
    archive.close();
    return 1;
}

bool FileHandle::openRange(std::string_view gamePath, uint32_t offset, uint32_t length) {
    close();
    uint64_t fileSize = 0;
    std::FILE* f = openHostFile(hostPath(gamePath), fileSize);
    if (!f) return false;
    if (uint64_t(offset) + length > fileSize || fseeko(f, static_cast<off_t>(offset), SEEK_SET) != 0) {
        std::fclose(f);
        return false;
    }
    file_ = f;
    base_ = offset;
    pos_ = 0;
    size = length;
    return true;
}

void FileHandle::close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    base_ = 0;
    pos_ = 0;
    size = 0;
}

size_t FileHandle::read(void* out, size_t n) {
    if (!file_ || pos_ >= size) return 0;
    n = std::min<size_t>(n, size - pos_);
    size_t got = std::fread(out, 1, n, file_);
    pos_ += static_cast<uint32_t>(got);
    return got;
}

bool FileHandle::seek(uint32_t pos) {
    if (!file_ || pos > size) return false;
    if (fseeko(file_, static_cast<off_t>(base_ + pos), SEEK_SET) != 0) return false;
    pos_ = pos;
    return true;
}

} // namespace zre
