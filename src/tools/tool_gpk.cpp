// Placeholder until the command lands.
#include "tools/tool_commands.h"

namespace zre::tool {

int gpkCommand(const Args&) { return fail(1, "the gpk command is not built yet"); }

} // namespace zre::tool
