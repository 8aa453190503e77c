#include "ui/screen_button.h"

#include "graphics/screen.h"
#include "platform/input_state.h"

namespace zre {

void ScreenButton::init(Screen& s, int32_t normalId, int32_t hoverId, int32_t onId) {
    screen = &s;
    layerIds[0] = normalId;
    layerIds[1] = hoverId;
    layerIds[2] = onId;
    if (Layer* normal = s.getLayer(normalId)) rect = normal->destRect;
}

void ScreenButton::relate(ScreenButton& other, int32_t code) {
    related.push_back(&other);
    relations.push_back(code);
}

void ScreenButton::setHover(int32_t v) {
    if (v) {
        screen->setLayerVisible(on ? layerIds[2] : layerIds[0], 0);
        screen->setLayerVisible(layerIds[1], 1);
        state = 1;
    } else {
        screen->setLayerVisible(layerIds[1], 0);
        screen->setLayerVisible(on ? layerIds[2] : layerIds[0], 1);
        state = 0;
    }
}

void ScreenButton::setOn(int32_t v) {
    on = v;
    if (v) {
        screen->setLayerVisible(layerIds[0], 0);
        screen->setLayerVisible(layerIds[2], 1);
        state = 2;
    } else {
        screen->setLayerVisible(layerIds[2], 0);
        screen->setLayerVisible(layerIds[0], 1);
        state = 0;
    }
}

void ScreenButton::updateRelated(bool click) {
    for (size_t i = 0; i < related.size(); ++i) {
        ScreenButton& other = *related[i];
        int32_t code = relations[i];
        if (click)
            other.setOn(code == 0 ? 0 : 1);
        else
            other.setHover(code == 3 ? 1 : 0);
    }
}

int ScreenButton::handleMouse() {
    InputState* input = screen ? screen->input : nullptr;
    if (!input) return 0;
    if (input->clickPending() && rect.contains(input->clickX, input->clickY)) {
        updateRelated(true);
        setOn(1);
        input->consumeClick();
        return 2;
    }
    if (rect.contains(input->mouseX, input->mouseY)) {
        updateRelated(false);
        setHover(1);
        return 1;
    }
    if (state != 0) setHover(0);
    return 0;
}

} // namespace zre
