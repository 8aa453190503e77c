#include "graphics/transitions.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/screen.h"

namespace zre {

namespace {

// The ordered-dither order of the dissolve: the pixel of each 4 x 4 cell copied at step k.
constexpr int32_t kBrushRow[16] = {0, 2, 2, 0, 1, 3, 3, 1, 0, 2, 2, 0, 1, 3, 3, 1};
constexpr int32_t kBrushColumn[16] = {0, 2, 0, 2, 1, 3, 1, 3, 1, 3, 1, 3, 0, 2, 0, 2};

constexpr int32_t kVLines = 24;       // columns per step, 25 pixels apart
constexpr int32_t kVLineEnd = 1376;
constexpr int32_t kHLines = 18;       // rows per step, 19 pixels apart
constexpr int32_t kHLineEnd = 924;
constexpr int32_t kStripeSpacing = 24;
constexpr int32_t kStripeLastStep = 24;

int32_t commonWidth(const Bitmap& a, const Bitmap& b) { return std::min(a.width(), b.width()); }
int32_t commonHeight(const Bitmap& a, const Bitmap& b) { return std::min(a.height(), b.height()); }

// Copies pixels [x0, x1) of row y, clipped to both bitmaps.
void copyRowSpan(Bitmap& target, const Bitmap& source, int32_t y, int32_t x0, int32_t x1) {
    if (target.empty() || source.empty() || y < 0 || y >= commonHeight(target, source)) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, commonWidth(target, source));
    if (x0 >= x1) return;
    std::memcpy(target.pixel(x0, y), source.pixel(x0, y), size_t(x1 - x0) * 3);
}

// Copies column x over rows [y0, y1), clipped to both bitmaps.
void copyColumnSpan(Bitmap& target, const Bitmap& source, int32_t x, int32_t y0, int32_t y1) {
    if (target.empty() || source.empty() || x < 0 || x >= commonWidth(target, source)) return;
    y0 = std::max(y0, 0);
    y1 = std::min(y1, commonHeight(target, source));
    for (int32_t y = y0; y < y1; ++y) std::memcpy(target.pixel(x, y), source.pixel(x, y), 3);
}

// The front buffer, the composite and the front's rectangle a wipe step works on; false
// when the screen has lost either layer.
struct WipeSurfaces {
    Bitmap* front = nullptr;
    const Bitmap* composite = nullptr;
    Rect area;
};

bool wipeSurfaces(const Task& task, WipeSurfaces& out) {
    if (!task.screen || !task.target || !task.target->image) return false;
    Layer* frontLayer = task.screen->front();
    if (!frontLayer || !frontLayer->image) return false;
    out.front = frontLayer->image.get();
    out.composite = task.target->image.get();
    out.area = frontLayer->srcRect;
    return true;
}

// Common schedule of the wipes: a step is due once more than stepNumber intervals have
// passed since the start. The step clock is told the same time, so the main loop knows how
// long it may sleep until the step.
bool stepDue(TimedTask& task, int32_t stepNumber, int32_t interval) {
    const int64_t after = int64_t(stepNumber) * int64_t(interval);
    task.scheduleStep(task.startTime + uint32_t(std::clamp<int64_t>(after + 1, 0, INT32_MAX)));
    const uint32_t elapsed = task.now() - task.startTime;
    return int64_t(elapsed) > after;
}

void afterStep(Task& task) {
    if (task.screen) task.screen->host().invalidate(kScreenArea);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Steps.

void brushStep(Bitmap& target, const Bitmap& source, int32_t left, int32_t top, int32_t right,
               int32_t bottom, int32_t step) {
    if (step < 0 || step > 15 || target.empty() || source.empty()) return;
    const int32_t column = kBrushColumn[step];
    const int32_t x0 = std::max(left, 0);
    const int32_t x1 = std::min(left + right, commonWidth(target, source));
    const int32_t firstX = x0 + ((column - x0 % 4) + 4) % 4;
    const int32_t y1 = std::min(top + bottom, commonHeight(target, source));
    for (int32_t y = top - (top % 4) + kBrushRow[step]; y < y1; y += 4) {
        if (y < 0) continue;
        uint8_t* t = target.row(y);
        const uint8_t* s = source.row(y);
        for (int32_t x = firstX; x < x1; x += 4) std::memcpy(t + size_t(x) * 3, s + size_t(x) * 3, 3);
    }
}

void vLineStep(Bitmap& target, const Bitmap& source, int32_t left, int32_t top, int32_t right,
               int32_t bottom, int32_t lines, int32_t offset) {
    for (int32_t j = 0; j < lines; ++j) {
        const int32_t x = offset - (lines + 1) * j;
        if (x >= left && x < left + right) copyColumnSpan(target, source, x, top, top + bottom);
    }
}

void hLineStep(Bitmap& target, const Bitmap& source, int32_t left, int32_t top, int32_t right,
               int32_t bottom, int32_t lines, int32_t offset) {
    for (int32_t j = 0; j < lines; ++j) {
        const int32_t y = offset - (lines + 1) * j;
        if (y >= top && y < top + bottom) copyRowSpan(target, source, y, left, left + right);
    }
}

void vStripeStep(Bitmap& target, const Bitmap& source, int32_t /*left*/, int32_t top, int32_t right,
                 int32_t bottom, int32_t spacing, int32_t step) {
    if (spacing <= 0) return;
    for (int32_t x = step; x < right; x += spacing) copyColumnSpan(target, source, x, top, top + bottom);
}

void hStripeStep(Bitmap& target, const Bitmap& source, int32_t left, int32_t /*top*/, int32_t right,
                 int32_t bottom, int32_t spacing, int32_t step) {
    if (spacing <= 0) return;
    for (int32_t y = step; y < bottom; y += spacing) copyRowSpan(target, source, y, left, left + right);
}

// ---------------------------------------------------------------------------------------------
// Tasks.

void AlphaFadeTask::setup(int32_t durationMs, int32_t startValueIn, int32_t endValueIn) {
    duration = durationMs;
    startValue = startValueIn == 0 ? 1 : startValueIn;
    endValue = endValueIn;
}

int AlphaFadeTask::update() {
    if (done || paused) return 0;
    const uint32_t t = now();
    if (!stepReached(t)) return 0;
    const double elapsed = double(uint32_t(t - startTime));
    const int64_t g = int64_t(std::trunc(elapsed / double(safeDuration()) * double(endValue - startValue)));
    if (g >= endValue) {
        if (target) target->alpha = endValue;
        done = 1;
        return 1;
    }
    if (target) target->alpha = g == 0 ? startValue : int32_t(g);
    scheduleStep(t + kTaskStepMs);
    return 0;
}

void AlphaFadeTask::onClick() {
    if (skippable && !done) startTime -= uint32_t(duration);
}

void BrushTask::setup(int32_t durationMs) { duration = durationMs; }

int BrushTask::update() {
    if (done || paused) return 0;
    if (!stepDue(*this, step, duration / 16)) return 0;
    if (step > 15) {
        done = 1;
        return 1;
    }
    WipeSurfaces s;
    if (wipeSurfaces(*this, s))
        brushStep(*s.front, *s.composite, s.area.left, s.area.top, s.area.right, s.area.bottom, step);
    afterStep(*this);
    ++step;
    return 0;
}

void LineWipeTask::setup(int32_t durationMs, bool verticalLines) {
    duration = durationMs;
    vertical = verticalLines;
}

int LineWipeTask::update() {
    if (done || paused) return 0;
    const int32_t lines = vertical ? kVLines : kHLines;
    const int32_t interval = duration / (vertical ? 57 : 51);
    if (!stepDue(*this, offset / lines, interval)) return 0;
    if (offset >= (vertical ? kVLineEnd : kHLineEnd)) {
        done = 1;
        return 1;
    }
    WipeSurfaces s;
    if (wipeSurfaces(*this, s)) {
        if (vertical)
            vLineStep(*s.front, *s.composite, s.area.left, s.area.top, s.area.right, s.area.bottom, lines, offset);
        else
            hLineStep(*s.front, *s.composite, s.area.left, s.area.top, s.area.right, s.area.bottom, lines, offset);
    }
    afterStep(*this);
    offset += lines;
    return 0;
}

void StripeTask::setup(int32_t durationMs, bool verticalLines) {
    duration = durationMs;
    vertical = verticalLines;
}

int StripeTask::update() {
    if (done || paused) return 0;
    if (!stepDue(*this, step, duration / 24)) return 0;
    if (step > kStripeLastStep) {
        done = 1;
        return 1;
    }
    WipeSurfaces s;
    if (wipeSurfaces(*this, s)) {
        if (vertical)
            vStripeStep(*s.front, *s.composite, s.area.left, s.area.top, s.area.right, s.area.bottom,
                        kStripeSpacing, step);
        else
            hStripeStep(*s.front, *s.composite, s.area.left, s.area.top, s.area.right, s.area.bottom,
                        kStripeSpacing, step);
    }
    afterStep(*this);
    ++step;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The Screen's side: factories and show.

namespace {

template <class T, class Setup>
int addTransitionTask(Screen& screen, int32_t key, int32_t layerId, Setup&& setup) {
    Layer* layer = screen.getLayer(layerId);
    if (!layer) return -1;
    auto task = std::make_unique<T>();
    task->target = layer;
    setup(*task);
    task->blocking = 1;
    task->skippable = 0;
    task->key = key;
    screen.addTask(std::move(task));
    return 1;
}

} // namespace

int Screen::addAlphaFade(int32_t key, int32_t layerId, int32_t duration, int32_t startValue, int32_t endValue) {
    return addTransitionTask<AlphaFadeTask>(*this, key, layerId,
                                            [&](AlphaFadeTask& t) { t.setup(duration, startValue, endValue); });
}

int Screen::addBrush(int32_t key, int32_t layerId, int32_t duration) {
    return addTransitionTask<BrushTask>(*this, key, layerId, [&](BrushTask& t) { t.setup(duration); });
}

int Screen::addLineWipe(int32_t key, int32_t layerId, int32_t duration, bool vertical) {
    return addTransitionTask<LineWipeTask>(*this, key, layerId,
                                           [&](LineWipeTask& t) { t.setup(duration, vertical); });
}

int Screen::addStripe(int32_t key, int32_t layerId, int32_t duration, bool vertical) {
    return addTransitionTask<StripeTask>(*this, key, layerId, [&](StripeTask& t) { t.setup(duration, vertical); });
}

void Screen::show(int32_t kind, int32_t duration) {
    if (host().controlHeld() || duration == 0) {
        kind = SHOW_NORMAL;
        duration = 1;
    }
    compose();
    switch (kind) {
    case SHOW_NONE:
        presentDirty.setEmpty();
        break;
    case SHOW_ALPHA: {
        if (Layer* frontLayer = front()) {
            std::unique_ptr<Layer> snapshot = frontLayer->cutRegion(presentDirty.left, presentDirty.top,
                                                                    presentDirty.right, presentDirty.bottom);
            if (snapshot) {
                snapshot->destRect = presentDirty;
                insertLayer(kSnapshotLayerId, std::move(snapshot));
            }
        }
        const int32_t key = nextTaskKey();
        addAlphaFade(key, kCompositeLayerId, duration, 0, 256);
        startTasks(key);
        break;
    }
    case SHOW_BRUSH:
    case SHOW_VLINE:
    case SHOW_VLINE2:
    case SHOW_HLINE:
    case SHOW_HLINE2: {
        const int32_t key = nextTaskKey();
        presentDirty.setEmpty();
        if (kind == SHOW_BRUSH)
            addBrush(key, kCompositeLayerId, duration);
        else if (kind == SHOW_VLINE || kind == SHOW_HLINE)
            addLineWipe(key, kCompositeLayerId, duration, kind == SHOW_VLINE);
        else
            addStripe(key, kCompositeLayerId, duration, kind == SHOW_VLINE2);
        startTasks(key);
        break;
    }
    default:
        // SHOW_NORMAL, SHOW_RECT, SHOW_MASK and unknown kinds: the next present shows it.
        break;
    }
}

} // namespace zre
