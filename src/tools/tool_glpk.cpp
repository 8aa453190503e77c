// Placeholder until the command lands.
#include "tools/tool_commands.h"

namespace zre::tool {

int glpkCommand(const Args&) { return fail(1, "the glpk command is not built yet"); }

} // namespace zre::tool
