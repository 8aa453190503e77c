#pragma once
// Shift JIS (code page 932) at the platform boundary. Engine texts stay Shift JIS bytes;
// conversion happens only where a text meets the host: file names, message boxes, fonts,
// the window title, dumps and tool output.
#include <cstdint>
#include <string>
#include <string_view>

namespace zre {

// The Shift JIS double-byte rule: lead byte 0x81-0x9F or 0xE0-0xFC followed by a trail
// byte 0x40-0xFC other than 0x7F. Reads p[1] only when p[0] is a lead byte, and a NUL
// there is never a trail byte, so it is safe on NUL-terminated texts.
inline bool isLeadByte(const char* p) {
    auto a = static_cast<uint8_t>(p[0]);
    if (!((a >= 0x81 && a <= 0x9F) || (a >= 0xE0 && a <= 0xFC))) return false;
    auto b = static_cast<uint8_t>(p[1]);
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Bounded form for texts that are not NUL-terminated: p[1] must exist.
inline bool isLeadByteAt(std::string_view s, size_t i) {
    if (i + 1 >= s.size()) return false;
    return isLeadByte(s.data() + i);
}

// One character of a Shift JIS text as a comparable code, stepping i past it: double-byte
// characters whole, ASCII and full-width Latin capitals folded to their small letters.
uint32_t foldedCharUnit(std::string_view s, size_t& i);

// Equality ignoring letter case the way the platform compares names (script names,
// variables, package members, file names): ASCII and full-width Latin letters fold, the
// trail byte of a double-byte character is never taken for an ASCII letter.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// CP932 -> UTF-8. Bytes that do not convert become U+FFFD; never fails.
std::string sjisToUtf8(std::string_view sjis);
// UTF-8 -> CP932. Characters without a Shift JIS form become "?"; never fails.
std::string utf8ToSjis(std::string_view utf8);
// The same where a stand-in would be wrong (typed text): false, with out untouched, when a
// character has no Shift JIS form or the UTF-8 is broken.
bool utf8ToSjisExact(std::string_view utf8, std::string& out);

} // namespace zre
