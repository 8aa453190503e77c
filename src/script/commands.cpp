// The command table and its dispatch. Arguments are the elements from 2 up of the parsed
// statement: argNumber(i) evaluated (0 when missing), argText(i) as written (null when
// missing). The count of elements, argCount(), selects the form of some commands.
#include <cstring>
#include <string_view>

#include "data/file_access.h"
#include "platform/message_box.h"
#include "platform/sjis.h"
#include "script/engine.h"

namespace zre {

namespace {

// Searched in order up to the end; the index is what IsCommand carries. Entry 14 is a single
// space, which no name matches once blanks are removed.
constexpr std::string_view kCommands[] = {
    "Draw",      "Del",       "Clear",    "Select",       "ShowLayer",   "Movie",   "RegisterText",
    "SetSysParam", "Anime",   "Move",     "PlayBgm",      "PlaySound",   "StopBgm", "StopSound",
    " ",         "PlayCD",    "StopCD",   "ShowText",     "Wait",        "Random",  "SetPage",
    "SetPageConst", "SetPageHook", "Flash", "Shake",
};

struct Constant {
    const char* name;
    int32_t value;
};

constexpr Constant kConstants[] = {
    {"LAYER_NORMAL", 0}, {"LAYER_MASK", 1},   {"LAYER_MASKEX", 2}, {"LAYER_TRANS", 3},
    {"LAYER_BUTTON", 5}, {"SHOW_NONE", 0},    {"SHOW_NORMAL", 1},  {"SHOW_ALPHA", 2},
    {"SHOW_BRUSH", 3},   {"SHOW_VLINE", 4},   {"SHOW_VLINE2", 5},  {"SHOW_HLINE", 6},
    {"SHOW_HLINE2", 7},  {"SHOW_RECT", 9},    {"SHOW_MASK", 10},
};

// "謎のパラメータ参照"
constexpr char kNullConstant[] = "\x93\xE4\x82\xCC\x83p\x83\x89\x83\x81\x81[\x83^\x8EQ\x8F\xC6";


} // namespace

int commandIndex(std::string_view name) {
    for (size_t i = 0; i < std::size(kCommands); ++i) {
        if (equalsIgnoringCase(name, kCommands[i])) return static_cast<int>(i);
    }
    return -1;
}

int32_t constantValue(const char* text) {
    if (!text) {
        messageBox(kNullConstant, "");
        return 0;
    }
    for (const Constant& c : kConstants) {
        if (std::strcmp(text, c.name) == 0) return c.value;
    }
    return 0;
}

void Engine::executeCommand(int index) {
    switch (static_cast<CommandId>(index)) {
    case CommandId::SetSysParam:
        // A missing value leaves the entry without value; there is nothing to name without
        // a name.
        if (const char* name = argText(2)) setSystem(name, argText(3));
        break;
    case CommandId::SetPage:
        requestMode(toEngineMode(argNumber(2)), argNumber(3));
        break;
    case CommandId::SetPageConst:
        resetMode(toEngineMode(argNumber(2)));
        break;
    case CommandId::SetPageHook:
        rightButtonBlocked = argNumber(2);
        break;

    case CommandId::Blank:
    case CommandId::PlayCD:
    case CommandId::StopCD:
    case CommandId::Random:
        // These do nothing (an assignment from Random stores the text Random).
        break;

    case CommandId::Draw:
    case CommandId::Del:
    case CommandId::Clear:
    case CommandId::ShowLayer:
    case CommandId::Flash:
    case CommandId::Shake:
    case CommandId::Move:
    case CommandId::Anime:
    case CommandId::Wait:
        pictureCommand(static_cast<CommandId>(index));
        break;

    case CommandId::Select:
    case CommandId::RegisterText:
    case CommandId::ShowText:
        textCommand(static_cast<CommandId>(index));
        break;

    case CommandId::PlayBgm:
    case CommandId::PlaySound:
    case CommandId::StopBgm:
    case CommandId::StopSound:
        soundCommand(static_cast<CommandId>(index));
        break;

    case CommandId::Movie:
        // Movies are plain files; one that is not there is no error.
        if (const char* file = argText(2); file && fileExists(file)) movies.playMovie(file, argNumber(3));
        break;
    }
}

} // namespace zre
