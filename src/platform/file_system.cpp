#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <wctype.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/host_file.h"
#include "platform/sjis.h"

namespace zre {

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::vector<uint32_t> foldedUnits(std::string_view s) {
    std::vector<uint32_t> units;
    units.reserve(s.size());
    for (size_t i = 0; i < s.size();) units.push_back(foldedCharUnit(s, i));
    return units;
}

bool globMatch(const std::vector<uint32_t>& p, const std::vector<uint32_t>& n) {
    // Greedy match with one backtrack point: linear for the patterns games use.
    size_t pi = 0, ni = 0;
    size_t starP = SIZE_MAX, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (starP != SIZE_MAX) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

std::string joinHost(const std::string& base, const std::string& name) {
    if (base.empty()) return name;
    if (base.back() == '/') return base + name;
    return base + "/" + name;
}

bool hostExists(const std::string& host) {
    struct stat st;
    return ::lstat(host.c_str(), &st) == 0;
}

// The entry of folder `host` whose name equals `component` ignoring case; the smallest
// such host name, so that the choice does not depend on the order of the directory.
bool findIgnoringCase(const std::string& host, std::string_view component, std::string& found) {
    DIR* dir = ::opendir(host.empty() ? "." : host.c_str());
    if (!dir) return false;
    bool any = false;
    while (dirent* e = ::readdir(dir)) {
        std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        if (!equalsIgnoringCase(utf8ToSjis(name), component)) continue;
        if (!any || name < found) found = std::string(name);
        any = true;
    }
    ::closedir(dir);
    return any;
}

} // namespace

bool matchesWildcard(std::string_view pattern, std::string_view name) {
    std::vector<uint32_t> p = foldedUnits(pattern);
    std::vector<uint32_t> n = foldedUnits(name);
    if (globMatch(p, n)) return true;
    // As on Windows, a trailing ".*" also matches names without an extension ("*.*" is all).
    if (p.size() >= 2 && p[p.size() - 1] == '*' && p[p.size() - 2] == '.') {
        p.resize(p.size() - 2);
        return globMatch(p, n);
    }
    return false;
}

namespace {

// The per-user folder that holds the game's "./dat" files of a read-only install; empty
// while the game folder's own "dat" is used.
std::string& dataRedirect() {
    static std::string folder;
    return folder;
}

// For a relative game path into the game's data folder ("./dat/save00.sav", "dat\x"), the
// part below that folder ("save00.sav"; empty for the folder itself).
std::optional<std::string_view> belowDataFolder(std::string_view gamePath) {
    size_t i = 0;
    if (!gamePath.empty() && isSeparator(gamePath[0])) return std::nullopt;
    while (i < gamePath.size()) {
        size_t start = i;
        while (i < gamePath.size() && !isSeparator(gamePath[i])) i += isLeadByteAt(gamePath, i) ? 2 : 1;
        std::string_view component = gamePath.substr(start, i - start);
        while (i < gamePath.size() && isSeparator(gamePath[i])) ++i;
        if (component.empty() || component == ".") continue;
        if (!equalsIgnoringCase(component, "dat")) return std::nullopt;
        return gamePath.substr(i);
    }
    return std::nullopt;
}

// Resolves gamePath component by component below host (the current folder when empty).
std::string resolveBelow(std::string host, std::string_view gamePath) {
    size_t i = 0;
    if (host.empty() && !gamePath.empty() && isSeparator(gamePath[0])) {
        host = "/";
        i = 1;
    }
    bool resolving = true;
    bool trailingSeparator = false;
    while (i < gamePath.size()) {
        size_t start = i;
        while (i < gamePath.size() && !isSeparator(gamePath[i])) i += isLeadByteAt(gamePath, i) ? 2 : 1;
        std::string_view component = gamePath.substr(start, i - start);
        trailingSeparator = i < gamePath.size();
        if (i < gamePath.size()) ++i;  // the separator
        if (component.empty()) continue;

        std::string written = joinHost(host, sjisToUtf8(component));
        if (!resolving || component == "." || component == ".." || hostExists(written)) {
            host = std::move(written);
            continue;
        }
        std::string found;
        if (findIgnoringCase(host, component, found)) {
            host = joinHost(host, found);
        } else {
            // Nothing below a missing component can exist; the rest is taken as written.
            resolving = false;
            host = std::move(written);
        }
    }
    if (trailingSeparator && !host.empty() && host.back() != '/') host += '/';
    return host;
}

} // namespace

void setDataFolderRedirect(std::string hostFolder) { dataRedirect() = std::move(hostFolder); }

std::string hostPath(std::string_view gamePath) {
    if (!dataRedirect().empty()) {
        if (std::optional<std::string_view> rest = belowDataFolder(gamePath)) {
            // The player's copy first; what the game shipped in its own "dat" otherwise.
            std::string user = resolveBelow(dataRedirect(), *rest);
            if (hostExists(user)) return user;
            std::string own = resolveBelow("", gamePath);
            return hostExists(own) ? own : user;
        }
    }
    return resolveBelow("", gamePath);
}

std::string hostPathForWriting(std::string_view gamePath) {
    if (!dataRedirect().empty()) {
        if (std::optional<std::string_view> rest = belowDataFolder(gamePath)) return resolveBelow(dataRedirect(), *rest);
    }
    return resolveBelow("", gamePath);
}

namespace {

// The code point at s[i] (moving i past it); a broken sequence yields its first byte.
uint32_t nextCodePoint(std::string_view s, size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    const size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    if (extra == 0 || s.size() - i < extra + 1) {
        ++i;
        return b;
    }
    uint32_t cp = b & (0x3Fu >> extra);
    for (size_t k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) {
            ++i;
            return b;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    i += extra + 1;
    return cp;
}

// The name as the UTF-16 code units of its upper-case form.
std::vector<uint16_t> upperUtf16(std::string_view utf8) {
    static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    std::vector<uint16_t> units;
    units.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        uint32_t cp = nextCodePoint(utf8, i);
        if (cp < 0x10000) {
            uint32_t up = cp;
            if (unicode) {
                up = static_cast<uint32_t>(towupper_l(static_cast<wint_t>(cp), unicode));
            } else if (cp >= 'a' && cp <= 'z') {
                up = cp - 0x20;
            }
            // The upper-case form must stay one code unit, as a per-unit table keeps it.
            units.push_back(static_cast<uint16_t>(up < 0x10000 ? up : cp));
        } else {
            cp -= 0x10000;
            units.push_back(static_cast<uint16_t>(0xD800 + (cp >> 10)));
            units.push_back(static_cast<uint16_t>(0xDC00 + (cp & 0x3FF)));
        }
    }
    return units;
}

} // namespace

bool windowsNameOrder(std::string_view a, std::string_view b) {
    const std::vector<uint16_t> ua = upperUtf16(a);
    const std::vector<uint16_t> ub = upperUtf16(b);
    if (ua != ub) return ua < ub;
    return a < b;
}

std::vector<HostEntry> listDirectory(std::string_view gamePath) {
    std::string host = hostPath(gamePath);
    std::vector<std::pair<std::string, bool>> names;
    DIR* dir = ::opendir(host.empty() ? "." : host.c_str());
    if (!dir) return {};
    while (dirent* e = ::readdir(dir)) {
        std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        bool directory = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st;
            directory = ::stat(joinHost(host.empty() ? "." : host, std::string(name)).c_str(), &st) == 0 &&
                        S_ISDIR(st.st_mode);
        }
        names.emplace_back(std::string(name), directory);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(),
              [](const auto& x, const auto& y) { return windowsNameOrder(x.first, y.first); });
    std::vector<HostEntry> entries;
    entries.reserve(names.size());
    for (auto& [name, directory] : names) entries.push_back(HostEntry{utf8ToSjis(name), directory});
    return entries;
}

HostKind hostKind(std::string_view gamePath) {
    std::string host = hostPath(gamePath);
    if (host.empty()) return HostKind::Missing;
    struct stat st;
    if (::stat(host.c_str(), &st) != 0) return HostKind::Missing;
    return S_ISDIR(st.st_mode) ? HostKind::Directory : HostKind::File;
}

std::optional<std::vector<uint8_t>> readHostFile(const std::string& hostPath, uint64_t maxBytes) {
    HostFile file;
    if (!file.open(hostPath) || uint64_t(file.size()) > maxBytes) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<size_t>(file.size()));
    if (file.readAt(0, bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
    return bytes;
}

std::optional<std::vector<uint8_t>> readWholeFile(std::string_view gamePath, uint64_t maxBytes) {
    return readHostFile(hostPath(gamePath), maxBytes);
}

bool writeHostFileAtomically(const std::string& target, const void* data, size_t size) {
    if (target.empty() || target.back() == '/') return false;
    size_t slash = target.rfind('/');
    std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash == 0 ? 1 : slash);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    // The replacement keeps the permissions of the file it replaces.
    mode_t mode = 0666;
    bool keepMode = false;
    struct stat old;
    if (::stat(target.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) return false;
        mode = old.st_mode & 07777;
        keepMode = true;
    }

    static std::atomic<unsigned> counter{0};
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = joinHost(folder, "." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
                                    std::to_string(counter.fetch_add(1)));
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;

    bool ok = true;
    auto* p = static_cast<const uint8_t*>(data);
    size_t left = size;
    while (ok && left > 0) {
        ssize_t put = ::write(fd, p, left);
        if (put < 0) {
            if (errno == EINTR) continue;
            ok = false;
        } else {
            p += put;
            left -= static_cast<size_t>(put);
        }
    }
    if (ok && keepMode) ok = ::fchmod(fd, mode) == 0;
    if (ok) ok = ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here no longer endangers the data.
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool writeFileAtomically(std::string_view gamePath, const void* data, size_t size) {
    return writeHostFileAtomically(hostPathForWriting(gamePath), data, size);
}

bool makeDirectories(std::string_view gamePath) {
    std::string host = hostPathForWriting(gamePath);
    if (host.empty()) return false;
    std::error_code ec;
    std::filesystem::create_directories(host, ec);
    return std::filesystem::is_directory(host, ec);
}

} // namespace zre
