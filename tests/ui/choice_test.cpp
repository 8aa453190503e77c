#include "ui/choice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "graphics/screen.h"
#include "platform/input_state.h"
#include "platform/sjis.h"
#include "ui/message_tasks.h"
#include "ui/message_text.h"

namespace zre {
namespace {

struct RecordingActions : TextActions {
    void setInputFlags(int32_t f) override { flags = f; }
    void setMessageWindowVisible(int32_t party, int32_t visible) override { windowCalls.emplace_back(party, visible); }
    std::string assignmentTarget() const override { return target; }
    void setVariable(std::string_view name, std::string_view value) override {
        stored.emplace_back(std::string(name), std::string(value));
    }
    int32_t flags = 0;
    std::string target = "$choice";
    std::vector<std::pair<int32_t, int32_t>> windowCalls;
    std::vector<std::pair<std::string, std::string>> stored;
};

constexpr int32_t kW = 200, kH = 40;
constexpr int32_t kX = (730 - kW) >> 1;

struct ChoiceFixture : ::testing::Test {
    ChoiceFixture() {
        screen.attachWindow(800, 600);
        screen.input = &input;
        attachMessageText(screen);
        auto window = std::make_unique<Layer>();
        window->createBlank(800, 150);
        window->moveTo(0, 450);
        screen.insertLayer(kMessageWindowLayerId, std::move(window));
    }
    // A button picture: normal frame grey 60, hovered frame grey 120, fully transparent mask.
    Layer* button(int32_t id, int32_t y) {
        auto l = std::make_unique<Layer>();
        l->createBlank(2 * kW, kH);
        l->mask = makeBitmap(2 * kW, kH);
        for (int32_t row = 0; row < kH; ++row) {
            uint8_t* p = l->image->row(row);
            std::fill(p, p + 3 * kW, uint8_t(60));
            std::fill(p + 3 * kW, p + 6 * kW, uint8_t(120));
        }
        l->srcRect = Rect{0, 0, kW, kH};
        l->destRect = Rect{kX, y, kX + kW, y + kH};
        return screen.insertLayer(id, std::move(l));
    }
    void threeChoices() {
        const int32_t ys[] = {175, 245, 315};
        for (int32_t i = 0; i < 3; ++i) {
            button(10 + i, ys[i]);
            addChoiceButton(screen, actions, 1, i, 10 + i, utf8ToSjis("ＭＳ ゴシック"), 24, 0xFFFFFF,
                            utf8ToSjis("選択肢"));
        }
    }

    InputState input;
    Screen screen;
    RecordingActions actions;
};

TEST_F(ChoiceFixture, TheCaptionIsDrawnIntoBothFramesAndIsOpaque) {
    Layer* l = button(10, 175);
    addChoiceButton(screen, actions, 1, 0, 10, utf8ToSjis("ＭＳ ゴシック"), 24, 0xFFFFFF, utf8ToSjis("選択肢"));
    EXPECT_EQ(l->tag, 1);
    EXPECT_EQ(actions.flags, 3);
    ASSERT_EQ(screen.tasks.size(), 1u);
    auto* task = dynamic_cast<ChoiceTask*>(screen.tasks[0].get());
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->framesAcross, 2);
    EXPECT_EQ(task->resultName, "$choice");
    EXPECT_EQ(task->blocking, 1);
    EXPECT_EQ(task->paused, 0);

    // Coverage in the middle of each frame, the same in both, and nothing near the edges.
    auto coverage = [&](int32_t from) {
        int total = 0;
        for (int32_t y = 0; y < kH; ++y)
            for (int32_t x = from; x < from + kW; ++x) total += l->mask->pixel(x, y)[0];
        return total;
    };
    EXPECT_GT(coverage(0), 0);
    EXPECT_EQ(coverage(0), coverage(kW));
    EXPECT_EQ(l->mask->pixel(2, 2)[0], 0);
    EXPECT_EQ(l->mask->pixel(kW + 2, kH - 2)[0], 0);

    int brightest = 0;
    for (int32_t x = 0; x < kW; ++x) brightest = std::max<int>(brightest, l->image->pixel(x, kH / 2)[0]);
    EXPECT_GT(brightest, 200);  // white text over grey 60
}

TEST_F(ChoiceFixture, HoverShowsTheRightHandFrame) {
    threeChoices();
    Layer* second = screen.getLayer(11);
    input.mouseX = kX + 10;
    input.mouseY = 250;
    second->dirtyRect.setEmpty();
    screen.updateTasks();
    EXPECT_EQ(second->srcRect, (Rect{kW, 0, 2 * kW, kH}));
    EXPECT_EQ(second->dirtyRect, second->destRect);
    EXPECT_EQ(screen.getLayer(10)->srcRect, (Rect{0, 0, kW, kH}));

    input.mouseX = 5;
    screen.updateTasks();
    EXPECT_EQ(second->srcRect, (Rect{0, 0, kW, kH}));
}

TEST_F(ChoiceFixture, ClickingTheSecondStoresTwoAndRemovesEveryButton) {
    threeChoices();
    input.clickX = 5;  // beside every button: nothing happens
    input.clickY = 250;
    screen.updateTasks();
    EXPECT_TRUE(actions.stored.empty());
    EXPECT_NE(screen.getLayer(10), nullptr);

    input.clickX = kX + 10;
    input.clickY = 250;
    screen.updateTasks();
    EXPECT_EQ(actions.stored, (std::vector<std::pair<std::string, std::string>>{{"$choice", "2"}}));
    EXPECT_EQ(actions.flags, 0);
    for (int32_t id : {10, 11, 12}) EXPECT_EQ(screen.getLayer(id), nullptr) << id;
    EXPECT_NE(screen.getLayer(kMessageWindowLayerId), nullptr);
    EXPECT_TRUE(actions.windowCalls.empty());  // the window was visible
    EXPECT_TRUE(screen.isBusy());              // until the finished tasks are removed
    screen.updateTasks();
    EXPECT_FALSE(screen.isBusy());
    EXPECT_EQ(actions.stored.size(), 1u);
}

TEST_F(ChoiceFixture, AHiddenWindowIsShownAndAMissingTargetStoresNothing) {
    screen.getLayer(kMessageWindowLayerId)->visible = 0;
    actions.target.clear();
    threeChoices();
    input.clickX = kX + 1;
    input.clickY = 316;
    screen.updateTasks();
    EXPECT_TRUE(actions.stored.empty());
    EXPECT_EQ(actions.windowCalls, (std::vector<std::pair<int32_t, int32_t>>{{0, 1}}));
    EXPECT_EQ(screen.getLayer(12), nullptr);
}

TEST_F(ChoiceFixture, MissingLayersMakeNothing) {
    EXPECT_EQ(addChoice(screen, actions, 0, 77, 0, 1, 2, 1), -1);
    addChoiceButton(screen, actions, 1, 0, 77, "", 24, 0, "x");
    EXPECT_TRUE(screen.tasks.empty());
    EXPECT_EQ(actions.flags, 0);

    // A layer without a picture still takes a task; its caption has nowhere to go.
    screen.insertLayer(20, std::make_unique<Layer>());
    addChoiceButton(screen, actions, 1, 0, 20, "", 24, 0, "x");
    EXPECT_EQ(screen.tasks.size(), 1u);
}

} // namespace
} // namespace zre
