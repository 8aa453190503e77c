#include "data/gpk_archive.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "data/byte_io.h"
#include "platform/file_system.h"
#include "platform/sjis.h"
#include "platform/message_box.h"

namespace zre {

namespace {

constexpr uint32_t kGpkMagic = 0x324B5047;  // "GPK2"
constexpr size_t kEntrySize = 136;
constexpr size_t kNameSize = 128;
constexpr size_t kEntriesPerRead = 256;

// "ファイルカウントが0です", "なんだそりゃ"
constexpr char kZeroCountText[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x83\x4A\x83\x45\x83\x93\x83\x67\x82\xAA\x30\x82\xC5\x82\xB7";
constexpr char kZeroCountCaption[] = "\x82\xC8\x82\xF1\x82\xBE\x82\xBB\x82\xE8\x82\xE1";

// Random access to the archive's bytes: a host file or an image in memory.
class Source {
public:
    virtual ~Source() = default;
    virtual uint64_t size() const = 0;
    // Reads exactly n bytes at offset; false when they are not all there.
    virtual bool readAt(uint64_t offset, void* out, size_t n) = 0;
};

class FileSource : public Source {
public:
    explicit FileSource(std::FILE* f) : file_(f) {
        struct stat st;
        if (::fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode)) size_ = static_cast<uint64_t>(st.st_size);
    }
    ~FileSource() override { std::fclose(file_); }
    uint64_t size() const override { return size_; }
    bool readAt(uint64_t offset, void* out, size_t n) override {
        if (offset > size_ || n > size_ - offset) return false;
        if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
        return std::fread(out, 1, n, file_) == n;
    }

private:
    std::FILE* file_;
    uint64_t size_ = 0;
};

class MemorySource : public Source {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t size() const override { return size_; }
    bool readAt(uint64_t offset, void* out, size_t n) override {
        if (offset > size_ || n > size_ - offset) return false;
        std::memcpy(out, data_ + offset, n);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
};

std::FILE* openRegular(std::string_view path) {
    std::FILE* f = std::fopen(hostPath(path).c_str(), "rbe");
    if (!f) return nullptr;
    struct stat st;
    if (::fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return nullptr;
    }
    return f;
}

} // namespace

bool GpkArchive::isGpkFile(std::string_view path) {
    std::FILE* f = openRegular(path);
    if (!f) return false;
    uint8_t magic[4];
    bool ok = std::fread(magic, 1, 4, f) == 4 && loadU32(magic) == kGpkMagic;
    std::fclose(f);
    return ok;
}

namespace {

// Reads the directory into archive. Only entries that lie wholly inside the file, with a
// NUL in their name field and a member range inside the file, are kept; the count is
// trusted only as far as the file really holds entries.
int readDirectory(GpkArchive& archive, Source& source) {
    uint8_t header[8];
    if (!source.readAt(0, header, 4) || loadU32(header) != kGpkMagic) return 0;
    archive.magic = kGpkMagic;
    if (!source.readAt(4, header + 4, 4)) return 1;
    archive.dirOffset = loadU32(header + 4);

    const uint64_t fileSize = source.size();
    uint8_t countBytes[4];
    if (!source.readAt(archive.dirOffset, countBytes, 4)) return 1;
    const int32_t count = static_cast<int32_t>(loadU32(countBytes));
    if (count == 0) {
        messageBox(kZeroCountText, kZeroCountCaption);
        return 1;
    }
    if (count < 0) return 1;

    const uint64_t first = uint64_t(archive.dirOffset) + 4;
    const uint64_t available = (fileSize - first) / kEntrySize;
    const uint64_t present = std::min<uint64_t>(uint64_t(count), available);

    uint8_t block[kEntriesPerRead * kEntrySize];
    for (uint64_t done = 0; done < present;) {
        size_t batch = static_cast<size_t>(std::min<uint64_t>(present - done, kEntriesPerRead));
        if (!source.readAt(first + done * kEntrySize, block, batch * kEntrySize)) break;
        for (size_t k = 0; k < batch; ++k) {
            const uint8_t* e = block + k * kEntrySize;
            uint32_t offset = loadU32(e);
            uint32_t size = loadU32(e + 4);
            const char* name = reinterpret_cast<const char*>(e + 8);
            const void* nul = std::memchr(name, 0, kNameSize);
            if (!nul || uint64_t(offset) + size > fileSize) continue;
            archive.entries.push_back(GpkEntry{offset, size, std::string(name, static_cast<const char*>(nul))});
        }
        done += batch;
    }
    return 1;
}

} // namespace

int GpkArchive::open(std::string_view path) {
    close();
    std::FILE* f = openRegular(path);
    if (!f) return 0;
    archivePath.assign(path);
    FileSource source(f);
    if (readDirectory(*this, source)) return 1;
    close();
    return 0;
}

int GpkArchive::openImage(const uint8_t* data, size_t size) {
    close();
    MemorySource source(data, data ? size : 0);
    if (readDirectory(*this, source)) return 1;
    close();
    return 0;
}

void GpkArchive::close() {
    archivePath.clear();
    magic = 0;
    dirOffset = 0;
    entries.clear();
    entries.shrink_to_fit();
}

int GpkArchive::find(std::string_view name, GpkEntry* entry) const {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (equalsIgnoringCase(entries[i].name, name)) {
            if (entry) *entry = entries[i];
            return static_cast<int>(i);
        }
    }
    return -1;
}

int64_t GpkArchive::entryOffset(int index) const {
    if (index < 0 || index > entryCount()) return -1;
    if (index < entryCount()) return entries[static_cast<size_t>(index)].offset;
    // Past the last member; for an archive without members, where members would begin.
    if (entries.empty()) return 8;
    return int64_t(entries.back().offset) + entries.back().size;
}

FileHandle GpkArchive::openEntry(int index, GpkEntry* entry) const {
    FileHandle handle;
    if (index < 0 || index >= entryCount()) return handle;
    const GpkEntry& e = entries[static_cast<size_t>(index)];
    if (entry) *entry = e;
    if (!archivePath.empty()) handle.openRange(archivePath, e.offset, e.size);
    return handle;
}

FileHandle GpkArchive::openEntryByName(std::string_view name, GpkEntry* entry) const {
    GpkEntry found;
    int index = find(name, &found);
    if (index < 0) return FileHandle();
    if (entry) *entry = found;
    return openEntry(index);
}

std::vector<uint8_t> buildGpkArchive(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& members) {
    uint64_t total = 8;
    for (const auto& [name, bytes] : members) {
        if (name.size() >= kNameSize || name.find('\0') != std::string::npos) return {};
        total += bytes.size();
    }
    total += 4 + kEntrySize * members.size();
    if (total > 0xFFFFFFFFu || members.size() > 0x7FFFFFFFu) return {};

    ByteWriter out;
    out.text("GPK2");
    out.u32(0);  // directory offset, set below
    std::vector<uint32_t> offsets;
    offsets.reserve(members.size());
    for (const auto& member : members) {
        offsets.push_back(static_cast<uint32_t>(out.size()));
        out.bytes(member.second.data(), member.second.size());
    }
    storeU32(out.buffer().data() + 4, static_cast<uint32_t>(out.size()));
    out.i32(static_cast<int32_t>(members.size()));
    for (size_t i = 0; i < members.size(); ++i) {
        out.u32(offsets[i]);
        out.u32(static_cast<uint32_t>(members[i].second.size()));
        out.text(members[i].first);
        out.zeros(kNameSize - members[i].first.size());
    }
    return std::move(out.buffer());
}

} // namespace zre
