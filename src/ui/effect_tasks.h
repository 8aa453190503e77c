#pragma once
// The effect tasks of the scripts: layer moves, sprite animation, timed waits and volume
// fades, with the factories that build them into a Screen's task list unstarted.
#include <cstdint>

#include "graphics/task.h"

namespace zre {

class Screen;
class VolumeControl;

// Slides the layer by (dx, dy) over duration, stepping at most every 16 ms.
class MoveTask : public TimedTask {
public:
    // Records the layer's current top-left as the starting point.
    void setup(int32_t durationMs, int32_t deltaX, int32_t deltaY);
    int update() override;
    void onClick() override;

    int32_t dx = 0;
    int32_t dy = 0;
    int32_t x0 = 0;
    int32_t y0 = 0;
};

// Steps the layer's source rectangle through frames laid out in rows of the picture.
class AnimeTask : public TimedTask {
public:
    // A random factor of 0 is stored as 1; the frame size is the layer's current srcRect.
    void setup(int32_t intervalMs, int32_t frames, int32_t loops, int32_t random);
    int update() override;
    void onClick() override;

    int32_t frameCount = 0;
    int32_t loopsLeft = 0;
    int32_t randomFactor = 1;
    int32_t frame = 0;
    int32_t frameWidth = 0;
    int32_t frameHeight = 0;
    int32_t columns = 1;
};

class WaitTask : public TimedTask {
public:
    void setup(int32_t milliseconds);
    int update() override;
    void onClick() override;
};

// Fades the BGM class volume (kind 0) or the effect class volume (other kinds); at the end
// stops channel kind when the target is 0 and restores the class volume it had at setup.
class VolumeFadeTask : public TimedTask {
public:
    void setup(int32_t durationMs, VolumeControl& sound, int32_t startVolume, int32_t targetVolume,
               int32_t kind);
    int update() override;
    void onClick() override;

    VolumeControl* sound = nullptr;
    int32_t startVolume = 0;
    int32_t targetVolume = 0;
    int32_t kind = 0;
    int32_t configuredVolume = 0;
};

// Factories: build the task with the key, append it to screen.tasks unstarted (the caller
// starts it with startTasks) and return 1. addMove and addAnime return -1 and create
// nothing when the layer id does not exist.
int addMove(Screen& screen, int32_t key, int32_t layerId, int32_t duration, int32_t dx, int32_t dy,
            int32_t skippable);
int addAnime(Screen& screen, int32_t key, int32_t layerId, int32_t interval, int32_t frames,
             int32_t loops, int32_t random, int32_t skippable);
int addWait(Screen& screen, int32_t key, int32_t milliseconds, int32_t skippable);
int addVolumeFade(Screen& screen, int32_t key, int32_t duration, int32_t kind, int32_t startVolume,
                  int32_t targetVolume, int32_t skippable, VolumeControl& sound);

} // namespace zre
