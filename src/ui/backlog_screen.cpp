#include "ui/backlog_screen.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "graphics/game_font.h"
#include "graphics/layer.h"
#include "graphics/pixel_ops.h"
#include "ui/glyph_strip.h"

namespace zre {

namespace {

constexpr int32_t kBacklogFontHeight = 24;
constexpr uint32_t kBacklogColour = 0x00FFFFFF;
constexpr int32_t kLineHeight = 24;
constexpr int32_t kMessageX = 40;
// The game picture shows through at about 80/256 of its brightness.
constexpr uint32_t kShadeMask = 0x00AFAFAF;
// Message layers below this are dropped when the history moves down.
constexpr int32_t kDropBelow = 800;
// The sum of pitches the opening set fills before it stops.
constexpr int32_t kOpeningHeight = 299;
constexpr uint32_t kArrowKeyColour = 65280;

struct Arrow {
    const char* off;
    const char* on;
    int32_t x;
    int32_t y;
};
constexpr Arrow kArrows[] = {
    {"./syspict/pageup2_off.gfb", "./syspict/pageup2_on.gfb", 750, 160},      // five back
    {"./syspict/pageup1_off.gfb", "./syspict/pageup1_on.gfb", 750, 250},      // one back
    {"./syspict/pagedown1_off.gfb", "./syspict/pagedown1_on.gfb", 750, 320},  // one forward
    {"./syspict/pagedown2_off.gfb", "./syspict/pagedown2_on.gfb", 750, 380},  // five forward
};

std::string_view shownPart(std::string_view text) { return text.substr(0, text.find(',')); }

// A layer for one line of text at (x, y). An empty line still takes its line, without a
// picture.
std::unique_ptr<Layer> lineLayer(const GameFont& font, std::string_view line, int32_t x, int32_t y) {
    GlyphStrip strip;
    strip.buildLine(font, kBacklogColour, line, x, y, false);
    std::unique_ptr<Layer> layer = strip.toLayer();
    if (!layer->hasImage()) layer->destRect = Rect{x, y, x, y + kLineHeight};
    return layer;
}

void copyInto(Bitmap& target, const Bitmap* source, int32_t x, int32_t y) {
    if (source) blitBitmap(target, *source, x, y, source->width(), source->height());
}

// The message layers in order of id from the first message id; the run ends at the first
// id without a layer.
int32_t messageLayerCount(const Screen& s) {
    int32_t n = 0;
    while (kBacklogFirstMessageId + n <= kBacklogLastMessageId + 1 && s.getLayer(kBacklogFirstMessageId + n)) ++n;
    return n;
}

void renumber(Screen& s, int32_t from, int32_t to) {
    const int32_t at = s.findLayer(from);
    if (at < 0) return;
    std::unique_ptr<Layer> layer = std::move(s.layers[size_t(at)]);
    s.layers.erase(s.layers.begin() + at);
    s.insertLayer(to, std::move(layer));
}

// Without an engine behind the screen there is no history.
const std::deque<std::string>& historyOf(const BacklogSource* source) {
    static const std::deque<std::string> kNoHistory;
    return source ? source->backlogHistory() : kNoHistory;
}

void moveBy(Layer& layer, int32_t dy) { layer.moveTo(layer.destRect.left, layer.destRect.top + dy); }

} // namespace

int32_t backlogPitch(std::string_view text) {
    return shownPart(text).find("/n") != std::string_view::npos ? 3 * kLineHeight : 2 * kLineHeight;
}

int32_t addBacklogEntry(Screen& screen, std::string_view text, int32_t id, int32_t x, int32_t y) {
    std::unique_ptr<GameFont> font = createGameFont(kBacklogFontHeight, 0, kSystemMinchoFace);
    const std::string_view shown = shownPart(text);
    const size_t split = shown.find("/n");
    if (split == std::string_view::npos) {
        screen.insertLayer(id, lineLayer(*font, shown, x, y));
        return backlogPitch(text);
    }
    // Two lines, 24 pixels apart, in one layer the size of both.
    std::unique_ptr<Layer> top = lineLayer(*font, shown.substr(0, split), x, y);
    std::unique_ptr<Layer> bottom = lineLayer(*font, shown.substr(split + 2), x, y + kLineHeight);
    Rect u = unionRect(top->destRect, bottom->destRect);
    // Two empty lines still take their place.
    if (u.isEmpty()) u = Rect{x, y, x, y + 2 * kLineHeight};
    auto both = std::make_unique<Layer>();
    if (!u.isEmpty() && both->createBlank(u.width(), u.height())) {
        both->mask = makeBitmap(u.width(), u.height());
        for (const Layer* part : {top.get(), bottom.get()}) {
            const int32_t px = part->destRect.left - u.left;
            const int32_t py = part->destRect.top - u.top;
            copyInto(*both->image, part->image.get(), px, py);
            if (both->mask) copyInto(*both->mask, part->mask.get(), px, py);
        }
    }
    both->destRect = u;
    both->srcRect = Rect{0, 0, u.width(), u.height()};
    screen.insertLayer(id, std::move(both));
    return backlogPitch(text);
}

std::unique_ptr<Screen> buildBacklogScreen(const SystemScreenContext& context) {
    std::unique_ptr<Screen> screen = newSystemScreen(context.host, context.input);
    Screen& s = *screen;
    const BacklogSource* source = context.backlog;

    const Layer* front = source ? source->gameFrontLayer() : nullptr;
    std::unique_ptr<Layer> picture = front ? front->clone() : std::make_unique<Layer>();
    picture->visible = 1;
    s.insertLayer(kBacklogPictureId, std::move(picture));
    auto shade = std::make_unique<Layer>();
    if (shade->createBlank(kScreenWidth, kScreenHeight)) {
        shade->mask = makeBitmap(kScreenWidth, kScreenHeight);
        if (shade->mask) fillBitmap(*shade->mask, kShadeMask);
    }
    s.insertLayer(kBacklogShadeId, std::move(shade));

    // The newest messages, counted back until their pitches pass the opening height.
    const std::deque<std::string>& history = historyOf(source);
    const int32_t length = static_cast<int32_t>(history.size());
    int32_t n = 0;
    int32_t sum = 0;
    while (n < length) {
        sum += backlogPitch(history[size_t(length - 1 - n)]);
        ++n;
        if (sum > kOpeningHeight) break;
    }
    int32_t y = 0;
    for (int32_t i = 0; i < n; ++i)
        y += addBacklogEntry(s, history[size_t(length - n + i)], kBacklogFirstMessageId + i, kMessageX, y);

    std::vector<ScreenButton> buttons(std::size(kArrows));
    for (size_t k = 0; k < std::size(kArrows); ++k) {
        const Arrow& a = kArrows[k];
        const int32_t kk = static_cast<int32_t>(k);
        s.addLayer(kButtonNormalBase + kk, a.off, a.x, a.y, 0, 0, LayerExtra::keyColour(kArrowKeyColour), LAYER_TRANS);
        s.addLayer(kButtonHoverBase + kk, a.on, a.x, a.y, 0, 0, LayerExtra::keyColour(kArrowKeyColour), LAYER_TRANS);
        s.setLayerVisible(kButtonHoverBase + kk, 0);
        buttons[k].init(s, kButtonNormalBase + kk, kButtonHoverBase + kk, kButtonHoverBase + kk);
    }
    auto controller =
        std::make_unique<BacklogController>(std::move(buttons), context.actions, source, length - n, n);
    controller->key = s.nextTaskKey();
    s.addTask(std::move(controller));
    return screen;
}

BacklogController::BacklogController(std::vector<ScreenButton> buttonList, ScreenActions& engineActions,
                                     const BacklogSource* source, int32_t firstShown, int32_t shown)
    : ScreenController(std::move(buttonList), engineActions), first(firstShown), shownCount(shown),
      source_(source) {}

void BacklogController::onButton(int32_t k) {
    buttons[size_t(k)].setOn(0);
    buttons[size_t(k)].setHover(1);
    switch (k) {
    case 0:
        for (int i = 0; i < 5; ++i)
            if (first > 0) scrollBacklog(true);
        break;
    case 1:
        if (first > 0) scrollBacklog(true);
        break;
    case 2: scrollBacklog(false); break;
    case 3:
        for (int i = 0; i < 5; ++i) scrollBacklog(false);
        break;
    default: break;
    }
}

void BacklogController::scrollBacklog(bool back) {
    const std::deque<std::string>& history = historyOf(source_);
    const int32_t length = static_cast<int32_t>(history.size());
    Screen& s = screen();
    if (back) {
        if (first <= 0 || first > length) return;
        const int32_t p = backlogPitch(history[size_t(first - 1)]);
        --first;
        for (int32_t id = kBacklogFirstMessageId; id <= kBacklogLastMessageId; ++id) {
            Layer* layer = s.getLayer(id);
            if (!layer) break;
            moveBy(*layer, p);
        }
        s.refresh(kScreenArea);
        // Messages pushed far below the screen go; the rest make room for the new top one.
        for (int32_t id = kBacklogLastMessageId + 1; id > kBacklogFirstMessageId; --id) {
            Layer* layer = s.getLayer(id);
            if (layer && layer->destRect.top > kDropBelow) s.removeLayer(id);
        }
        for (int32_t id = kBacklogLastMessageId; id >= kBacklogFirstMessageId; --id) {
            if (s.getLayer(id)) renumber(s, id, id + 1);
        }
        addBacklogEntry(s, history[size_t(first)], kBacklogFirstMessageId, kMessageX, 0);
        shownCount = messageLayerCount(s);
        return;
    }

    if (first + 1 >= length) return;
    const int32_t p = backlogPitch(history[size_t(first)]);
    ++first;
    for (int32_t id = kBacklogFirstMessageId; id <= kBacklogLastMessageId; ++id) {
        Layer* layer = s.getLayer(id);
        if (!layer) break;
        moveBy(*layer, -p);
    }
    s.refresh(kScreenArea);
    // Messages wholly above the screen go; the rest start at the first id again.
    int32_t removed = 0;
    for (int32_t id = kBacklogFirstMessageId; id <= kBacklogLastMessageId; ++id) {
        Layer* layer = s.getLayer(id);
        if (!layer || layer->destRect.bottom >= 0) break;
        s.removeLayer(id);
        ++removed;
    }
    if (removed > 0) {
        for (int32_t id = kBacklogFirstMessageId + removed; id <= kBacklogLastMessageId; ++id) {
            if (!s.getLayer(id)) break;
            renumber(s, id, id - removed);
        }
    }
    const int32_t count = messageLayerCount(s);
    const int32_t next = first + count;
    if (count > 0 && next < length && count <= kBacklogLastMessageId - kBacklogFirstMessageId) {
        const Layer* last = s.getLayer(kBacklogFirstMessageId + count - 1);
        addBacklogEntry(s, history[size_t(next)], kBacklogFirstMessageId + count, kMessageX,
                        last->destRect.bottom + kLineHeight);
    }
    shownCount = messageLayerCount(s);
}

} // namespace zre
