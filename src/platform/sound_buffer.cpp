#include "platform/sound_buffer.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "platform/backend.h"
#include "platform/sound_mixer.h"

namespace zre {

// ---------------------------------------------------------------------------------------------

void SoundEvents::signal(int index) {
    std::lock_guard<std::mutex> guard(lock_);
    if (index < 0 || static_cast<size_t>(index) >= set_.size()) return;
    set_[static_cast<size_t>(index)] = true;
    ++signals_;
    changed_.notify_all();
}

int SoundEvents::waitAny() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        for (size_t i = 0; i < set_.size(); ++i) {
            if (set_[i]) {
                set_[i] = false;
                return static_cast<int>(i);
            }
        }
        changed_.wait(guard);
    }
}

void SoundEvents::handled() {
    std::lock_guard<std::mutex> guard(lock_);
    handled_ = signals_;
    changed_.notify_all();
}

void SoundEvents::signalAndAwait(int index, uint32_t timeoutMs) {
    std::unique_lock<std::mutex> guard(lock_);
    if (index < 0 || static_cast<size_t>(index) >= set_.size()) return;
    set_[static_cast<size_t>(index)] = true;
    const uint64_t mine = ++signals_;
    changed_.notify_all();
    changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return handled_ >= mine; });
}

// ---------------------------------------------------------------------------------------------

namespace {

// A handled notification normally comes back within microseconds; this only bounds a
// worker that has gone.
constexpr uint32_t kRefillTimeoutMs = 10000;
// Bytes of the ring handed to the converter at a time (at most).
constexpr uint32_t kFeedBytes = 4096;

int32_t gainOf(int32_t level) {
    return static_cast<int32_t>(std::lround(65536.0 * std::pow(10.0, double(level) / 2000.0)));
}

} // namespace

SoundBuffer::SoundBuffer(Key, const PcmFormat& format, uint32_t bytes, SDL_AudioStream* converter)
    : format_(format), ring_(bytes, format.bitsPerSample == 8 ? 0x80 : 0x00), converter_(converter) {
    detail::addToMix(this);
}

SoundBuffer::~SoundBuffer() {
    // Once out of the mix, the callback cannot be inside this buffer any more.
    detail::removeFromMix(this);
    SDL_FreeAudioStream(converter_);
}

void writeWaveHeader(ByteWriter& out, const PcmFormat& format, uint32_t dataBytes) {
    out.text("RIFF");
    out.u32(36 + dataBytes);
    out.text("WAVEfmt ");
    out.u32(16);
    out.u16(format.formatTag);
    out.u16(format.channels);
    out.u32(format.samplesPerSec);
    out.u32(format.avgBytesPerSec);
    out.u16(format.blockAlign);
    out.u16(format.bitsPerSample);
    out.text("data");
    out.u32(dataBytes);
}

bool SoundBuffer::lock(uint32_t offset, uint32_t bytes, uint8_t** first, uint32_t* firstBytes, uint8_t** second,
                       uint32_t* secondBytes) {
    const uint32_t size = this->bytes();
    if (!first || !firstBytes || offset >= size || bytes == 0 || bytes > size) return false;
    const uint32_t head = std::min(bytes, size - offset);
    *first = ring_.data() + offset;
    *firstBytes = head;
    if (second) *second = head < bytes ? ring_.data() : nullptr;
    if (secondBytes) *secondBytes = bytes - head;
    return true;
}

bool SoundBuffer::unlock(uint8_t* first, uint32_t firstBytes, uint8_t*, uint32_t) {
    return first >= ring_.data() && first + firstBytes <= ring_.data() + ring_.size();
}

bool SoundBuffer::play(bool looping) {
    std::lock_guard<std::mutex> guard(mixLock_);
    playing_ = true;
    looping_ = looping;
    return true;
}

bool SoundBuffer::stop() {
    std::lock_guard<std::mutex> guard(mixLock_);
    playing_ = false;
    return true;
}

bool SoundBuffer::setCurrentPosition(uint32_t offset) {
    std::lock_guard<std::mutex> guard(mixLock_);
    if (offset >= bytes()) return false;
    position_ = offset - offset % format_.blockAlign;
    // What the converter still holds belongs to the old position.
    SDL_AudioStreamClear(converter_);
    return true;
}

uint32_t SoundBuffer::currentPosition() {
    std::lock_guard<std::mutex> guard(mixLock_);
    return position_;
}

uint32_t SoundBuffer::status() {
    std::lock_guard<std::mutex> guard(mixLock_);
    return (playing_ ? kSoundStatusPlaying : 0) | (playing_ && looping_ ? kSoundStatusLooping : 0);
}

bool SoundBuffer::setVolume(int32_t level) {
    if (level < kSoundLevelMin || level > kSoundLevelMax) return false;
    const int32_t gain = level == kSoundLevelMin ? 0 : gainOf(level);
    std::lock_guard<std::mutex> guard(mixLock_);
    level_ = level;
    gain_ = gain;
    return true;
}

bool SoundBuffer::getVolume(int32_t* level) {
    if (!level) return false;
    std::lock_guard<std::mutex> guard(mixLock_);
    *level = level_;
    return true;
}

bool SoundBuffer::setNotificationPositions(std::span<const uint32_t> offsets, SoundEvents* events, int index) {
    std::lock_guard<std::mutex> guard(mixLock_);
    if (playing_ || (!offsets.empty() && !events)) return false;
    for (uint32_t at : offsets) {
        if (at >= bytes()) return false;
    }
    notifyAt_.assign(offsets.begin(), offsets.end());
    std::sort(notifyAt_.begin(), notifyAt_.end());
    events_ = events;
    eventIndex_ = index;
    return true;
}

std::vector<uint32_t> SoundBuffer::notificationPositions() {
    std::lock_guard<std::mutex> guard(mixLock_);
    return notifyAt_;
}

void SoundBuffer::mixInto(int32_t* sum, size_t frames, int16_t* scratch, bool waitRefills) {
    std::unique_lock<std::mutex> guard(mixLock_);
    if (!playing_) return;
    const int want = static_cast<int>(frames * kOutputChannels * sizeof(int16_t));
    const uint32_t size = bytes();
    const uint32_t block = format_.blockAlign;
    while (playing_ && SDL_AudioStreamAvailable(converter_) < want) {
        // Feed up to the ring's end or just past the next notification, whichever is nearer,
        // so that a notification is sent before anything beyond it is read.
        // No more than the output still lacks, so that the play position (and with it
        // every notification) keeps to what is heard.
        const uint64_t missing = static_cast<uint64_t>(want - SDL_AudioStreamAvailable(converter_)) /
                                 (kOutputChannels * sizeof(int16_t));
        const uint64_t frames = std::max<uint64_t>(1, (missing * format_.samplesPerSec + kOutputRate - 1) / kOutputRate);
        uint32_t end = static_cast<uint32_t>(std::min<uint64_t>({size, position_ + uint64_t(kFeedBytes),
                                                                 position_ + frames * block}));
        const uint32_t* next = nullptr;
        for (const uint32_t& at : notifyAt_) {
            if (at >= position_) {
                next = &at;
                break;
            }
        }
        if (next) {
            uint32_t past = *next + 1;
            past += (block - past % block) % block;
            end = std::min(end, std::min(past, size));
        }
        const uint32_t from = position_;
        SDL_AudioStreamPut(converter_, ring_.data() + from, static_cast<int>(end - from));
        position_ = end;
        bool crossed = false;
        for (uint32_t at : notifyAt_) crossed = crossed || (at >= from && at < end);
        if (position_ >= size) {
            position_ = 0;
            if (!looping_) {
                playing_ = false;
                SDL_AudioStreamFlush(converter_);
            }
        }
        if (crossed && events_) {
            if (waitRefills) {
                // The worker's refill may stop this buffer; it must be able to take the lock.
                SoundEvents* events = events_;
                const int index = eventIndex_;
                guard.unlock();
                events->signalAndAwait(index, kRefillTimeoutMs);
                guard.lock();
                if (!playing_) {
                    // Stopped at the notification (the sound's end): the rest is not heard.
                    SDL_AudioStreamClear(converter_);
                    return;
                }
            } else {
                events_->signal(eventIndex_);
            }
        }
    }
    const int got = SDL_AudioStreamGet(converter_, scratch, want);
    const size_t samples = got > 0 ? static_cast<size_t>(got) / sizeof(int16_t) : 0;
    const int64_t gain = gain_;
    if (gain == 1 << 16) {
        for (size_t i = 0; i < samples; ++i) sum[i] += scratch[i];
    } else {
        for (size_t i = 0; i < samples; ++i) sum[i] += static_cast<int32_t>((scratch[i] * gain) >> 16);
    }
}

// ---------------------------------------------------------------------------------------------

std::unique_ptr<SoundDevice> SoundDevice::open() {
    if (!detail::backend().openAudioOutput()) return nullptr;
    return std::make_unique<SoundDevice>();
}

std::unique_ptr<SoundBuffer> SoundDevice::createBuffer(const PcmFormat& f, uint32_t bytes) {
    if (f.formatTag != 1 || f.channels == 0 || f.channels > 8 || f.samplesPerSec == 0 ||
        f.samplesPerSec > 384000 || (f.bitsPerSample != 8 && f.bitsPerSample != 16) ||
        f.blockAlign != f.channels * (f.bitsPerSample / 8) || bytes == 0 || bytes % f.blockAlign != 0) {
        return nullptr;
    }
    SDL_AudioStream* converter =
        SDL_NewAudioStream(f.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB, static_cast<Uint8>(f.channels),
                           static_cast<int>(f.samplesPerSec), AUDIO_S16SYS, kOutputChannels, kOutputRate);
    if (!converter) return nullptr;
    return std::make_unique<SoundBuffer>(SoundBuffer::Key(), f, bytes, converter);
}

} // namespace zre
