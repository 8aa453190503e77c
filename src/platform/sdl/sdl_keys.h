#pragma once
// SDL key codes to the Windows virtual-key codes the engine speaks.
#include <SDL.h>

#include <cstdint>

namespace zre::detail {

// 0 for keys the engine has no code for.
int32_t virtualKeyFromSdl(SDL_Keycode key);

} // namespace zre::detail
