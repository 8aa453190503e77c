#pragma once
// A window host for screens under test: a clock the test sets (or that a pump moves on),
// a Control key it holds, and a record of invalidations, pumps and paints.
#include <cstdint>
#include <deque>
#include <vector>

#include "graphics/screen.h"

namespace zre::test {

class FakeHost : public ScreenHost {
public:
    explicit FakeHost(uint32_t start = 5000) : time(start) {}

    uint32_t now() override { return time; }
    bool controlHeld() override { return control; }
    void invalidate(const Rect& area) override { invalidated.push_back(area); }
    void pump(uint32_t) override {
        ++pumps;
        time += pumpMs;
    }
    void paint(const Bitmap& front, int32_t x, int32_t y, int32_t w, int32_t h) override {
        painted = &front;
        paintArea = Rect{x, y, w, h};
    }
    // Scripted draws first, then 0.
    int32_t randomBelow(int32_t n) override {
        asked.push_back(n);
        if (draws.empty()) return 0;
        int32_t v = draws.front();
        draws.pop_front();
        return v;
    }

    uint32_t time;
    bool control = false;
    uint32_t pumpMs = 0;  // how far each pump moves the clock (a timed wait pumps until it has passed)
    std::vector<Rect> invalidated;
    int pumps = 0;
    const Bitmap* painted = nullptr;
    Rect paintArea;
    std::deque<int32_t> draws;
    std::vector<int32_t> asked;
};

} // namespace zre::test
