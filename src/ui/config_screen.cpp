#include "ui/config_screen.h"

#include <array>

#include "sound/sound_channels.h"

namespace zre {

namespace {

namespace cb = config_button;

// The value each volume group's buttons stand for, mute first.
constexpr std::array<int32_t, 5> kVolumeSteps = {0, 2500, 5000, 7500, 10000};

struct VolumeGroup {
    int32_t first;          // the mute button
    const char* variable;   // where the choice is kept
};
constexpr std::array<VolumeGroup, 4> kVolumeGroups = {{
    {cb::EffectVolume, "$sys_effvol"},
    {cb::MusicVolume, "$sys_bgmvol"},
    {cb::MaleVoiceVolume, "$sys_manvol"},
    {cb::FemaleVoiceVolume, "$sys_womanvol"},
}};

// Buttons that would leave for a game-only screen.
bool onlyFromTheGame(int32_t k) { return k >= cb::Save && k <= cb::Hide; }

void setClassVolume(SoundChannels& sound, int32_t first, int32_t volume) {
    switch (first) {
    case cb::EffectVolume: sound.setEffectVolume(volume); break;
    case cb::MusicVolume: sound.setBgmVolume(volume); break;
    case cb::MaleVoiceVolume: sound.setManVolume(volume); break;
    case cb::FemaleVoiceVolume: sound.setWomanVolume(volume); break;
    default: break;
    }
}

// A pair of which exactly one is lit.
void makePair(std::vector<ScreenButton>& b, int32_t first, bool firstOn) {
    b[first].setOn(firstOn ? 1 : 0);
    b[first + 1].setOn(firstOn ? 0 : 1);
    b[first].relate(b[first + 1], 0);
    b[first + 1].relate(b[first], 0);
}

void makeSpeedGroup(std::vector<ScreenButton>& b, int32_t wait) {
    const int32_t lit = wait == 100 ? cb::Slow : wait == 50 ? cb::Normal : cb::Fast;
    b[lit].setOn(1);
    for (int32_t k = cb::Slow; k <= cb::Fast; ++k)
        for (int32_t other = cb::Slow; other <= cb::Fast; ++other)
            if (other != k) b[k].relate(b[other], 0);
}

// A bar: a level lights the levels below it with it and switches the higher ones and mute
// off; hovering a level previews the bar up to it.
void makeVolumeGroup(std::vector<ScreenButton>& b, int32_t first, int32_t volume) {
    const int32_t mute = first;
    // Only the values the buttons offer light anything.
    if (volume == 0) b[mute].setOn(1);
    const bool offered = volume > 0 && volume <= 10000 && volume % 2500 == 0;
    for (int32_t level = 1; offered && level <= 4; ++level)
        if (kVolumeSteps[level] <= volume) b[first + level].setOn(1);
    for (int32_t level = 1; level <= 4; ++level) {
        ScreenButton& button = b[first + level];
        for (int32_t other = 1; other <= 4; ++other)
            if (other != level) button.relate(b[first + other], other < level ? 3 : 0);
        button.relate(b[mute], 0);
        b[mute].relate(button, 0);
    }
}

} // namespace

const std::vector<Rect>& configButtonRects() {
    static const std::vector<Rect> rects = {
        {87, 94, 235, 124},   {483, 94, 631, 124},  {87, 142, 235, 174},  {483, 142, 651, 174},  // 0-3
        {115, 228, 209, 246}, {298, 228, 428, 246}, {509, 228, 547, 246}, {674, 228, 729, 246},  // 4-7
        {163, 300, 187, 319}, {307, 300, 330, 319}, {497, 300, 541, 319}, {583, 300, 624, 319},  // 8-11
        {666, 300, 706, 319},                                                                    // 12
        {115, 421, 155, 440}, {168, 424, 198, 440}, {198, 410, 228, 440}, {228, 396, 257, 440},  // 13-16
        {257, 382, 274, 440},                                                                    // 17
        {115, 530, 155, 549}, {168, 534, 198, 549}, {198, 518, 228, 549}, {228, 505, 257, 549},  // 18-21
        {257, 491, 274, 549},                                                                    // 22
        {509, 421, 547, 440}, {564, 424, 594, 440}, {594, 410, 624, 440}, {624, 396, 653, 440},  // 23-26
        {653, 382, 671, 440},                                                                    // 27
        {509, 495, 547, 514}, {564, 498, 594, 514}, {594, 485, 624, 514}, {624, 471, 653, 514},  // 28-31
        {653, 456, 671, 514},                                                                    // 32
        {483, 558, 547, 580}, {616, 558, 734, 580},                                              // 33-34
    };
    return rects;
}

std::unique_ptr<Screen> buildConfigScreen(const SystemScreenContext& context) {
    ButtonScreen built = buildButtonScreen(context, "./syspict/conf_normal.gfb", "./syspict/conf_hover.gfb",
                                           "./syspict/conf_on.gfb", configButtonRects());
    Screen& s = *built.screen;
    if (context.config) {
        ConfigActions& config = *context.config;
        std::vector<ScreenButton>& b = built.buttons;
        makePair(b, cb::Windowed, context.actions.systemNumber("$sys_crt") == 0);
        makePair(b, cb::AutoOn, context.actions.systemNumber("$sys_auto") != 0);
        makePair(b, cb::Vertical, context.actions.systemNumber("$Print_vertical") != 0);
        makeSpeedGroup(b, context.actions.systemNumber("$Print_wait"));
        for (const VolumeGroup& group : kVolumeGroups)
            makeVolumeGroup(b, group.first, context.actions.systemNumber(group.variable));

        // The relations point into the vector's store, which moves along with it.
        auto controller = std::make_unique<ConfigController>(std::move(built.buttons), context.actions, config);
        controller->key = s.nextTaskKey();
        s.addTask(std::move(controller));
    }
    s.show(SHOW_NORMAL, 0);
    return std::move(built.screen);
}

ConfigController::ConfigController(std::vector<ScreenButton> buttonList, ScreenActions& engineActions,
                                   ConfigActions& config)
    : ScreenController(std::move(buttonList), engineActions), config_(&config) {}

void ConfigController::onButton(int32_t k) {
    // Opened from the title there is no game to save, show the log of, or go back to.
    if (onlyFromTheGame(k) && engine->previousMode() == EngineMode::Title) {
        buttons[k].setOn(0);
        buttons[k].setHover(0);
        return;
    }
    switch (k) {
    case cb::Save:
        engine->requestMode(EngineMode::Save, 1);
        done = 1;
        return;
    case cb::Load:
        engine->requestMode(EngineMode::Load, 1);
        done = 1;
        return;
    case cb::Backlog: engine->requestMode(EngineMode::Backlog, 1); return;
    case cb::Hide:
        engine->returnToPreviousMode();
        engine->setSystemText("$sys_hide", "1");
        done = 1;
        return;
    case cb::Windowed:
    case cb::FullScreen: {
        const int32_t full = k == cb::FullScreen ? 1 : 0;
        if (config_->setDisplayMode(full) == 1) engine->setSystemText("$sys_crt", full ? "1" : "0");
        return;
    }
    case cb::AutoOn: engine->setSystemText("$sys_auto", "1"); return;
    case cb::AutoOff: engine->setSystemText("$sys_auto", "0"); return;
    case cb::Vertical: engine->setSystemText("$Print_vertical", "1"); return;
    case cb::Horizontal: engine->setSystemText("$Print_vertical", "0"); return;
    case cb::Slow: engine->setSystemText("$Print_wait", "100"); return;
    case cb::Normal: engine->setSystemText("$Print_wait", "50"); return;
    case cb::Fast: engine->setSystemText("$Print_wait", "0"); return;
    case cb::Return:
        engine->returnToPreviousMode();
        config_->pause(200);
        done = 1;
        return;
    case cb::Quit:
        engine->postClose();
        buttons[k].setOn(0);
        buttons[k].setHover(0);
        return;
    default: break;
    }
    for (const VolumeGroup& group : kVolumeGroups) {
        if (k < group.first || k > group.first + 4) continue;
        const int32_t volume = kVolumeSteps[k - group.first];
        setClassVolume(config_->sound(), group.first, volume);
        engine->setSystemText(group.variable, std::to_string(volume).c_str());
        return;
    }
}

} // namespace zre
