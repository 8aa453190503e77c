#pragma once
// Face-name lookup behind GameFont: the Windows Japanese face names go to the IPA fonts,
// any other name to whatever fontconfig finds for it, as long as that font can show
// Japanese text; otherwise a Japanese font stands in.
#include <string>
#include <string_view>
#include <vector>

namespace zre::fontmatch {

enum class WindowsFace { None, Mincho, PMincho, Gothic, PGothic };

// Recognises the Windows Japanese faces in a UTF-8 face name (no "@"): full-width or
// half-width letters, with or without the space, any case ("ＭＳ Ｐ明朝", "ms pgothic").
WindowsFace classifyWindowsFace(std::string_view utf8);

struct FontChoice {
    std::string file;
    int index = 0;          // face index within the file
    std::string family;
    std::string style;
};

// Candidate fonts for a UTF-8 face name in order of preference: the named or mapped font
// first, then IPA Gothic, then any font fontconfig offers for Japanese. Every candidate
// covers Japanese, except a last-resort entry when no installed font does.
std::vector<FontChoice> resolveFace(std::string_view utf8Name, bool bold, bool italic);

} // namespace zre::fontmatch
