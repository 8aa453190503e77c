#pragma once
// The output mixer: every playing sound buffer is read, converted to 44100 Hz stereo 16-bit,
// scaled by its level, summed in 32 bits and clipped once. sdl: run by the audio device's
// callback, which never allocates, decodes or waits for a decoder. Headless: run on the
// window thread as the virtual clock moves; there every position notification waits for
// its refill, so the mix does not depend on how the worker threads are scheduled.
#include <cstddef>
#include <cstdint>

namespace zre {

inline constexpr int kOutputRate = 44100;
inline constexpr int kOutputChannels = 2;

class SoundBuffer;

namespace detail {

// Buffers enter the mix when created and leave it when destroyed; after leaving, the
// mixer no longer touches them.
void addToMix(SoundBuffer* buffer);
void removeFromMix(SoundBuffer* buffer);

// Fills frames of interleaved stereo with the mix (silence when nothing plays).
void mixSound(int16_t* stereo, size_t frames, bool waitRefills);

} // namespace detail

} // namespace zre
