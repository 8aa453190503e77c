// zre-tool vars dump FILE: every variable table of system.dat, game.dat or a save slot.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "data/byte_io.h"
#include "data/slot_file.h"
#include "platform/file_system.h"
#include "platform/picture_files.h"
#include "platform/sjis.h"
#include "script/engine.h"
#include "script/variable_dump.h"
#include "script/variable_table.h"
#include "tools/tool_commands.h"

namespace zre::tool {

namespace {

void printTable(const VariableTable& table) {
    std::string lines;
    appendTableLines(lines, table);
    std::fputs(lines.c_str(), stdout);
}

// Reads and prints one table at the reader's position; false (with the error printed)
// when the table is cut short.
bool dumpTable(ByteReader& in, const std::string& what) {
    if (in.remaining() < 4) {
        fail(1, what + ": truncated before its entry count");
        return false;
    }
    uint8_t count[4];
    in.peek(count, sizeof count);
    uint32_t declared = loadU32(count);
    VariableTable table;
    table.read(in);
    printTable(table);
    if (table.size() < declared) {
        fail(1, what + ": truncated after " + std::to_string(table.size()) + " of " + std::to_string(declared) +
                    " entries");
        return false;
    }
    return true;
}

bool noTrailingBytes(const ByteReader& in, const std::string& what) {
    if (in.remaining() == 0) return true;
    fail(1, what + ": " + std::to_string(in.remaining()) + " unexpected bytes after the table");
    return false;
}

// "[thumbnail WxH]" when the picture's BMP headers can be read, else its byte count.
std::string thumbnailLine(const uint8_t* p, uint32_t size) {
    if (size >= kBmpHeadersSize && p[0] == 'B' && p[1] == 'M' && loadU32(p + 14) >= kBmpInfoHeaderSize) {
        auto width = static_cast<int32_t>(loadU32(p + 18));
        auto height = static_cast<int32_t>(loadU32(p + 22));
        if (width > 0 && height > 0)
            return "[thumbnail " + std::to_string(width) + "x" + std::to_string(height) + "]";
    }
    return "[thumbnail " + std::to_string(size) + " bytes]";
}

int dumpSlot(ByteReader& in) {
    in.skip(8);
    if (in.remaining() < 4) return fail(1, "save slot: truncated before the thumbnail size");
    uint32_t thumbSize = in.u32();
    if (thumbSize > in.remaining()) return fail(1, "save slot: thumbnail of " + std::to_string(thumbSize) +
                                                       " bytes is cut short");
    std::vector<uint8_t> thumbnail(thumbSize);
    in.bytes(thumbnail.data(), thumbSize);
    std::printf("%s\n", thumbnailLine(thumbnail.data(), thumbSize).c_str());
    while (in.remaining() > 0) {
        const uint64_t at = in.position();
        SlotBlockTag tag;
        if (!readSlotBlockTag(in, tag)) return fail(1, "save slot: truncated block tag");
        if (!tag.tagged) return fail(1, "save slot: malformed block tag at offset " + std::to_string(at));
        const int scope = tag.scope;
        if (scope < 0 || scope >= kScopeCount)
            return fail(1, "save slot: block for scope " + std::to_string(scope) + ", which does not exist");
        std::printf("[scope %d]\n", scope);
        if (!dumpTable(in, "scope " + std::to_string(scope))) return 1;
    }
    return 0;
}

int dumpFile(const std::string& path) {
    std::optional<std::vector<uint8_t>> file = readHostFile(path);
    if (!file) return fail(1, "cannot read " + path);
    const std::vector<uint8_t>& bytes = *file;
    ByteReader in(bytes.data(), bytes.size());

    if (hasSystemDataTag(bytes.data(), bytes.size())) {
        in.skip(8);
        std::printf("[system]\n");
        return dumpTable(in, "system data") && noTrailingBytes(in, "system data") ? 0 : 1;
    }
    if (bytes.size() >= kSlotTag.size() && std::equal(kSlotTag.begin(), kSlotTag.end(), bytes.begin()))
        return dumpSlot(in);

    std::printf("[scope 0]\n");
    return dumpTable(in, "game data") && noTrailingBytes(in, "game data") ? 0 : 1;
}

} // namespace

int varsCommand(const Args& args) {
    if (args.size() != 2 || args[0] != "dump") return fail(2, "usage: zre-tool vars dump FILE");
    int code = dumpFile(args[1]);
    std::fflush(stdout);
    return code;
}

} // namespace zre::tool
