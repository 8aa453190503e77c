#include "platform/termination_signals.h"

#include <signal.h>

#include <atomic>

namespace zre {

namespace {

std::atomic<int> pending{0};
std::atomic<bool> delivered{false};

extern "C" void onTerminationSignal(int) { pending.store(1, std::memory_order_relaxed); }

} // namespace

void installTerminationSignals() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool takeTerminationRequest() {
    if (pending.load(std::memory_order_relaxed) == 0) return false;
    // Only the first signal counts: the window goes away once.
    return !delivered.exchange(true);
}

} // namespace zre
