#pragma once
// A three-state button of the system screens (normal, hovered, on), made of three layers of
// its Screen that it shows and hides, with relations to other buttons of the same screen:
// radio groups and level bars.
#include <cstdint>
#include <vector>

#include "graphics/rect.h"

namespace zre {

class Screen;

class ScreenButton {
public:
    // Relation codes, applied to a related button when this one is clicked or hovered.
    //   0: switched off on a click, un-hovered on a hover
    //   1, 2: switched on on a click, un-hovered on a hover
    //   3: switched on on a click, hovered on a hover
    void init(Screen& screen, int32_t normalId, int32_t hoverId, int32_t onId);
    void relate(ScreenButton& other, int32_t code);
    void setHover(int32_t v);
    void setOn(int32_t v);
    void updateRelated(bool click);
    // 2 when the pending click lies in the button (consumed), 1 when the mouse is over it,
    // 0 otherwise.
    int handleMouse();

    int32_t on = 0;
    Screen* screen = nullptr;
    Rect rect;
    int32_t state = 0;                 // 0 normal, 1 hovered, 2 on
    int32_t layerIds[3] = {0, 0, 0};   // normal, hovered, on
    std::vector<ScreenButton*> related;
    std::vector<int32_t> relations;
};

} // namespace zre
