#pragma once
// Ending the process. Tests replace the action so that paths which end the game (a script
// that cannot be loaded, the confirmed quit) can be observed instead of killing the runner.
#include <functional>

namespace zre {

// Flushes standard streams and ends the process with code, unless a test handler is set:
// then the handler runs (it is expected to throw or longjmp out; if it returns, the
// process ends anyway).
[[noreturn]] void exitProcess(int code);

using ExitHandler = std::function<void(int code)>;
ExitHandler setExitHandler(ExitHandler handler);

} // namespace zre
