#pragma once
// One running copy per game. The lock is an advisory lock on a file in the user's runtime
// folder (or the temporary folder), named after a hash of the game folder's real path, so
// copies of different games never get in each other's way. It is held until the process
// ends; the system drops it however the process ends.
#include <string_view>

namespace zre {

// True when this process now holds the lock for the game folder (or could not create the
// lock file at all: then nothing can tell a second copy, and the game should still start).
// False when another holder (another process, or an earlier call here) has it.
bool acquireInstanceLock(std::string_view gameDir);

} // namespace zre
