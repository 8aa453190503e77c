#include "platform/key_state.h"

#include "platform/backend.h"

namespace zre {

bool controlKeyPressed() {
    detail::PlatformState& c = detail::platformState();
    bool down = detail::backend().controlDown() || c.controlLatched;
    c.controlLatched = false;
    return down;
}

} // namespace zre
