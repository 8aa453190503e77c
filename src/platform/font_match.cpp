#include "platform/font_match.h"

#include <fontconfig/fontconfig.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace zre::fontmatch {

namespace {

// Decodes UTF-8 leniently: a malformed byte stands for itself, which only ever makes a
// name fail to match.
std::u32string decodeUtf8(std::string_view s) {
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<uint8_t>(s[i]);
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) {
            out.push_back(c);
            ++i;
            continue;
        }
        char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<uint8_t>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += n;
    }
    return out;
}

// Full-width ASCII to ASCII, spaces of both widths dropped, letters lower case.
std::u32string foldName(std::string_view utf8) {
    std::u32string out;
    for (char32_t c : decodeUtf8(utf8)) {
        if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;
        if (c == U' ' || c == 0x3000) continue;
        if (c >= U'A' && c <= U'Z') c += 0x20;
        out.push_back(c);
    }
    return out;
}

std::string lowerNoSpaces(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == ' ') continue;
        out.push_back(c >= 'A' && c <= 'Z' ? char(c + 0x20) : c);
    }
    return out;
}

bool coversJapanese(FcPattern* p) {
    FcCharSet* cs = nullptr;
    if (FcPatternGetCharSet(p, FC_CHARSET, 0, &cs) != FcResultMatch || !cs) return false;
    return FcCharSetHasChar(cs, 0x3042) && FcCharSetHasChar(cs, 0x6F22);   // hiragana a, kanji
}

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

// The best match for the pattern, completed with the style asked for (so that a family's
// bold or italic face is preferred; whether the face found really is bold or italic is
// read from the font file itself, since fontconfig reports the styles it would synthesise). requiredFamily, when
// not empty, must be one of the match's family names (fontconfig otherwise answers with
// its default font). Japanese coverage is required unless anyFont is set.
std::optional<FontChoice> bestMatch(PatternPtr pattern, bool bold, bool italic, std::string_view requiredFamily,
                                    bool anyFont) {
    if (!pattern) return std::nullopt;
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_DEMIBOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern)) return std::nullopt;
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match) return std::nullopt;

    FcChar8* file = nullptr;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file) return std::nullopt;
    if (!anyFont && !coversJapanese(match.get())) return std::nullopt;

    FontChoice choice;
    choice.file = reinterpret_cast<const char*>(file);
    bool familyFound = requiredFamily.empty();
    std::string wanted = lowerNoSpaces(requiredFamily);
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        auto name = reinterpret_cast<const char*>(family);
        if (i == 0) choice.family = name;
        if (!familyFound && lowerNoSpaces(name) == wanted) {
            familyFound = true;
            choice.family = name;
        }
    }
    if (!familyFound) return std::nullopt;
    FcChar8* style = nullptr;
    if (FcPatternGetString(match.get(), FC_STYLE, 0, &style) == FcResultMatch && style) {
        choice.style = reinterpret_cast<const char*>(style);
    }
    int index = 0;
    if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) == FcResultMatch) choice.index = index;
    return choice;
}

PatternPtr familyPattern(std::string_view family) {
    PatternPtr p(FcPatternCreate());
    if (p) FcPatternAddString(p.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(std::string(family).c_str()));
    return p;
}

std::optional<FontChoice> matchFamily(std::string_view family, bool bold, bool italic) {
    return bestMatch(familyPattern(family), bold, italic, family, false);
}

void addUnique(std::vector<FontChoice>& list, std::optional<FontChoice> c) {
    if (!c) return;
    for (const auto& e : list) {
        if (e.file == c->file && e.index == c->index) return;
    }
    list.push_back(std::move(*c));
}

} // namespace

WindowsFace classifyWindowsFace(std::string_view utf8) {
    std::u32string n = foldName(utf8);
    if (n == U"ms\u660E\u671D" || n == U"msmincho") return WindowsFace::Mincho;
    if (n == U"msp\u660E\u671D" || n == U"mspmincho") return WindowsFace::PMincho;
    if (n == U"ms\u30B4\u30B7\u30C3\u30AF" || n == U"msgothic") return WindowsFace::Gothic;
    // "MS UI Gothic" is the proportional Gothic of the Windows interface.
    if (n == U"msp\u30B4\u30B7\u30C3\u30AF" || n == U"mspgothic" || n == U"msuigothic") return WindowsFace::PGothic;
    return WindowsFace::None;
}

std::vector<FontChoice> resolveFace(std::string_view utf8Name, bool bold, bool italic) {
    // fontconfig is set up on first use and shut down at exit; every pattern it hands out
    // is destroyed before the call returns, so nothing of it outlives the shutdown.
    struct Library {
        Library() : ready(FcInit()) {}
        ~Library() {
            if (ready) FcFini();
        }
        bool ready;
    };
    static const Library library;
    std::vector<FontChoice> list;
    if (!library.ready) return list;

    switch (classifyWindowsFace(utf8Name)) {
    case WindowsFace::Mincho:
        addUnique(list, matchFamily("IPAMincho", bold, italic));
        break;
    case WindowsFace::PMincho:
        addUnique(list, matchFamily("IPAPMincho", bold, italic));
        addUnique(list, matchFamily("IPAMincho", bold, italic));
        break;
    case WindowsFace::Gothic:
        addUnique(list, matchFamily("IPAGothic", bold, italic));
        break;
    case WindowsFace::PGothic:
        addUnique(list, matchFamily("IPAPGothic", bold, italic));
        addUnique(list, matchFamily("IPAGothic", bold, italic));
        break;
    case WindowsFace::None:
        if (!utf8Name.empty()) addUnique(list, bestMatch(familyPattern(utf8Name), bold, italic, {}, false));
        break;
    }
    addUnique(list, matchFamily("IPAGothic", bold, italic));
    PatternPtr ja(FcPatternCreate());
    if (ja) {
        FcLangSet* langs = FcLangSetCreate();
        if (langs) {
            FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("ja"));
            FcPatternAddLangSet(ja.get(), FC_LANG, langs);
            FcLangSetDestroy(langs);
        }
    }
    addUnique(list, bestMatch(std::move(ja), bold, italic, {}, false));
    if (list.empty()) addUnique(list, bestMatch(PatternPtr(FcPatternCreate()), bold, italic, {}, true));
    return list;
}

} // namespace zre::fontmatch
