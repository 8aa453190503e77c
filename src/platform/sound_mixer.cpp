#include "platform/sound_mixer.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/sound_buffer.h"

namespace zre::detail {

namespace {

// Frames mixed at a time; the scratch space is fixed so that mixing never allocates.
constexpr size_t kMixFrames = 1024;

struct Mixer {
    // Held by the mixer for a whole pass and by buffers entering or leaving the mix.
    std::mutex lock;
    std::vector<SoundBuffer*> buffers;
    int32_t sum[kMixFrames * kOutputChannels];
    int16_t scratch[kMixFrames * kOutputChannels];
};

Mixer& mixer() {
    static Mixer m;
    return m;
}

} // namespace

void addToMix(SoundBuffer* buffer) {
    Mixer& m = mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    m.buffers.push_back(buffer);
}

void removeFromMix(SoundBuffer* buffer) {
    Mixer& m = mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    m.buffers.erase(std::remove(m.buffers.begin(), m.buffers.end(), buffer), m.buffers.end());
}

void mixSound(int16_t* stereo, size_t frames, bool waitRefills) {
    Mixer& m = mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    while (frames > 0) {
        const size_t n = std::min(frames, kMixFrames);
        const size_t samples = n * kOutputChannels;
        std::memset(m.sum, 0, samples * sizeof(int32_t));
        // Summed in 32 bits and clipped once, so the order of the buffers does not matter.
        for (SoundBuffer* buffer : m.buffers) buffer->mixInto(m.sum, n, m.scratch, waitRefills);
        for (size_t i = 0; i < samples; ++i) stereo[i] = static_cast<int16_t>(std::clamp(m.sum[i], -32768, 32767));
        stereo += samples;
        frames -= n;
    }
}

} // namespace zre::detail
