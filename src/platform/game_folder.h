#pragma once
// The game folder as the host knows it: its real path, the short hash that names per-game
// files kept outside it (the instance lock, the data of a read-only install), and where the
// game's "./dat" files live.
#include <cstdint>
#include <string>
#include <string_view>

namespace zre {

// The folder's real path (symbolic links resolved), or its absolute path when that fails.
std::string realFolderPath(std::string_view folder);

// A stable 64-bit hash of a path (FNV-1a).
uint64_t pathHash(std::string_view path);

// Decides where the game's "./dat/..." files live, for the current folder as the game
// folder: "./dat" when it exists or can be created and a file can be written in it;
// otherwise a per-user folder, $XDG_DATA_HOME/zre/<folder name>-<hash of its real path>
// ($XDG_DATA_HOME defaulting to ~/.local/share), which the file layer then reads first and
// writes to (see setDataFolderRedirect). Returns the host folder chosen.
std::string chooseDataFolder();

} // namespace zre
