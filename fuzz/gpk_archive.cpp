// GPK2 archives, parsed from memory and from a file, and every member read back through
// the handles the game uses.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/file_access.h"
#include "data/gpk_archive.h"
#include "platform/message_box.h"

namespace {

const std::string& archiveFile() {
    static const std::string path = [] {
        auto p = std::filesystem::temp_directory_path() / ("zre-fuzz-gpk-" + std::to_string(::getpid()) + ".dat");
        std::atexit([] { std::remove(archiveFile().c_str()); });
        zre::setMessageBoxHandler([](std::string_view, std::string_view, zre::MessageBoxButtons,
                                     zre::MessageBoxIcon) { return zre::MessageBoxResult::Ok; });
        return p.string();
    }();
    return path;
}

size_t readFully(zre::FileHandle& h) {
    uint8_t buf[4096];
    size_t total = 0;
    for (size_t n; (n = h.read(buf, sizeof buf)) > 0;) total += n;
    return total;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zre::GpkArchive memory;
    int rc = memory.openImage(data, size);
    for (const zre::GpkEntry& e : memory.entries) {
        if (uint64_t(e.offset) + e.size > size || e.name.size() >= 128) std::abort();
    }

    const std::string& path = archiveFile();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    zre::GpkArchive archive;
    if (archive.open(path) != rc || archive.entryCount() != memory.entryCount()) std::abort();
    for (int i = 0; i < archive.entryCount(); ++i) {
        const zre::GpkEntry& e = archive.entries[i];
        if (e.offset != memory.entries[i].offset || e.size != memory.entries[i].size) std::abort();
        zre::FileHandle h = archive.openEntry(i);
        if (!h.isOpen() || readFully(h) != e.size) std::abort();
        if (archive.entryOffset(i) != e.offset) std::abort();

        // By name through the game's path rule, where the first entry of that name wins.
        if (e.name.find('/') != std::string::npos) continue;
        zre::GpkEntry first;
        if (archive.find(e.name, &first) > i) std::abort();
        zre::FileHandle byPath;
        if (byPath.open(path + "/" + e.name) != 1 || !byPath.isOpen() || byPath.size != first.size) std::abort();
        if (readFully(byPath) != first.size) std::abort();
    }
    if (archive.entryOffset(archive.entryCount() + 1) != -1) std::abort();
    return 0;
}
