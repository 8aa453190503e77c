#pragma once
// The asynchronous state of the Control key (the skip key everywhere), read directly by
// effects rather than through messages.

namespace zre {

// True when Control is down now, or was pressed at any moment since the previous call
// (so a tap between two frames is not lost). Each call clears the "pressed since" latch.
bool controlKeyPressed();

} // namespace zre
