#include "ui/system_screen.h"

#include "graphics/layer.h"
#include "ui/backlog_screen.h"
#include "ui/config_screen.h"
#include "ui/message_text.h"
#include "ui/music_room.h"
#include "ui/save_load_screen.h"

namespace zre {

ScreenController::ScreenController(std::vector<ScreenButton> buttonList, ScreenActions& engineActions)
    : buttons(std::move(buttonList)), engine(&engineActions) {
    blocking = 1;
}

int ScreenController::update() {
    // Runs from the first frame, started or not; done stops it.
    if (done) return 0;
    pollButtons();
    return done ? 1 : 0;
}

bool ScreenController::pollButtons() {
    bool clicked = false;
    for (int32_t k = 0; k < buttonCount(); ++k) {
        if (buttons[k].handleMouse() != 2) continue;
        clicked = true;
        onButton(k);
        if (stopAtFirstClick()) break;
    }
    return clicked;
}

// The buttons change only with the pointer and clicks.
uint32_t ScreenController::dueIn(uint32_t) const { return kWaitsForInput; }

std::unique_ptr<Screen> newSystemScreen(ScreenHost& host, InputState* input) {
    auto screen = std::make_unique<Screen>(host);
    screen->attachWindow(kScreenWidth, kScreenHeight);
    screen->input = input;
    attachMessageText(*screen);
    return screen;
}

namespace {

// The screens still to come show nothing and block nothing.
std::unique_ptr<Screen> buildEmptyScreen(const SystemScreenContext& context) {
    return newSystemScreen(context.host, context.input);
}

} // namespace

std::unique_ptr<Screen> buildSystemScreen(EngineMode mode, const SystemScreenContext& context) {
    switch (mode) {
    case EngineMode::Title: return buildTitleScreen(context);
    case EngineMode::Configuration: return buildConfigScreen(context);
    case EngineMode::Save:
        if (context.saveLoad) return buildSaveLoadScreen(context, true);
        return buildEmptyScreen(context);
    case EngineMode::Load:
        if (context.saveLoad) return buildSaveLoadScreen(context, false);
        return buildEmptyScreen(context);
    case EngineMode::Backlog: return buildBacklogScreen(context);
    case EngineMode::MusicRoom: return buildMusicRoom(context);
    default: return buildEmptyScreen(context);
    }
}

std::unique_ptr<Layer> cutLayerRegion(const Screen& s, int32_t from, const Rect& r) {
    const Layer* source = s.getLayer(from);
    std::unique_ptr<Layer> part = source ? source->cutRegion(r.left, r.top, r.right, r.bottom) : nullptr;
    if (!part) part = std::make_unique<Layer>();
    part->moveTo(r.left, r.top);
    return part;
}

void cutButtonLayer(Screen& s, int32_t from, int32_t id, const Rect& r) {
    if (!s.getLayer(from)) return;
    std::unique_ptr<Layer> part = cutLayerRegion(s, from, r);
    part->visible = 0;
    s.insertLayer(id, std::move(part));
}

ButtonScreen buildButtonScreen(const SystemScreenContext& context, std::string_view normalPicture,
                               std::string_view hoverPicture, std::string_view onPicture,
                               const std::vector<Rect>& buttonRects) {
    ButtonScreen built;
    built.screen = newSystemScreen(context.host, context.input);
    Screen& s = *built.screen;

    bool hasOn = !onPicture.empty();
    s.addLayer(1, normalPicture, 0, 0, 0, 0, LayerExtra::none(), LAYER_NORMAL);
    s.addLayer(2, hoverPicture, 0, 0, 0, 0, LayerExtra::none(), LAYER_NORMAL);
    if (hasOn) s.addLayer(3, onPicture, 0, 0, 0, 0, LayerExtra::none(), LAYER_NORMAL);

    for (size_t k = 0; k < buttonRects.size(); ++k) {
        int32_t kk = static_cast<int32_t>(k);
        cutButtonLayer(s, 1, kButtonNormalBase + kk, buttonRects[k]);
        cutButtonLayer(s, 2, kButtonHoverBase + kk, buttonRects[k]);
        if (hasOn) cutButtonLayer(s, 3, kButtonOnBase + kk, buttonRects[k]);
    }
    s.removeLayer(2);
    s.removeLayer(3);

    built.buttons = makeScreenButtons(s, buttonRects, hasOn);
    return built;
}

std::vector<ScreenButton> makeScreenButtons(Screen& s, const std::vector<Rect>& buttonRects, bool hasOn) {
    std::vector<ScreenButton> buttons(buttonRects.size());
    for (size_t k = 0; k < buttonRects.size(); ++k) {
        int32_t kk = static_cast<int32_t>(k);
        buttons[k].init(s, kButtonNormalBase + kk, kButtonHoverBase + kk,
                        hasOn ? kButtonOnBase + kk : kButtonHoverBase + kk);
        // A button keeps its rectangle even when its picture is missing.
        buttons[k].rect = buttonRects[k];
    }
    return buttons;
}

namespace {

const std::vector<Rect>& titleButtonRects() {
    static const std::vector<Rect> rects = {
        {57, 281, 215, 334},  // new game
        {57, 335, 215, 388},  // load
        {57, 389, 215, 442},  // configuration
        {57, 495, 215, 548},  // quit
    };
    return rects;
}

} // namespace

std::unique_ptr<Screen> buildTitleScreen(const SystemScreenContext& context) {
    ButtonScreen built = buildButtonScreen(context, "./syspict/title_normal.gfb", "./syspict/title_hover.gfb", "",
                                           titleButtonRects());
    Screen& s = *built.screen;
    auto controller = std::make_unique<TitleController>(std::move(built.buttons), context.actions);
    controller->key = s.nextTaskKey();
    s.addTask(std::move(controller));
    return std::move(built.screen);
}

void TitleController::onButton(int32_t k) {
    switch (k) {
    case 0:  // new game: fade the title out, bring the game screen back cleared
        engine->setPageHook(1);
        engine->queueStatement("Clear(./syspict/black.gfb, SHOW_ALPHA, 1000)");
        engine->queueStatement("SetPageConst(2, 1)");
        engine->queueStatement("Clear(./syspict/black.gfb, SHOW_NORMAL, 0)");
        engine->queueStatement("SetPageHook(0)");
        done = 1;
        break;
    case 1:
        engine->queueStatement("SetPage(5, 1)");
        done = 1;
        break;
    case 2:
        engine->queueStatement("SetPage(3, 1)");
        done = 1;
        break;
    case 3:
        engine->postClose();
        buttons[3].setOn(0);
        buttons[3].setHover(0);
        break;
    default:
        break;
    }
}

} // namespace zre
