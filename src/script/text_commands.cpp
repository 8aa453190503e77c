// The message window and choices as the scripts drive them: the Print statement, the
// RegisterText, ShowText and Select commands, the message window built from the $Print_*
// system variables, and the engine's side of the message and choice tasks.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "graphics/layer.h"
#include "platform/message_box.h"
#include "script/engine.h"
#include "script/evaluator.h"
#include "ui/choice.h"
#include "ui/message_tasks.h"
#include "ui/message_text.h"

namespace zre {

namespace {

// "エスケープシーケンスが不正です。"
constexpr char kBadEscape[] =
    "\x83G\x83X\x83P\x81[\x83v\x83V\x81[\x83P\x83\x93\x83X\x82\xaa\x95s\x90\xb3\x82\xc5\x82\xb7\x81"
    "B";

// The list of choices is centred in this area at the top left of the screen.
constexpr int64_t kChoiceAreaWidth = 730;
constexpr int64_t kChoiceAreaHeight = 560;
constexpr int64_t kChoiceGap = 30;
constexpr int32_t kChoiceTag = 1;

// The "/c" escape holds at most this many characters of its number.
constexpr size_t kMaxWaitDigits = 11;

int32_t clampToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

class EngineTextActions : public TextActions {
public:
    explicit EngineTextActions(Engine& engine) : engine_(engine) {}
    void setInputFlags(int32_t flags) override { engine_.inputFlags = flags; }
    void setMessageWindowVisible(int32_t party, int32_t visible) override {
        engine_.setMessageWindowVisible(party, visible);
    }
    std::string assignmentTarget() const override {
        const char* target = engine_.argText(0);
        return target ? std::string(target) : std::string();
    }
    void setVariable(std::string_view name, std::string_view value) override {
        engine_.setScoped(name, std::string(value).c_str());
    }

private:
    Engine& engine_;
};

// The layer number of the next choice button: one above the highest picture layer. That is
// 1000 once layer 999 exists, and 1000 again for the next button, which would replace the
// first; a taken 1000 falls back to the highest free picture number instead. Choice buttons
// therefore never reach the message window (1001) or anything above it. -1 when every
// number up to 1000 is taken.
int32_t choiceLayerId(const Screen& screen) {
    const int32_t id = screen.freePictureId();
    if (id < 1000 || screen.findLayer(id) < 0) return id;
    for (int32_t k = 999; k >= 1; --k) {
        if (screen.findLayer(k) < 0) return k;
    }
    return -1;
}

} // namespace

std::unique_ptr<TextActions> makeTextActions(Engine& engine) { return std::make_unique<EngineTextActions>(engine); }

void Engine::setMessageText(std::string_view text) {
    if (!screen) return;
    if (MessageText* page = messageTextOf(*screen)) page->setText(text);
}

void Engine::showTextCursor() {
    if (screen) zre::showTextCursor(*screen);
}

void Engine::applyMessageSettings() {
    if (!screen) return;
    Screen& s = *screen;
    MessageText* page = messageTextOf(s);
    const VariableTable& v = systemVars;
    const int32_t vertical = v.getNumber("$Print_vertical");
    const Layer* window = s.getLayer(kMessageWindowLayerId);
    const bool wasVisible = window && window->visible != 0;
    const int32_t oldVertical = page ? page->vertical : 0;

    auto text = [&](const char* name) -> std::string_view {
        const char* t = v.getText(name);
        return t ? std::string_view(t) : std::string_view();
    };
    std::string_view picture;
    int32_t pictureX = 0, pictureY = 0;
    if (page) {
        page->setStyle(v.getNumber("$Print_fontsize"), static_cast<uint32_t>(v.getNumber("$Print_color")),
                       v.getNumber("$Print_lfsp"), v.getNumber("$Print_wait"));
    }
    if (vertical != 0) {
        if (page) {
            page->setFrame(text("$Print_vfontname"), v.getNumber("$Print_vx"), v.getNumber("$Print_vy"),
                           v.getNumber("$Print_vsp"), v.getNumber("$Print_vwlimit"), v.getNumber("$Print_vhlimit"),
                           vertical);
        }
        picture = text("$Print_vbmpname");
        pictureX = v.getNumber("$Print_vbmpx");
        pictureY = v.getNumber("$Print_vbmpy");
    } else {
        if (page) {
            page->setFrame(text("$Print_fontname"), v.getNumber("$Print_x"), v.getNumber("$Print_y"),
                           v.getNumber("$Print_sp"), v.getNumber("$Print_wlimit"), v.getNumber("$Print_hlimit"), 0);
        }
        picture = text("$Print_bmpname");
        pictureX = v.getNumber("$Print_bmpx");
        pictureY = v.getNumber("$Print_bmpy");
    }

    // The window picture: left half the picture, right half its mask. A missing $Print_id
    // reads as -1 and would name the front layer (0); the window never takes the place of
    // the front, composite or snapshot layer.
    const int64_t windowId = int64_t(v.getNumber("$Print_id")) + 1;
    if (windowId > kFrontLayerId && windowId < kCompositeLayerId) {
        s.addLayer(static_cast<int32_t>(windowId), picture, pictureX, pictureY, 0, 0, LayerExtra::none(), LAYER_MASK);
    }
    s.setLayerVisible(kMessageWindowLayerId, wasVisible ? 1 : 0);
    if (page && page->vertical != oldVertical) page->relayout();
    if (s.findLayer(kTextCursorLayerId) >= 0 && wasVisible) showTextCursor();
    s.show(SHOW_NONE, 0);
}

void Engine::textCommand(CommandId id) {
    if (!screen) return;
    Screen& s = *screen;
    switch (id) {
    case CommandId::RegisterText:
        applyMessageSettings();
        // Only the flag: the window shows at the next composition of its area.
        if (Layer* window = s.getLayer(kMessageWindowLayerId)) window->visible = 1;
        break;
    case CommandId::ShowText:
        setMessageWindowVisible(1, argNumber(2));
        if (argCount() == 4 && argNumber(3) == 1) setMessageText(" ");
        break;
    case CommandId::Select: {
        const VariableTable& v = systemVars;
        const char* picture = v.getText("$select_bmp");
        const char* face = v.getText("$select_fontname");
        const int64_t width = v.getNumber("$select_width");
        const int64_t height = v.getNumber("$select_height");
        const int32_t fontSize = v.getNumber("$select_fontsize");
        const auto colour = static_cast<uint32_t>(v.getNumber("$select_color"));
        const int32_t choices = std::max(argCount() - 2, 0);
        const int32_t x = clampToInt32((kChoiceAreaWidth - width) >> 1);
        int64_t y = (kChoiceAreaHeight - choices * (height + kChoiceGap)) >> 1;
        for (int32_t i = 0; i < choices; ++i) {
            const int32_t layerId = choiceLayerId(s);
            if (layerId < 0) break;
            s.addLayer(layerId, picture ? picture : "", x, clampToInt32(y), clampToInt32(width), clampToInt32(height),
                       LayerExtra::none(), LAYER_MASKEX);
            const char* caption = argText(2 + i);
            addChoiceButton(s, *textActions, kChoiceTag, i, layerId, face ? face : "", fontSize, colour,
                            caption ? caption : "");
            y += height + kChoiceGap;
        }
        s.show(SHOW_NONE, 0);
        break;
    }
    default:
        break;
    }
}

void Engine::printStatement() {
    // The voices of the previous message stop first.
    for (int32_t key : {kMaleVoiceKey, kOtherVoiceKey}) {
        if (sound.isPlaying(key)) sound.stop(key);
    }
    const char* argument = argText(2);
    std::string text = argument ? argument : "";
    int32_t autoWaitMs = (static_cast<int32_t>(std::strlen(text.c_str())) / 12 + 1) * 600;

    // The voice plays on the channel its speaker code picks; a held Control key skips it.
    if (const char* voiceArgument = argText(3)) {
        const std::string voice = strippedText(voiceArgument);
        if (!(screen && screen->host().controlHeld())) {
            if (!speakers) speakers = SpeakerCodes::load();
            const int32_t key = speakers->channelFor(voice);
            if (sound.play(key, voice, 1, 0)) autoWaitMs = sound.getDuration(key) + 500;
        }
    }

    MessageText* page = screen ? messageTextOf(*screen) : nullptr;
    // "/p": this text is appended to the page. Only the first one counts.
    if (size_t at = text.find("/p"); at != std::string::npos) {
        if (page) page->replaceNext = 0;
        text.erase(at, 2);
    }
    // "/c<ms>/": this message advances by itself, ms after its typing ends. Only the first
    // one counts. Without its closing "/" the escape is reported and stays in the text as
    // written; the message then waits as usual.
    bool forced = false;
    if (size_t at = text.find("/c"); at != std::string::npos) {
        const size_t close = text.find('/', at + 2);
        if (close == std::string::npos) {
            messageBox(kBadEscape, "Error");
        } else {
            const std::string digits = text.substr(at + 2, std::min(close - at - 2, kMaxWaitDigits));
            autoWaitMs = atoi32(digits.c_str());
            forced = true;
            text.erase(at, close + 1 - at);
        }
    }

    if (backlog.size() >= kBacklogLimit) backlog.pop_front();
    backlog.push_back(text);

    // A missing $sys_auto reads as -1: automatic.
    const bool autoAdvance = forced || systemVars.getNumber("$sys_auto") != 0;
    if (screen) printMessage(*screen, *textActions, text, autoWaitMs, autoAdvance);
}

} // namespace zre
