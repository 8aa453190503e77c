#pragma once
// The output mixer: registered sources are pulled for 44100 Hz stereo 16-bit frames and
// summed with clipping. sdl: pulled on the audio device's thread (sources must lock their
// own state). Headless: pulled on the window thread as the virtual clock moves, so sound
// keeps the virtual time; with --audio-out the mix is written to a WAVE file at shutdown.
#include <cstddef>
#include <cstdint>

namespace zre {

inline constexpr int kAudioRate = 44100;
inline constexpr int kAudioChannels = 2;

class AudioSource {
public:
    virtual ~AudioSource() = default;
    // Writes up to frames interleaved stereo frames into stereo and returns how many it
    // wrote; the rest of the span counts as silence.
    virtual size_t mix(int16_t* stereo, size_t frames) = 0;
};

// Makes sure an output exists (sdl: opens the audio device on first use). False when there
// is no device; sources may still be registered and are then simply not pulled.
bool openAudioOutput();

// A source must not add or remove sources from inside mix().
// The source is not owned. After removeAudioSource returns, the mixer no longer calls it.
void addAudioSource(AudioSource* source);
void removeAudioSource(AudioSource* source);

} // namespace zre
