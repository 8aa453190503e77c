#pragma once
// Everything that changes over time is a task owned by a Screen: updated once per frame,
// told about clicks, finished by itself, and able to start the tasks of another key when it
// is due to chain. A blocking task holds the script while it exists.
#include <cstdint>

namespace zre {

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
    // duration as a divisor: a zero or negative duration counts as 1 ms, so the task lands
    // on its end at its first update instead of dividing by zero.
    int32_t safeDuration() const { return duration > 0 ? duration : 1; }

    uint32_t startTime = 0;
    uint32_t nextTime = 0;
    int32_t duration = 0;

private:
    // A task starts once. The clock may legitimately read 0 (a virtual clock at its
    // origin), so "started" is not inferred from startTime.
    bool started_ = false;
};

} // namespace zre
