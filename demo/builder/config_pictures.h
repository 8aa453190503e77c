#pragma once
// The configuration screen's three pictures (normal, hovered, on) for the demo.
#include <string>
#include <utility>
#include <vector>

#include "canvas.h"

namespace demo {

// (file name below the game folder, picture) for each of the three, over background.
std::vector<std::pair<std::string, Canvas>> configPictures(const Canvas& background);

} // namespace demo
