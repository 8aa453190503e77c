#include "graphics/game_font.h"

namespace zre {

std::unique_ptr<GameFont> createGameFont(int32_t height, uint32_t flags, std::string_view face) {
    if (face.size() > kMaxFaceNameBytes) face = face.substr(0, kMaxFaceNameBytes);
    // A face name is a C string: it ends at its first NUL.
    if (auto nul = face.find('\0'); nul != std::string_view::npos) face = face.substr(0, nul);
    return GameFont::create(height, flags & 0x11u, face);
}

} // namespace zre
