#include "ui/message_tasks.h"

#include <algorithm>
#include <memory>

#include "graphics/layer.h"
#include "graphics/screen.h"
#include "platform/clock.h"
#include "platform/input_state.h"
#include "ui/effect_tasks.h"
#include "ui/message_text.h"

namespace zre {

namespace {

// Ends a message wait: only while the window is shown (a hidden window keeps the text
// waiting). The cursor goes with it.
bool endWait(Task& task, TextActions& actions) {
    Screen* screen = task.screen;
    if (!screen || !screen->isMessageWindowVisible()) return false;
    actions.setInputFlags(0);
    screen->removeLayer(kTextCursorLayerId);
    task.done = 1;
    return true;
}

} // namespace

// ---------------------------------------------------------------------------------------------

int TypingTask::update() {
    if (done || paused || !text || !screen) return 0;
    const uint32_t t = now();
    if (!stepReached(t)) return 0;
    if (nextGlyph >= text->count) {
        // Nothing (more) to reveal: an empty page ends at once.
        done = 1;
        return 1;
    }
    text->shownCount = nextGlyph;
    screen->presentDirty = unionRect(screen->presentDirty, text->glyphRect(nextGlyph));
    scheduleStep(t + uint32_t(duration));
    ++nextGlyph;
    if (nextGlyph >= text->count) {
        done = 1;
        return 1;
    }
    return 0;
}

void TypingTask::onClick() {
    if (!skippable || done || paused || !text || !screen) return;
    screen->presentDirty = unionRect(screen->presentDirty, text->rectFrom(firstGlyph));
    // The last glyph is revealed, and the task finishes, at the step already scheduled.
    nextGlyph = std::max(text->count - 1, 0);
    if (screen->input) screen->input->consumeClick();
}

// ---------------------------------------------------------------------------------------------

void ClickWaitTask::start() {
    actions->setInputFlags(1);
    if (screen) showTextCursor(*screen);
    paused = 0;
}

int ClickWaitTask::update() {
    if (done || paused) return 0;
    if (controlHeld()) {
        if (screen && screen->input) screen->input->consumeClick();
        return endWait(*this, *actions) ? 1 : 0;
    }
    return 0;
}

// A held Control key clicks every frame; otherwise only input ends the wait.
uint32_t ClickWaitTask::dueIn(uint32_t) const { return controlHeld() ? 0 : kWaitsForInput; }

void ClickWaitTask::onClick() {
    if (done || paused) return;
    if (screen && screen->input) screen->input->consumeClick();
    endWait(*this, *actions);
}

// ---------------------------------------------------------------------------------------------

void AutoWaitTask::start() {
    if (started()) return;
    actions->setInputFlags(1);
    if (screen) showTextCursor(*screen);
    TimedTask::start();
}

int AutoWaitTask::update() {
    if (done || paused) return 0;
    const uint32_t t = now();
    armStep(t);
    if (!stepReached(t)) return 0;
    return endWait(*this, *actions) ? 1 : 0;
}

// Once the time is up, a hidden message window keeps the wait until input shows it again.
uint32_t AutoWaitTask::dueIn(uint32_t t) const {
    const uint32_t due = TimedTask::dueIn(t);
    if (due == 0 && stepScheduled() && screen && !screen->isMessageWindowVisible())
        return kWaitsForInput;
    return due;
}

void AutoWaitTask::onClick() {
    if (!skippable || done || paused) return;
    skipStep();
}

// ---------------------------------------------------------------------------------------------

void showTextCursor(Screen& screen) {
    MessageText* text = messageTextOf(screen);
    if (!text) return;
    const int32_t key = screen.nextTaskKey();
    int32_t cx = 0, cy = 0;
    if (text->count > 0) {
        const Rect r = text->glyphRect(text->count - 1);
        cx = text->vertical ? r.left - 5 : r.right;
        cy = text->vertical ? r.bottom : r.top;
    } else {
        // No glyph: where the first character would go.
        cx = text->vertical ? text->x - 5 : text->x;
        cy = text->y;
    }
    screen.addLayer(kTextCursorLayerId, kTextCursorPicture, cx, cy, kTextCursorSize, kTextCursorSize,
                    LayerExtra::keyColour(kTextCursorKey), LAYER_TRANS);
    addAnime(screen, key, kTextCursorLayerId, kTextCursorInterval, kTextCursorFrames, -1, 0, 0);
    screen.startTasks(key);
}

void printMessage(Screen& screen, TextActions& actions, std::string_view text, int32_t autoWaitMs,
                  bool autoAdvance) {
    MessageText* page = messageTextOf(screen);
    Layer* composite = screen.composite();
    if (!page || !composite) return;
    if (page->count != 0 && page->replaceNext == 1) {
        page->clear();
        page->shownCount = 0;
        screen.refreshLayer(kMessageWindowLayerId);  // wipes the old text off the window
    }
    const int32_t before = page->count;
    page->setText(text);
    page->drawAll(*composite);

    const int32_t key = screen.nextTaskKey();
    auto typing = std::make_unique<TypingTask>();
    typing->key = key;
    typing->target = screen.front();
    typing->blocking = 1;
    typing->skippable = 1;
    typing->duration = page->waitMs;
    typing->text = page;
    // Appended text types from its first new character. After a relayout shownCount is the
    // glyph count itself, one past the page; the first new character is still the limit.
    const int32_t first = page->shownCount != 0 ? std::min(page->shownCount + 1, before) : 0;
    typing->firstGlyph = first;
    typing->nextGlyph = first;
    typing->nextKey = key + 1;
    typing->chainWhen = -1;

    std::unique_ptr<Task> wait;
    if (autoAdvance) {
        auto timed = std::make_unique<AutoWaitTask>(actions);
        timed->duration = autoWaitMs;
        wait = std::move(timed);
    } else {
        wait = std::make_unique<ClickWaitTask>(actions);
    }
    wait->key = key + 1;
    wait->blocking = 1;
    wait->skippable = 1;

    screen.addTask(std::move(typing));
    screen.addTask(std::move(wait));
    screen.startTasks(key);
}

} // namespace zre
