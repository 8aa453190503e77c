#include "platform/messages.h"

#include "platform/backend.h"
#include "platform/termination_signals.h"

namespace zre {

namespace {

// Next message without letting the backend count the call as idle spinning.
bool takeMessage(Message& message, bool countEmpty) {
    detail::PlatformState& c = detail::platformState();
    if (takeTerminationRequest()) {
        message = makeMessage(MessageKind::Destroy);
        return true;
    }
    detail::backend().pollEvents();
    if (!c.queue.empty()) {
        message = std::move(c.queue.front());
        c.queue.pop_front();
        return true;
    }
    if (c.paintPending) {
        c.paintPending = false;
        message = Message{};
        message.kind = MessageKind::Paint;
        return true;
    }
    if (countEmpty) detail::backend().emptyPeek();
    return false;
}

} // namespace

WindowProcedure setWindowProcedure(WindowProcedure procedure) {
    WindowProcedure previous = std::move(detail::platformState().procedure);
    detail::platformState().procedure = std::move(procedure);
    return previous;
}

bool peekMessage(Message& message) { return takeMessage(message, true); }

bool waitMessage(Message& message) {
    if (takeMessage(message, false)) return true;
    for (;;) {
        bool again = detail::backend().wait(std::nullopt);
        if (takeMessage(message, false)) return true;
        if (!again) return false;
    }
}

bool waitMessageTimeout(Message& message, uint32_t ms) {
    if (takeMessage(message, false)) return true;
    detail::backend().wait(ms);
    return takeMessage(message, false);
}

bool sleepUntilMessage(Message& message, uint32_t ms) {
    if (takeMessage(message, false)) return true;
    if (!detail::backend().sleepsWhileWaiting()) return false;
    detail::backend().wait(ms);
    return takeMessage(message, false);
}

void waitingOnlyForInput() { detail::backend().waitingOnlyForInput(); }

void dispatchMessage(const Message& message) {
    if (message.kind == MessageKind::Quit) return;
    // A copy, so a procedure that replaces itself while running stays alive to the end.
    WindowProcedure procedure = detail::platformState().procedure;
    if (procedure) procedure(message);
}

void postMessage(Message message) { detail::platformState().queue.push_back(std::move(message)); }

void sendMessage(const Message& message) { dispatchMessage(message); }

void postQuitMessage(int exitCode) {
    Message m;
    m.kind = MessageKind::Quit;
    m.value = exitCode;
    detail::platformState().queue.push_back(std::move(m));
}

bool isForeground() { return detail::backend().isForeground(); }

} // namespace zre
