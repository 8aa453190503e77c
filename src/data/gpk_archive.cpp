#include "data/gpk_archive.h"

#include <algorithm>
#include <cstring>

#include "data/byte_io.h"
#include "data/byte_stream.h"
#include "platform/file_system.h"
#include "platform/sjis.h"
#include "platform/message_box.h"

namespace zre {

namespace {

constexpr uint32_t kGpkMagic = 0x324B5047;  // "GPK2"
constexpr size_t kEntrySize = 136;
constexpr size_t kNameSize = kGpkMaxNameBytes + 1;
constexpr size_t kEntriesPerRead = 256;

// "ファイルカウントが0です", "なんだそりゃ"
constexpr char kZeroCountText[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8B\x83\x4A\x83\x45\x83\x93\x83\x67\x82\xAA\x30\x82\xC5\x82\xB7";
constexpr char kZeroCountCaption[] = "\x82\xC8\x82\xF1\x82\xBE\x82\xBB\x82\xE8\x82\xE1";

} // namespace

bool GpkArchive::isGpkFile(std::string_view path) {
    std::unique_ptr<FileStream> file = FileStream::open(hostPath(path));
    uint8_t magic[4];
    return file && file->readExact(0, magic, 4) && loadU32(magic) == kGpkMagic;
}

namespace {

// Reads the directory into archive. Only entries that lie wholly inside the file, with a
// NUL in their name field and a member range inside the file, are kept; the count is
// trusted only as far as the file really holds entries.
int readDirectory(GpkArchive& archive, ByteStream& source) {
    uint8_t header[8];
    if (!source.readExact(0, header, 4) || loadU32(header) != kGpkMagic) return 0;
    archive.magic = kGpkMagic;
    if (!source.readExact(4, header + 4, 4)) return 1;
    archive.dirOffset = loadU32(header + 4);

    const uint64_t fileSize = source.size();
    uint8_t countBytes[4];
    if (!source.readExact(archive.dirOffset, countBytes, 4)) return 1;
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
        if (!source.readExact(first + done * kEntrySize, block, batch * kEntrySize)) break;
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
    std::unique_ptr<FileStream> file = FileStream::open(hostPath(path));
    if (!file) return 0;
    archivePath.assign(path);
    if (readDirectory(*this, *file)) return 1;
    close();
    return 0;
}

int GpkArchive::openImage(const uint8_t* data, size_t size) {
    close();
    MemoryStream source(data, size);
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

std::unique_ptr<ByteStream> GpkArchive::openMember(int index, GpkEntry* entry) const {
    if (index < 0 || index >= entryCount()) return nullptr;
    const GpkEntry& e = entries[static_cast<size_t>(index)];
    if (entry) *entry = e;
    if (archivePath.empty()) return nullptr;
    return openWindow(FileStream::open(hostPath(archivePath)), e.offset, e.size);
}

FileHandle GpkArchive::openEntry(int index, GpkEntry* entry) const { return FileHandle(openMember(index, entry)); }

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
