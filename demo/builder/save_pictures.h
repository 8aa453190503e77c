#pragma once
// The pictures of the save and load screens: the screen in its normal and hovered looks,
// the slot panel of each of the ten pages with its hovered form, and the load button.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "graphics/bitmap.h"

namespace demo {

std::vector<std::pair<std::string, std::unique_ptr<zre::Bitmap>>> saveLoadPictures();

} // namespace demo
