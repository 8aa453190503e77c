#include "platform/game_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/file_system.h"

namespace zre {

namespace {

namespace fs = std::filesystem;

// A file can be made in folder (created first when missing).
bool canWriteIn(const std::string& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) return false;
    std::string probe = folder + "/.zre-write-test-" + std::to_string(::getpid());
    int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

fs::path userDataHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') return xdg;
    if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local" / "share";
    return fs::temp_directory_path();
}

} // namespace

std::string realFolderPath(std::string_view folder) {
    std::error_code ec;
    fs::path dir(folder.empty() ? std::string_view(".") : folder);
    fs::path real = fs::canonical(dir, ec);
    if (ec) real = fs::absolute(dir, ec).lexically_normal();
    return real.string();
}

uint64_t pathHash(std::string_view s) {
    uint64_t h = 14695981039346656037ull;
    for (char c : s) {
        h ^= static_cast<uint8_t>(c);
        h *= 1099511628211ull;
    }
    return h;
}

std::string chooseDataFolder() {
    setDataFolderRedirect("");
    const std::string own = hostPath("./dat");
    if (canWriteIn(own)) return own;

    const std::string real = realFolderPath(".");
    std::string name = fs::path(real).filename().string();
    if (name.empty()) name = "game";
    char hash[24];
    std::snprintf(hash, sizeof hash, "-%08llx", static_cast<unsigned long long>(pathHash(real) & 0xFFFFFFFFull));
    const fs::path user = userDataHome() / "zre" / (name + hash);
    std::error_code ec;
    fs::create_directories(user, ec);
    setDataFolderRedirect(user.string());
    return user.string();
}

} // namespace zre
