#include "platform/local_time.h"

#include <ctime>

namespace zre {

LocalTime localTimeNow() {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    if (!localtime_r(&now, &parts)) return {};
    return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min};
}

} // namespace zre
