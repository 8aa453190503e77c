#include "platform/backend.h"

#include "platform/headless/headless_backend.h"
#include "platform/picture_files.h"

namespace zre::detail {

PlatformState& platformState() {
    static PlatformState state;
    return state;
}

namespace {

void blackPicture(WindowPicture& p, int width, int height) {
    p.width = width;
    p.height = height;
    p.stride = strideFor(width);
    p.bits.assign(static_cast<size_t>(p.stride) * static_cast<size_t>(height), 0);
}

} // namespace

Backend& backend() {
    PlatformState& c = platformState();
    if (!c.backend) c.backend = std::make_unique<HeadlessBackend>(HeadlessOptions{}, std::vector<ScriptedInput>{});
    return *c.backend;
}

void setBackend(std::unique_ptr<Backend> next) { platformState().backend = std::move(next); }

void queueInput(Message message) { platformState().queue.push_back(std::move(message)); }

void latchControl() { platformState().controlLatched = true; }

void resetWindowPicture(int width, int height) {
    if (width <= 0 || height <= 0) return;
    blackPicture(platformState().picture, width, height);
}

} // namespace zre::detail
