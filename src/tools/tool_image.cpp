// Placeholder until the command lands.
#include "tools/tool_commands.h"

namespace zre::tool {

int imageCommand(const Args&) { return fail(1, "the image command is not built yet"); }

} // namespace zre::tool
