#pragma once
// The local date and time of the player's desktop, to the minute, as save stamps show it.
#include <cstdint>

namespace zre {

struct LocalTime {
    int32_t year = 0;
    int32_t month = 0;   // 1 .. 12
    int32_t day = 0;     // 1 .. 31
    int32_t hour = 0;    // 0 .. 23
    int32_t minute = 0;  // 0 .. 59
};

LocalTime localTimeNow();

} // namespace zre
