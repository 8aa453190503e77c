#pragma once
// Everything that changes over time is a task owned by a Screen: updated once per frame,
// told about clicks, finished by itself, and able to start the tasks of another key when it
// is due to chain. A blocking task holds the script while it exists.
#include <cstdint>

#include "platform/messages.h"

namespace zre {

// The step of the tasks that move something every frame (moves, alpha fades).
constexpr uint32_t kTaskStepMs = 16;
// What dueIn returns for a task that only input can move on (a click, a key, the pointer).
constexpr uint32_t kWaitsForInput = kWaitForMessage;

class Layer;
class Screen;

class Task {
public:
    Task() = default;
    virtual ~Task() = default;
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

    // The key to start now, or -1. Returns nextKey (and clears it, so a chain fires once)
    // when chainWhen is 0 and the task runs, or chainWhen is -1 and the task is done.
    virtual int32_t dueNextKey();
    // Root tasks simply run from here on; timed tasks stamp their start time.
    virtual void start();
    virtual void pause();
    virtual void resume();
    // 1 in the call in which the task finishes, else 0.
    virtual int update();
    virtual void onClick();
    // Milliseconds from now until the task has something to do at its next update: 0 when
    // it must be updated every frame, kWaitsForInput when only input can change it. The main
    // loop sleeps this long (or until input arrives) while the script is held.
    virtual uint32_t dueIn(uint32_t now) const;

    // The screen's clock and Control key, through its host. A task not yet given to a
    // screen reads time 0 and no Control key.
    uint32_t now() const;
    bool controlHeld() const;

    int32_t key = 0;
    Layer* target = nullptr;
    int32_t paused = 1;       // 1 until started
    int32_t done = 0;         // removed at the next updateTasks
    int32_t blocking = 0;
    int32_t skippable = 0;
    int32_t nextKey = -1;     // key to start when chaining; -1 none
    int32_t chainWhen = 0;    // 0: chain once running; -1: chain once done
    Screen* screen = nullptr; // set by Screen::addTask
};

class TimedTask : public Task {
public:
    // Once only: with Control held the duration becomes 1; stamps startTime, clears
    // nextTime and runs.
    void start() override;

    bool started() const { return started_; }
    uint32_t dueIn(uint32_t now) const override;
    // duration as a divisor: a zero or negative duration counts as 1 ms, so the task lands
    // on its end at its first update instead of dividing by zero.
    int32_t safeDuration() const { return duration > 0 ? duration : 1; }

    // The step clock. nextTime is the time of the next step; until it is scheduled (at the
    // start and until the first update sets it) every update is due.
    bool stepReached(uint32_t t) const;
    bool stepScheduled() const { return stepSet_; }
    void scheduleStep(uint32_t at) {
        nextTime = at;
        stepSet_ = true;
    }
    void clearStep() {
        nextTime = 0;
        stepSet_ = false;
    }
    // The timed waits (animation frames, waits, the automatic advance) start their step at
    // the first update: it ends duration after it.
    void armStep(uint32_t t) {
        if (!stepSet_) scheduleStep(t + uint32_t(duration));
    }
    // Their click rule: the step ends one duration earlier. A step not yet armed is armed
    // first, so a click before the first update ends it now instead of wrapping the clock.
    void skipStep() {
        armStep(now());
        nextTime -= uint32_t(duration);
    }

    uint32_t startTime = 0;
    uint32_t nextTime = 0;
    int32_t duration = 0;

private:
    // Whether nextTime holds a step time: the clock may legitimately read 0, so a time of
    // 0 cannot mean "none".
    bool stepSet_ = false;
    // A task starts once. The clock may legitimately read 0 (a virtual clock at its
    // origin), so "started" is not inferred from startTime.
    bool started_ = false;
};

} // namespace zre
