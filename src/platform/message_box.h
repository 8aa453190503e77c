#pragma once
// Message boxes with Shift JIS texts. The active backend shows them (SDL) or records them
// (headless: one line "messagebox [CAPTION] TEXT" on stderr, answered from a list).
#include <functional>
#include <string>
#include <string_view>

namespace zre {

enum class MessageBoxButtons { Ok, YesNo };
enum class MessageBoxIcon { None, Information, Warning, Question, Error };
enum class MessageBoxResult { Ok, Yes, No };

MessageBoxResult messageBox(std::string_view text, std::string_view caption,
                            MessageBoxButtons buttons = MessageBoxButtons::Ok,
                            MessageBoxIcon icon = MessageBoxIcon::None);

// The function that answers message boxes. The default writes the headless line to stderr
// and answers Ok (or Yes). Returns the previous handler.
using MessageBoxHandler = std::function<MessageBoxResult(std::string_view text, std::string_view caption,
                                                         MessageBoxButtons, MessageBoxIcon)>;
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

// Answers every message box at once (Ok, or Yes) without showing or printing it: for fuzzers
// and tools that run engine code on arbitrary input.
void silenceMessageBoxes();

// Whether message boxes are to be drawn by the game in its window: the sdl backend on desktops
// whose own boxes cannot show Japanese text (X11, Wayland), once the window is shown and
// draws. The shell's handler draws them then (see setMessageBoxHandler); otherwise the
// backend's own boxes answer.
bool messageBoxesDrawnInWindow();

// The headless line for a message box, UTF-8: "messagebox [CAPTION] TEXT".
std::string messageBoxLine(std::string_view text, std::string_view caption);

} // namespace zre
