// zre-tool gpk pack ARCHIVE FILE... | list ARCHIVE | extract ARCHIVE MEMBER OUT: GPK2
// package archives. Member names are Shift JIS inside the archive and UTF-8 on the command
// line and in listings.
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "data/gpk_archive.h"
#include "platform/file_system.h"
#include "platform/sjis.h"
#include "tools/tool_commands.h"

namespace zre::tool {

namespace {

const char kUsage[] = "usage: zre-tool gpk pack ARCHIVE FILE... | list ARCHIVE | extract ARCHIVE MEMBER OUT";

std::string baseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opens an archive named by a host path. The archive reader takes Shift JIS game paths;
// a host name that has no Shift JIS spelling is read into memory instead.
struct OpenedArchive {
    GpkArchive archive;
    std::optional<std::vector<uint8_t>> image;  // set when read into memory
};

int openArchive(const std::string& path, OpenedArchive& opened) {
    std::string gamePath = utf8ToSjis(path);
    if (sjisToUtf8(gamePath) == path) {
        if (!GpkArchive::isGpkFile(gamePath) || !opened.archive.open(gamePath)) {
            return fail(1, path + ": cannot be read as a GPK2 archive");
        }
        return 0;
    }
    opened.image = readHostFile(path);
    if (!opened.image || !opened.archive.openImage(opened.image->data(), opened.image->size())) {
        return fail(1, path + ": cannot be read as a GPK2 archive");
    }
    return 0;
}

int pack(const Args& args) {
    if (args.size() < 3) return fail(2, kUsage);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> members;
    for (size_t i = 2; i < args.size(); ++i) {
        auto bytes = readHostFile(args[i]);
        if (!bytes) return fail(1, "cannot read " + args[i]);
        std::string name = utf8ToSjis(baseName(args[i]));
        if (name.empty()) return fail(1, args[i] + ": no file name to store");
        if (name.size() > kGpkMaxNameBytes) {
            return fail(1, args[i] + ": the member name is longer than " + std::to_string(kGpkMaxNameBytes) +
                               " Shift JIS bytes");
        }
        if (sjisToUtf8(name) != baseName(args[i])) {
            return fail(1, args[i] + ": the file name has characters without a Shift JIS form");
        }
        for (const auto& m : members) {
            // Lookups ignore case and take the first match, so a second one could never be read.
            if (equalsIgnoringCase(m.first, name)) {
                return fail(1, args[i] + ": a member named '" + sjisToUtf8(m.first) + "' is already packed");
            }
        }
        members.emplace_back(std::move(name), std::move(*bytes));
    }
    std::vector<uint8_t> image = buildGpkArchive(members);
    if (image.empty()) return fail(1, "the members do not fit in a GPK2 archive (4 GiB at most)");
    if (!writeHostFileAtomically(args[1], image.data(), image.size())) return fail(1, "cannot write " + args[1]);
    return 0;
}

int list(const Args& args) {
    if (args.size() != 2) return fail(2, kUsage);
    OpenedArchive opened;
    if (int rc = openArchive(args[1], opened)) return rc;
    for (const GpkEntry& e : opened.archive.entries) {
        std::printf("%s %u %u\n", sjisToUtf8(e.name).c_str(), e.size, e.offset);
    }
    return std::fflush(stdout) == 0 ? 0 : fail(1, "cannot write the listing");
}

int extract(const Args& args) {
    if (args.size() != 4) return fail(2, kUsage);
    OpenedArchive opened;
    if (int rc = openArchive(args[1], opened)) return rc;
    GpkEntry entry;
    int index = opened.archive.find(utf8ToSjis(args[2]), &entry);
    if (index < 0) return fail(1, args[1] + ": no member named '" + args[2] + "'");
    std::vector<uint8_t> bytes;
    if (opened.image) {
        bytes.assign(opened.image->begin() + entry.offset, opened.image->begin() + entry.offset + entry.size);
    } else {
        FileHandle member = opened.archive.openEntry(index);
        bytes.resize(entry.size);
        if (!member.isOpen() || member.read(bytes.data(), bytes.size()) != bytes.size()) {
            return fail(1, args[1] + ": cannot read member '" + args[2] + "'");
        }
    }
    if (!writeHostFileAtomically(args[3], bytes.data(), bytes.size())) return fail(1, "cannot write " + args[3]);
    return 0;
}

} // namespace

int gpkCommand(const Args& args) {
    if (args.empty()) return fail(2, kUsage);
    if (args[0] == "pack") return pack(args);
    if (args[0] == "list") return list(args);
    if (args[0] == "extract") return extract(args);
    return fail(2, kUsage);
}

} // namespace zre::tool
