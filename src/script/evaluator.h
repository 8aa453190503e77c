#pragma once
// Integer expressions of the scripts, evaluated by rewriting text: parentheses first, then
// "*", "/" and "%" groups, then everything else strictly left to right. 32-bit, wrapping.
#include <cstdint>
#include <string>
#include <string_view>

namespace zre {

int32_t evaluate(std::string_view text);

// Removes bytes below 0x21 (as signed bytes, so every single byte from 0x80 up) outside
// double quotes; double-byte characters stay; quoted runs stay without their quotes.
void stripText(std::string& text);
std::string strippedText(std::string_view text);

} // namespace zre
