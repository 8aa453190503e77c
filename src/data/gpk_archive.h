#pragma once
// GPK2 package archives: "GPK2", directory offset, members, then at the directory offset a
// signed entry count and 136-byte entries (offset, size, 128-byte NUL-terminated name).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/file_access.h"

namespace zre {

// The longest member name a directory entry holds, in Shift JIS bytes (its field also
// holds the closing NUL).
constexpr size_t kGpkMaxNameBytes = 127;

struct GpkEntry {
    uint32_t offset = 0;
    uint32_t size = 0;
    std::string name;  // Shift JIS, without the NUL
};

class GpkArchive {
public:
    static bool isGpkFile(std::string_view path);

    // Reads the header and the directory. 0 (no members) when the file is not a GPK2
    // archive or cannot be opened. A broken directory keeps only the entries that lie
    // wholly inside the file and carry a NUL within their name field.
    int open(std::string_view path);
    // The same directory rules for an archive image in memory. archivePath stays empty, so
    // members cannot be opened from it.
    int openImage(const uint8_t* data, size_t size);
    void close();

    // First entry whose name equals name ignoring case, or -1.
    int find(std::string_view name, GpkEntry* entry = nullptr) const;
    // Offset of entry index; for index == entryCount the end of the last member; -1 beyond.
    int64_t entryOffset(int index) const;
    // The member's bytes as a stream; nullptr for an index out of range, an archive image in
    // memory, or a member that no longer lies inside the file.
    std::unique_ptr<ByteStream> openMember(int index, GpkEntry* entry = nullptr) const;
    // A handle on the member's bytes, or a closed handle.
    FileHandle openEntry(int index, GpkEntry* entry = nullptr) const;
    FileHandle openEntryByName(std::string_view name, GpkEntry* entry = nullptr) const;

    int entryCount() const { return static_cast<int>(entries.size()); }

    std::string archivePath;
    uint32_t magic = 0;
    uint32_t dirOffset = 0;
    std::vector<GpkEntry> entries;
};

// Builds an archive image: header, members in order, directory at the end. Names longer
// than kGpkMaxNameBytes are refused (empty result).
std::vector<uint8_t> buildGpkArchive(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& members);

} // namespace zre
