#pragma once
// The one game window. The game composes its picture at the client size (800 x 600); the
// sdl backend shows it scaled to the real window with the aspect kept (black bars), the
// headless backend keeps it in memory for screenshots.
#include <cstdint>
#include <string_view>
#include <vector>

namespace zre {

// The size of the picture every game composes, whatever the window's size.
inline constexpr int kGameWidth = 800;
inline constexpr int kGameHeight = 600;

struct DisplaySize {
    int width = 0;
    int height = 0;
};

// The size of the desktop the window opens on (headless: 1024 x 768 unless set otherwise).
DisplaySize desktopSize();

// Creates the window with a client area of the given size, centred on the desktop. A popup
// window has no caption or border (used when the desktop is no larger than the game);
// otherwise it has a caption. The caption is a Shift JIS text. False when it failed.
bool createWindow(std::string_view captionSjis, int clientWidth, int clientHeight, bool popup);
void showWindow();
void setWindowCaption(std::string_view captionSjis);

// Asks for a Paint message once the queue is otherwise empty (repeated calls coalesce).
void invalidateWindow();

// Copies the blockWidth x blockHeight block at (0, 0) of a 24-bit BGR bottom-up picture
// (the part of it that the picture has) into the client area at (destX, destY), the way a
// blit does: the window is not erased first, so whatever the block does not cover keeps
// what the window showed before. stride is bytes per row.
void presentFront(const uint8_t* bgrBottomUp, int width, int height, int stride, int destX, int destY,
                  int blockWidth, int blockHeight);

// What the window shows now: client-sized, 24-bit BGR rows bottom-up, each row padded to a
// multiple of 4 bytes. Black before the first paint.
struct WindowPicture {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<uint8_t> bits;
};
const WindowPicture& windowPicture();

// Typed text (Text and TextEditing messages) while a text-entry dialog is open; the area
// (game coordinates) is where the text goes, so an input method puts its candidates beside it.
void beginTextEntry(int x, int y, int width, int height);
void endTextEntry();

// Borderless full screen over the whole desktop, same scaling; the display's own mode is
// never changed. Returns whether the window is now in the requested state.
bool setFullscreen(bool fullscreen);
bool isFullscreen();

// A display mode as the game reads it: bits per pixel, width, height, refresh rate (0 when
// the display does not say).
struct DisplayMode {
    int32_t bits = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t refresh = 0;
    bool operator==(const DisplayMode&) const = default;
};

// The desktop's own mode, which the game never changes.
DisplayMode desktopDisplayMode();
// The mode the game sees now: while the window is full screen, the game's mode (the game's
// size at the desktop's depth and refresh rate), otherwise the desktop's own.
DisplayMode currentDisplayMode();
// Mode index of the modes the display can be asked for: 0 the desktop's own, 1 the game's
// full screen (unless the desktop already is the game's size). False past the last.
bool displayModeAt(int index, DisplayMode& out);
// Shows one of those modes: the game's mode as full screen, the desktop's as the window.
// False when the mode is none of them or the platform refused the switch.
bool applyDisplayMode(const DisplayMode& mode);

// The window with its frame, and moving it (the frame's top-left, on the desktop). Nothing
// moves while the window is full screen.
DisplaySize windowFrameSize();
void moveWindow(int x, int y);

} // namespace zre
