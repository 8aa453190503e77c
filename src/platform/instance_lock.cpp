#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/game_folder.h"

namespace zre {

namespace {

// The descriptors stay open for the life of the process: closing one drops its lock.
std::vector<int>& heldLocks() {
    static std::vector<int> fds;
    return fds;
}

std::filesystem::path lockFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        std::error_code ec;
        if (std::filesystem::is_directory(runtime, ec)) return runtime;
    }
    std::error_code ec;
    std::filesystem::path tmp = std::filesystem::temp_directory_path(ec);
    return ec ? std::filesystem::path("/tmp") : tmp;
}

} // namespace

bool acquireInstanceLock(std::string_view gameDir) {
    const std::string key = realFolderPath(gameDir);

    char name[40];
    std::snprintf(name, sizeof name, "zre-%016llx.lock", static_cast<unsigned long long>(pathHash(key)));
    const std::string lockPath = (lockFolder() / name).string();

    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;
    // flock belongs to the open file, so a second open in this same process is refused too.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return !busy;
    }
    // The holder's folder, for whoever wonders what the file is.
    if (::ftruncate(fd, 0) == 0) {
        std::string line = key + "\n";
        ssize_t written = ::write(fd, line.data(), line.size());
        (void)written;
    }
    heldLocks().push_back(fd);
    return true;
}

} // namespace zre
