// Placeholder until the command lands.
#include "tools/tool_commands.h"

namespace zre::tool {

int varsCommand(const Args&) { return fail(1, "the vars command is not built yet"); }

} // namespace zre::tool
