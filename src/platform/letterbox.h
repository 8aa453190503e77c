#pragma once
// Placing the fixed-size game picture in a window of any size: as large as fits with the
// aspect kept, centred, black bars around it; and mapping window points back to game
// coordinates.

namespace zre {

struct ViewRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

ViewRect letterbox(int outWidth, int outHeight, int gameWidth, int gameHeight);

// False when the point lies outside the picture (on a bar), as a point outside a window's
// client area reaches no window procedure.
bool windowToGame(const ViewRect& view, int gameWidth, int gameHeight, int wx, int wy, int& gx, int& gy);

} // namespace zre
