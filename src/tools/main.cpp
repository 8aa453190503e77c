// zre-tool: the command-line toolkit for game files.
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/tool_commands.h"

namespace zre::tool {

int fail(int code, const std::string& message) {
    std::fprintf(stderr, "zre-tool: %s\n", message.c_str());
    return code;
}

} // namespace zre::tool

namespace {

const char kUsage[] =
    "usage: zre-tool COMMAND ...\n"
    "  lzss encode IN OUT | decode IN OUT LENGTH\n"
    "  gpk pack ARCHIVE FILE... | list ARCHIVE | extract ARCHIVE MEMBER OUT\n"
    "  glpk pack IN OUT [--invert] | unpack IN OUT\n"
    "  image convert IN OUT [--compress] [--scramble]   (.png .bmp .gef .gfb by extension)\n"
    "  vars dump FILE   (system.dat, game.dat or a save slot)\n";

} // namespace

int main(int argc, char** argv) {
    using namespace zre::tool;
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    std::string command = argv[1];
    Args args(argv + 2, argv + argc);
    if (command == "lzss") return lzssCommand(args);
    if (command == "gpk") return gpkCommand(args);
    if (command == "glpk") return glpkCommand(args);
    if (command == "image") return imageCommand(args);
    if (command == "vars") return varsCommand(args);
    std::fputs(kUsage, stderr);
    return fail(2, "unknown command '" + command + "'");
}
