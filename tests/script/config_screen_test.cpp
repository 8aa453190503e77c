// The configuration screen inside the engine: its buttons lit from the settings, what a
// click and a hover change, and the buttons that only act when the screen came from the game.
#include "ui/config_screen.h"

#include <gtest/gtest.h>

#include <set>

#include "graphics/layer.h"
#include "platform/clock.h"
#include "platform/input_state.h"
#include "script/engine_fixture.h"

namespace zre::test {
namespace {

namespace cb = config_button;

class ConfigScreen : public ::testing::Test {
protected:
    // Opens the screen from the game (or the title) with the given settings.
    void open(const std::vector<std::pair<const char*, const char*>>& settings = {},
              EngineMode from = EngineMode::Game) {
        for (const auto& [name, value] : defaults) e.setSystem(name, value);
        for (const auto& [name, value] : settings) e.setSystem(name, value);
        auto game = std::make_unique<Screen>();
        game->input = &input;
        e.setScreen(std::move(game));
        e.mode = from;
        e.requestMode(EngineMode::Configuration, 1);
        e.runFrame();
        ASSERT_EQ(e.mode, EngineMode::Configuration);
    }
    bool visible(int32_t id) const {
        const Layer* layer = e.screen->getLayer(id);
        return layer && layer->visible;
    }
    std::set<int32_t> lit() const {
        std::set<int32_t> out;
        for (int32_t k = 0; k < cb::Count; ++k)
            if (visible(kButtonOnBase + k)) out.insert(k);
        return out;
    }
    std::set<int32_t> hovered() const {
        std::set<int32_t> out;
        for (int32_t k = 0; k < cb::Count; ++k)
            if (visible(kButtonHoverBase + k)) out.insert(k);
        return out;
    }
    static std::pair<int32_t, int32_t> centre(int32_t k) {
        const Rect& r = configButtonRects()[k];
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void click(int32_t k) { clickAt(centre(k).first, centre(k).second); }
    void clickAt(int32_t x, int32_t y) {
        input.mouseX = input.clickX = x;
        input.mouseY = input.clickY = y;
        e.screen->updateTasks();
    }
    void hover(int32_t k) {
        input.mouseX = centre(k).first;
        input.mouseY = centre(k).second;
        e.screen->updateTasks();
    }
    std::string var(const char* name) const { return textOr(e.systemVars.getText(name)); }

    const std::vector<std::pair<const char*, const char*>> defaults = {
        {"$sys_crt", "0"},        {"$sys_auto", "0"},       {"$Print_vertical", "0"}, {"$Print_wait", "50"},
        {"$sys_effvol", "10000"}, {"$sys_bgmvol", "10000"}, {"$sys_manvol", "10000"}, {"$sys_womanvol", "10000"},
    };
    InputState input;
    TestEngine e;
};

TEST_F(ConfigScreen, ButtonsStartLitFromTheSettings) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> settings;
        std::set<int32_t> lit;
    } cases[] = {
        {"window, manual, horizontal, normal speed, full volumes", {}, {4, 7, 9, 11, 14, 15, 16, 17, 19, 20, 21, 22, 24,
                                                                        25, 26, 27, 29, 30, 31, 32}},
        {"full screen, auto, vertical, slow, muted, 7500, 2500, an odd value",
         {{"$sys_crt", "1"}, {"$sys_auto", "1"}, {"$Print_vertical", "1"}, {"$Print_wait", "100"},
          {"$sys_effvol", "0"}, {"$sys_bgmvol", "7500"}, {"$sys_manvol", "2500"}, {"$sys_womanvol", "6000"}},
         {5, 6, 8, 10, 13, 19, 20, 21, 24}},
        {"a text speed the buttons do not offer lights fast", {{"$Print_wait", "30"}, {"$sys_effvol", "5000"}},
         {4, 7, 9, 12, 14, 15, 19, 20, 21, 22, 24, 25, 26, 27, 29, 30, 31, 32}},
    };
    for (const Case& c : cases) {
        open(c.settings);
        EXPECT_EQ(lit(), c.lit) << c.name;
        EXPECT_TRUE(hovered().empty()) << c.name;
    }
}

TEST_F(ConfigScreen, AVolumeLevelLightsTheBarUpToItAndSetsItsClassAtOnce) {
    struct Case {
        int32_t first;
        const char* variable;
        int32_t RecordingSound::*volume;
    } groups[] = {
        {cb::EffectVolume, "$sys_effvol", &RecordingSound::effect},
        {cb::MusicVolume, "$sys_bgmvol", &RecordingSound::bgm},
        {cb::MaleVoiceVolume, "$sys_manvol", &RecordingSound::man},
        {cb::FemaleVoiceVolume, "$sys_womanvol", &RecordingSound::woman},
    };
    open();
    for (const Case& g : groups) {
        click(g.first + 3);  // 7500
        std::set<int32_t> l = lit();
        EXPECT_TRUE(l.count(g.first + 1) && l.count(g.first + 2) && l.count(g.first + 3)) << g.variable;
        EXPECT_FALSE(l.count(g.first + 4) || l.count(g.first)) << g.variable;
        EXPECT_EQ(e.testSound.*g.volume, 7500) << g.variable;
        EXPECT_EQ(var(g.variable), "7500");

        click(g.first);  // mute
        l = lit();
        for (int32_t level = 1; level <= 4; ++level) EXPECT_FALSE(l.count(g.first + level)) << g.variable;
        EXPECT_TRUE(l.count(g.first)) << g.variable;
        EXPECT_EQ(e.testSound.*g.volume, 0) << g.variable;
        EXPECT_EQ(var(g.variable), "0");
    }
}

TEST_F(ConfigScreen, HoveringALevelPreviewsTheBarUpToIt) {
    open();
    hover(cb::EffectVolume + 2);
    EXPECT_EQ(hovered(), (std::set<int32_t>{cb::EffectVolume + 1, cb::EffectVolume + 2}));
    hover(cb::EffectVolume + 4);
    EXPECT_EQ(hovered(), (std::set<int32_t>{14, 15, 16, 17}));
    input.mouseX = input.mouseY = 5;  // off every button
    e.screen->updateTasks();
    EXPECT_TRUE(hovered().empty());
    EXPECT_EQ(lit().count(17), 1u);  // the lit bar shows again
}

TEST_F(ConfigScreen, SettingButtonsStoreTheirValueAndSwitchTheirPartnerOff) {
    struct Case {
        int32_t k;
        const char* variable;
        const char* value;
        int32_t partnerOff;
    } cases[] = {
        {cb::AutoOn, "$sys_auto", "1", cb::AutoOff},       {cb::AutoOff, "$sys_auto", "0", cb::AutoOn},
        {cb::Vertical, "$Print_vertical", "1", cb::Horizontal}, {cb::Horizontal, "$Print_vertical", "0", cb::Vertical},
        {cb::Slow, "$Print_wait", "100", cb::Normal},      {cb::Fast, "$Print_wait", "0", cb::Slow},
        {cb::Normal, "$Print_wait", "50", cb::Fast},
    };
    open();
    for (const Case& c : cases) {
        click(c.k);
        EXPECT_EQ(var(c.variable), c.value) << c.k;
        EXPECT_EQ(lit().count(c.k), 1u) << c.k;
        EXPECT_EQ(lit().count(c.partnerOff), 0u) << c.k;
    }
    EXPECT_EQ(e.mode, EngineMode::Configuration);
}

TEST_F(ConfigScreen, TheDisplayButtonsKeepTheSettingWhenTheSwitchFails) {
    open();
    click(cb::FullScreen);
    EXPECT_EQ(var("$sys_crt"), "0");
    e.testHost.displayModeResult = 1;
    click(cb::FullScreen);
    EXPECT_EQ(var("$sys_crt"), "1");
    click(cb::Windowed);
    EXPECT_EQ(var("$sys_crt"), "0");
    EXPECT_EQ(e.testHost.displayModes, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}, {1, 0}, {0, 0}}));
}

TEST_F(ConfigScreen, GameOnlyButtonsDoNothingFromTheTitle) {
    struct Case {
        int32_t k;
        EngineMode requested;  // from the game
    } cases[] = {
        {cb::Save, EngineMode::Save},
        {cb::Load, EngineMode::Load},
        {cb::Backlog, EngineMode::Backlog},
        {cb::Hide, EngineMode::Game},
    };
    for (const Case& c : cases) {
        open({}, EngineMode::Title);
        click(c.k);
        EXPECT_EQ(e.screen->requestedMode, EngineMode::None) << c.k;
        EXPECT_TRUE(e.screen->isBusy()) << c.k;
        EXPECT_FALSE(lit().count(c.k)) << c.k;
        EXPECT_FALSE(hovered().count(c.k)) << c.k;
        EXPECT_EQ(var("$sys_hide"), "(null)");

        open({}, EngineMode::Game);
        click(c.k);
        EXPECT_EQ(e.screen->requestedMode, c.requested) << c.k;
    }
    EXPECT_EQ(var("$sys_hide"), "1");
}

TEST_F(ConfigScreen, ReturnGoesBackAfterAPause) {
    open();
    const uint32_t before = nowMs();
    click(cb::Return);
    EXPECT_EQ(nowMs() - before, 200u);
    EXPECT_EQ(e.screen->requestedMode, EngineMode::Game);
    EXPECT_FALSE(e.screen->isBusy());
}

TEST_F(ConfigScreen, QuitAsksAndTheScreenStaysAsItWas) {
    open();
    const std::set<int32_t> before = lit();
    click(cb::Quit);
    EXPECT_EQ(e.testHost.postedCloses, 1);
    EXPECT_EQ(lit(), before);
    EXPECT_TRUE(e.screen->isBusy());
    EXPECT_EQ(e.screen->requestedMode, EngineMode::None);
}

TEST_F(ConfigScreen, AClickOutsideEveryButtonDoesNothing) {
    open();
    const std::set<int32_t> before = lit();
    clickAt(400, 50);
    EXPECT_EQ(lit(), before);
    EXPECT_TRUE(hovered().empty());
    EXPECT_EQ(e.screen->requestedMode, EngineMode::None);
    EXPECT_EQ(e.testHost.postedCloses, 0);
    EXPECT_EQ(input.clickX, 400);  // nobody took the click
}

} // namespace
} // namespace zre::test
