#pragma once
// The headless run's timed input: one event per line, "T verb args", T in virtual ms since
// the start of the run.
//   T click X Y     MouseMove then LButtonUp at X,Y      T rclick X Y   MouseMove then RButtonUp
//   T move X Y      MouseMove                            T wheel +1|-1  MouseWheel
//   T key NAME      KeyDown then KeyUp                   T keydown NAME / T keyup NAME
//   T text STRING   Text with the rest of the line (UTF-8, taken as written)
// NAME: ENTER ESCAPE SPACE PAGEUP PAGEDOWN UP DOWN CTRL BACKSPACE F11 ALT+ENTER. '#' starts a
// comment (except in the STRING of a text line); blank lines are ignored.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/messages.h"

namespace zre {

struct ScriptedInput {
    uint32_t timeMs = 0;
    Message message;
};

// Appends the messages of every line to out in file order (a click is two). On the first
// bad line returns false with error "line N: reason".
bool parseInputScript(std::string_view text, std::vector<ScriptedInput>& out, std::string& error);

// The virtual-key code for a NAME of the input script, or 0.
int32_t inputKeyCode(std::string_view name);

} // namespace zre
