#pragma once
// SDL key codes to the Windows virtual-key codes the engine speaks.
#include <SDL.h>

#include <cstdint>

namespace zre::detail {

// The code Windows reports for the key. The keypad follows NumLock as on Windows: with it
// on the digits are the numpad codes, with it off they are the arrows and page keys they
// are printed with. A key Windows has no code for reports 0xFF, so every key still reaches
// the pressed and released state.
int32_t virtualKeyFromSdl(SDL_Keycode key, bool numLock = true);

} // namespace zre::detail
