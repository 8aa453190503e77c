#pragma once
// The engine's sound channels over sslib2: one device and a list of channels, each a
// stream buffer under an integer key with the length of its sound. Playing on a key
// replaces what the key played. Runs on the engine thread; the buffers' workers never
// call back into it.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "sound/sound_buffer.h"
#include "sound/sound_channels.h"

namespace zre {

class SoundManager final : public SoundChannels {
public:
    SoundManager() = default;
    ~SoundManager() override;
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Opens the sound device. Without one, says so on the debugger output (stderr) and
    // returns 0; every later open then fails and the game runs silent.
    int init();

    // Creates the channel for key (stream nonzero: a stream buffer, else a whole-sound
    // buffer); 1 or 0. Whatever the key played is gone even when the new sound fails.
    int open(int32_t key, std::string_view path, int32_t stream);
    int play(int32_t key, std::string_view path, int32_t stream, int32_t loop) override;
    int stop(int32_t key) override;
    int remove(int32_t key) override;
    int stopAll() override;
    void collectFinished() override;
    bool isPlaying(int32_t key) override;
    bool setVolume(int32_t key, int32_t volume);
    int32_t getDuration(int32_t key) override;
    size_t count() const { return channels_.size(); }

    int32_t getBgmVolume() override { return bgmVolume_; }
    int32_t getEffectVolume() override { return effectVolume_; }
    void setBgmVolume(int32_t volume) override;
    void setManVolume(int32_t volume) override;
    void setWomanVolume(int32_t volume) override;
    void setEffectVolume(int32_t volume) override;

private:
    struct Channel {
        std::unique_ptr<sslib2::CSoundBuffer> buffer;
        int32_t key;
        int32_t durationMs;
    };
    // Searched from the last channel; keys are unique, so any order finds the same one.
    Channel* find(int32_t key);
    int32_t classVolume(int32_t key) const;

    sslib2::CDirectSound directSound_;
    std::vector<Channel> channels_;
    int32_t bgmVolume_ = 10000;
    int32_t manVolume_ = 10000;
    int32_t womanVolume_ = 10000;
    int32_t effectVolume_ = 10000;
};

} // namespace zre
