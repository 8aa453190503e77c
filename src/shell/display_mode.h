#pragma once
// The game's display: in a window, or full screen at the game's 800 x 600. The desktop's
// mode is recorded at start-up and set back at the end; requests come from $sys_crt at
// start-up, the configuration screen, and Alt+Enter or F11.
//
// Full screen is the platform's borderless desktop full screen with the game's picture
// scaled into it; the platform reports it as the 800 x 600 mode, so a switch and its way
// back behave as a change of the display's mode would, without ever changing the monitor.
#include <cstdint>

#include "platform/window.h"

namespace zre {

// Fills the recorded desktop mode from the display's current settings.
void recordDesktopMode();

// full 1: the 800 x 600 full screen; any other value: the window. keep: the mode change
// stores the mode it replaces as the recorded desktop mode. 1 when the window was switched,
// 0 otherwise ("解像度変更に失敗しました" when the switch failed).
int setDisplayMode(int32_t full, int32_t keep);

// Switches the display to the mode if the display offers it (a refresh rate it does not
// offer becomes the first rate it does; refresh 0 takes any). 0 on success or when nothing
// had to change, -1 on failure. previous, when given, receives the mode replaced (its first
// three values 0 after a failed switch).
int changeDisplayMode(int32_t bits, int32_t width, int32_t height, int32_t refresh, DisplayMode* previous);

// Moves the window (its frame, without resizing) to the middle of the screen.
void centerWindow();

// The end of the program: the recorded desktop mode again, when the display is not in it.
void restoreDesktopMode();

// The records as they stand (for the shell and its tests).
const DisplayMode& recordedDesktopMode();
const DisplayMode& currentModeRecord();

} // namespace zre
