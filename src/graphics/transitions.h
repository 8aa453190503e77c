#pragma once
// How a change of the composite reaches the front buffer: an alpha fade over a snapshot of
// the old picture, or one of five wipes copying the composite into the front buffer in
// small parts, one step per frame at most. All are blocking tasks on the composite layer.
#include <cstdint>

#include "graphics/bitmap.h"
#include "graphics/task.h"

namespace zre {

class AlphaFadeTask : public TimedTask {
public:
    // A start value of 0 is stored as 1.
    void setup(int32_t durationMs, int32_t startValue, int32_t endValue);
    int update() override;
    void onClick() override;

    int32_t startValue = 1;
    int32_t endValue = 256;
};

// 16-step ordered dissolve in 4 x 4 cells.
class BrushTask : public TimedTask {
public:
    void setup(int32_t durationMs);
    int update() override;

    int32_t step = 0;
};

// Sweeping columns (vertical) or rows: 24 columns 25 pixels apart per step, or 18 rows 19
// pixels apart.
class LineWipeTask : public TimedTask {
public:
    void setup(int32_t durationMs, bool verticalLines);
    int update() override;

    bool vertical = true;
    int32_t offset = 0;
};

// Interleaved columns (vertical) or rows: step k copies every line with index mod 24 = k.
class StripeTask : public TimedTask {
public:
    void setup(int32_t durationMs, bool verticalLines);
    int update() override;

    bool vertical = true;
    int32_t step = 0;
};

// The steps, copying pixels of source to the same place of target. The rectangle's right
// and bottom serve as width and height (the front layer's srcRect).
void brushStep(Bitmap& target, const Bitmap& source, int32_t left, int32_t top, int32_t right,
               int32_t bottom, int32_t step);
void vLineStep(Bitmap& target, const Bitmap& source, int32_t left, int32_t top, int32_t right,
               int32_t bottom, int32_t lines, int32_t offset);
void hLineStep(Bitmap& target, const Bitmap& source, int32_t left, int32_t top, int32_t right,
               int32_t bottom, int32_t lines, int32_t offset);
void vStripeStep(Bitmap& target, const Bitmap& source, int32_t left, int32_t top, int32_t right,
                 int32_t bottom, int32_t spacing, int32_t step);
void hStripeStep(Bitmap& target, const Bitmap& source, int32_t left, int32_t top, int32_t right,
                 int32_t bottom, int32_t spacing, int32_t step);

} // namespace zre
