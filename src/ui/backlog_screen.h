#pragma once
// The backlog: the latest messages over a darkened copy of the game picture, scrolled one
// message at a time by four arrow buttons (the page keys and the wheel press the inner two).
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "graphics/screen.h"
#include "ui/system_screen.h"

namespace zre {

class Layer;

// What the backlog reads of the engine: the message history (oldest first) and the picture
// the game screen showed last.
class BacklogSource {
public:
    virtual ~BacklogSource() = default;
    virtual const std::deque<std::string>& backlogHistory() const = 0;
    // The front layer of the game screen; null when there is none.
    virtual const Layer* gameFrontLayer() const = 0;
};

// Layer ids of the backlog: the game picture, the darkening layer, the message layers.
constexpr int32_t kBacklogPictureId = 1;
constexpr int32_t kBacklogShadeId = 2;
constexpr int32_t kBacklogFirstMessageId = 10;
constexpr int32_t kBacklogLastMessageId = 34;

// The vertical space a message takes in the backlog: 72 for two lines, 48 for one.
int32_t backlogPitch(std::string_view text);

// Draws the message (the part before its first ",", split into two lines at the first
// "/n") as layer id with its top-left at (x, y); returns its pitch.
int32_t addBacklogEntry(Screen& screen, std::string_view text, int32_t id, int32_t x, int32_t y);

std::unique_ptr<Screen> buildBacklogScreen(const SystemScreenContext& context);

class BacklogController : public ScreenController {
public:
    BacklogController(std::vector<ScreenButton> buttonList, ScreenActions& engineActions,
                      const BacklogSource* source, int32_t firstShown, int32_t shown);
    void onButton(int32_t k) override;
    bool stopAtFirstClick() const override { return false; }

    // One message older (back) or newer (forward); nothing at either end of the history.
    void scrollBacklog(bool back);

    int32_t first = 0;       // history index of the topmost message shown
    int32_t shownCount = 0;  // message layers, kept roughly

private:
    Screen& screen() { return *buttons[0].screen; }
    const BacklogSource* source_;
};

} // namespace zre
