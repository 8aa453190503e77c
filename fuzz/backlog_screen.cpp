// Message histories as scripts leave them (any bytes, commas and "/n" escapes anywhere,
// empty texts) shown in the backlog and scrolled both ways by the arrows: the first line
// of the input is a list of arrow presses (one digit each, 0 to 3), every further line one
// message, oldest first. At most 16 presses are read.
#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "graphics/screen.h"
#include "platform/input_state.h"
#include "platform/message_box.h"
#include "script/engine.h"
#include "ui/backlog_screen.h"
#include "ui/system_screen.h"

namespace {

class History : public zre::BacklogSource {
public:
    const std::deque<std::string>& backlogHistory() const override { return texts; }
    const zre::Layer* gameFrontLayer() const override { return nullptr; }
    std::deque<std::string> texts;
};

class Actions : public zre::ScreenActions {
public:
    void queueStatement(std::string_view) override {}
    void setPageHook(int32_t) override {}
    void postClose() override {}
    void requestMode(zre::EngineMode, int32_t) override {}
    void returnToPreviousMode() override {}
    zre::EngineMode previousMode() const override { return zre::EngineMode::None; }
    int32_t systemNumber(std::string_view) const override { return -1; }
    void setSystemText(std::string_view, const char*) override {}
};

// Where a press of arrow k lands: inside the arrow pictures (missing here, so the test
// gives the buttons their rectangles).
constexpr int32_t kArrowY[] = {170, 260, 330, 390};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (zre::silenceMessageBoxes(), true);
    (void)quiet;
    if (size > 16 * 1024) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const size_t firstEnd = text.find('\n');
    const std::string_view presses = text.substr(0, std::min<size_t>(firstEnd, 16));
    History history;
    if (firstEnd != std::string_view::npos) {
        std::string_view rest = text.substr(firstEnd + 1);
        while (history.texts.size() < zre::kBacklogLimit) {
            const size_t end = rest.find('\n');
            history.texts.emplace_back(rest.substr(0, end));
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
    }
    zre::ScreenHost host;
    zre::InputState input;
    Actions actions;
    zre::SystemScreenContext context{host, &input, actions};
    context.backlog = &history;
    std::unique_ptr<zre::Screen> screen = zre::buildBacklogScreen(context);
    auto& controller = dynamic_cast<zre::BacklogController&>(*screen->tasks.at(0));
    for (int32_t k = 0; k < 4; ++k) controller.buttons[size_t(k)].rect = zre::Rect{750, kArrowY[k] - 10, 790, kArrowY[k] + 10};
    for (char c : presses) {
        if (c < '0' || c > '3') continue;
        input.clickX = 760;
        input.clickY = kArrowY[c - '0'];
        screen->updateTasks();
        // The topmost message is one of the history, and the message layers stay in their ids.
        if (controller.first < 0 || controller.first > int32_t(history.texts.size())) __builtin_trap();
        for (int32_t id = zre::kBacklogLastMessageId + 2; id < zre::kButtonNormalBase; ++id)
            if (screen->getLayer(id)) __builtin_trap();
    }
    screen->compose();
    return 0;
}
