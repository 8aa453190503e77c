#pragma once
// The backend that plays the game: an SDL window with a renderer, the picture scaled with
// its aspect kept, SDL's events as window messages, SDL message boxes and audio device.
#include <SDL.h>

#include <memory>
#include <vector>

#include "platform/backend.h"
#include "platform/controller_input.h"
#include "platform/letterbox.h"
#include "platform/message_box.h"

namespace zre::detail {

class SdlBackend final : public Backend {
public:
    // Starts SDL's video; nullptr (with SDL's reason on stderr) when there is no display.
    static std::unique_ptr<SdlBackend> create();
    ~SdlBackend() override;
    SdlBackend(const SdlBackend&) = delete;
    SdlBackend& operator=(const SdlBackend&) = delete;

    uint32_t nowMs() override;
    uint32_t elapsedMs() override;
    void advanceFrame() override {}
    bool sleepsWhileWaiting() override { return true; }
    void sleepMs(uint32_t ms) override;

    DisplaySize desktopSize() override;
    bool createWindow(std::string_view captionUtf8, int clientWidth, int clientHeight, bool popup) override;
    void showWindow() override;
    void setWindowCaption(std::string_view captionUtf8) override;
    void pictureChanged(const WindowPicture& picture, int top, int bottom) override;
    bool setFullscreen(bool fullscreen) override;
    bool isFullscreen() override { return fullscreen_; }
    void beginTextEntry(int x, int y, int width, int height) override;
    void endTextEntry() override;
    DisplayMode desktopMode() override;
    DisplaySize windowFrameSize() override;
    void moveWindow(int x, int y) override;
    bool drawsMessageBoxes() override;

    void pollEvents() override;
    void emptyPeek() override {}
    bool wait(std::optional<uint32_t> timeoutMs) override;
    bool isForeground() override;
    bool controlDown() override;

    bool openAudioOutput() override;
    void shutdown() override;

private:
    SdlBackend();
    void translate(const SDL_Event& event);
    void translateController(const SDL_Event& event);
    // Moves the pointer on for a held d-pad or stick, the real mouse with it.
    void advanceController();
    void warpPointer();
    bool toGame(int wx, int wy, int& gx, int& gy);
    void redraw();
    static int eventWatch(void* self, SDL_Event* event);

    struct WindowDeleter {
        void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
    };
    struct RendererDeleter {
        void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    };
    struct TextureDeleter {
        void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
    };

    std::unique_ptr<SDL_Window, WindowDeleter> window_;
    // The video driver's message boxes are the desktop's own and show Japanese text.
    bool nativeMessageBoxes_ = true;
    std::unique_ptr<SDL_Renderer, RendererDeleter> renderer_;
    std::unique_ptr<SDL_Texture, TextureDeleter> texture_;
    struct ControllerDeleter {
        void operator()(SDL_GameController* c) const { SDL_GameControllerClose(c); }
    };
    std::vector<std::unique_ptr<SDL_GameController, ControllerDeleter>> controllers_;
    ControllerInput controller_{kGameWidth, kGameHeight};
    uint32_t controllerMs_ = 0;
    int gameWidth_ = kGameWidth;
    int gameHeight_ = kGameHeight;
    bool fullscreen_ = false;
    bool alwaysForeground_ = false;
    SDL_AudioDeviceID audio_ = 0;
    bool audioTried_ = false;
    bool started_ = false;
    uint32_t startMs_ = 0;
};

// Whether the message boxes of the video driver SDL chose are the desktop's own, which show
// Japanese text (Windows, macOS and the like), or need nobody to read them (offscreen,
// dummy). X11 and Wayland boxes are SDL's own, drawn with fonts without Japanese.
bool nativeMessageBoxesShowJapanese(const char* videoDriver);

// SDL's message box for Shift JIS texts; when SDL cannot show one, the headless line on
// stderr and the default answer.
MessageBoxResult sdlMessageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                               MessageBoxIcon icon);

} // namespace zre::detail
