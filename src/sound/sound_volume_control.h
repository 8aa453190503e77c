#pragma once
// The part of the sound manager a volume fade drives: the two class volumes (linear,
// 0 to 10000) and stopping a channel by key (0 music, 3 + n effect channel n).
#include <cstdint>

namespace zre {

class VolumeControl {
public:
    virtual ~VolumeControl() = default;
    virtual int32_t getBgmVolume() = 0;
    virtual void setBgmVolume(int32_t volume) = 0;
    virtual int32_t getEffectVolume() = 0;
    virtual void setEffectVolume(int32_t volume) = 0;
    // 1 when a channel with that key exists (it is stopped), else 0.
    virtual int stop(int32_t key) = 0;
};

} // namespace zre
