#include "platform/message_box.h"

#include <cstdio>

#include "platform/backend.h"
#include "platform/sjis.h"

namespace zre {

namespace {

MessageBoxResult defaultHandler(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                MessageBoxIcon) {
    std::string line = messageBoxLine(text, caption);
    std::fprintf(stderr, "%s\n", line.c_str());
    return buttons == MessageBoxButtons::YesNo ? MessageBoxResult::Yes : MessageBoxResult::Ok;
}

MessageBoxHandler& handler() {
    static MessageBoxHandler h = defaultHandler;
    return h;
}

} // namespace

std::string messageBoxLine(std::string_view text, std::string_view caption) {
    return "messagebox [" + sjisToUtf8(caption) + "] " + sjisToUtf8(text);
}

MessageBoxResult messageBox(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                            MessageBoxIcon icon) {
    MessageBoxHandler& h = handler();
    if (!h) return defaultHandler(text, caption, buttons, icon);
    return h(text, caption, buttons, icon);
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler next) {
    MessageBoxHandler previous = std::move(handler());
    handler() = next ? std::move(next) : MessageBoxHandler(defaultHandler);
    return previous;
}

bool messageBoxesDrawnInWindow() { return detail::backend().drawsMessageBoxes(); }

void silenceMessageBoxes() {
    setMessageBoxHandler([](std::string_view, std::string_view, MessageBoxButtons buttons, MessageBoxIcon) {
        return buttons == MessageBoxButtons::YesNo ? MessageBoxResult::Yes : MessageBoxResult::Ok;
    });
}

} // namespace zre
