#include "graphics/task.h"

#include "graphics/screen.h"
#include "platform/clock.h"

namespace zre {

int32_t Task::dueNextKey() {
    if (nextKey == -1) return -1;
    if ((chainWhen == 0 && paused == 0) || (chainWhen == -1 && done == 1)) {
        const int32_t k = nextKey;
        nextKey = -1;
        return k;
    }
    return -1;
}

void Task::start() { paused = 0; }
void Task::pause() { paused = 1; }
void Task::resume() { paused = 0; }
int Task::update() { return 0; }
void Task::onClick() {}
uint32_t Task::dueIn(uint32_t) const { return 0; }

uint32_t Task::now() const { return screen ? screen->host().now() : 0; }
bool Task::controlHeld() const { return screen ? screen->host().controlHeld() : false; }

void TimedTask::start() {
    if (started_) return;
    started_ = true;
    if (controlHeld()) duration = 1;
    startTime = now();
    clearStep();
    paused = 0;
}

bool TimedTask::stepReached(uint32_t t) const { return !stepSet_ || clockReached(t, nextTime); }

uint32_t TimedTask::dueIn(uint32_t t) const {
    if (paused || done) return kWaitsForInput;
    return stepReached(t) ? 0 : nextTime - t;
}

} // namespace zre
