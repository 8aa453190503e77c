#pragma once
// What the engine asks of its sound channels: keyed channels (0 music, 1 male voice, 2 other
// voice, 3 + n effect channel n), each class with a linear volume 0 to 10000. The engine
// holds this interface; the sound manager implements it over the sound library, and
// NullSoundChannels stands in where no sound is wired (tests, fuzzers).
#include <cstdint>
#include <string_view>

#include "sound/sound_volume_control.h"

namespace zre {

// The fixed keys; effect channel n of the scripts is key kEffectKeyBase + n.
constexpr int32_t kMusicKey = 0;
constexpr int32_t kMaleVoiceKey = 1;
constexpr int32_t kOtherVoiceKey = 2;
constexpr int32_t kEffectKeyBase = 3;

class SoundChannels : public VolumeControl {
public:
    // Opens path on key (replacing what the key played) and starts it; 1 or 0.
    // stream: streamed (nonzero) or whole buffer; loop: play endlessly.
    virtual int play(int32_t key, std::string_view path, int32_t stream, int32_t loop) = 0;
    // stop(key) comes from VolumeControl: 1 when the key has a channel (it stays listed).
    // 1 when the key had a channel: stopped, destroyed and forgotten.
    virtual int remove(int32_t key) = 0;
    // Every channel stopped, destroyed and forgotten; 1.
    virtual int stopAll() = 0;
    // Forgets the effect channels above key 3 that have stopped playing.
    virtual void collectFinished() = 0;
    virtual bool isPlaying(int32_t key) = 0;
    // Length of the key's sound in ms; 0 without a channel.
    virtual int32_t getDuration(int32_t key) = 0;

    // Class volumes; a playing channel of the class follows at once.
    virtual void setManVolume(int32_t volume) = 0;
    virtual void setWomanVolume(int32_t volume) = 0;
    void setVolumes(int32_t bgm, int32_t man, int32_t woman, int32_t effect) {
        setBgmVolume(bgm);
        setManVolume(man);
        setWomanVolume(woman);
        setEffectVolume(effect);
    }
};

// No device and no channels: every sound fails to open; the class volumes are kept so that
// fades and settings behave as they would around a silent machine's sound manager.
class NullSoundChannels final : public SoundChannels {
public:
    int play(int32_t, std::string_view, int32_t, int32_t) override { return 0; }
    int stop(int32_t) override { return 0; }
    int remove(int32_t) override { return 0; }
    int stopAll() override { return 1; }
    void collectFinished() override {}
    bool isPlaying(int32_t) override { return false; }
    int32_t getDuration(int32_t) override { return 0; }
    int32_t getBgmVolume() override { return bgm_; }
    void setBgmVolume(int32_t v) override { bgm_ = v; }
    int32_t getEffectVolume() override { return effect_; }
    void setEffectVolume(int32_t v) override { effect_ = v; }
    void setManVolume(int32_t) override {}
    void setWomanVolume(int32_t) override {}

private:
    int32_t bgm_ = 10000;
    int32_t effect_ = 10000;
};

} // namespace zre
