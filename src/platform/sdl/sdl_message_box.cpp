#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/sdl/sdl_backend.h"
#include "platform/sjis.h"

namespace zre::detail {

bool nativeMessageBoxesShowJapanese(const char* videoDriver) {
    if (!videoDriver) return true;
    static const char* const kNative[] = {"windows", "winrt", "cocoa", "uikit", "android", "emscripten", "offscreen",
                                          "dummy"};
    for (const char* name : kNative)
        if (std::strcmp(videoDriver, name) == 0) return true;
    return false;
}

MessageBoxResult sdlMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                               MessageBoxIcon icon) {
    const std::string utf8Text = sjisToUtf8(text);
    const std::string utf8Caption = sjisToUtf8(caption);
    Uint32 flags = 0;
    switch (icon) {
    case MessageBoxIcon::Error: flags = SDL_MESSAGEBOX_ERROR; break;
    case MessageBoxIcon::Warning: flags = SDL_MESSAGEBOX_WARNING; break;
    case MessageBoxIcon::Information:
    case MessageBoxIcon::Question: flags = SDL_MESSAGEBOX_INFORMATION; break;
    case MessageBoxIcon::None: break;
    }
    // The labels a Japanese desktop shows (UTF-8 "はい" / "いいえ").
    const SDL_MessageBoxButtonData yesNo[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "\xe3\x81\xaf\xe3\x81\x84"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "\xe3\x81\x84\xe3\x81\x84\xe3\x81\x88"},
    };
    const SDL_MessageBoxButtonData ok[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 1, "OK"},
    };
    SDL_MessageBoxData data{};
    data.flags = flags;
    data.window = nullptr; // the engine's boxes have no owner window
    data.title = utf8Caption.c_str();
    data.message = utf8Text.c_str();
    if (buttons == MessageBoxButtons::YesNo) {
        data.numbuttons = 2;
        data.buttons = yesNo;
    } else {
        data.numbuttons = 1;
        data.buttons = ok;
    }
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        std::fprintf(stderr, "%s\n", messageBoxLine(text, caption).c_str());
        return buttons == MessageBoxButtons::YesNo ? MessageBoxResult::Yes : MessageBoxResult::Ok;
    }
    if (buttons == MessageBoxButtons::Ok) return MessageBoxResult::Ok;
    // Closing the box without a button (pressed -1) is the escape button's answer.
    return pressed == 1 ? MessageBoxResult::Yes : MessageBoxResult::No;
}

} // namespace zre::detail
