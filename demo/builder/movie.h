#pragma once
// The demo's opening movie, drawn here frame by frame and encoded with its tone.
#include <filesystem>

namespace demo {

// Writes the opening movie into the game folder as movie/opening.mpg (an MPEG-1 program
// stream); false when it failed.
bool writeOpeningMovie(const std::filesystem::path& gameFolder);

} // namespace demo
