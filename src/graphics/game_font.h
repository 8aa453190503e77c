#pragma once
// The font of the text renderers and the choice buttons: a height, style flags and a face
// name as the scripts give them, with the Shift JIS character set; a face name beginning
// with "@" gives the rotated variant for vertical writing.
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/font.h"

namespace zre {

// Face names hold at most 31 bytes; longer names are cut there, as the platform's face
// field would cut them.
constexpr size_t kMaxFaceNameBytes = 31;

// height: passed through unchanged (positive = cell height, negative = em height);
// flags bit 0: weight 600 instead of 400; flags & 0x10: italic; other bits are ignored.
// Never null.
std::unique_ptr<GameFont> createGameFont(int32_t height, uint32_t flags, std::string_view face);

} // namespace zre
