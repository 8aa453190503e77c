// zre-tool lzss encode IN OUT | decode IN OUT LENGTH: the raw LZSS streams of GFB pictures
// and GLPK containers, without any header.
#include <charconv>
#include <cstdint>
#include <string>

#include "data/lzss.h"
#include "platform/file_system.h"
#include "tools/tool_commands.h"

namespace zre::tool {

namespace {

const char kUsage[] = "usage: zre-tool lzss encode IN OUT | decode IN OUT LENGTH";

bool parseLength(const std::string& text, uint64_t& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+') return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

} // namespace

int lzssCommand(const Args& args) {
    if (args.empty()) return fail(2, kUsage);
    const std::string& mode = args[0];
    if (mode == "encode") {
        if (args.size() != 3) return fail(2, kUsage);
        auto in = readHostFile(args[1]);
        if (!in) return fail(1, "cannot read " + args[1]);
        auto packed = lzssEncode(in->data(), in->size());
        if (!packed) {
            return fail(1, args[1] + ": the data does not shrink by at least 9 bytes, so it cannot be stored "
                                     "compressed; nothing written");
        }
        if (!writeHostFileAtomically(args[2], packed->data(), packed->size())) return fail(1, "cannot write " + args[2]);
        return 0;
    }
    if (mode == "decode") {
        if (args.size() != 4) return fail(2, kUsage);
        uint64_t length = 0;
        if (!parseLength(args[3], length) || length == 0) {
            return fail(2, "LENGTH must be a positive number of bytes, not '" + args[3] + "'");
        }
        auto in = readHostFile(args[1]);
        if (!in) return fail(1, "cannot read " + args[1]);
        if (length > uint64_t(in->size()) * kLzssMaxExpansion) {
            return fail(1, args[1] + ": a stream of " + std::to_string(in->size()) + " bytes cannot decode to " +
                               args[3] + " bytes");
        }
        auto out = lzssDecode(in->data(), in->size(), static_cast<size_t>(length));
        if (!out) return fail(1, args[1] + ": the stream ends before " + args[3] + " bytes are decoded");
        if (!writeHostFileAtomically(args[2], out->data(), out->size())) return fail(1, "cannot write " + args[2]);
        return 0;
    }
    return fail(2, kUsage);
}

} // namespace zre::tool
