#pragma once
// Draws characters as grey-level coverage into a glyph mask: the grey of each pixel goes
// into all three channels, so the mask blend draws antialiased text in any colour.
#include <cstdint>
#include <string_view>

#include "graphics/bitmap.h"
#include "platform/font.h"

namespace zre {

// Grey-level formats of renderGlyphs: 5, 17 and 65 levels.
constexpr int kGlyphLevels5 = 4;
constexpr int kGlyphLevels17 = 5;
constexpr int kGlyphLevels65 = 6;

// Renders the Shift JIS text with the pen starting at (x, y), the top of the character
// cell, in display coordinates of mask. For each character:
// - a blank (no coverage, such as a space) only advances the pen;
// - ox = the glyph's originX; oy = -originY when vertical, ascent - originY otherwise;
//   both are left in the out pair for the last character drawn;
// - the coverage is copied at its own size to (x, y) when vertical and ox < 0 (the
//   caller then moves the glyph's rectangle by (ox, oy)), else to (x + ox, y + oy),
//   clipped to the mask;
// - the pen moves by the glyph's cell increments.
// A character that cannot be rendered ends the text quietly; so does a NUL byte. An
// unknown level format draws nothing. Returns the pen x after the last character.
int32_t renderGlyphs(const GameFont& font, Bitmap& mask, int32_t x, int32_t y, std::string_view text,
                     int levelFormat, int32_t& ox, int32_t& oy, bool vertical);

} // namespace zre
