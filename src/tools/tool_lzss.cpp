// Placeholder until the command lands.
#include "tools/tool_commands.h"

namespace zre::tool {

int lzssCommand(const Args&) { return fail(1, "the lzss command is not built yet"); }

} // namespace zre::tool
