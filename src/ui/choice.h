#pragma once
// Choice buttons: a picture layer with two frames side by side (normal, hovered) and the
// caption drawn into both; a blocking task per button switches the frame under the mouse
// and, on a click, removes every button and stores the chosen number.
#include <cstdint>
#include <string>
#include <string_view>

#include "graphics/task.h"

namespace zre {

class Screen;
class TextActions;

class ChoiceTask : public Task {
public:
    explicit ChoiceTask(TextActions& engineActions) : actions(&engineActions) {}
    // A choice is open (inputFlags 3); the result goes to the statement's assignment target.
    void start() override;
    int update() override;
    uint32_t dueIn(uint32_t) const override { return kWaitsForInput; }  // hover and clicks only
    void onClick() override;

    int32_t index = 0;         // 0-based place in the list
    int32_t tag = 1;           // layer tag shared by the buttons of one Select
    int32_t hover = 1;         // 1 normal frame shown, 2 hovered frame shown
    int32_t framesAcross = 0;  // picture width / frame width
    int32_t enabled = 1;
    std::string resultName;    // empty: the statement had no target, nothing is stored
    TextActions* actions;
};

// Creates the task on the layer, unstarted; -1 (nothing created) when the layer is missing.
int addChoice(Screen& screen, TextActions& actions, int32_t key, int32_t layerId, int32_t index, int32_t tag,
              int32_t framesAcross, int32_t enabled);

// Tags the existing layer, draws the caption centred into both frames (opaque through the
// layer's mask) and adds and starts its ChoiceTask. Nothing happens when the layer is missing.
void addChoiceButton(Screen& screen, TextActions& actions, int32_t tag, int32_t index, int32_t layerId,
                     std::string_view face, int32_t fontSize, uint32_t colour, std::string_view caption);

} // namespace zre
