#include "platform/sdl/sdl_backend.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/sound_mixer.h"
#include "platform/sdl/sdl_keys.h"

namespace zre::detail {

namespace {

uint32_t monotonicMs() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void audioCallback(void*, Uint8* stream, int len) {
    mixSound(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(len) / (kOutputChannels * sizeof(int16_t)), false);
}

// The renderer draws through OpenGL, but the OpenGL is a rasteriser on the processor
// (Mesa's llvmpipe, softpipe or swrast). Not when the player chose the driver.
bool rendersInSoftware(SDL_Renderer* renderer) {
    if (SDL_GetHint(SDL_HINT_RENDER_DRIVER)) return false;
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    if (!getString) return false;
    constexpr unsigned int kGlRenderer = 0x1F01;
    const auto* name = reinterpret_cast<const char*>(getString(kGlRenderer));
    if (!name) return false;
    const std::string_view n(name);
    return n.find("llvmpipe") != n.npos || n.find("softpipe") != n.npos || n.find("swrast") != n.npos;
}

} // namespace

SdlBackend::SdlBackend() = default;

std::unique_ptr<SdlBackend> SdlBackend::create() {
    // Closing the window is the player's request to quit, asked and answered by the game;
    // SDL must not turn it into a quit of its own.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    // Termination signals are the game's own business (they end it without the question).
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "zre: cannot open a window: %s\n", SDL_GetError());
        return nullptr;
    }
    // Controllers are welcome, not needed: without the subsystem the game plays as before.
    // Pads arrive as device-added events, those plugged in at start and those plugged later.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        std::fprintf(stderr, "zre: game controllers unavailable: %s\n", SDL_GetError());
    std::unique_ptr<SdlBackend> backend(new SdlBackend());
    backend->started_ = true;
    backend->startMs_ = monotonicMs();
    // Drivers without a real desktop never give focus; the game must not stall on them.
    const char* driver = SDL_GetCurrentVideoDriver();
    backend->alwaysForeground_ = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    backend->nativeMessageBoxes_ = nativeMessageBoxesShowJapanese(driver);
    SDL_AddEventWatch(&SdlBackend::eventWatch, backend.get());
    setMessageBoxHandler(sdlMessageBox);
    return backend;
}

SdlBackend::~SdlBackend() { shutdown(); }

void SdlBackend::shutdown() {
    if (!started_) return;
    started_ = false;
    if (audio_) SDL_CloseAudioDevice(audio_);
    audio_ = 0;
    controllers_.clear();
    texture_.reset();
    renderer_.reset();
    window_.reset();
    SDL_DelEventWatch(&SdlBackend::eventWatch, this);
    SDL_Quit();
}

int SdlBackend::eventWatch(void*, SDL_Event* event) {
    // Runs as events enter SDL's queue, so a tap of Control between two frames still counts.
    if (event->type == SDL_KEYDOWN &&
        (event->key.keysym.sym == SDLK_LCTRL || event->key.keysym.sym == SDLK_RCTRL)) {
        latchControl();
    }
    return 0;
}

uint32_t SdlBackend::nowMs() { return monotonicMs(); }

uint32_t SdlBackend::elapsedMs() { return monotonicMs() - startMs_; }

void SdlBackend::sleepMs(uint32_t ms) { SDL_Delay(ms); }

DisplaySize SdlBackend::desktopSize() {
    const DisplayMode mode = desktopMode();
    return {mode.width, mode.height};
}

DisplayMode SdlBackend::desktopMode() {
    SDL_DisplayMode mode;
    int display = window_ ? SDL_GetWindowDisplayIndex(window_.get()) : 0;
    if (display < 0) display = 0;
    if (SDL_GetDesktopDisplayMode(display, &mode) != 0) return {32, kGameWidth, kGameHeight, 0};
    // A desktop of 24-bit colour in 32-bit pixels counts as 32, as the platform reports it.
    int bits = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    if (bits == 24 && SDL_BYTESPERPIXEL(mode.format) == 4) bits = 32;
    return {bits, mode.w, mode.h, mode.refresh_rate};
}

DisplaySize SdlBackend::windowFrameSize() {
    if (!window_) return {gameWidth_, gameHeight_};
    int w = 0, h = 0, top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowSize(window_.get(), &w, &h);
    if (SDL_GetWindowBordersSize(window_.get(), &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
    return {w + left + right, h + top + bottom};
}

void SdlBackend::moveWindow(int x, int y) {
    if (!window_) return;
    // SDL places the client area; the frame's top-left is given.
    int top = 0;
    int left = 0;
    if (SDL_GetWindowBordersSize(window_.get(), &top, &left, nullptr, nullptr) != 0) top = left = 0;
    SDL_SetWindowPosition(window_.get(), x + left, y + top);
}

bool SdlBackend::createWindow(std::string_view captionUtf8, int clientWidth, int clientHeight, bool popup) {
    texture_.reset();
    renderer_.reset();
    window_.reset();
    gameWidth_ = clientWidth;
    gameHeight_ = clientHeight;
    Uint32 flags = SDL_WINDOW_HIDDEN | (popup ? SDL_WINDOW_BORDERLESS : SDL_WINDOW_RESIZABLE);
    if (fullscreen_) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    std::string caption(captionUtf8);
    window_.reset(SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, clientWidth,
                                   clientHeight, flags));
    if (!window_) {
        std::fprintf(stderr, "zre: cannot open a window: %s\n", SDL_GetError());
        return false;
    }
    renderer_.reset(SDL_CreateRenderer(window_.get(), -1, SDL_RENDERER_ACCELERATED));
    if (renderer_ && rendersInSoftware(renderer_.get())) {
        // A GL rasteriser on the processor (no GPU, a virtual display) makes every present a
        // full frame of work; SDL's own blitter into the window's frame buffer costs only the
        // copy. Asked for explicitly (SDL_RENDER_DRIVER), the player's choice stands.
        renderer_.reset();
        SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
        renderer_.reset(SDL_CreateRenderer(window_.get(), -1, SDL_RENDERER_SOFTWARE));
    }
    if (!renderer_) renderer_.reset(SDL_CreateRenderer(window_.get(), -1, 0));
    if (!renderer_) {
        std::fprintf(stderr, "zre: cannot draw into the window: %s\n", SDL_GetError());
        window_.reset();
        return false;
    }
    texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                     clientWidth, clientHeight));
    if (!texture_) {
        std::fprintf(stderr, "zre: cannot draw into the window: %s\n", SDL_GetError());
        renderer_.reset();
        window_.reset();
        return false;
    }
    // Typing is for the comment dialog only: no input method pops up over the game.
    SDL_StopTextInput();
    pictureChanged(windowPicture(), 0, clientHeight);
    return true;
}

void SdlBackend::showWindow() {
    if (!window_) return;
    SDL_ShowWindow(window_.get());
    SDL_RaiseWindow(window_.get());
    redraw();
}

void SdlBackend::setWindowCaption(std::string_view captionUtf8) {
    if (window_) SDL_SetWindowTitle(window_.get(), std::string(captionUtf8).c_str());
}

void SdlBackend::pictureChanged(const WindowPicture& picture, int top, int bottom) {
    if (!texture_ || picture.width != gameWidth_ || picture.height != gameHeight_) return;
    top = std::max(top, 0);
    bottom = std::min(bottom, picture.height);
    if (top >= bottom) return;
    // Only the changed rows go to the texture: a blinking cursor costs a strip, not a frame.
    const SDL_Rect rows{0, top, picture.width, bottom - top};
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_.get(), &rows, &pixels, &pitch) != 0) return;
    // The picture's rows are bottom-up BGR; the texture's are top-down 0xAARRGGBB.
    for (int y = top; y < bottom; ++y) {
        const uint8_t* src = picture.bits.data() + static_cast<size_t>(picture.height - 1 - y) * picture.stride;
        auto* dst =
            reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + static_cast<size_t>(y - top) * pitch);
        for (int x = 0; x < picture.width; ++x, src += 3) {
            dst[x] = 0xFF000000u | (uint32_t{src[2]} << 16) | (uint32_t{src[1]} << 8) | src[0];
        }
    }
    SDL_UnlockTexture(texture_.get());
    redraw();
}

void SdlBackend::redraw() {
    if (!renderer_ || !texture_) return;
    int outW = 0;
    int outH = 0;
    if (SDL_GetRendererOutputSize(renderer_.get(), &outW, &outH) != 0) return;
    ViewRect view = letterbox(outW, outH, gameWidth_, gameHeight_);
    SDL_Rect dst{view.x, view.y, view.w, view.h};
    // The bars around a letterboxed picture are black; a picture filling the output covers
    // everything anyway.
    if (view.x != 0 || view.y != 0 || view.w != outW || view.h != outH) {
        SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
        SDL_RenderClear(renderer_.get());
    }
    SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, &dst);
    SDL_RenderPresent(renderer_.get());
}

void SdlBackend::beginTextEntry(int x, int y, int width, int height) {
    if (window_) {
        int w = 0;
        int h = 0;
        SDL_GetWindowSize(window_.get(), &w, &h);
        const ViewRect view = letterbox(w, h, gameWidth_, gameHeight_);
        if (view.w > 0 && view.h > 0) {
            SDL_Rect area{view.x + x * view.w / gameWidth_, view.y + y * view.h / gameHeight_,
                          width * view.w / gameWidth_, height * view.h / gameHeight_};
            SDL_SetTextInputRect(&area);
        }
    }
    SDL_StartTextInput();
}

void SdlBackend::endTextEntry() { SDL_StopTextInput(); }

bool SdlBackend::drawsMessageBoxes() {
    if (nativeMessageBoxes_ || !window_ || !renderer_ || !texture_) return false;
    return (SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_HIDDEN) == 0;
}

bool SdlBackend::setFullscreen(bool fullscreen) {
    if (!window_) {
        fullscreen_ = fullscreen;
        return true;
    }
    if (SDL_SetWindowFullscreen(window_.get(), fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
    fullscreen_ = fullscreen;
    redraw();
    return true;
}

bool SdlBackend::toGame(int wx, int wy, int& gx, int& gy) {
    if (!window_) return false;
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window_.get(), &w, &h);
    return windowToGame(letterbox(w, h, gameWidth_, gameHeight_), gameWidth_, gameHeight_, wx, wy, gx, gy);
}

void SdlBackend::translate(const SDL_Event& e) {
    Message m;
    switch (e.type) {
    case SDL_QUIT:
        // A request from outside (a signal, the session ending): the same as the close box.
        m.kind = MessageKind::Close;
        queueInput(std::move(m));
        return;
    case SDL_WINDOWEVENT:
        if (!window_ || e.window.windowID != SDL_GetWindowID(window_.get())) return;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
            m.kind = MessageKind::Close;
            queueInput(std::move(m));
            return;
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            redraw();
            invalidateWindow();
            return;
        default: return;
        }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        m.key = virtualKeyFromSdl(e.key.keysym.sym, (e.key.keysym.mod & KMOD_NUM) != 0);
        m.alt = (e.key.keysym.mod & KMOD_ALT) != 0;
        m.kind = e.type == SDL_KEYDOWN ? MessageKind::KeyDown : MessageKind::KeyUp;
        queueInput(std::move(m));
        return;
    case SDL_MOUSEMOTION:
        if (!toGame(e.motion.x, e.motion.y, m.x, m.y)) return;
        controller_.setPointer(m.x, m.y);
        m.kind = MessageKind::MouseMove;
        queueInput(std::move(m));
        return;
    case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT && e.button.button != SDL_BUTTON_RIGHT) return;
        if (!toGame(e.button.x, e.button.y, m.x, m.y)) return;
        m.kind = e.button.button == SDL_BUTTON_LEFT ? MessageKind::LButtonUp : MessageKind::RButtonUp;
        queueInput(std::move(m));
        return;
    case SDL_MOUSEWHEEL: {
        int y = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
        if (y == 0) return;
        m.kind = MessageKind::MouseWheel;
        m.wheel = y > 0 ? 1 : -1;
        queueInput(std::move(m));
        return;
    }
    case SDL_TEXTINPUT:
        m.kind = MessageKind::Text;
        m.text = e.text.text;
        queueInput(std::move(m));
        return;
    case SDL_TEXTEDITING:
        m.kind = MessageKind::TextEditing;
        m.text = e.edit.text;
        queueInput(std::move(m));
        return;
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION: translateController(e); return;
    default: return;
    }
}

namespace {

bool controllerButton(uint8_t sdlButton, ControllerInput::Button& out) {
    using B = ControllerInput::Button;
    switch (sdlButton) {
    case SDL_CONTROLLER_BUTTON_A: out = B::A; return true;
    case SDL_CONTROLLER_BUTTON_B: out = B::B; return true;
    case SDL_CONTROLLER_BUTTON_START: out = B::Start; return true;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: out = B::LeftShoulder; return true;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: out = B::RightShoulder; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: out = B::DpadUp; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: out = B::DpadDown; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: out = B::DpadLeft; return true;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: out = B::DpadRight; return true;
    default: return false;
    }
}

} // namespace

void SdlBackend::translateController(const SDL_Event& e) {
    std::vector<Message> out;
    switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
        // which is a device index here. Opening a pad already open hands back the same
        // pad with one more reference, which is given back at once.
        if (SDL_IsGameController(e.cdevice.which)) {
            SDL_GameController* c = SDL_GameControllerOpen(e.cdevice.which);
            bool known = false;
            for (const auto& open : controllers_) known = known || open.get() == c;
            if (c && known) SDL_GameControllerClose(c);
            else if (c) controllers_.emplace_back(c);
        }
        return;
    case SDL_CONTROLLERDEVICEREMOVED: {
        // which is an instance id here.
        SDL_GameController* c = SDL_GameControllerFromInstanceID(e.cdevice.which);
        std::erase_if(controllers_, [c](const auto& open) { return open.get() == c; });
        // A pad pulled out while its stick was held must not drift the pointer on.
        controller_.axis(ControllerInput::Axis::LeftX, 0);
        controller_.axis(ControllerInput::Axis::LeftY, 0);
        return;
    }
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        ControllerInput::Button b;
        if (!controllerButton(e.cbutton.button, b)) return;
        // The time up to now moved the pointer as the pad was held before this press.
        advanceController();
        if (e.type == SDL_CONTROLLERBUTTONDOWN)
            controller_.buttonDown(b, out);
        else
            controller_.buttonUp(b, out);
        break;
    }
    case SDL_CONTROLLERAXISMOTION:
        // A held stick reports small changes all the time: the time up to now moves the
        // pointer at the old deflection before the new one counts.
        advanceController();
        if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) controller_.axis(ControllerInput::Axis::LeftX, e.caxis.value);
        if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) controller_.axis(ControllerInput::Axis::LeftY, e.caxis.value);
        controllerMs_ = nowMs();
        return;
    default: return;
    }
    bool moved = false;
    for (Message& m : out) {
        moved = moved || m.kind == MessageKind::MouseMove;
        queueInput(std::move(m));
    }
    if (moved) warpPointer();
    controllerMs_ = nowMs();
}

void SdlBackend::advanceController() {
    if (!controller_.moving()) return;
    const uint32_t now = nowMs();
    std::vector<Message> out;
    controller_.advance(now - controllerMs_, out);
    controllerMs_ = now;
    if (out.empty()) return;
    for (Message& m : out) queueInput(std::move(m));
    warpPointer();
}

void SdlBackend::warpPointer() {
    if (!window_) return;
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window_.get(), &w, &h);
    const ViewRect view = letterbox(w, h, gameWidth_, gameHeight_);
    if (view.w <= 0 || view.h <= 0) return;
    // The centre of the game pixel, so that mapping back lands on the same pixel.
    const int wx = view.x + static_cast<int>((controller_.pointerX() + 0.5) * view.w / gameWidth_);
    const int wy = view.y + static_cast<int>((controller_.pointerY() + 0.5) * view.h / gameHeight_);
    SDL_WarpMouseInWindow(window_.get(), wx, wy);
}

void SdlBackend::pollEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) translate(e);
    advanceController();
}

bool SdlBackend::wait(std::optional<uint32_t> timeoutMs) {
    // Waits are cut into slices so that a termination signal, which cannot wake SDL, is
    // still seen within a moment.
    constexpr uint32_t kSliceMs = 250;
    SDL_Event e;
    uint32_t ms = timeoutMs ? std::min(*timeoutMs, kSliceMs) : kSliceMs;
    // A pointer moving under a held stick or d-pad moves on every frame.
    if (controller_.moving()) ms = std::min<uint32_t>(ms, 16);
    if (SDL_WaitEventTimeout(&e, static_cast<int>(ms))) translate(e);
    return true;
}

bool SdlBackend::isForeground() {
    if (!window_ || alwaysForeground_) return true;
    return (SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

bool SdlBackend::controlDown() {
    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    return keys && (keys[SDL_SCANCODE_LCTRL] || keys[SDL_SCANCODE_RCTRL]);
}

bool SdlBackend::openAudioOutput() {
    if (audio_) return true;
    if (audioTried_) return false;
    audioTried_ = true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = kOutputRate;
    want.format = AUDIO_S16SYS;
    want.channels = kOutputChannels;
    want.samples = 1024;
    want.callback = audioCallback;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts, so the mixer always works in one format.
    audio_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (!audio_) return false;
    SDL_PauseAudioDevice(audio_, 0);
    return true;
}

} // namespace zre::detail
