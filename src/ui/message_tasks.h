#pragma once
// Pacing the message text: the typing task reveals the page glyph by glyph, then a click
// wait (or, in automatic mode, a timed wait) holds the script with the text cursor blinking
// after the last character. Choices use the same engine hooks.
#include <cstdint>
#include <string>
#include <string_view>

#include "graphics/task.h"

namespace zre {

class MessageText;
class Screen;

// What the message and choice tasks need of the engine.
class TextActions {
public:
    virtual ~TextActions() = default;
    // Bit 0: the menu keys work (text waits for a click); bit 1: a choice is open.
    virtual void setInputFlags(int32_t flags) = 0;
    // The engine's show/hide of the message window for a party (0 player, 1 script).
    virtual void setMessageWindowVisible(int32_t party, int32_t visible) = 0;
    // The assignment target of the statement being executed; empty when it has none.
    virtual std::string assignmentTarget() const = 0;
    // Stores value into the script variable name (through the visible scopes).
    virtual void setVariable(std::string_view name, std::string_view value) = 0;
};

// The layer and animation of the text cursor.
constexpr char kTextCursorPicture[] = "./syspict/tcursor.gfb";
constexpr uint32_t kTextCursorKey = 65280;   // pure green
constexpr int32_t kTextCursorSize = 32;
constexpr int32_t kTextCursorInterval = 160;
constexpr int32_t kTextCursorFrames = 12;

// Reveals one glyph per step, delay (duration) apart; a click shows the rest at once without
// dismissing the text.
class TypingTask : public TimedTask {
public:
    int update() override;
    void onClick() override;

    MessageText* text = nullptr;
    int32_t nextGlyph = 0;
    int32_t firstGlyph = 0;
};

// Waits for a click while the message window is visible; Control acts as a click.
class ClickWaitTask : public Task {
public:
    explicit ClickWaitTask(TextActions& engineActions) : actions(&engineActions) {}
    void start() override;
    int update() override;
    void onClick() override;
    uint32_t dueIn(uint32_t now) const override;

    TextActions* actions;
};

// Waits duration milliseconds from its first update, then ends as soon as the message
// window is visible; a click brings the deadline forward by the wait.
class AutoWaitTask : public TimedTask {
public:
    explicit AutoWaitTask(TextActions& engineActions) : actions(&engineActions) {}
    void start() override;
    int update() override;
    void onClick() override;
    uint32_t dueIn(uint32_t now) const override;

    TextActions* actions;
};

// Places the text cursor (layer 1500) after the last glyph and starts its blinking. On an
// empty page it stands at the pen position, where the first character would go.
void showTextCursor(Screen& screen);

// The print sequence: wipes the old page unless the text is appended, lays the text out,
// draws every glyph into the composite layer and starts the typing task chained to the
// click wait (or, with autoAdvance, the timed wait of autoWaitMs). An empty text still
// waits, with the cursor at the pen position. Does nothing on a screen without message
// text or composite layer.
void printMessage(Screen& screen, TextActions& actions, std::string_view text, int32_t autoWaitMs,
                  bool autoAdvance);

} // namespace zre
