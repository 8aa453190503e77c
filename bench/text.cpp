// One frame of typing as the main loop runs it: the typing task reveals the next glyph,
// compose finds nothing dirty, present copies the glyph's rectangle into the front buffer.
// A full-screen background and the message window lie under the text. Also the cost of
// laying out and drawing a whole page, which a Print pays once.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

#include "graphics/bitmap.h"
#include "graphics/layer.h"
#include "graphics/screen.h"
#include "platform/input_state.h"
#include "platform/sjis.h"
#include "ui/message_tasks.h"
#include "ui/message_text.h"

namespace {

using namespace zre;

struct NoActions : TextActions {
    void setInputFlags(int32_t) override {}
    void setMessageWindowVisible(int32_t, int32_t) override {}
    std::string assignmentTarget() const override { return {}; }
    void setVariable(std::string_view, std::string_view) override {}
};

std::unique_ptr<Layer> filled(int32_t w, int32_t h, int32_t x, int32_t y, uint8_t grey) {
    auto l = std::make_unique<Layer>();
    l->createBlank(w, h);
    for (int32_t row = 0; row < h; ++row) {
        uint8_t* p = l->image->row(row);
        for (int32_t i = 0; i < w * 3; ++i) p[i] = uint8_t(grey + (i & 15));
    }
    l->moveTo(x, y);
    return l;
}

const std::string& pageText() {
    static const std::string text = utf8ToSjis(
        "こんにちは、世界。これは横書きのテストです。長い行は枠の端で折り返されて次の行へ続きます。"
        "三行目にも文字が並び、一文字ずつ現れます。");
    return text;
}

struct TypingScene {
    TypingScene() {
        screen.attachWindow(800, 600);
        screen.input = &input;
        attachMessageText(screen);
        screen.insertLayer(1, filled(800, 600, 0, 0, 40));
        auto window = filled(800, 150, 0, 450, 20);
        window->mask = makeBitmap(800, 150);
        std::fill(window->mask->bits, window->mask->bits + window->mask->byteCount(), uint8_t(192));
        screen.insertLayer(kMessageWindowLayerId, std::move(window));
        MessageText& page = *messageTextOf(screen);
        page.setStyle(24, 0xC8FFFF, 8, 0);  // delay 0: one glyph every frame
        page.setFrame(utf8ToSjis("ＭＳ ゴシック"), 40, 470, 0, 740, 590, 0);
        screen.refresh(kScreenArea);
    }
    void print() { printMessage(screen, actions, pageText(), 0, false); }

    InputState input;
    Screen screen;
    NoActions actions;
};

void BM_TypingFrame(benchmark::State& state) {
    TypingScene scene;
    scene.print();
    for (auto _ : state) {
        if (!scene.screen.isBusy() || scene.screen.getLayer(kTextCursorLayerId)) {
            // Typing is over (the click wait runs): start the page again, off the clock.
            state.PauseTiming();
            scene.screen.tasks.clear();
            scene.screen.removeLayer(kTextCursorLayerId);
            scene.print();
            state.ResumeTiming();
        }
        scene.screen.updateTasks();
        scene.screen.compose();
        benchmark::DoNotOptimize(scene.screen.present());
    }
}
BENCHMARK(BM_TypingFrame)->Unit(benchmark::kMicrosecond);

// What a Print pays before typing starts: the old page wiped, the new one laid out (one
// glyph rendered per character) and drawn into the composite layer.
void BM_PrintPage(benchmark::State& state) {
    TypingScene scene;
    for (auto _ : state) {
        scene.screen.tasks.clear();
        scene.print();
    }
}
BENCHMARK(BM_PrintPage)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
