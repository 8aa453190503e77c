#include "platform/process.h"

#include <cstdio>
#include <cstdlib>

namespace zre {

namespace {
ExitHandler& exitHandler() {
    static ExitHandler h;
    return h;
}
} // namespace

void exitProcess(int code) {
    if (ExitHandler& h = exitHandler()) h(code);
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code & 0xFF);
}

ExitHandler setExitHandler(ExitHandler handler) {
    ExitHandler previous = std::move(exitHandler());
    exitHandler() = std::move(handler);
    return previous;
}

} // namespace zre
