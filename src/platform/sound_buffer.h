#pragma once
// The platform's sound output as the sound library expects it: a device, and buffers that
// are rings of PCM bytes in the sound's own format with a play position, Lock/Unlock of a
// region, looping Play, Stop, a status, a level in hundredths of a decibel and position
// notifications. The mixer (sound_mixer.h) reads every playing ring, converts it to the
// output format, scales it by its level and sums.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "platform/little_endian.h"

struct _SDL_AudioStream;

namespace zre {

// The 16-byte PCM wave format, field for field.
struct PcmFormat {
    uint16_t formatTag = 0;  // 1: integer PCM
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;  // bytes per frame
    uint16_t bitsPerSample = 0;
};

// The 44-byte header of a RIFF WAVE file: the format, then a data chunk of dataBytes.
constexpr size_t kWaveHeaderBytes = 44;
void writeWaveHeader(ByteWriter& out, const PcmFormat& format, uint32_t dataBytes);

constexpr int32_t kSoundLevelMin = -10000;  // silence
constexpr int32_t kSoundLevelMax = 0;       // full level

constexpr uint32_t kSoundStatusPlaying = 0x1;
constexpr uint32_t kSoundStatusLooping = 0x4;

// A set of auto-reset events waited on together, as a worker thread waits for "a
// notification" or "stop". Besides the events it keeps a handshake: a signal sent with
// signalAndAwait() returns once the waiter has reported handled(), which is how the
// headless mixer keeps refills in step with the virtual clock.
class SoundEvents {
public:
    explicit SoundEvents(int count) : set_(static_cast<size_t>(count), false) {}
    // Sets event index and wakes the waiter; several signals before it wakes count once.
    void signal(int index);
    // Waits until one of the events is set, resets it and returns its index (lowest first).
    int waitAny();
    // The waiter has finished the work of the signal it took.
    void handled();
    // signal(index), then waits until the waiter reports handled() (at most timeoutMs,
    // so a waiter that went away cannot hang the caller).
    void signalAndAwait(int index, uint32_t timeoutMs);

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<bool> set_;
    uint64_t signals_ = 0;
    uint64_t handled_ = 0;
};

class SoundBuffer {
public:
    // Only the device makes buffers.
    class Key {
        friend class SoundDevice;
        Key() = default;
    };
    SoundBuffer(Key, const PcmFormat& format, uint32_t bytes, _SDL_AudioStream* converter);
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    uint32_t bytes() const { return static_cast<uint32_t>(ring_.size()); }
    const PcmFormat& format() const { return format_; }

    // Gives write access to bytes of the ring from offset on: region 1 up to the ring's end,
    // region 2 the rest from the ring's start (absent when the request does not wrap).
    // False when offset lies outside the ring or bytes is 0 or exceeds the ring.
    bool lock(uint32_t offset, uint32_t bytes, uint8_t** first, uint32_t* firstBytes, uint8_t** second,
              uint32_t* secondBytes);
    // Ends a lock; the regions must be the ones lock gave.
    bool unlock(uint8_t* first, uint32_t firstBytes, uint8_t* second, uint32_t secondBytes);

    // Starts playing from the current position; looping wraps at the ring's end, otherwise
    // playing stops there.
    bool play(bool looping);
    // Halts at the current position.
    bool stop();
    bool setCurrentPosition(uint32_t offset);
    uint32_t currentPosition();
    uint32_t status();

    // Level in hundredths of a decibel, kSoundLevelMin to kSoundLevelMax; anything else is
    // refused and the level stays.
    bool setVolume(int32_t level);
    bool getVolume(int32_t* level);

    // Offsets (each inside the ring) at which the play position signals events[index];
    // replaces earlier ones. Only while the buffer is stopped.
    bool setNotificationPositions(std::span<const uint32_t> offsets, SoundEvents* events, int index);
    std::vector<uint32_t> notificationPositions();

    // Mixer side: adds frames of the output format (44100 Hz stereo) to sum, converted and
    // scaled by the level. waitRefills: every notification waits until it was handled.
    void mixInto(int32_t* sum, size_t frames, int16_t* scratch, bool waitRefills);

private:
    // What the mixer shares with the callers; held only for short stretches, never while
    // decoding or waiting.
    std::mutex mixLock_;
    PcmFormat format_;
    std::vector<uint8_t> ring_;
    _SDL_AudioStream* converter_;
    uint32_t position_ = 0;
    bool playing_ = false;
    bool looping_ = false;
    int32_t level_ = kSoundLevelMax;
    int32_t gain_ = 1 << 16;  // amplitude 10^(level/2000) in 16.16 fixed point
    std::vector<uint32_t> notifyAt_;
    SoundEvents* events_ = nullptr;
    int eventIndex_ = 0;
};

// The output device. One per process is enough; creating buffers needs one.
class SoundDevice {
public:
    // nullptr when there is no output (no audio device on the machine).
    static std::unique_ptr<SoundDevice> open();
    // nullptr for a format the mixer cannot convert (not integer PCM of 8 or 16 bits, no
    // channels, no rate, a block alignment that does not match) or an empty ring.
    std::unique_ptr<SoundBuffer> createBuffer(const PcmFormat& format, uint32_t bytes);
};

} // namespace zre
