#include "ui/save_load_screen.h"

#include <cstdio>

#include "data/slot_file.h"
#include "graphics/game_font.h"
#include "graphics/layer.h"
#include "platform/file_system.h"
#include "platform/input_state.h"
#include "platform/message_box.h"
#include "ui/glyph_strip.h"

namespace zre {

namespace {

// "上書きします、よろしいですか？" / "確認"
constexpr char kOverwriteQuestion[] =
    "\x8f\xe3\x8f\x91\x82\xab\x82\xb5\x82\xdc\x82\xb7\x81\x41\x82\xe6\x82\xeb\x82\xb5\x82\xa2\x82\xc5\x82\xb7"
    "\x82\xa9\x81\x48";
constexpr char kConfirmCaption[] = "\x8a\x6d\x94\x46";

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

constexpr int32_t kPreviousPage = 0;
constexpr int32_t kNextPage = 1;
constexpr int32_t kFirstRow = 2;
constexpr int32_t kBack = 12;
constexpr int32_t kOk = 13;

constexpr Rect kThumbnailArea{477, 26, 777, 251};
constexpr Rect kDateArea{495, 265, 764, 291};
constexpr Rect kTitleArea{477, 315, 777, 397};
// Clicks here do nothing on the save screen (where the comment is shown).
constexpr Rect kCommentArea{487, 356, 767, 387};

const std::vector<Rect>& saveLoadButtonRects() {
    static const std::vector<Rect> rects = [] {
        std::vector<Rect> r = {{20, 10, 120, 40}, {360, 10, 460, 40}};
        const int32_t rows[kSlotRows + 1][2] = {{48, 103},  {103, 158}, {158, 212}, {212, 266}, {265, 320},
                                                {320, 374}, {374, 429}, {429, 484}, {484, 539}, {539, 594}};
        for (int32_t i = 0; i < kSlotRows; ++i) r.push_back({0, rows[i][0], 462, rows[i][1]});
        r.push_back({593, 495, 677, 579});
        r.push_back({687, 495, 771, 579});
        return r;
    }();
    return rects;
}

// Copies a picture file opaquely into the picture of layer id with its top-left at (x, y).
void pastePicture(Screen& s, int32_t id, std::string_view file, int32_t x, int32_t y) {
    Layer* target = s.getLayer(id);
    if (!target || !target->image) return;
    Layer picture;
    picture.loadPicture(file, x, y);
    if (picture.image && !picture.image->empty()) target->copyOnto(picture);
}

// A cut of the background at area, placed there, as the base of a preview layer.
std::unique_ptr<Layer> backgroundCut(const Screen& s, const Rect& area) { return cutLayerRegion(s, 1, area); }

void drawLabel(Layer& layer, const GameFont& font, uint32_t colour, std::string_view text, int32_t x, int32_t y) {
    if (text.empty()) return;
    GlyphStrip label;
    label.buildLine(font, colour, text, x, y, false);
    label.drawAll(layer);
}

// x of a text centred in width; halved by an arithmetic shift, as the offset may be negative.
int32_t centred(const GameFont& font, std::string_view text, int32_t width, int32_t height, int32_t& y) {
    int32_t cx = 0, cy = 0;
    GlyphStrip::measure(font, text, cx, cy);
    y = (height - cy) >> 1;
    return (width - cx) >> 1;
}

} // namespace

std::unique_ptr<Screen> buildSaveLoadScreen(const SystemScreenContext& context, bool save) {
    std::unique_ptr<Screen> screen = newSystemScreen(context.host, context.input);
    Screen& s = *screen;
    s.addLayer(1, "./syspict/save.gfb", 0, 0, 0, 0, LayerExtra::none(), LAYER_NORMAL);
    s.addLayer(kSaveHoverPictureLayer, "./syspict/saveh.gfb", 0, 0, 0, 0, LayerExtra::none(), LAYER_NORMAL);
    s.setLayerVisible(kSaveHoverPictureLayer, 0);

    SaveLoadActions& slots = *context.saveLoad;
    slots.setSaveComment(nullptr);

    auto controller = std::make_unique<SaveLoadController>(makeScreenButtons(s, saveLoadButtonRects(), false),
                                                           context.actions, slots, s, save);
    if (save) {
        controller->showThumbnail(slots.gameThumbnail());
        controller->showDate(slots.currentDate());
        controller->showTitle(slots.sceneTitle(), "");
    } else {
        // The OK button reads as a load button.
        pastePicture(s, 1, "./syspict/loadbtn02.gfb", 687, 495);
        pastePicture(s, kSaveHoverPictureLayer, "./syspict/loadbtn02h.gfb", 687, 495);
    }
    controller->drawSlotPage(controller->page);
    controller->key = s.nextTaskKey();
    s.addTask(std::move(controller));
    return screen;
}

SaveLoadController::SaveLoadController(std::vector<ScreenButton> buttonList, ScreenActions& engineActions,
                                       SaveLoadActions& slots, Screen& screen, bool saveScreen)
    : ScreenController(std::move(buttonList), engineActions), save(saveScreen), slots_(slots), screen_(screen) {
    int32_t stored = engine->systemNumber("$sys_savepage");
    page = stored >= 0 && stored < kSlotPages ? stored : 0;
}

std::string SaveLoadController::rowPath(int32_t row) const { return slotPath(page * kSlotRows + row); }

int SaveLoadController::update() {
    if (done) return 0;
    if (pollButtons()) return done ? 1 : 0;
    InputState* input = screen_.input;
    if (input && input->clickPending()) {
        // A click beside the buttons drops the selection (on the save screen not in the
        // comment area).
        if (!(save && kCommentArea.contains(input->clickX, input->clickY)) && selected != 0) {
            buttons[selected].setOn(0);
            selected = 0;
        }
        input->consumeClick();
    }
    return done ? 1 : 0;
}

void SaveLoadController::turnPage(int32_t k, int32_t by) {
    // The selection belongs to the page that goes.
    if (selected != 0) buttons[selected].setOn(0);
    selected = 0;
    drawSlotPage((page + by + kSlotPages) % kSlotPages);
    buttons[k].setOn(0);
    buttons[k].setHover(0);
}

void SaveLoadController::onButton(int32_t k) {
    switch (k) {
    case kPreviousPage: turnPage(k, -1); return;
    case kNextPage: turnPage(k, 1); return;
    case kBack:
        engine->returnToPreviousMode();
        done = 1;
        return;
    case kOk:
        if (selected != 0) {
            if (save)
                saveInto(rowPath(selected - kFirstRow));
            else
                loadFrom(rowPath(selected - kFirstRow));
        }
        buttons[kOk].setOn(0);
        buttons[kOk].setHover(0);
        return;
    default: break;
    }
    if (k < kFirstRow || k >= kFirstRow + kSlotRows) return;
    if (k == selected) {
        if (save) {
            saveInto(rowPath(k - kFirstRow));
            buttons[k].setOn(0);
        } else {
            loadFrom(rowPath(k - kFirstRow));
        }
        return;
    }
    if (!save) preview(k - kFirstRow);
    if (selected != 0) buttons[selected].setOn(0);
    buttons[k].setOn(1);
    selected = k;
}

void SaveLoadController::saveInto(const std::string& path) {
    if (hostKind(path) != HostKind::Missing &&
        messageBox(kOverwriteQuestion, kConfirmCaption, MessageBoxButtons::YesNo, MessageBoxIcon::Question) ==
            MessageBoxResult::No)
        return;
    std::string comment = slots_.askComment();
    slots_.setSaveComment(comment.c_str());
    slots_.saveSlot(path);
    slots_.setSaveComment(nullptr);
    if (selected != 0) buttons[selected].setOn(0);
    drawSlotPage(page);
    selected = 0;
}

void SaveLoadController::loadFrom(const std::string& path) {
    // Only a slot that reads whole is handed over: a damaged one would leave the game
    // with an emptied page and nothing loaded.
    std::string title, comment, time;
    if (!slots_.readSlotInfo(path, title, comment, time)) return;
    engine->setPageHook(1);
    engine->setSystemText("$sys_loadname", path.c_str());
    engine->queueStatement("Clear(./syspict/black.gfb, SHOW_ALPHA, 1000)");
    engine->queueStatement("SetPageConst(2)");
    engine->queueStatement("ShowText(1, 1)");
    engine->queueStatement("SetPageHook(0)");
    done = 1;
}

void SaveLoadController::preview(int32_t row) {
    const std::string path = rowPath(row);
    std::string title, comment, time;
    if (hostKind(path) == HostKind::File && slots_.readSlotInfo(path, title, comment, time)) {
        showThumbnail(slots_.loadThumbnail(path));
        showDate(time);
        showTitle(title, comment);
    } else {
        showThumbnail(nullptr);
        showDate("");
        showTitle("", "");
    }
}

void SaveLoadController::drawSlotPage(int32_t newPage) {
    page = newPage;
    engine->setSystemText("$sys_savepage", std::to_string(page).c_str());
    Screen& s = screen_;
    char name[64];
    std::snprintf(name, sizeof name, "./syspict/saveno%02d.gfb", page);
    pastePicture(s, 1, name, 0, 0);
    std::snprintf(name, sizeof name, "./syspict/saveno%02dh.gfb", page);
    pastePicture(s, kSaveHoverPictureLayer, name, 0, 0);

    const std::vector<Rect>& rects = saveLoadButtonRects();
    for (size_t k = 0; k < rects.size(); ++k) {
        int32_t kk = static_cast<int32_t>(k);
        cutButtonLayer(s, 1, kButtonNormalBase + kk, rects[k]);
        cutButtonLayer(s, kSaveHoverPictureLayer, kButtonHoverBase + kk, rects[k]);
        buttons[k].state = 0;
    }

    std::unique_ptr<GameFont> font;
    for (int32_t row = 0; row < kSlotRows; ++row) {
        const std::string path = rowPath(row);
        if (hostKind(path) != HostKind::File) continue;
        std::string title, comment, time;
        slots_.readSlotInfo(path, title, comment, time);
        if (!font) font = createGameFont(19, 0, kSystemMinchoFace);
        for (int32_t base : {kButtonNormalBase, kButtonHoverBase}) {
            Layer* layer = s.getLayer(base + kFirstRow + row);
            if (!layer) continue;
            drawLabel(*layer, *font, kWhite, title, 62, 18);
            drawLabel(*layer, *font, kWhite, comment, 212, 7);
            drawLabel(*layer, *font, kWhite, time, 212, comment.empty() ? 18 : 27);
        }
        s.setLayerVisible(kButtonNormalBase + kFirstRow + row, 1);
    }
    // Composed with the next frame: presenting here would pump messages while the screen
    // is still being built (a paint then finds no current screen and is lost).
    s.composeDirty = unionRect(s.composeDirty, kScreenArea);
}

void SaveLoadController::showThumbnail(std::unique_ptr<Bitmap> bitmap) {
    std::unique_ptr<Layer> layer;
    if (bitmap && !bitmap->empty()) {
        layer = std::make_unique<Layer>();
        layer->image = std::move(bitmap);
        layer->srcRect = {0, 0, kThumbnailWidth, kThumbnailHeight};
        layer->destRect = kThumbnailArea;
    } else {
        layer = backgroundCut(screen_, kThumbnailArea);
    }
    screen_.insertLayer(kPreviewThumbnailLayer, std::move(layer));
}

void SaveLoadController::showDate(std::string_view text) {
    std::unique_ptr<Layer> layer = backgroundCut(screen_, kDateArea);
    if (!text.empty()) {
        std::unique_ptr<GameFont> font = createGameFont(19, 0, kSystemMinchoFace);
        int32_t y = 0;
        int32_t x = centred(*font, text, kDateArea.width(), kDateArea.height(), y);
        drawLabel(*layer, *font, kWhite, text, x, y);
    }
    screen_.insertLayer(kPreviewDateLayer, std::move(layer));
}

void SaveLoadController::showTitle(std::string_view title, std::string_view comment) {
    std::unique_ptr<Layer> layer = backgroundCut(screen_, kTitleArea);
    if (!title.empty() || !comment.empty()) {
        std::unique_ptr<GameFont> font = createGameFont(22, 1, kSystemMinchoFace);
        int32_t y = 0;
        int32_t x = centred(*font, title, kTitleArea.width(), 41, y);
        drawLabel(*layer, *font, kBlack, title, x, y);
        x = centred(*font, comment, kTitleArea.width(), 41, y);
        drawLabel(*layer, *font, kBlack, comment, x, y + 32);
    }
    screen_.insertLayer(kPreviewTitleLayer, std::move(layer));
}

} // namespace zre
