#include "platform/clock.h"

#include "platform/backend.h"

namespace zre {

uint32_t nowMs() { return detail::backend().nowMs(); }
uint32_t elapsedMs() { return detail::backend().elapsedMs(); }
void advanceFrame() { detail::backend().advanceFrame(); }
void sleepMs(uint32_t ms) { detail::backend().sleepMs(ms); }

} // namespace zre
