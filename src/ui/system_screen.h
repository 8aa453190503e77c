#pragma once
// The system screens built from full-screen pictures: the normal picture is the background,
// the hovered (and on) pictures are cut into one small layer per button and state, and a
// controller task polls the buttons every frame and carries out the clicked button's action.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "graphics/engine_mode.h"
#include "graphics/rect.h"
#include "graphics/screen.h"
#include "graphics/task.h"
#include "ui/screen_button.h"

namespace zre {

struct InputState;
class BacklogSource;
class ConfigActions;
class MusicPlayer;
class SaveLoadActions;

// What the controllers of the system screens ask of the engine.
class ScreenActions {
public:
    virtual ~ScreenActions() = default;
    virtual void queueStatement(std::string_view text) = 0;
    virtual void setPageHook(int32_t value) = 0;
    // Asks the window to close (the quit question).
    virtual void postClose() = 0;
    virtual void requestMode(EngineMode mode, int32_t push) = 0;
    virtual void returnToPreviousMode() = 0;
    virtual EngineMode previousMode() const = 0;
    // A system variable as a number (a missing one reads as -1), and set as text (null:
    // without value).
    virtual int32_t systemNumber(std::string_view name) const = 0;
    virtual void setSystemText(std::string_view name, const char* text) = 0;
};

// What every system screen is built from: the window host and the input record the game
// screen uses, and what its controller may ask of the engine.
struct SystemScreenContext {
    ScreenHost& host;
    InputState* input;
    ScreenActions& actions;
    // What the configuration, save and load screens need besides (null: those screens stay empty).
    ConfigActions* config = nullptr;
    SaveLoadActions* saveLoad = nullptr;
    // The history and game picture the backlog shows, and the music room's player; null
    // where there is no engine behind the screen.
    const BacklogSource* backlog = nullptr;
    MusicPlayer* music = nullptr;
};

// The preamble every system screen shares: a new 800 x 600 screen on the host, with the
// input record and a message text.
std::unique_ptr<Screen> newSystemScreen(ScreenHost& host, InputState* input);

// The system screen of a mode, built by that mode's builder. A mode without a screen of
// its own gets an empty screen.
std::unique_ptr<Screen> buildSystemScreen(EngineMode mode, const SystemScreenContext& context);

// Layer ids of a button screen: 1 background, 100 + k / 200 + k / 300 + k the normal,
// hovered and on layers of button k.
constexpr int32_t kButtonNormalBase = 100;
constexpr int32_t kButtonHoverBase = 200;
constexpr int32_t kButtonOnBase = 300;

// The controller of a button screen: a blocking task that is never started (it runs from
// the first frame) and ends when its action hands control to another mode.
class ScreenController : public Task {
public:
    ScreenController(std::vector<ScreenButton> buttonList, ScreenActions& engineActions);
    int update() override;
    uint32_t dueIn(uint32_t now) const override;

    // Carries out the action of button k after it was clicked.
    virtual void onButton(int32_t k) = 0;
    // The title carries out every clicked button of a frame, also after one of them ended
    // it; other screens stop at the first.
    virtual bool stopAtFirstClick() const { return true; }

    int32_t buttonCount() const { return static_cast<int32_t>(buttons.size()); }
    // Polls the buttons in order and carries out the clicked ones' actions; true when one
    // was clicked.
    bool pollButtons();

    std::vector<ScreenButton> buttons;
    ScreenActions* engine;
};

// Steps common to every button screen: a new screen at 800 x 600 on the host, with the
// input record; the pictures as layers 1, 2 (and 3); the per-button layers cut from them;
// layers 2 and 3 removed; the buttons made. The controller is added by the caller.
struct ButtonScreen {
    std::unique_ptr<Screen> screen;
    std::vector<ScreenButton> buttons;
};
// The part r of layer from as a new layer placed at r (an empty one when there is no picture
// to cut).
std::unique_ptr<Layer> cutLayerRegion(const Screen& screen, int32_t from, const Rect& r);
// Cuts the part r of layer from into a new hidden layer id placed at r (an empty layer when
// there is no picture to cut); nothing when there is no layer from.
void cutButtonLayer(Screen& screen, int32_t from, int32_t id, const Rect& r);
ButtonScreen buildButtonScreen(const SystemScreenContext& context, std::string_view normalPicture,
                               std::string_view hoverPicture, std::string_view onPicture,
                               const std::vector<Rect>& buttonRects);
// The buttons at buttonRects over the layers 100 + k, 200 + k (and 300 + k with an on look;
// without one the hovered layer shows for on as well).
std::vector<ScreenButton> makeScreenButtons(Screen& screen, const std::vector<Rect>& buttonRects, bool hasOn);

// The title screen: new game, load, configuration and quit.
std::unique_ptr<Screen> buildTitleScreen(const SystemScreenContext& context);

class TitleController : public ScreenController {
public:
    using ScreenController::ScreenController;
    void onButton(int32_t k) override;
    bool stopAtFirstClick() const override { return false; }
};

} // namespace zre
