#pragma once
// The configuration screen: save, load, backlog and hide (only from the game), the display,
// automatic advance, text direction and speed, the four volume bars, return and quit. Its
// buttons start lit from the settings and act on them at once.
#include <cstdint>
#include <memory>
#include <string_view>

#include "ui/system_screen.h"

namespace zre {

class SoundChannels;

// What the configuration screen needs of the engine beyond ScreenActions.
class ConfigActions {
public:
    virtual ~ConfigActions() = default;
    // The class volumes the player hears at once.
    virtual SoundChannels& sound() = 0;
    // Window (full 0) or full screen (full 1); 1 when the display was switched.
    virtual int setDisplayMode(int32_t full) = 0;
    // A plain pause that does not pump the window.
    virtual void pause(uint32_t ms) = 0;
};

// Button numbers of the configuration screen.
namespace config_button {
constexpr int32_t Save = 0;
constexpr int32_t Load = 1;
constexpr int32_t Backlog = 2;
constexpr int32_t Hide = 3;
constexpr int32_t Windowed = 4;
constexpr int32_t FullScreen = 5;
constexpr int32_t AutoOn = 6;
constexpr int32_t AutoOff = 7;
constexpr int32_t Vertical = 8;
constexpr int32_t Horizontal = 9;
constexpr int32_t Slow = 10;
constexpr int32_t Normal = 11;
constexpr int32_t Fast = 12;
// Each volume group is the mute button and four levels (2500 ... 10000), in this order.
constexpr int32_t EffectVolume = 13;
constexpr int32_t MusicVolume = 18;
constexpr int32_t MaleVoiceVolume = 23;
constexpr int32_t FemaleVoiceVolume = 28;
constexpr int32_t Return = 33;
constexpr int32_t Quit = 34;
constexpr int32_t Count = 35;
} // namespace config_button

// The rectangles of the 35 buttons, in button order (also what the demo draws).
const std::vector<Rect>& configButtonRects();

// Needs context.config; without it the screen has no controller.
std::unique_ptr<Screen> buildConfigScreen(const SystemScreenContext& context);

class ConfigController : public ScreenController {
public:
    ConfigController(std::vector<ScreenButton> buttonList, ScreenActions& engineActions, ConfigActions& config);
    void onButton(int32_t k) override;

private:
    ConfigActions* config_;
};

} // namespace zre
