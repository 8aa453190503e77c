// zre-tool glpk pack IN OUT [--invert] | unpack IN OUT: the container of compressed scripts.
#include <string>

#include "data/glpk.h"
#include "platform/file_system.h"
#include "tools/tool_commands.h"

namespace zre::tool {

namespace {

const char kUsage[] = "usage: zre-tool glpk pack IN OUT [--invert] | unpack IN OUT";

} // namespace

int glpkCommand(const Args& args) {
    if (args.empty()) return fail(2, kUsage);
    const std::string& mode = args[0];
    Args files;
    bool invert = false;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--invert" && mode == "pack") {
            invert = true;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return fail(2, "unknown option '" + args[i] + "'\n" + kUsage);
        } else {
            files.push_back(args[i]);
        }
    }
    if ((mode != "pack" && mode != "unpack") || files.size() != 2) return fail(2, kUsage);

    auto in = readHostFile(files[0]);
    if (!in) return fail(1, "cannot read " + files[0]);
    std::vector<uint8_t> out;
    if (mode == "pack") {
        // The reader refuses a decoded length of 0, so an empty file could never load.
        if (in->empty()) return fail(1, files[0] + ": an empty file cannot be stored in a GLPK container");
        if (in->size() > 0xFFFFFFFFu) return fail(1, files[0] + ": too large for a GLPK container");
        out = encodeGlpk(in->data(), in->size(), invert);
    } else if (decodeGlpk(in->data(), in->size(), out) != 0) {
        return fail(1, files[0] + ": not a GLPK container, or its data is damaged");
    }
    if (!writeHostFileAtomically(files[1], out.data(), out.size())) return fail(1, "cannot write " + files[1]);
    return 0;
}

} // namespace zre::tool
