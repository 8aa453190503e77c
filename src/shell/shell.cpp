#include "shell/shell.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/game_folder.h"
#include "platform/input_state.h"
#include "platform/instance_lock.h"
#include "platform/key_state.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/termination_signals.h"
#include "platform/window.h"
#include "script/engine.h"
#include "script/save_slots.h"
#include "script/variable_dump.h"
#include "shell/display_mode.h"
#include "sound/sound_manager.h"
#include "ui/comment_dialog.h"
#include "ui/message_box_dialog.h"
#include "ui/message_text.h"

namespace zre {

namespace {


// "Vellora（体験版）"
constexpr char kCaption[] = "Vellora\x81\x69\x91\xcc\x8c\xb1\x94\xc5\x81\x6a";
// "すでに起動しています。"
constexpr char kAlreadyRunning[] = "\x82\xb7\x82\xc5\x82\xc9\x8b\x4e\x93\xae\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42";
// "ゲームを終了しますか？" / "終了"
constexpr char kQuitQuestion[] =
    "\x83\x51\x81\x5b\x83\x80\x82\xf0\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb7\x82\xa9\x81\x48";
constexpr char kQuitCaption[] = "\x8f\x49\x97\xb9";

// Movies play over the window through the shell's own pump.
class ShellMovies final : public MoviePlayback {
public:
    explicit ShellMovies(MovieHost& host) : host_(host) {}
    void playMovie(std::string_view path, int32_t clickToEnd) override { zre::playMovie(host_, path, clickToEnd); }

private:
    MovieHost& host_;
};

// Process-wide state of the shell, set once at start-up.
struct ShellState {
    ShellHost host;
    SoundManager sound;
    EngineSaveSlots saves;
    ShellMovies movies{host};
    std::unique_ptr<Engine> engine;
    std::unique_ptr<InputState> input;
    std::string dumpVarsPath;
    bool destroyed = false;
    // Enter went down with Alt held: its release belongs to the display switch.
    bool returnHeldForDisplay = false;
};

ShellState& shell() {
    static ShellState state;
    return state;
}

void writeDumpVars() {
    ShellState& s = shell();
    if (s.dumpVarsPath.empty() || !s.engine) return;
    std::string text = dumpEngineVariables(*s.engine);
    if (!writeFileAtomically(s.dumpVarsPath, text.data(), text.size()))
        std::fprintf(stderr, "zre: cannot write %s\n", s.dumpVarsPath.c_str());
}

// The window is going away: keep the player's settings, then let the pump end the process.
// The engine is not freed here: this runs from inside engine work (a script closing its
// outermost block, a message pumped during a frame), and ending the process releases it.
void onDestroy() {
    ShellState& s = shell();
    if (s.destroyed) return;
    s.destroyed = true;
    if (s.engine) s.engine->saveSystemData(kSystemDataPath);
    writeDumpVars();
    restoreDesktopMode();
    postQuitMessage(0);
}

// Alt+Enter and F11 switch between the window and full screen, as the configuration
// screen's buttons do, and keep the setting in step. Alt+Enter acts when Enter goes down
// with Alt held; that Enter's release is no click, even when Alt was let go first. F11
// acts when it is released, so a held key switches once.

void toggleDisplay(Engine& engine) {
    const int32_t full = isFullscreen() ? 0 : 1;
    if (setDisplayMode(full, 0) == 1) engine.setSystem("$sys_crt", full ? "1" : "0");
}

// True when the key was the display switch's (and is not the game's).
bool handleDisplayKey(Engine& engine, const Message& m) {
    bool& returnHeldForDisplay = shell().returnHeldForDisplay;
    if (m.key == vk::F11) {
        if (m.kind == MessageKind::KeyUp) toggleDisplay(engine);
        return true;
    }
    if (m.key != vk::Return) return false;
    if (m.kind == MessageKind::KeyDown && (m.alt || returnHeldForDisplay)) {
        if (!returnHeldForDisplay) toggleDisplay(engine);
        returnHeldForDisplay = true;
        return true;
    }
    if (m.kind == MessageKind::KeyUp && returnHeldForDisplay) {
        returnHeldForDisplay = false;
        return true;
    }
    return false;
}

void handle(const Message& m) {
    if (m.kind == MessageKind::Quit) {
        shutdownPlatform();
        exitProcess(static_cast<int>(m.value));
    }
    dispatchMessage(m);
}

// Where the desktop's own message boxes cannot show the game's Japanese texts, the game
// draws them in its window; the backend's boxes answer the rest (and all of them headless).
void drawMessageBoxesInWindow() {
    auto backendBoxes = std::make_shared<MessageBoxHandler>();
    *backendBoxes = setMessageBoxHandler([backendBoxes](std::string_view text, std::string_view caption,
                                                        MessageBoxButtons buttons, MessageBoxIcon icon) {
        if (!messageBoxesDrawnInWindow()) return (*backendBoxes)(text, caption, buttons, icon);
        return runMessageBoxDialog(text, caption, buttons, icon, handle);
    });
}

std::string absolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    auto p = std::filesystem::absolute(path, ec);
    return ec ? path : p.string();
}

int usage(const std::string& error) {
    if (!error.empty()) std::fprintf(stderr, "zre: %s\n", error.c_str());
    std::fprintf(stderr,
                 "usage: zre [--headless] [--frame-ms N] [--max-ms N] [--input FILE] [--answers LIST]\n"
                 "           [--dump-vars FILE] [--screenshot MS:FILE]... [--audio-out FILE.wav] [GAME_DIR]\n");
    return 2;
}

} // namespace

uint32_t ShellHost::now() { return nowMs(); }
bool ShellHost::controlHeld() { return controlKeyPressed(); }
void ShellHost::invalidate(const Rect&) { invalidateWindow(); }
void ShellHost::pump(uint32_t waitMs) { pumpMessages(waitMs); }
void ShellHost::paint(const Bitmap& front, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (front.empty()) return;
    presentFront(front.bits, front.width(), front.height(), front.stride(), x, y, width, height);
}

void ShellHost::pumpFrame(uint32_t waitMs, bool onlyInputMovesOn) { pumpMessages(waitMs, onlyInputMovesOn); }

// The window's destroy path; the pump that follows ends the process.
void ShellHost::endProgram() {
    sendMessage(makeMessage(MessageKind::Destroy));
    for (;;) pumpMessages();
}

void ShellHost::closeWindow() { sendMessage(makeMessage(MessageKind::Close)); }

void ShellHost::postClose() { postMessage(makeMessage(MessageKind::Close)); }

int ShellHost::setDisplayMode(int32_t full, int32_t keep) { return zre::setDisplayMode(full, keep); }

// The dialog runs its own loop; the window's end still ends the process from inside it.
std::string ShellHost::askComment() { return runCommentDialog(handle); }

void pumpMessages(uint32_t waitMs, bool onlyInputMovesOn) {
    Message m;
    if (isForeground()) {
        bool any = false;
        while (peekMessage(m)) {
            any = true;
            handle(m);
        }
        // Nothing to do until the next step or the next message: give the processor back
        // until then. Timing comes from the clock, so behaviour does not change.
        if (!any && onlyInputMovesOn) waitingOnlyForInput();
        if (!any && waitMs > 0 && sleepUntilMessage(m, waitMs)) handle(m);
    } else if (waitMessage(m)) {
        handle(m);
    }
}

void windowProcedure(const Message& m) {
    ShellState& s = shell();
    Engine* engine = s.engine.get();
    if (!engine) return;
    switch (m.kind) {
    case MessageKind::Destroy:
        onDestroy();
        break;
    case MessageKind::Paint:
        if (engine->screen) engine->screen->paint();
        break;
    case MessageKind::KeyDown:
    case MessageKind::KeyUp:
        if (!handleDisplayKey(*engine, m)) engine->handleInput(m);
        break;
    case MessageKind::MovieNotify:
        notifyMoviePosition(m.value);
        break;
    case MessageKind::Close:
        if (messageBox(kQuitQuestion, kQuitCaption, MessageBoxButtons::YesNo, MessageBoxIcon::Question) ==
            MessageBoxResult::Yes)
            sendMessage(makeMessage(MessageKind::Destroy));
        break;
    default:
        // Keys, mouse and wheel follow the engine's rules.
        engine->handleInput(m);
        break;
    }
}

int runShell(const std::vector<std::string>& args) {
    ShellState& s = shell();
    bool headless = false;
    HeadlessOptions options;
    std::string gameDir = ".";
    bool haveGameDir = false;
    size_t i = 0;
    while (i < args.size()) {
        std::string error;
        OptionResult r = parseHeadlessOption(args, i, headless, options, error);
        if (r == OptionResult::Error) return usage(error);
        if (r == OptionResult::Consumed) continue;  // i is past the option and its value
        const std::string& a = args[i++];
        if (a == "--dump-vars") {
            if (i >= args.size()) return usage("--dump-vars needs a file");
            s.dumpVarsPath = absolutePath(args[i++]);
        } else if (a == "--help" || a == "-h") {
            usage("");
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            return usage("unknown option " + a);
        } else if (haveGameDir) {
            return usage("only one game folder can be played");
        } else {
            gameDir = a;
            haveGameDir = true;
        }
    }

    if (!initPlatform(headless, options)) return 1;
    installTerminationSignals();
    if (chdir(gameDir.c_str()) != 0) {
        std::fprintf(stderr, "zre: cannot open the game folder %s\n", gameDir.c_str());
        shutdownPlatform();
        return 1;
    }
    if (!acquireInstanceLock(".")) {
        messageBox(kAlreadyRunning, "Error", MessageBoxButtons::Ok);
        shutdownPlatform();
        return 0;
    }

    // A game installed where the player cannot write keeps its settings and saves in a
    // folder of the player's.
    chooseDataFolder();

    // The display as the player left it; the window first, $sys_crt decides once the
    // settings are read.
    recordDesktopMode();
    setDisplayMode(0, 1);

    // A captioned window when the desktop has room around the game, a popup otherwise.
    DisplaySize desk = desktopSize();
    bool popup = !(desk.width > kScreenWidth || desk.height > kScreenHeight);
    if (!createWindow(kCaption, kScreenWidth, kScreenHeight, popup)) {
        std::fprintf(stderr, "zre: cannot open the game window\n");
        shutdownPlatform();
        return 1;
    }
    drawMessageBoxesInWindow();

    // What the window's creation sets up: the engine, its first screen and the input record.
    s.engine = std::make_unique<Engine>(EngineServices{s.host, s.sound, s.saves, s.movies});
    s.saves.attach(*s.engine);
    // The engine's sound starts with the window; without a device the game runs silent.
    s.sound.init();
    s.input = std::make_unique<InputState>();
    auto screen = std::make_unique<Screen>(s.host);
    screen->attachWindow(kScreenWidth, kScreenHeight);
    screen->input = s.input.get();
    attachMessageText(*screen);
    s.engine->setScreen(std::move(screen));
    setWindowProcedure(windowProcedure);

    showWindow();
    s.engine->run();
    return 0;
}

} // namespace zre
