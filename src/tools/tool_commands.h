#pragma once
// The subcommands of zre-tool. Each receives the words after its own name and returns the
// process exit code: 0 on success, 1 on a failure of the work, 2 on wrong usage. Errors go
// to stderr; nothing is printed on success unless the command lists something. A command
// that writes a file writes it completely or not at all.
#include <string>
#include <vector>

namespace zre::tool {

using Args = std::vector<std::string>;

int lzssCommand(const Args& args);   // encode IN OUT | decode IN OUT LENGTH
int gpkCommand(const Args& args);    // pack ARCHIVE FILE... | list ARCHIVE | extract ARCHIVE MEMBER OUT
int glpkCommand(const Args& args);   // pack IN OUT [--invert] | unpack IN OUT
int imageCommand(const Args& args);  // convert IN OUT [--compress] [--scramble]
int varsCommand(const Args& args);   // dump FILE

// Prints "zre-tool: MESSAGE" to stderr and returns code.
int fail(int code, const std::string& message);

} // namespace zre::tool
