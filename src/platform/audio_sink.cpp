#include "platform/audio_sink.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/audio_mixer.h"
#include "platform/backend.h"

namespace zre {

namespace {

struct Mixer {
    std::mutex lock;
    std::vector<AudioSource*> sources;
};

Mixer& mixer() {
    static Mixer m;
    return m;
}

} // namespace

bool openAudioOutput() { return detail::backend().openAudioOutput(); }

void addAudioSource(AudioSource* source) {
    if (!source) return;
    Mixer& m = mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    if (std::find(m.sources.begin(), m.sources.end(), source) == m.sources.end()) m.sources.push_back(source);
}

void removeAudioSource(AudioSource* source) {
    Mixer& m = mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    m.sources.erase(std::remove(m.sources.begin(), m.sources.end(), source), m.sources.end());
}

namespace detail {

void mixAudio(int16_t* stereo, size_t frames) {
    const size_t samples = frames * kAudioChannels;
    Mixer& m = mixer();
    std::lock_guard<std::mutex> guard(m.lock);
    if (m.sources.empty()) {
        std::memset(stereo, 0, samples * sizeof(int16_t));
        return;
    }
    // Sum in 32 bits and clip once, so the order of the sources does not matter.
    thread_local std::vector<int32_t> sum;
    thread_local std::vector<int16_t> part;
    sum.assign(samples, 0);
    part.resize(samples);
    for (AudioSource* source : m.sources) {
        std::memset(part.data(), 0, samples * sizeof(int16_t));
        size_t n = std::min(source->mix(part.data(), frames), frames) * kAudioChannels;
        for (size_t i = 0; i < n; ++i) sum[i] += part[i];
    }
    for (size_t i = 0; i < samples; ++i) stereo[i] = static_cast<int16_t>(std::clamp(sum[i], -32768, 32767));
}

} // namespace detail

} // namespace zre
