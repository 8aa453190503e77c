#pragma once
// The engine's modes: which screen the player sees. A screen carries the mode it asks the
// main loop to switch to; scripts may ask for any number (SetPage), and numbers without a
// mode of their own are simply not acted on.
#include <array>
#include <cstdint>

namespace zre {

enum class EngineMode : int32_t {
    None = 0,           // nothing requested
    Title = 1,
    Game = 2,
    Configuration = 3,
    Save = 4,
    Load = 5,
    Backlog = 6,
    MusicRoom = 9,
};

constexpr EngineMode toEngineMode(int32_t value) { return static_cast<EngineMode>(value); }
constexpr int32_t modeNumber(EngineMode mode) { return static_cast<int32_t>(mode); }

// The modes to return to. A mode request remembers the current mode at the top and, when it
// pushes, keeps it there; the way back pops it. Four entries: a request pushed on a full
// stack overwrites the top entry, so the way back still leads through the three modes
// below it.
class ModeStack {
public:
    static constexpr int32_t kCapacity = 4;

    // Stores current at the top; push keeps it there (the depth grows, up to the capacity).
    void remember(EngineMode current, bool push) {
        entries_[static_cast<size_t>(top())] = current;
        if (push && depth_ < kCapacity) ++depth_;
    }
    // The mode to go back to, removed from the stack; None when the stack is empty.
    EngineMode pop() {
        if (depth_ <= 0) return EngineMode::None;
        --depth_;
        return entries_[static_cast<size_t>(depth_)];
    }
    // The mode the way back leads to, left on the stack; None when the stack is empty.
    EngineMode previous() const { return depth_ <= 0 ? EngineMode::None : entries_[static_cast<size_t>(depth_ - 1)]; }
    void reset() {
        depth_ = 0;
        entries_[0] = EngineMode::None;
    }
    int32_t depth() const { return depth_; }
    EngineMode at(int32_t i) const { return entries_[static_cast<size_t>(i)]; }

private:
    int32_t top() const { return depth_ < kCapacity ? depth_ : kCapacity - 1; }

    std::array<EngineMode, kCapacity> entries_{};
    int32_t depth_ = 0;
};

} // namespace zre
