#include "platform/sdl/sdl_keys.h"

#include "platform/messages.h"

namespace zre::detail {

int32_t virtualKeyFromSdl(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<int32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<int32_t>(key);
    if (key >= SDLK_F1 && key <= SDLK_F12) return vk::F1 + static_cast<int32_t>(key - SDLK_F1);
    switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
    case SDLK_RETURN2: return vk::Return;
    case SDLK_ESCAPE: return vk::Escape;
    case SDLK_SPACE: return vk::Space;
    case SDLK_PAGEUP: return vk::Prior;
    case SDLK_PAGEDOWN: return vk::Next;
    case SDLK_END: return vk::End;
    case SDLK_HOME: return vk::Home;
    case SDLK_LEFT: return vk::Left;
    case SDLK_UP: return vk::Up;
    case SDLK_RIGHT: return vk::Right;
    case SDLK_DOWN: return vk::Down;
    case SDLK_INSERT: return vk::Insert;
    case SDLK_DELETE: return vk::Delete;
    case SDLK_BACKSPACE: return vk::Back;
    case SDLK_TAB: return vk::Tab;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return vk::Control;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return vk::Shift;
    case SDLK_LALT:
    case SDLK_RALT: return vk::Menu;
    default: return 0;
    }
}

} // namespace zre::detail
