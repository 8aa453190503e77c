#include "shell/display_mode.h"

#include <vector>

#include "platform/message_box.h"

namespace zre {

namespace {

// "解像度変更に失敗しました"
constexpr char kSwitchFailed[] =
    "\x89\xf0\x91\x9c\x93\x78\x95\xcf\x8d\x58\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

// The refresh rates the display lists for one size; more are not looked at.
constexpr size_t kMaxRefreshRates = 16;

struct DisplayRecords {
    DisplayMode recorded;
    DisplayMode current;
};

DisplayRecords& records() {
    static DisplayRecords r;
    return r;
}

bool gameSized(const DisplayMode& m) { return m.width == kGameWidth && m.height == kGameHeight; }

void warnSwitchFailed() { messageBox(kSwitchFailed, "", MessageBoxButtons::Ok, MessageBoxIcon::Warning); }

// What the desktop shows now: depth and size; the refresh rate stays as recorded.
void readCurrentMode() {
    const DisplayMode now = currentDisplayMode();
    DisplayMode& current = records().current;
    current.bits = now.bits;
    current.width = now.width;
    current.height = now.height;
}

} // namespace

void recordDesktopMode() { records().recorded = currentDisplayMode(); }

const DisplayMode& recordedDesktopMode() { return records().recorded; }
const DisplayMode& currentModeRecord() { return records().current; }

int setDisplayMode(int32_t full, int32_t keep) {
    DisplayRecords& r = records();
    readCurrentMode();
    DisplayMode* previous = keep ? &r.recorded : nullptr;
    if (full == 1) {
        if (gameSized(r.current)) return 0;
        r.current.width = kGameWidth;
        r.current.height = kGameHeight;
        r.current.refresh = r.recorded.refresh;
        if (gameSized(r.recorded)) return 0;
        if (changeDisplayMode(r.current.bits, kGameWidth, kGameHeight, r.recorded.refresh, previous) != 0) {
            warnSwitchFailed();
            return 0;
        }
        // The full screen covers the display; there is no frame to place.
        centerWindow();
        return 1;
    }
    // The window: only when the game switched the display.
    if (!gameSized(r.current)) return 0;
    if (gameSized(r.recorded)) return 0;
    r.current.width = r.recorded.width;
    r.current.height = r.recorded.height;
    r.current.refresh = r.recorded.refresh;
    if (changeDisplayMode(r.current.bits, r.recorded.width, r.recorded.height, r.recorded.refresh, previous) != 0) {
        warnSwitchFailed();
        return 0;
    }
    // The captioned window with its 800 x 600 client area, in the middle of the desktop.
    centerWindow();
    return 1;
}

int changeDisplayMode(int32_t bits, int32_t width, int32_t height, int32_t refresh, DisplayMode* previous) {
    DisplayMode offered;
    if (!displayModeAt(0, offered)) return -1;
    bool found = false;
    std::vector<int32_t> rates;
    for (int i = 0; displayModeAt(i, offered); ++i) {
        if (offered.bits != bits || offered.width != width || offered.height != height) continue;
        found = true;
        if (refresh == 0) break;
        if (rates.size() < kMaxRefreshRates) rates.push_back(offered.refresh);
    }
    if (!found) return -1;

    DisplayMode request{bits, width, height, 0};
    if (previous) {
        *previous = currentDisplayMode();
        if (*previous == DisplayMode{bits, width, height, refresh}) return 0;
    }
    if (refresh != 0) {
        request.refresh = rates.front();
        for (int32_t rate : rates)
            if (rate == refresh) request.refresh = refresh;
    }
    if (!applyDisplayMode(request)) {
        if (previous) previous->bits = previous->width = previous->height = 0;
        return -1;
    }
    // Text input has nothing to do while the game holds the whole display; the game takes
    // no typed text outside its own dialogs, so nothing needs detaching here.
    return 0;
}

void centerWindow() {
    const DisplaySize screen = desktopSize();
    const DisplaySize window = windowFrameSize();
    moveWindow((screen.width - window.width) / 2, (screen.height - window.height) / 2);
}

void restoreDesktopMode() {
    DisplayRecords& r = records();
    const DisplayMode& d = r.recorded;
    changeDisplayMode(d.bits, d.width, d.height, d.refresh, &r.current);
}

} // namespace zre
