// The engine's main loop: one statement, then frames until nothing blocks, then the mode
// switch the screen asks for; and the window input the engine answers.
#include <memory>

#include "platform/clock.h"
#include "platform/input_state.h"
#include "platform/messages.h"
#include "script/engine.h"
#include "ui/backlog_screen.h"
#include "ui/config_screen.h"
#include "ui/message_text.h"
#include "ui/music_room.h"
#include "ui/save_load_screen.h"
#include "ui/system_screen.h"

namespace zre {

namespace {

void resetPointer(InputState* input) {
    if (!input) return;
    input->clickX = input->clickY = -1;
    input->mouseX = input->mouseY = -1;
}

// The backlog's arrows, which the page keys and the wheel press there.
constexpr int32_t kBacklogArrowX = 751;
constexpr int32_t kBacklogUpY = 251;
constexpr int32_t kBacklogDownY = 321;

// What the controllers of the system screens may do to the engine.
class EngineScreenActions : public ScreenActions,
                            public ConfigActions,
                            public SaveLoadActions,
                            public BacklogSource,
                            public MusicPlayer {
public:
    explicit EngineScreenActions(Engine& engine) : engine_(engine) {}
    void queueStatement(std::string_view text) override { engine_.queueStatement(text); }
    void setPageHook(int32_t value) override { engine_.rightButtonBlocked = value; }
    void postClose() override { engine_.host.postClose(); }
    void requestMode(EngineMode m, int32_t push) override { engine_.requestMode(m, push); }
    void returnToPreviousMode() override { engine_.returnToPreviousMode(); }
    EngineMode previousMode() const override { return engine_.previousMode(); }

    int32_t systemNumber(std::string_view name) const override { return engine_.systemVars.getNumber(name); }
    void setSystemText(std::string_view name, const char* text) override { engine_.setSystem(name, text); }
    SoundChannels& sound() override { return engine_.sound; }
    int setDisplayMode(int32_t full) override { return engine_.host.setDisplayMode(full, 0); }
    void pause(uint32_t ms) override { sleepMs(ms); }

    void setSaveComment(const char* comment) override { engine_.setInScope(0, "$save_comment", comment); }
    std::string sceneTitle() const override {
        const char* title = engine_.getScoped("$scene_title");
        return title ? title : "";
    }
    std::string currentDate() const override {
        std::string date;
        engine_.dateStamp(date, 3);
        return date;
    }
    std::unique_ptr<Bitmap> gameThumbnail() const override { return engine_.makeThumbnail(); }
    int saveSlot(std::string_view path) override { return engine_.saveSlot(path); }
    int readSlotInfo(std::string_view path, std::string& title, std::string& comment,
                     std::string& time) const override {
        return engine_.readSlotInfo(path, title, comment, time);
    }
    std::unique_ptr<Bitmap> loadThumbnail(std::string_view path) const override {
        return engine_.loadThumbnail(path);
    }
    std::string askComment() override { return engine_.host.askComment(); }

    const std::deque<std::string>& backlogHistory() const override { return engine_.backlog; }
    const Layer* gameFrontLayer() const override {
        const Screen* game = engine_.gameScreen();
        return game ? game->front() : nullptr;
    }
    void playMusic(std::string_view path) override { engine_.sound.play(kMusicKey, path, 1, 1); }
    void stopMusic() override { engine_.sound.stop(kMusicKey); }

private:
    Engine& engine_;
};

} // namespace

void Engine::parkScreen() {
    if (!parkedScreen)
        parkedScreen = std::move(screen);
    else
        screen.reset();
}

void Engine::enterSystemScreen(EngineMode next) {
    // Every system screen shares the game screen's window host and input record.
    Screen* game = gameScreen();
    if (!game) return;
    if (!screenActions) screenActions = std::make_unique<EngineScreenActions>(*this);
    SystemScreenContext context{game->host(), game->input, *screenActions};
    auto* actions = static_cast<EngineScreenActions*>(screenActions.get());
    context.config = actions;
    context.saveLoad = actions;
    context.backlog = actions;
    context.music = actions;
    parkScreen();
    screen = buildSystemScreen(next, context);
    mode = next;
}

void Engine::run() {
    startUp();
    for (;;) {
        beginPass();
        for (;;) {
            // One statement: a queued one first; the script itself only in the game mode.
            if (hasQueued()) {
                runQueued();
            } else if (mode == EngineMode::Game && !step()) {
                break;
            }
            while (runFrame()) {
            }
        }
        freeScript();
        sound.collectFinished();
    }
}

bool Engine::runFrame() {
    screen->updateTasks();
    screen->compose();
    screen->present();
    // Only a screen that holds the script waits, and then no longer than until its nearest
    // step or the next message: a frame before the next statement never sleeps.
    const bool held = screen->isBusy() != 0;
    const uint32_t now = screen->host().now();
    host.pumpFrame(held ? screen->idleTime(now) : 0, held && screen->heldUntilInput(now));
    advanceFrame();
    if (screen->isBusy()) return true;

    const EngineMode requested = screen->requestedMode;
    switch (requested) {
    case EngineMode::Title:
        screen->requestedMode = EngineMode::None;
        resetPointer(screen->input);
        enterSystemScreen(EngineMode::Title);
        queueStatement("PlaySound(2, ./dat/zamu_title.ogg, 0)");
        return false;
    case EngineMode::Game: {
        screen->requestedMode = EngineMode::None;
        if (!parkedScreen) return true;  // nothing parked: the game screen is current
        screen = std::move(parkedScreen);
        resetPointer(screen->input);
        applySettings();
        const char* load = systemVars.getText("$sys_loadname");
        if (load && *load) {
            saves.restore(load);
            backlog.clear();
            setSystem("$sys_loadname", nullptr);
        }
        mode = EngineMode::Game;
        screen->host().invalidate(kScreenArea);
        return true;
    }
    case EngineMode::Configuration:
        screen->requestedMode = EngineMode::None;
        resetPointer(screen->input);
        if (mode != EngineMode::Configuration) enterSystemScreen(EngineMode::Configuration);
        return true;
    case EngineMode::Save:
    case EngineMode::Load:
    case EngineMode::Backlog:
    case EngineMode::MusicRoom:
        screen->requestedMode = EngineMode::None;
        resetPointer(screen->input);
        enterSystemScreen(requested);
        return true;
    default:
        return false;
    }
}

void Engine::handleInput(const Message& m) {
    InputState* input = screen ? screen->input : nullptr;
    if (!input) return;
    switch (m.kind) {
    case MessageKind::KeyDown:
        input->keyDown = m.key;
        input->keyUp = 0;
        break;
    case MessageKind::KeyUp:
        input->keyUp = m.key;
        input->keyDown = 0;
        onKeyUp(m.key);
        break;
    case MessageKind::MouseMove:
        input->mouseX = m.x & 0xFFFF;
        input->mouseY = m.y & 0xFFFF;
        break;
    case MessageKind::LButtonUp:
        onLeftButtonUp(m.x, m.y);
        break;
    case MessageKind::RButtonUp:
        onRightButtonUp();
        break;
    case MessageKind::MouseWheel: {
        // The wheel acts exactly as a page key released: toward the player Page Down.
        Message key;
        key.kind = MessageKind::KeyUp;
        key.key = m.wheel < 0 ? vk::Next : vk::Prior;
        handleInput(key);
        break;
    }
    default:
        break;
    }
}

void Engine::onLeftButtonUp(int32_t x, int32_t y) {
    InputState* input = screen ? screen->input : nullptr;
    if (!input) return;
    input->clickX = x & 0xFFFF;
    input->clickY = y & 0xFFFF;
    if (!screen->isMessageWindowVisible() && mode == EngineMode::Game) {
        // A click on a hidden message window only shows it again, unless a choice waits
        // for the same click.
        setMessageWindowVisible(0, 1);
        if (!(inputFlags & InputFlag::ChoiceOpen)) input->consumeClick();
    }
}

void Engine::onRightButtonUp() {
    if (rightButtonBlocked != 0) return;
    if (mode != EngineMode::Game)
        returnToPreviousMode();
    else if (inputFlags & InputFlag::MenuKeys)
        requestMode(EngineMode::Configuration, 1);
}

void Engine::onKeyUp(int key) {
    switch (key) {
    case vk::Return:
        onLeftButtonUp(1, 0);
        break;
    case vk::Escape:
        host.closeWindow();
        break;
    case vk::Space:
        if (mode == EngineMode::Game && (inputFlags & InputFlag::MenuKeys) && screen)
            setMessageWindowVisible(0, screen->isMessageWindowVisible() ? 0 : 1);
        break;
    case vk::Prior:
    case vk::Up:
        if (mode == EngineMode::Backlog)
            onLeftButtonUp(kBacklogArrowX, kBacklogUpY);
        else if (mode == EngineMode::Game && (inputFlags & InputFlag::MenuKeys))
            requestMode(EngineMode::Backlog, 1);
        break;
    case vk::Next:
    case vk::Down:
        if (mode == EngineMode::Backlog) onLeftButtonUp(kBacklogArrowX, kBacklogDownY);
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
    sound.setVolumes(systemVars.getNumber("$sys_bgmvol"), systemVars.getNumber("$sys_manvol"),
                     systemVars.getNumber("$sys_womanvol"), systemVars.getNumber("$sys_effvol"));
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
