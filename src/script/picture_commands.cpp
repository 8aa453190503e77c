// The commands that work on pictures and layers (Draw, Del, Clear, ShowLayer, Flash, Shake),
// the effect commands that make tasks (Move, Anime, Wait), and the save records they keep in
// scope 0 so that a saved game can rebuild its picture.
#include <cstdio>
#include <string>

#include "graphics/layer.h"
#include "graphics/pixel_ops.h"
#include "platform/clock.h"
#include "script/engine.h"
#include "script/evaluator.h"
#include "ui/effect_tasks.h"

namespace zre {

namespace {

std::string recordName(std::string_view prefix, int32_t number) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", number);
    return std::string(prefix) + digits;
}

const char* orEmpty(const char* text) { return text ? text : ""; }

// Where the Shake command puts the front buffer, in turn; the last one is the rest position.
constexpr Rect kShakeRects[] = {
    {-40, -40, 760, 560}, {40, 40, 840, 640}, {40, -40, 840, 560}, {-40, 40, 760, 640}, kScreenArea,
};

} // namespace

LayerExtra drawExtra(const char* text, int32_t kind) {
    if (!text || std::string_view(text) == "0") return LayerExtra::none();
    if (kind == LAYER_TRANS) return LayerExtra::keyColour(static_cast<uint32_t>(evaluate(text)));
    return LayerExtra::maskFile(text);
}

void Engine::setRecord(std::string_view prefix, int32_t number, const char* text) {
    setInScope(0, recordName(prefix, number), text);
}

void Engine::clearRecord(std::string_view prefix, int32_t number) {
    if (number == -1) {
        // Every record of that prefix: the name agrees in all but the prefix's last character.
        if (!prefix.empty()) scopes[0].removePrefix(prefix, prefix.size() - 1);
        return;
    }
    scopes[0].removeByName(recordName(prefix, number));
}

void Engine::setRecordFields(std::string_view prefix, int32_t number, std::string_view text, int32_t first,
                             int32_t count) {
    std::string name = recordName(prefix, number);
    const char* current = scopes[0].getText(name);
    if (!current) return;
    std::string_view v = current;
    // Keep v up to and including its first-th comma.
    size_t keep = 0;
    for (int32_t commas = 0; commas < first; ++commas) {
        size_t at = v.find(',', keep);
        if (at == std::string_view::npos) return;  // too few fields: the record stays as it is
        keep = at + 1;
    }
    // Skip count further commas; the rest of v starts at the comma reached.
    size_t rest = keep;
    for (int32_t commas = 0; commas < count; ++commas) {
        size_t at = v.find(',', commas == 0 ? rest : rest + 1);
        if (at == std::string_view::npos) return;
        rest = at;
    }
    std::string updated(v.substr(0, keep));
    updated += text;
    updated += v.substr(rest);
    setInScope(0, name, updated.c_str());
}

// A timed pause that keeps the window alive: the message pump runs until the clock has
// moved on by ms.
void Engine::waitMs(uint32_t ms) {
    if (!screen || ms == 0) return;
    ScreenHost& host = screen->host();
    const uint32_t deadline = host.now() + ms;
    for (uint32_t t = host.now(); !clockReached(t, deadline); t = host.now()) host.pump(deadline - t);
}

void Engine::pictureCommand(CommandId id) {
    if (!screen) return;
    Screen& s = *screen;
    const int count = argCount();
    // Elements counted from the end, as Del and ShowLayer find their transition. With at
    // most one argument they reach the command's own name, which reads as 0.
    auto tailText = [&](int fromEnd) { return argText(count - fromEnd); };
    auto tailNumber = [&](int fromEnd) { return argNumber(count - fromEnd); };

    switch (id) {
    case CommandId::Draw: {
        int groups = count / 8;
        int after = 2 + 8 * groups;  // the transition kind, then its duration
        const char* showText = argText(after);
        int32_t visible = constantValue(showText) != 0 ? 1 : 0;
        for (int g = 0; g < groups; ++g) {
            int b = 2 + 8 * g;
            int32_t number = argNumber(b);
            int32_t id = number + 1;
            const char* file = argText(b + 1);
            int32_t x = argNumber(b + 2), y = argNumber(b + 3), w = argNumber(b + 4), h = argNumber(b + 5);
            const char* extraText = argText(b + 6);
            const char* kindText = argText(b + 7);
            int32_t kind = constantValue(kindText);
            s.addLayer(id, orEmpty(file), x, y, w, h, drawExtra(extraText, kind), kind);
            s.setLayerVisible(id, visible);
            // The record is the Draw statement that rebuilds this layer.
            std::string record = "Draw(" + std::to_string(id) + "," + orEmpty(file) + "," + std::to_string(x) + "," +
                                 std::to_string(y) + "," + std::to_string(w) + "," + std::to_string(h) + "," +
                                 (extraText ? extraText : "0") + "," + orEmpty(kindText) + ")";
            setRecord("$save_layer", id, record.c_str());
        }
        s.show(constantValue(showText), argNumber(after + 1));
        break;
    }
    case CommandId::Del: {
        for (int i = 2; i < count - 2; ++i) {
            int32_t id = argNumber(i) + 1;
            s.removeLayer(id);
            clearRecord("$save_layer", id);
        }
        s.show(constantValue(tailText(2)), tailNumber(1));
        break;
    }
    case CommandId::Clear: {
        // Every picture layer above the background goes, from the top of the stack down.
        for (int32_t pos = static_cast<int32_t>(s.layers.size()) - 1; pos >= 1; --pos) {
            int32_t id = s.layers[pos]->id;
            if (id >= 2 && id <= 1000) s.removeLayerAt(pos);
        }
        const char* file = argText(2);
        s.addLayer(1, orEmpty(file), 0, 0, 0, 0, LayerExtra::none(), LAYER_NORMAL);
        s.show(constantValue(argText(3)), argNumber(4));
        clearRecord("$save_layer", -1);
        std::string record = std::string("Draw(1,") + orEmpty(file) + ",0,0,0,0,0,LAYER_NORMAL)";
        setRecord("$save_layer", 1, record.c_str());
        break;
    }
    case CommandId::ShowLayer: {
        int32_t visible = tailNumber(3);
        for (int i = 2; i < count - 3; ++i) s.setLayerVisible(argNumber(i) + 1, visible);
        s.show(constantValue(tailText(2)), tailNumber(1));
        break;
    }
    case CommandId::Flash: {
        Layer* front = s.front();
        if (front && front->image) fillBitmap(*front->image, 0xFFFFFF);
        s.host().invalidate(kScreenArea);
        s.host().pump();
        s.presentDirty = kScreenArea;
        s.show(SHOW_ALPHA, argNumber(2));
        break;
    }
    case CommandId::Shake: {
        if (s.host().controlHeld()) break;
        int32_t times = argNumber(2);
        for (int32_t t = 0; t < times; ++t) {
            for (const Rect& r : kShakeRects) {
                if (Layer* front = s.front()) front->destRect = r;
                s.host().invalidate(kScreenArea);
                waitMs(48);
            }
        }
        break;
    }
    case CommandId::Move: {
        int32_t number = argNumber(2);
        int32_t dx = argNumber(4), dy = argNumber(5);
        int32_t key = s.nextTaskKey();
        addMove(s, key, number + 1, argNumber(3), dx, dy, argNumber(6));
        s.startTasks(key);
        if (Layer* layer = s.getLayer(number + 1)) {
            std::string t = std::to_string(layer->destRect.left + dx) + "," + std::to_string(layer->destRect.top + dy);
            setRecordFields("$save_layer", number + 1, t, 2, 2);
        }
        break;
    }
    case CommandId::Anime: {
        int32_t key = s.nextTaskKey();
        addAnime(s, key, argNumber(2) + 1, argNumber(3), argNumber(4), argNumber(5), argNumber(6), argNumber(7));
        s.startTasks(key);
        setRecord("$save_task", key, statement.c_str());
        break;
    }
    case CommandId::Wait: {
        int32_t key = s.nextTaskKey();
        addWait(s, key, argNumber(2), argNumber(3));
        s.startTasks(key);
        break;
    }
    default:
        break;
    }
}

} // namespace zre
