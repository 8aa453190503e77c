#pragma once
// The host file system seen with Windows eyes. Game paths are Shift JIS texts written the
// way the scripts write them: "\" separates like "/", names are converted to the host's
// UTF-8, and a component that does not exist under its exact name is looked up ignoring
// case (ASCII letters and the full-width Latin letters of Shift JIS alike).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zre {

// The host path (UTF-8) for a game path. Components that exist are resolved
// case-insensitively; the remainder is converted as written. With a data folder redirect,
// a path into the game's "./dat" names the player's copy when it exists, else the game's.
std::string hostPath(std::string_view gamePath);
// The host path a write to the game path goes to: with a redirect, the player's folder.
std::string hostPathForWriting(std::string_view gamePath);

// Keeps the game's "./dat" files in hostFolder (a read-only install); empty: in the game
// folder itself. See chooseDataFolder (platform/game_folder.h).
void setDataFolderRedirect(std::string hostFolder);

struct HostEntry {
    std::string name;     // Shift JIS, as a script would write it
    bool directory = false;
};

// Entries of a folder (not "." and ".."), in the order Windows lists a folder of its file
// system (see windowsNameOrder).
std::vector<HostEntry> listDirectory(std::string_view gamePath);

// The order of names in a Windows folder listing: each name upper-cased and compared code
// unit by code unit in UTF-16, so letters sort without regard to case and before "_".
// Names that differ only in case (possible here, not there) keep their byte order.
bool windowsNameOrder(std::string_view utf8A, std::string_view utf8B);

enum class HostKind { Missing, File, Directory };
HostKind hostKind(std::string_view gamePath);

// Reads a whole plain file; nullopt when it cannot be opened or read, or is larger than
// maxBytes.
std::optional<std::vector<uint8_t>> readWholeFile(std::string_view gamePath, uint64_t maxBytes = UINT64_MAX);

// Replaces a file atomically: a temporary file beside it is written, flushed and renamed
// over the target. On failure the old file is untouched and false is returned.
bool writeFileAtomically(std::string_view gamePath, const void* data, size_t size);
inline bool writeFileAtomically(std::string_view gamePath, const std::vector<uint8_t>& bytes) {
    return writeFileAtomically(gamePath, bytes.data(), bytes.size());
}

// Creates a folder (and its parents) when missing; true when it exists afterwards.
bool makeDirectories(std::string_view gamePath);

// name matches pattern, where "*" stands for any run of characters and "?" for one
// character (a double-byte character counts as one), compared like equalsIgnoringCase (platform/sjis.h).
bool matchesWildcard(std::string_view pattern, std::string_view name);

// The same file operations on host paths (UTF-8, used as given), for the tools whose
// command lines name host files.
std::optional<std::vector<uint8_t>> readHostFile(const std::string& hostPath, uint64_t maxBytes = UINT64_MAX);
bool writeHostFileAtomically(const std::string& hostPath, const void* data, size_t size);

} // namespace zre
