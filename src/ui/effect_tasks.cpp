#include "ui/effect_tasks.h"

#include <algorithm>
#include <cmath>

#include "graphics/layer.h"
#include "graphics/screen.h"
#include "sound/sound_volume_control.h"

namespace zre {

namespace {

// Fraction of the duration that has passed. A duration of 0 (or less) would divide by
// zero: such a task is at its end from its first update on.
double progress(const TimedTask& task) {
    if (task.duration <= 0) return 2.0;
    return double(uint32_t(task.now() - task.startTime)) / double(task.duration);
}

} // namespace

// ---------------------------------------------------------------------------------------------

void MoveTask::setup(int32_t durationMs, int32_t deltaX, int32_t deltaY) {
    duration = durationMs;
    dx = deltaX;
    dy = deltaY;
    if (target) {
        x0 = target->destRect.left;
        y0 = target->destRect.top;
    }
}

int MoveTask::update() {
    if (done || paused || !target) return 0;
    const uint32_t t = now();
    if (!stepReached(t)) return 0;
    const double f = std::min(progress(*this), 2.0);
    int32_t ox = int32_t(std::trunc(double(dx) * f));
    int32_t oy = int32_t(std::trunc(double(dy) * f));
    ox = dx > 0 ? std::min(ox, dx) : std::max(ox, dx);
    oy = dy > 0 ? std::min(oy, dy) : std::max(oy, dy);
    const Rect before = target->destRect;
    target->moveTo(x0 + ox, y0 + oy);
    target->dirtyRect = unionRect(before, target->destRect);
    if (ox == dx && oy == dy) {
        done = 1;
        return 1;
    }
    scheduleStep(t + kTaskStepMs);
    return 0;
}

void MoveTask::onClick() {
    if (skippable && !done) startTime -= uint32_t(duration);
}

// ---------------------------------------------------------------------------------------------

void AnimeTask::setup(int32_t intervalMs, int32_t frames, int32_t loops, int32_t random) {
    duration = intervalMs;
    frameCount = frames;
    loopsLeft = loops;
    randomFactor = random == 0 ? 1 : random;
    frame = 0;
    frameWidth = target ? target->srcRect.width() : 0;
    frameHeight = target ? target->srcRect.height() : 0;
    const int32_t pictureWidth = target && target->image ? target->image->width() : 0;
    // A zero frame width (or a picture narrower than one frame) still lays frames in one
    // column rather than dividing by zero.
    columns = frameWidth > 0 ? pictureWidth / frameWidth : 0;
    if (columns <= 0) columns = 1;
}

int AnimeTask::update() {
    if (done || paused || !target) return 0;
    const uint32_t t = now();
    armStep(t);  // frame 0 shows for one interval
    if (!stepReached(t)) return 0;
    ++frame;
    if (frame > frameCount - 1) {
        if (randomFactor != 1) {
            const int32_t draw = screen ? screen->host().randomBelow(randomFactor) : 1;
            if (draw != 1) {
                scheduleStep(t + uint32_t(duration));
                return 0;
            }
        }
        if (loopsLeft != 0) --loopsLeft;
        if (loopsLeft == 0) {
            done = 1;
            return 1;
        }
        frame = 0;
    }
    target->moveSource((frame % columns) * frameWidth, (frame / columns) * frameHeight);
    target->dirtyRect = target->destRect;
    scheduleStep(t + uint32_t(duration));
    return 0;
}

void AnimeTask::onClick() {
    if (!skippable || done) return;
    frame = frameCount;
    randomFactor = 1;
    loopsLeft = 0;
    skipStep();
}

// ---------------------------------------------------------------------------------------------

void WaitTask::setup(int32_t milliseconds) { duration = milliseconds; }

int WaitTask::update() {
    if (done) return 0;
    const uint32_t t = now();
    armStep(t);
    if (!paused && stepReached(t)) {
        done = 1;
        return 1;
    }
    return 0;
}

void WaitTask::onClick() {
    if (!skippable || done) return;
    skipStep();
}

// ---------------------------------------------------------------------------------------------

void VolumeFadeTask::setup(int32_t durationMs, VolumeControl& control, int32_t startVolumeIn,
                           int32_t targetVolumeIn, int32_t kindIn) {
    duration = durationMs;
    sound = &control;
    startVolume = startVolumeIn;
    targetVolume = targetVolumeIn;
    kind = kindIn;
    configuredVolume = kind == 0 ? control.getBgmVolume() : control.getEffectVolume();
}

int VolumeFadeTask::update() {
    if (done || paused || !sound) return 0;
    const double t = progress(*this);
    auto setVolume = [&](int32_t v) {
        if (kind == 0)
            sound->setBgmVolume(v);
        else
            sound->setEffectVolume(v);
    };
    if (t <= 1.0) {
        setVolume(int32_t(std::trunc(t * double(targetVolume - startVolume) + double(startVolume))));
        return 0;
    }
    if (targetVolume == 0) sound->stop(kind);
    setVolume(configuredVolume);
    done = 1;
    return 1;
}

void VolumeFadeTask::onClick() {
    if (skippable && !done) startTime -= uint32_t(duration);
}

// ---------------------------------------------------------------------------------------------

int addMove(Screen& screen, int32_t key, int32_t layerId, int32_t duration, int32_t dx, int32_t dy,
            int32_t skippable) {
    Layer* layer = screen.getLayer(layerId);
    if (!layer) return -1;
    auto task = std::make_unique<MoveTask>();
    task->target = layer;
    task->setup(duration, dx, dy);
    task->blocking = 1;
    task->skippable = skippable;
    task->key = key;
    screen.addTask(std::move(task));
    return 1;
}

int addAnime(Screen& screen, int32_t key, int32_t layerId, int32_t interval, int32_t frames,
             int32_t loops, int32_t random, int32_t skippable) {
    Layer* layer = screen.getLayer(layerId);
    if (!layer) return -1;
    auto task = std::make_unique<AnimeTask>();
    task->target = layer;
    task->setup(interval, frames, loops, random);
    task->blocking = 0;
    task->skippable = skippable;
    task->key = key;
    screen.addTask(std::move(task));
    return 1;
}

int addWait(Screen& screen, int32_t key, int32_t milliseconds, int32_t skippable) {
    auto task = std::make_unique<WaitTask>();
    task->setup(milliseconds);
    task->blocking = 1;
    task->skippable = skippable;
    task->key = key;
    screen.addTask(std::move(task));
    return 1;
}

int addVolumeFade(Screen& screen, int32_t key, int32_t duration, int32_t kind, int32_t startVolume,
                  int32_t targetVolume, int32_t skippable, VolumeControl& sound) {
    auto task = std::make_unique<VolumeFadeTask>();
    task->setup(duration, sound, startVolume, targetVolume, kind);
    task->blocking = 0;
    task->skippable = skippable;
    task->key = key;
    screen.addTask(std::move(task));
    return 1;
}

} // namespace zre
