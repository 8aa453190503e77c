#pragma once
// The program's shell: entry point, window procedure, message pump and timed waits. It owns
// the engine, the shared input record and the host through which screens reach the window.
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/screen.h"
#include "platform/messages.h"
#include "script/engine_services.h"
#include "sound/movie_player.h"

namespace zre {

class Engine;

// Runs the program with its command line (without the program name); returns the exit
// code for the paths that end before the main loop (bad options, a second copy).
int runShell(const std::vector<std::string>& args);

// Dispatches every queued message when the window is in the foreground, else waits for one.
// When nothing was queued it sleeps up to waitMs for the next message (the game is waiting
// for its next step or for the player). A Quit message ends the process.
// onlyInputMovesOn: the game is held until input arrives (see waitingOnlyForInput).
void pumpMessages(uint32_t waitMs = 0, bool onlyInputMovesOn = false);

void windowProcedure(const Message& message);

// The window as the screens and the engine see it.
class ShellHost : public ScreenHost, public EngineHost, public MovieHost {
public:
    uint32_t now() override;
    bool controlHeld() override;
    void invalidate(const Rect& area) override;
    void pump(uint32_t waitMs) override;
    void paint(const Bitmap& front, int32_t x, int32_t y, int32_t width, int32_t height) override;

    void pumpFrame(uint32_t waitMs, bool onlyInputMovesOn) override;
    void endProgram() override;
    void closeWindow() override;
    void postClose() override;
    int setDisplayMode(int32_t full, int32_t keep) override;
    std::string askComment() override;
};

} // namespace zre
