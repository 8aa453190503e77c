#include "platform/window.h"

#include <algorithm>
#include <cstring>

#include "platform/backend.h"
#include "platform/sjis.h"

namespace zre {

namespace {

// The window picture, sized for the usual game window until a window is created.
WindowPicture& picture() {
    WindowPicture& p = detail::platformState().picture;
    if (p.bits.empty()) detail::resetWindowPicture(kGameWidth, kGameHeight);
    return p;
}

} // namespace

DisplaySize desktopSize() { return detail::backend().desktopSize(); }

bool createWindow(std::string_view captionSjis, int clientWidth, int clientHeight, bool popup) {
    if (clientWidth <= 0 || clientHeight <= 0) return false;
    detail::resetWindowPicture(clientWidth, clientHeight);
    return detail::backend().createWindow(sjisToUtf8(captionSjis), clientWidth, clientHeight, popup);
}

void showWindow() { detail::backend().showWindow(); }
void setWindowCaption(std::string_view captionSjis) { detail::backend().setWindowCaption(sjisToUtf8(captionSjis)); }
void invalidateWindow() { detail::platformState().paintPending = true; }

void presentFront(const uint8_t* bits, int width, int height, int stride, int destX, int destY, int blockWidth,
                  int blockHeight) {
    if (!bits || width <= 0 || height <= 0 || stride < width * 3) return;
    WindowPicture& p = picture();
    // The part of the block that the picture has and that lands inside the client area,
    // in top-down rows.
    const int64_t copyW = std::min<int64_t>(width, std::max(blockWidth, 0));
    const int64_t copyH = std::min<int64_t>(height, std::max(blockHeight, 0));
    const int x0 = static_cast<int>(std::max<int64_t>(0, destX));
    const int x1 = static_cast<int>(std::min<int64_t>(p.width, int64_t(destX) + copyW));
    const int y0 = static_cast<int>(std::max<int64_t>(0, destY));
    const int y1 = static_cast<int>(std::min<int64_t>(p.height, int64_t(destY) + copyH));
    // The rows that really change: a paint that repeats what the window shows costs the
    // display nothing.
    int changedTop = y1;
    int changedBottom = y0;
    if (x0 < x1 && y0 < y1) {
        const size_t bytes = static_cast<size_t>(x1 - x0) * 3;
        for (int y = y0; y < y1; ++y) {
            const int srcRowFromTop = y - destY;
            const uint8_t* src = bits + static_cast<size_t>(height - 1 - srcRowFromTop) * static_cast<size_t>(stride) +
                                 static_cast<size_t>(x0 - destX) * 3;
            uint8_t* dst = p.bits.data() + static_cast<size_t>(p.height - 1 - y) * static_cast<size_t>(p.stride) +
                           static_cast<size_t>(x0) * 3;
            if (std::memcmp(dst, src, bytes) == 0) continue;
            std::memcpy(dst, src, bytes);
            changedTop = std::min(changedTop, y);
            changedBottom = y + 1;
        }
    }
    if (changedTop < changedBottom) detail::backend().pictureChanged(p, changedTop, changedBottom);
}

const WindowPicture& windowPicture() { return picture(); }

void beginTextEntry(int x, int y, int width, int height) { detail::backend().beginTextEntry(x, y, width, height); }
void endTextEntry() { detail::backend().endTextEntry(); }

bool setFullscreen(bool fullscreen) { return detail::backend().setFullscreen(fullscreen); }
bool isFullscreen() { return detail::backend().isFullscreen(); }

namespace {

DisplayMode gameMode(const DisplayMode& desktop) { return {desktop.bits, kGameWidth, kGameHeight, desktop.refresh}; }

bool gameSized(const DisplayMode& m) { return m.width == kGameWidth && m.height == kGameHeight; }

} // namespace

DisplayMode desktopDisplayMode() { return detail::backend().desktopMode(); }

DisplayMode currentDisplayMode() {
    const DisplayMode desktop = desktopDisplayMode();
    return isFullscreen() ? gameMode(desktop) : desktop;
}

bool displayModeAt(int index, DisplayMode& out) {
    const DisplayMode desktop = desktopDisplayMode();
    if (index == 0) {
        out = desktop;
        return true;
    }
    if (index == 1 && !gameSized(desktop)) {
        out = gameMode(desktop);
        return true;
    }
    return false;
}

bool applyDisplayMode(const DisplayMode& mode) {
    const DisplayMode desktop = desktopDisplayMode();
    const bool full = gameSized(mode) && !gameSized(desktop);
    const bool window = mode.width == desktop.width && mode.height == desktop.height;
    if (mode.bits != desktop.bits || (!full && !window)) return false;
    return detail::backend().applyDisplayMode(mode, full);
}

DisplaySize windowFrameSize() { return detail::backend().windowFrameSize(); }

void moveWindow(int x, int y) {
    if (!isFullscreen()) detail::backend().moveWindow(x, y);
}

} // namespace zre
