#include "data/file_access.h"

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

// What path names under the game's naming rule, as a stream; plain tells which rule named it.
std::unique_ptr<ByteStream> openNamed(std::string_view path, bool& plain) {
    std::string folder;
    std::string name;
    splitPath(path, folder, name);
    plain = folder.empty() || isDirectory(folder);
    if (plain) return FileStream::open(hostPath(path));
    GpkArchive archive;
    if (!archive.open(folder)) return nullptr;
    return archive.openMember(archive.find(name));
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

std::unique_ptr<ByteStream> openGameStream(std::string_view path) {
    bool plain = false;
    return openNamed(path, plain);
}

FileHandle::FileHandle(std::unique_ptr<ByteStream> stream) : stream_(std::move(stream)) {
    constexpr uint64_t kMaxSize = 0xFFFFFFFFu;
    if (stream_ && stream_->size() > kMaxSize) {
        const uint64_t at = stream_->tell();
        stream_ = std::make_unique<SubStream>(std::move(stream_), 0, kMaxSize);
        stream_->seek(at);
    }
    size = stream_ ? static_cast<uint32_t>(stream_->size()) : 0;
}

FileHandle::~FileHandle() = default;

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        stream_ = std::move(other.stream_);
        size = std::exchange(other.size, 0);
    }
    return *this;
}

int FileHandle::open(std::string_view path) {
    close();
    bool plain = false;
    *this = FileHandle(openNamed(path, plain));
    return isOpen() || !plain ? 1 : 0;
}

bool FileHandle::openRange(std::string_view gamePath, uint32_t offset, uint32_t length) {
    *this = FileHandle(openWindow(FileStream::open(hostPath(gamePath)), offset, length));
    return isOpen();
}

void FileHandle::close() {
    stream_.reset();
    size = 0;
}

size_t FileHandle::read(void* out, size_t n) { return stream_ ? stream_->read(out, n) : 0; }

uint32_t FileHandle::tell() const { return stream_ ? static_cast<uint32_t>(stream_->tell()) : 0; }

bool FileHandle::seek(uint32_t pos) { return stream_ && stream_->seek(pos); }

} // namespace zre
