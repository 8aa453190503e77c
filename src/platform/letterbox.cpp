#include "platform/letterbox.h"

#include <cstdint>

namespace zre {

ViewRect letterbox(int outWidth, int outHeight, int gameWidth, int gameHeight) {
    ViewRect r;
    if (outWidth <= 0 || outHeight <= 0 || gameWidth <= 0 || gameHeight <= 0) return r;
    // Compare the aspects in 64 bits so large outputs cannot overflow.
    if (int64_t{outWidth} * gameHeight <= int64_t{outHeight} * gameWidth) {
        r.w = outWidth;
        r.h = static_cast<int>(int64_t{outWidth} * gameHeight / gameWidth);
    } else {
        r.h = outHeight;
        r.w = static_cast<int>(int64_t{outHeight} * gameWidth / gameHeight);
    }
    if (r.w < 1) r.w = 1;
    if (r.h < 1) r.h = 1;
    r.x = (outWidth - r.w) / 2;
    r.y = (outHeight - r.h) / 2;
    return r;
}

bool windowToGame(const ViewRect& view, int gameWidth, int gameHeight, int wx, int wy, int& gx, int& gy) {
    if (view.w <= 0 || view.h <= 0) return false;
    int64_t dx = int64_t{wx} - view.x;
    int64_t dy = int64_t{wy} - view.y;
    if (dx < 0 || dy < 0 || dx >= view.w || dy >= view.h) return false;
    gx = static_cast<int>(dx * gameWidth / view.w);
    gy = static_cast<int>(dy * gameHeight / view.h);
    return true;
}

} // namespace zre
