// GameFont on FreeType, with HarfBuzz for the vertical forms of "@" faces.
//
// Sizes follow the Windows font height: a positive height is the cell (ascender +
// descender of the face's horizontal header), a negative one the em. For the IPA fonts
// ascender + descender equals the em, so "24" and "-24" both give a 24-pixel em with a
// 24-pixel line, as the Windows Mincho and Gothic do.
//
// Glyphs are outlines rendered unhinted (hinting at these sizes squashes the round
// punctuation of the IPA fonts) into 8-bit coverage, kept in a process-wide cache per
// face, size and style, and quantised to the requested grey levels when handed out. Fonts
// are made once per page of text; the cache makes the page's glyphs cheap after the
// first time a character is seen.
#include "platform/font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>

#include "platform/font_match.h"
#include "platform/sjis.h"

namespace zre {

namespace {

constexpr int32_t kMaxHeight = 1000;
constexpr int32_t kDefaultCell = 16;
// A page needs a few hundred glyphs of one or two sizes; when the cache outgrows this (a
// game that shows thousands of different characters, or enormous sizes) it starts over.
constexpr size_t kMaxCachedBytes = 64u << 20;

struct Face {
    FT_Face face = nullptr;
    hb_font_t* shaper = nullptr;
};

// One character as rasterised: 8-bit coverage and the final placement.
struct RawGlyph {
    bool ok = false;
    int32_t width = 0;
    int32_t height = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    int32_t cellIncX = 0;
    int32_t cellIncY = 0;
    int32_t textAdvance = 0;   // horizontal advance, what a text extent adds up
    std::vector<uint8_t> coverage;
};

struct SizedFace {
    Face* face = nullptr;
    FT_Size size = nullptr;
    int32_t em = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t lineHeight = 0;
    int32_t emTop = 0;          // the em box's top above the baseline
    FT_Pos boldStrength = 0;    // 26.6 pixels of synthetic emboldening, 0 for none
    bool shear = false;         // synthetic italic
    bool vertical = false;
    std::unordered_map<uint32_t, RawGlyph> glyphs;
};

char32_t firstCodePoint(std::string_view utf8) {
    if (utf8.empty()) return 0xFFFD;
    auto c = static_cast<uint8_t>(utf8[0]);
    size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || n > utf8.size()) return 0xFFFD;
    char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<uint8_t>(utf8[k]) & 0x3F);
    return cp;
}

// The character code of the first character: one byte, or lead * 256 + trail.
size_t firstCharacter(std::string_view s, size_t at, uint32_t& code) {
    if (isLeadByteAt(s, at)) {
        code = (uint32_t(uint8_t(s[at])) << 8) | uint8_t(s[at + 1]);
        return 2;
    }
    code = uint8_t(s[at]);
    return 1;
}

char32_t unicodeOf(uint32_t code) {
    if (code < 0x80) return code;
    std::string bytes;
    if (code > 0xFF) bytes.push_back(char(code >> 8));
    bytes.push_back(char(code & 0xFF));
    return firstCodePoint(sjisToUtf8(bytes));
}

std::array<uint8_t, 256> levelTable(int levels) {
    std::array<uint8_t, 256> t{};
    int steps = levels - 1;
    for (int v = 0; v < 256; ++v) {
        int level = (v * steps + 127) / 255;
        t[v] = uint8_t(std::min(255, level * 256 / steps));
    }
    return t;
}

const std::array<uint8_t, 256>* tableFor(int levels) {
    static const auto t5 = levelTable(5);
    static const auto t17 = levelTable(17);
    static const auto t65 = levelTable(65);
    switch (levels) {
    case 5: return &t5;
    case 17: return &t17;
    case 65: return &t65;
    default: return nullptr;
    }
}

RawGlyph rasterise(SizedFace& s, uint32_t code);

class FontSystem {
public:
    static FontSystem& get() {
        static FontSystem system;
        return system;
    }

    ~FontSystem() {
        sizes_.clear();   // their FT_Size objects go with the faces
        for (auto& [key, face] : faces_) {
            if (face->shaper) hb_font_destroy(face->shaper);
            if (face->face) FT_Done_Face(face->face);
        }
        if (library_) FT_Done_FreeType(library_);
    }

    std::mutex lock;

    // Under the lock: the candidates for a face name.
    const std::vector<fontmatch::FontChoice>& choices(const std::string& utf8, bool bold, bool italic) {
        std::string key = utf8;
        key.push_back('\0');
        key.push_back(bold ? 'b' : '-');
        key.push_back(italic ? 'i' : '-');
        auto it = resolutions_.find(key);
        if (it == resolutions_.end()) it = resolutions_.emplace(key, fontmatch::resolveFace(utf8, bold, italic)).first;
        return it->second;
    }

    // Under the lock: the opened face of a file (null when FreeType cannot read it).
    Face* open(const fontmatch::FontChoice& choice) {
        auto key = std::make_pair(choice.file, choice.index);
        auto it = faces_.find(key);
        if (it == faces_.end()) {
            auto face = std::make_unique<Face>();
            if (library_ && FT_New_Face(library_, choice.file.c_str(), choice.index, &face->face) != 0) {
                face->face = nullptr;
            }
            if (face->face && !FT_IS_SCALABLE(face->face)) {
                FT_Done_Face(face->face);
                face->face = nullptr;
            }
            if (face->face) {
                hb_face_t* shapingFace = hb_ft_face_create_referenced(face->face);
                face->shaper = hb_font_create(shapingFace);
                hb_face_destroy(shapingFace);
            }
            it = faces_.emplace(key, std::move(face)).first;
        }
        return it->second->face ? it->second.get() : nullptr;
    }

    // Under the lock: the face at a pixel em with the synthetic styles it needs.
    SizedFace* sized(Face* face, int32_t em, bool bold, bool shear, bool vertical) {
        auto key = std::make_tuple(face, em, bold, shear, vertical);
        auto it = sizes_.find(key);
        if (it != sizes_.end()) return it->second.get();
        auto s = std::make_unique<SizedFace>();
        s->face = face;
        FT_Face f = face->face;
        if (FT_New_Size(f, &s->size) != 0) return nullptr;
        FT_Activate_Size(s->size);
        if (FT_Set_Pixel_Sizes(f, 0, FT_UInt(em)) != 0) return nullptr;
        double upem = f->units_per_EM > 0 ? f->units_per_EM : 1000;
        double asc = 0, desc = 0;
        cellUnits(f, asc, desc);
        s->em = em;
        s->ascent = int32_t(std::lround(asc * em / upem));
        s->descent = int32_t(std::lround(desc * em / upem));
        s->lineHeight = s->ascent + s->descent;
        s->emTop = int32_t(std::lround(em * asc / (asc + desc)));
        s->boldStrength = bold ? std::max<FT_Pos>(32, FT_Pos(em) * 64 / 24) : 0;
        s->shear = shear;
        s->vertical = vertical;
        return sizes_.emplace(key, std::move(s)).first->second.get();
    }

    // Under the lock: a character of a sized face, rasterised on first use.
    const RawGlyph& glyph(SizedFace& s, uint32_t code) {
        auto it = s.glyphs.find(code);
        if (it != s.glyphs.end()) return it->second;
        if (cachedBytes_ > kMaxCachedBytes) {
            for (auto& [key, sized] : sizes_) sized->glyphs.clear();
            cachedBytes_ = 0;
        }
        const RawGlyph& g = s.glyphs.emplace(code, rasterise(s, code)).first->second;
        cachedBytes_ += sizeof(RawGlyph) + g.coverage.size() + 32;
        return g;
    }

    // The cell of the face in font units: the horizontal header's ascender and descender,
    // or the bounding box when a font leaves them empty.
    static void cellUnits(FT_Face f, double& asc, double& desc) {
        asc = f->ascender;
        desc = -double(f->descender);
        if (asc + desc <= 0) {
            asc = f->bbox.yMax;
            desc = -double(f->bbox.yMin);
        }
        if (asc + desc <= 0) {
            double upem = f->units_per_EM > 0 ? f->units_per_EM : 1000;
            asc = upem * 0.88;
            desc = upem * 0.12;
        }
    }

private:
    FontSystem() {
        if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    }

    FT_Library library_ = nullptr;
    std::map<std::string, std::vector<fontmatch::FontChoice>> resolutions_;
    std::map<std::pair<std::string, int>, std::unique_ptr<Face>> faces_;
    std::map<std::tuple<Face*, int32_t, bool, bool, bool>, std::unique_ptr<SizedFace>> sizes_;
    size_t cachedBytes_ = 0;
};

// The glyph a vertical face shows for a character: its `vert`/`vrt2` substitute, or the
// horizontal glyph when the font has none.
FT_UInt verticalForm(hb_font_t* shaper, char32_t cp, FT_UInt horizontal) {
    if (!shaper) return horizontal;
    hb_buffer_t* buffer = hb_buffer_create();
    hb_codepoint_t c = cp;
    hb_buffer_add_codepoints(buffer, &c, 1, 0, 1);
    hb_buffer_set_direction(buffer, HB_DIRECTION_TTB);
    hb_buffer_set_language(buffer, hb_language_from_string("ja", -1));
    hb_buffer_guess_segment_properties(buffer);
    static const hb_feature_t features[] = {
        {HB_TAG('v', 'e', 'r', 't'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
        {HB_TAG('v', 'r', 't', '2'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    };
    hb_shape(shaper, buffer, features, 2);
    unsigned count = 0;
    hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer, &count);
    FT_UInt result = count == 1 && info[0].codepoint != 0 ? FT_UInt(info[0].codepoint) : horizontal;
    hb_buffer_destroy(buffer);
    return result;
}

bool isBold(FT_Face f) {
    if (f->style_flags & FT_STYLE_FLAG_BOLD) return true;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
    return os2 && os2->version != 0xFFFF && os2->usWeightClass >= 600;
}

// Division rounding towards minus infinity, so centring never drifts right.
int32_t halfDown(int32_t v) { return v >= 0 ? v / 2 : -((1 - v) / 2); }

int32_t roundPixels(FT_Pos v26_6) { return int32_t((v26_6 + 32) >> 6); }

// Rasterises one character of a sized face (under the system lock).
RawGlyph rasterise(SizedFace& s, uint32_t code) {
    RawGlyph g;
    FT_Face face = s.face->face;
    char32_t cp = unicodeOf(code);
    FT_UInt gid = FT_Get_Char_Index(face, cp);
    // A rotated face turns the single-byte characters and stands the others upright.
    bool turned = s.vertical && code < 0x100;
    bool upright = s.vertical && !turned;
    FT_UInt shown = upright ? verticalForm(s.face->shaper, cp, gid) : gid;

    FT_Activate_Size(s.size);
    const FT_Int32 loadFlags = FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP;
    int32_t advance = 0;
    if (shown != gid) {
        FT_Fixed a = 0;   // 16.16 pixels
        if (FT_Get_Advance(face, gid, loadFlags, &a) == 0) advance = int32_t((a + 0x8000) >> 16);
    }
    if (FT_Load_Glyph(face, shown, loadFlags) != 0) return g;
    FT_GlyphSlot slot = face->glyph;
    if (shown == gid) advance = roundPixels(slot->advance.x);

    int32_t boldExtra = 0;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_Outline* outline = &slot->outline;
        if (s.shear) {
            FT_Matrix shear{0x10000, 0x3333, 0, 0x10000};   // x += 0.2 y
            FT_Outline_Transform(outline, &shear);
        }
        if (s.boldStrength > 0) {
            // Thicken sideways and keep the left edge, as overstriking one pixel further right does.
            FT_Outline_EmboldenXY(outline, s.boldStrength, 0);
            FT_Outline_Translate(outline, s.boldStrength / 2, 0);
            boldExtra = std::max(1, roundPixels(s.boldStrength));
        }
        if (turned) {
            FT_Matrix clockwise{0, 0x10000, -0x10000, 0};   // (x, y) -> (y, -x)
            FT_Outline_Transform(outline, &clockwise);
        }
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return g;

    const FT_Bitmap& bm = slot->bitmap;
    g.ok = true;
    g.width = int32_t(bm.width);
    g.height = int32_t(bm.rows);
    if (g.width > 0 && g.height > 0 && bm.buffer &&
        (bm.pixel_mode == FT_PIXEL_MODE_GRAY || bm.pixel_mode == FT_PIXEL_MODE_MONO)) {
        g.coverage.resize(size_t(g.width) * size_t(g.height));
        int pitch = bm.pitch < 0 ? -bm.pitch : bm.pitch;
        for (int32_t r = 0; r < g.height; ++r) {
            const uint8_t* src = bm.buffer + size_t(bm.pitch < 0 ? g.height - 1 - r : r) * size_t(pitch);
            uint8_t* dst = g.coverage.data() + size_t(r) * size_t(g.width);
            if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
                int grays = bm.num_grays > 1 ? bm.num_grays - 1 : 255;
                for (int32_t c = 0; c < g.width; ++c) dst[c] = uint8_t(src[c] * 255 / grays);
            } else {
                for (int32_t c = 0; c < g.width; ++c) dst[c] = (src[c >> 3] & (0x80 >> (c & 7))) ? 255 : 0;
            }
        }
    } else {
        g.width = g.height = 0;
    }
    g.originX = slot->bitmap_left;
    g.originY = slot->bitmap_top;
    g.textAdvance = advance + boldExtra;
    if (!s.vertical) {
        g.cellIncX = advance + boldExtra;
    } else if (turned) {
        g.cellIncY = advance + boldExtra;
    } else {
        // Centre the em box in the column's cell: across, the cell runs from the turned
        // descent to the turned ascent; down, it is one line high.
        g.originX += -s.descent + halfDown(s.lineHeight - advance - boldExtra);
        g.originY -= s.emTop + halfDown(s.lineHeight - s.em);
        g.cellIncY = s.lineHeight;
    }
    return g;
}

class FreeTypeFont final : public GameFont {
public:
    FreeTypeFont(SizedFace* sized, bool vertical, std::string resolved, int32_t cell)
        : sized_(sized), vertical_(vertical), resolved_(std::move(resolved)), cell_(cell) {}

    bool vertical() const override { return vertical_; }

    int32_t ascent() const override { return sized_ ? sized_->ascent : cell_ - cell_ / 8; }

    void measure(std::string_view sjis, int32_t& cx, int32_t& cy) const override {
        cx = 0;
        cy = sized_ ? sized_->lineHeight : cell_;
        if (!sized_) return;
        FontSystem& system = FontSystem::get();
        std::lock_guard<std::mutex> guard(system.lock);
        for (size_t i = 0; i < sjis.size();) {
            uint32_t code = 0;
            i += firstCharacter(sjis, i, code);
            const RawGlyph& g = system.glyph(*sized_, code);
            if (g.ok) cx += g.textAdvance;
        }
    }

    bool glyph(std::string_view sjisChar, GlyphCoverage& out) const override { return glyph(sjisChar, 17, out); }

    bool glyph(std::string_view sjisChar, int levels, GlyphCoverage& out) const override {
        const auto* table = tableFor(levels);
        if (!table || !sized_ || sjisChar.empty()) return false;
        uint32_t code = 0;
        firstCharacter(sjisChar, 0, code);
        FontSystem& system = FontSystem::get();
        std::lock_guard<std::mutex> guard(system.lock);
        const RawGlyph& g = system.glyph(*sized_, code);
        if (!g.ok) return false;
        out.width = g.width;
        out.height = g.height;
        out.originX = g.originX;
        out.originY = g.originY;
        out.cellIncX = g.cellIncX;
        out.cellIncY = g.cellIncY;
        out.pixels.resize(g.coverage.size());
        for (size_t i = 0; i < g.coverage.size(); ++i) out.pixels[i] = (*table)[g.coverage[i]];
        return true;
    }

    std::string resolvedFace() const override { return resolved_; }

private:
    SizedFace* sized_;   // owned by the font system, lives as long as the process
    bool vertical_;
    std::string resolved_;
    int32_t cell_;
};

} // namespace

std::unique_ptr<GameFont> GameFont::create(int32_t height, uint32_t flags, std::string_view faceSjis) {
    bool vertical = !faceSjis.empty() && faceSjis[0] == '@';
    if (vertical) faceSjis.remove_prefix(1);
    bool bold = (flags & 1) != 0;
    bool italic = (flags & 0x10) != 0;
    int64_t h = height;
    if (h == 0) h = kDefaultCell;
    h = std::clamp<int64_t>(h, -kMaxHeight, kMaxHeight);
    int32_t cell = int32_t(h < 0 ? -h : h);

    FontSystem& system = FontSystem::get();
    std::lock_guard<std::mutex> guard(system.lock);
    for (const auto& choice : system.choices(sjisToUtf8(faceSjis), bold, italic)) {
        Face* face = system.open(choice);
        if (!face) continue;
        FT_Face f = face->face;
        double asc = 0, desc = 0;
        FontSystem::cellUnits(f, asc, desc);
        double upem = f->units_per_EM > 0 ? f->units_per_EM : 1000;
        int32_t em = h < 0 ? int32_t(-h) : int32_t(std::lround(double(h) * upem / (asc + desc)));
        em = std::clamp(em, 1, kMaxHeight);
        bool fakeBold = bold && !isBold(f);
        bool fakeItalic = italic && (f->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
        SizedFace* sized = system.sized(face, em, fakeBold, fakeItalic, vertical);
        if (!sized) continue;
        std::string resolved = choice.family + " " + choice.style + " [" + choice.file + "]";
        if (fakeBold) resolved += " +bold";
        if (fakeItalic) resolved += " +italic";
        return std::make_unique<FreeTypeFont>(sized, vertical, std::move(resolved), cell);
    }
    return std::make_unique<FreeTypeFont>(nullptr, vertical, std::string(), cell);
}

} // namespace zre
