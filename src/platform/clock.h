#pragma once
// The millisecond clock the engine times everything with: a wrapping unsigned 32-bit
// counter. The sdl backend reads a monotonic clock; the headless backend runs a virtual
// clock that only moves when the main loop finishes a frame, when someone sleeps, or when
// the message pump is asked to wait, so a headless run is the same every time.
#include <cstdint>

namespace zre {

uint32_t nowMs();

// Milliseconds since the platform started (headless: virtual ms since the run began; this
// is the time base of --max-ms, --screenshot and the input script).
uint32_t elapsedMs();

// The main loop calls this once per frame, after the frame was presented and the pump ran.
// Headless: the virtual clock moves to the end of the frame (frame start + frame length,
// or stays where it is if waits inside the frame already went further). sdl: nothing.
void advanceFrame();

// sdl: really sleeps. Headless: advances the virtual clock by ms.
void sleepMs(uint32_t ms);

// True once now has reached deadline, comparing across the 32-bit wrap (the two are
// taken to lie within 2^31 ms of each other).
inline bool clockReached(uint32_t now, uint32_t deadline) {
    return static_cast<int32_t>(now - deadline) >= 0;
}

} // namespace zre
