#include "platform/sdl/sdl_keys.h"

#include "platform/messages.h"

namespace zre::detail {

namespace {

// Keypad keys with NumLock off: the key printed below the digit.
int32_t keypadWithoutNumLock(SDL_Keycode key) {
    switch (key) {
    case SDLK_KP_0: return vk::Insert;
    case SDLK_KP_1: return vk::End;
    case SDLK_KP_2: return vk::Down;
    case SDLK_KP_3: return vk::Next;
    case SDLK_KP_4: return vk::Left;
    case SDLK_KP_5: return vk::Clear;
    case SDLK_KP_6: return vk::Right;
    case SDLK_KP_7: return vk::Home;
    case SDLK_KP_8: return vk::Up;
    case SDLK_KP_9: return vk::Prior;
    case SDLK_KP_PERIOD: return vk::Delete;
    default: return 0;
    }
}

} // namespace

int32_t virtualKeyFromSdl(SDL_Keycode key, bool numLock) {
    if (key >= SDLK_a && key <= SDLK_z) return static_cast<int32_t>('A' + (key - SDLK_a));
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<int32_t>(key);
    if (key >= SDLK_F1 && key <= SDLK_F12) return vk::F1 + static_cast<int32_t>(key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24) return vk::F1 + 12 + static_cast<int32_t>(key - SDLK_F13);
    if (!numLock) {
        if (int32_t k = keypadWithoutNumLock(key)) return k;
    }
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return vk::Numpad0 + 1 + static_cast<int32_t>(key - SDLK_KP_1);
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
    case SDLK_CLEAR: return vk::Clear;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return vk::Control;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return vk::Shift;
    case SDLK_LALT:
    case SDLK_RALT: return vk::Menu;
    case SDLK_LGUI: return 0x5B;
    case SDLK_RGUI: return 0x5C;
    case SDLK_APPLICATION: return 0x5D;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_PRINTSCREEN: return 0x2C;
    case SDLK_NUMLOCKCLEAR: return 0x90;
    case SDLK_SCROLLLOCK: return 0x91;
    case SDLK_KP_0: return vk::Numpad0;
    case SDLK_KP_MULTIPLY: return 0x6A;
    case SDLK_KP_PLUS: return 0x6B;
    case SDLK_KP_MINUS: return 0x6D;
    case SDLK_KP_PERIOD: return 0x6E;
    case SDLK_KP_DIVIDE: return 0x6F;
    // The punctuation keys of a US layout, by the codes Windows gives them.
    case SDLK_SEMICOLON: return 0xBA;
    case SDLK_EQUALS: return 0xBB;
    case SDLK_COMMA: return 0xBC;
    case SDLK_MINUS: return 0xBD;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_SLASH: return 0xBF;
    case SDLK_BACKQUOTE: return 0xC0;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    default: return 0xFF;
    }
}

} // namespace zre::detail
