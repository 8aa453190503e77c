#include "ui/choice.h"

#include <memory>

#include "graphics/game_font.h"
#include "graphics/layer.h"
#include "graphics/screen.h"
#include "platform/font.h"
#include "platform/input_state.h"
#include "ui/glyph_strip.h"
#include "ui/message_tasks.h"

namespace zre {

void ChoiceTask::start() {
    actions->setInputFlags(3);
    resultName = actions->assignmentTarget();
    paused = 0;
}

int ChoiceTask::update() {
    if (done || paused || !target || !screen || !screen->input) return 0;
    const InputState& in = *screen->input;
    const bool inside = target->destRect.contains(in.mouseX, in.mouseY);
    const int32_t wanted = inside ? 2 : 1;
    if (hover != wanted) {
        target->moveSource(inside ? target->srcRect.width() : 0, 0);
        target->dirtyRect = target->destRect;
        hover = wanted;
    }
    return 0;
}

void ChoiceTask::onClick() {
    if (done || paused || !target || !screen || !screen->input || !enabled) return;
    const InputState& in = *screen->input;
    if (!target->destRect.contains(in.clickX, in.clickY)) return;
    // Every button of the list goes, which ends every choice task (this one included).
    // The click stays pending: the next task started consumes it.
    Screen& s = *screen;
    const int32_t chosen = index + 1;
    s.removeTaggedLayers(tag);
    actions->setInputFlags(0);
    if (!resultName.empty()) actions->setVariable(resultName, std::to_string(chosen));
    if (!s.isMessageWindowVisible()) actions->setMessageWindowVisible(0, 1);
    done = 1;
}

int addChoice(Screen& screen, TextActions& actions, int32_t key, int32_t layerId, int32_t index, int32_t tag,
              int32_t framesAcross, int32_t enabled) {
    Layer* layer = screen.getLayer(layerId);
    if (!layer) return -1;
    auto task = std::make_unique<ChoiceTask>(actions);
    task->key = key;
    task->target = layer;
    task->blocking = 1;
    task->skippable = 1;
    task->index = index;
    task->tag = tag;
    task->framesAcross = framesAcross;
    task->enabled = enabled;
    screen.addTask(std::move(task));
    return 1;
}

void addChoiceButton(Screen& screen, TextActions& actions, int32_t tag, int32_t index, int32_t layerId,
                     std::string_view face, int32_t fontSize, uint32_t colour, std::string_view caption) {
    Layer* layer = screen.getLayer(layerId);
    if (!layer) return;
    layer->tag = tag;
    const int32_t w = layer->destRect.width();
    const int32_t h = layer->destRect.height();
    const int32_t pictureWidth = layer->image ? layer->image->width() : 0;
    const int32_t framesAcross = w != 0 ? pictureWidth / w : 0;

    std::unique_ptr<GameFont> font = createGameFont(fontSize, 1, face);
    if (font) {
        int32_t cx = 0, cy = 0;
        GlyphStrip::measure(*font, caption, cx, cy);
        const int32_t x = (w - cx) / 2;
        const int32_t y = (h - cy) / 2;
        GlyphStrip label;
        label.buildLine(*font, colour, caption, x, y, false);
        label.drawAll(*layer);
        label.buildLine(*font, colour, caption, x + w, y, false);  // the hovered frame
        label.drawAll(*layer);
    }

    const int32_t key = screen.nextTaskKey();
    addChoice(screen, actions, key, layerId, index, tag, framesAcross, 1);
    screen.startTasks(key);
}

} // namespace zre
