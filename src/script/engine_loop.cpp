// The engine's main loop: one statement, then frames until nothing blocks, then the mode
// switch the screen asks for.
#include <memory>

#include "platform/clock.h"
#include "platform/input_state.h"
#include "platform/messages.h"
#include "script/engine.h"
#include "ui/message_text.h"
#include "ui/system_screen.h"

namespace zre {

namespace {

void resetPointer(InputState* input) {
    if (!input) return;
    input->clickX = input->clickY = -1;
    input->mouseX = input->mouseY = -1;
}

Message clickAt(int32_t x, int32_t y) {
    Message m;
    m.kind = MessageKind::LButtonUp;
    m.x = x;
    m.y = y;
    return m;
}

// What the controllers of the system screens may do to the engine.
class EngineScreenActions : public ScreenActions {
public:
    explicit EngineScreenActions(Engine& engine) : engine_(engine) {}
    void queueStatement(std::string_view text) override { engine_.queueStatement(text); }
    void setPageHook(int32_t value) override { pageHookFlag = value; }
    void postClose() override { postMessage(makeMessage(MessageKind::Close)); }
    void requestMode(int32_t m, int32_t push) override { engine_.requestMode(m, push); }
    void returnToPreviousMode() override { engine_.returnToPreviousMode(); }
    int32_t previousMode() const override { return engine_.previousMode(); }

private:
    Engine& engine_;
};

} // namespace

std::unique_ptr<Screen> Engine::buildSystemScreen(int32_t requested) {
    // Every system screen shares the game screen's window host and input record (the game
    // screen is parked by now).
    Screen* game = parkedScreen ? parkedScreen.get() : screen.get();
    ScreenHost* host = game ? &game->host() : nullptr;
    InputState* input = game ? game->input : nullptr;
    if (!screenActions) screenActions = std::make_unique<EngineScreenActions>(*this);
    if (requested == 1 && host) return buildTitleScreen(*host, input, *screenActions);
    // Screens still to come are empty screens for now.
    auto built = host ? std::make_unique<Screen>(*host) : std::make_unique<Screen>();
    built->attachWindow(800, 600);
    built->input = input;
    attachMessageText(*built);
    return built;
}

void Engine::parkScreen() {
    if (!parkedScreen)
        parkedScreen = std::move(screen);
    else
        screen.reset();
}

void Engine::run() {
    startUp();
    for (;;) {
        beginPass();
        bool scriptEnded = false;
        while (!scriptEnded) {
            // One statement: a queued one first; the script itself only in the game mode.
            if (hasQueued()) {
                runQueued();
            } else if (mode == 2) {
                if (!readStatement()) {
                    scriptEnded = true;
                    break;
                }
                parseStatement(statement);
                dispatch();
                statement.clear();
                freeArgs();
            }
            // Frames until nothing blocks the script, then the requested mode.
            bool backToStatements = false;
            while (!backToStatements) {
                screen->updateTasks();
                screen->compose();
                int presented = screen->present();
                if (framePump) framePump(presented == 0);
                advanceFrame();
                if (screen->isBusy()) continue;
                uint32_t requested = screen->requestedMode;
                switch (requested) {
                case 1:
                    screen->requestedMode = 0;
                    resetPointer(screen->input);
                    parkScreen();
                    screen = buildSystemScreen(1);
                    mode = 1;
                    queueStatement("PlaySound(2, ./dat/zamu_title.ogg, 0)");
                    backToStatements = true;
                    break;
                case 2: {
                    screen->requestedMode = 0;
                    if (!parkedScreen) break;  // nothing parked: the game screen is current
                    screen = std::move(parkedScreen);
                    resetPointer(screen->input);
                    applySettings();
                    const char* load = systemVars.getText("$sys_loadname");
                    if (load && *load && restoreHook) {
                        restoreHook(load);
                        backlog.clear();
                        setSystem("$sys_loadname", nullptr);
                    }
                    mode = 2;
                    screen->host().invalidate(Rect{0, 0, 800, 600});
                    break;
                }
                case 3:
                    screen->requestedMode = 0;
                    resetPointer(screen->input);
                    if (mode == 3) break;
                    parkScreen();
                    screen = buildSystemScreen(3);
                    mode = 3;
                    break;
                case 4:
                case 5:
                case 6:
                case 9:
                    screen->requestedMode = 0;
                    resetPointer(screen->input);
                    parkScreen();
                    screen = buildSystemScreen(static_cast<int32_t>(requested));
                    mode = static_cast<int32_t>(requested);
                    break;
                default:
                    backToStatements = true;
                    break;
                }
            }
        }
        freeScript();
        if (passEndHook) passEndHook();
    }
}

void Engine::onKeyUp(int key) {
    switch (key) {
    case vk::Return:
        sendMessage(clickAt(1, 0));
        break;
    case vk::Escape:
        sendMessage(makeMessage(MessageKind::Close));
        break;
    case vk::Space:
        if (mode == 2 && (inputFlags & 1) && screen)
            setMessageWindowVisible(0, screen->isMessageWindowVisible() ? 0 : 1);
        break;
    case vk::Prior:
    case vk::Up:
        if (mode == 6)
            sendMessage(clickAt(751, 251));
        else if (mode == 2 && (inputFlags & 1))
            requestMode(6, 1);
        break;
    case vk::Next:
    case vk::Down:
        if (mode == 6) sendMessage(clickAt(751, 321));
        break;
    default:
        break;
    }
}

void Engine::setMessageWindowVisible(int party, int visible) {
    if (!screen || screen->findLayer(kMessageWindowLayerId) < 0) return;
    if (party < 0 || party > 1 || hiddenBy[1 - party] != 0) return;
    if (screen->setMessageWindowVisible(visible)) hiddenBy[party] = visible ? 0 : 1;
}

void Engine::applySettings() {
    applyMessageSettings();
    if (volumeSettingsHook) volumeSettingsHook();
    if (systemVars.getNumber("$sys_hide") == 1) {
        setMessageWindowVisible(0, 0);
        setSystem("$sys_hide", "0");
    } else if (systemVars.getNumber("$sys_auto") == 1 && screen && screen->input) {
        // As if the player had clicked, so a waiting text moves on.
        screen->input->clickX = 1;
        screen->input->clickY = 0;
    }
}

} // namespace zre
