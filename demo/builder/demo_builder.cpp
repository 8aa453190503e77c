// Builds the bundled demo game into a folder: draws every picture, stores it in the game's
// own formats (GFB, GGEF, BMP, some inside a GPK2 package), generates its sounds (Ogg
// Vorbis and WAVE, one inside the package), converts the UTF-8 script
// sources to Shift JIS and packs one of them as a compressed ".zrb" script.
//
//   demo_builder SOURCE_DIR OUTPUT_DIR
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "canvas.h"
#include "config_pictures.h"
#include "save_pictures.h"
#include "movie.h"
#include "sounds.h"
#include "system_pictures.h"
#include "data/glpk.h"
#include "data/gpk_archive.h"
#include "graphics/image_formats.h"
#include "platform/sjis.h"

namespace fs = std::filesystem;
using namespace demo;

namespace {

fs::path out;
std::vector<std::pair<std::string, std::vector<uint8_t>>> package;

bool writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(f);
}

// Picture and mask side by side (left/right) or one above the other (top/bottom).
std::unique_ptr<zre::Bitmap> withMask(const Canvas& picture, const Canvas& mask, bool topBottom) {
    int w = picture.width(), h = picture.height();
    auto b = zre::makeBitmap(topBottom ? w : 2 * w, topBottom ? 2 * h : h);
    picture.copyTo(*b, 0, 0);
    mask.copyTo(*b, topBottom ? 0 : w, topBottom ? h : 0);
    return b;
}

enum class Format { Gfb, GfbPlain, GfbScrambled, Gef, Bmp };

std::vector<uint8_t> encode(const zre::Bitmap& b, Format f) {
    switch (f) {
    case Format::Gfb: return zre::encodeGfb(b, false, true);
    case Format::GfbPlain: return zre::encodeGfb(b, false, false);
    case Format::GfbScrambled: return zre::encodeGfb(b, true, true);
    case Format::Gef: return zre::encodeGef(b);
    case Format::Bmp: return b.bmpImage();
    }
    return {};
}

void save(const std::string& name, const zre::Bitmap& b, Format f) { writeBytes(out / name, encode(b, f)); }
void pack(const std::string& name, const zre::Bitmap& b, Format f) { package.emplace_back(name, encode(b, f)); }

const Colour kWhite = rgb(255, 255, 255);

// --- backgrounds ---------------------------------------------------------------------

void lighthouse(Canvas& c, double x, double base, double scale, const Colour& body) {
    c.fillPolygon({{x - 22 * scale, base}, {x + 22 * scale, base}, {x + 13 * scale, base - 190 * scale},
                   {x - 13 * scale, base - 190 * scale}},
                  body);
    for (int band = 0; band < 3; ++band) {
        double y = base - (40 + band * 55) * scale;
        c.fillRect(x - 20 * scale, y - 14 * scale, x + 20 * scale, y, rgb(190, 60, 60), 0.8);
    }
    c.fillRect(x - 18 * scale, base - 215 * scale, x + 18 * scale, base - 190 * scale, rgb(60, 60, 70));
    c.fillPolygon({{x - 22 * scale, base - 215 * scale}, {x + 22 * scale, base - 215 * scale}, {x, base - 240 * scale}},
                  rgb(50, 40, 50));
}

Canvas duskSea() {
    Canvas c(800, 600);
    c.verticalGradient({{0.0, rgb(48, 36, 96)}, {0.35, rgb(196, 92, 112)}, {0.58, rgb(252, 176, 96)},
                        {0.6, rgb(60, 70, 120)}, {1.0, rgb(18, 24, 60)}});
    c.glow(520, 350, 220, rgb(255, 210, 140), 0.7);
    c.fillEllipse(520, 352, 40, 40, rgb(255, 236, 190));
    c.fillRect(0, 358, 800, 600, rgb(40, 52, 104), 0.85);
    for (int i = 0; i < 26; ++i) {
        double y = 372 + i * 9.0;
        double w = 30 + i * 6.0;
        c.fillRect(520 - w, y, 520 + w, y + 2, rgb(255, 200, 140), 0.35 * (1 - i / 26.0));
    }
    c.fillPolygon({{0, 600}, {0, 420}, {120, 400}, {260, 430}, {330, 480}, {330, 600}}, rgb(30, 26, 40));
    lighthouse(c, 170, 410, 1.0, rgb(230, 220, 210));
    return c;
}

Canvas starryNight() {
    Canvas c(800, 600);
    c.verticalGradient({{0.0, rgb(6, 8, 30)}, {0.7, rgb(22, 30, 76)}, {1.0, rgb(40, 44, 90)}});
    std::mt19937 rng(20041);
    std::uniform_real_distribution<double> ux(0, 800), uy(0, 470), us(0.6, 1.8), ua(0.4, 1.0);
    for (int i = 0; i < 260; ++i) {
        double x = ux(rng), y = uy(rng), s = us(rng);
        c.fillEllipse(x, y, s, s, rgb(255, 250, 230), ua(rng));
    }
    for (int i = 0; i < 6; ++i) {
        double x0 = 80 + i * 110, y0 = 60 + (i % 3) * 50;
        for (int k = 0; k < 40; ++k) c.fillEllipse(x0 + k * 3.0, y0 + k * 1.2, 1.2, 1.2, kWhite, 0.5 * (1 - k / 40.0));
    }
    c.glow(650, 110, 120, rgb(200, 210, 255), 0.4);
    c.fillEllipse(650, 110, 38, 38, rgb(245, 245, 230));
    c.fillEllipse(664, 100, 34, 34, rgb(16, 20, 56));
    c.fillPolygon({{0, 600}, {0, 500}, {200, 470}, {420, 500}, {800, 480}, {800, 600}}, rgb(10, 12, 24));
    lighthouse(c, 560, 500, 0.8, rgb(120, 120, 140));
    c.glow(560, 318, 90, rgb(255, 240, 160), 0.6);
    return c;
}

Canvas keeperRoom() {
    Canvas c(800, 600);
    c.verticalGradient({{0.0, rgb(120, 84, 60)}, {0.7, rgb(170, 126, 88)}, {1.0, rgb(90, 60, 44)}});
    c.fillRoundRect(470, 90, 720, 330, 12, rgb(60, 44, 36));
    c.fillRoundRect(482, 102, 708, 318, 8, rgb(24, 34, 80));
    c.fillRect(592, 102, 598, 318, rgb(60, 44, 36));
    c.fillRect(482, 206, 708, 212, rgb(60, 44, 36));
    for (int i = 0; i < 30; ++i) c.fillEllipse(490 + (i * 37) % 210, 110 + (i * 53) % 200, 1, 1, kWhite, 0.7);
    c.fillRect(0, 430, 800, 600, rgb(96, 64, 44));
    c.fillRoundRect(90, 380, 400, 410, 6, rgb(70, 46, 30));
    c.fillRect(110, 410, 125, 520, rgb(70, 46, 30));
    c.fillRect(365, 410, 380, 520, rgb(70, 46, 30));
    c.glow(240, 330, 160, rgb(255, 210, 130), 0.5);
    c.fillRoundRect(225, 320, 255, 380, 6, rgb(250, 230, 160));
    return c;
}

// --- characters ----------------------------------------------------------------------

// Draws the same figure into the picture (in colour) and the mask (in white).
template <class Figure>
void both(Canvas& picture, Canvas& mask, Figure figure) {
    figure(picture, false);
    figure(mask, true);
}

void mina(Canvas& p, Canvas& m) {
    both(p, m, [](Canvas& c, bool isMask) {
        auto col = [&](Colour k) { return isMask ? kWhite : k; };
        c.fillPolygon({{60, 400}, {180, 400}, {160, 210}, {80, 210}}, col(rgb(90, 130, 200)));
        c.fillEllipse(120, 215, 48, 22, col(rgb(90, 130, 200)));
        c.fillRect(108, 170, 132, 200, col(rgb(250, 222, 200)));
        c.fillEllipse(120, 130, 62, 70, col(rgb(60, 40, 36)));
        c.fillEllipse(120, 138, 46, 52, col(rgb(252, 226, 206)));
        c.fillPolygon({{60, 120}, {120, 70}, {182, 124}, {170, 100}, {120, 60}, {70, 96}}, col(rgb(60, 40, 36)));
        c.fillRect(56, 120, 70, 230, col(rgb(60, 40, 36)));
        c.fillRect(170, 120, 184, 230, col(rgb(60, 40, 36)));
        if (!isMask) {
            c.fillEllipse(103, 140, 6, 8, rgb(50, 60, 110));
            c.fillEllipse(137, 140, 6, 8, rgb(50, 60, 110));
            c.fillEllipse(120, 166, 8, 3, rgb(220, 120, 120));
            c.fillEllipse(96, 156, 8, 4, rgb(250, 170, 170), 0.5);
            c.fillEllipse(144, 156, 8, 4, rgb(250, 170, 170), 0.5);
            c.fillRect(70, 300, 170, 306, rgb(240, 240, 255), 0.8);
        }
    });
}

void keeper(Canvas& p, Canvas& m) {
    both(p, m, [](Canvas& c, bool isMask) {
        auto col = [&](Colour k) { return isMask ? kWhite : k; };
        c.fillPolygon({{40, 420}, {200, 420}, {184, 220}, {56, 220}}, col(rgb(70, 60, 56)));
        c.fillEllipse(120, 226, 66, 24, col(rgb(70, 60, 56)));
        c.fillEllipse(120, 150, 50, 58, col(rgb(230, 196, 170)));
        c.fillEllipse(120, 192, 40, 26, col(rgb(230, 230, 230)));
        c.fillRoundRect(58, 80, 182, 106, 8, col(rgb(30, 40, 70)));
        c.fillRoundRect(78, 50, 162, 92, 10, col(rgb(30, 40, 70)));
        if (!isMask) {
            c.fillRect(100, 140, 112, 144, rgb(40, 30, 30));
            c.fillRect(128, 140, 140, 144, rgb(40, 30, 30));
            c.fillRect(80, 68, 160, 74, rgb(200, 170, 60));
        }
    });
}

// Four frames of the lamp's beam on pure green, the key colour of the layer.
Canvas lampFrames() {
    Canvas c(256, 64, rgb(0, 255, 0));
    for (int f = 0; f < 4; ++f) {
        double cx = f * 64 + 32;
        double r = 10 + f * 5;
        c.fillEllipse(cx, 32, r + 6, r + 6, rgb(255, 200, 80));
        c.fillEllipse(cx, 32, r, r, rgb(255, 246, 200));
    }
    return c;
}

// --- system pictures -----------------------------------------------------------------

void windowPicture(int w, int h, const std::string& name) {
    Canvas p(w, h, rgb(12, 18, 44)), m(w, h);
    p.fillRoundRect(3, 3, w - 3, h - 3, 14, rgb(230, 220, 200));
    p.fillRoundRect(6, 6, w - 6, h - 6, 11, rgb(16, 24, 60));
    m.fillRoundRect(0, 0, w, h, 16, rgb(200, 200, 200));
    m.fillRoundRect(6, 6, w - 6, h - 6, 11, rgb(165, 165, 165));
    save(name, *withMask(p, m, false), Format::Gfb);
}

void selectButton(int w, int h) {
    Canvas p(2 * w, h), m(2 * w, h);
    for (int f = 0; f < 2; ++f) {
        double x0 = f * w;
        p.fillRoundRect(x0 + 2, 2, x0 + w - 2, h - 2, 10, f ? rgb(255, 214, 120) : rgb(200, 200, 220));
        p.fillRoundRect(x0 + 5, 5, x0 + w - 5, h - 5, 8, f ? rgb(120, 70, 30) : rgb(30, 40, 90));
        m.fillRoundRect(x0 + 2, 2, x0 + w - 2, h - 2, 10, rgb(235, 235, 235));
        m.fillRoundRect(x0 + 5, 5, x0 + w - 5, h - 5, 8, rgb(190, 190, 190));
    }
    save("syspict/select.gfb", *withMask(p, m, true), Format::Gfb);
}

void textCursor() {
    Canvas c(384, 32, rgb(0, 255, 0));
    for (int f = 0; f < 12; ++f) {
        double bob = 3 * std::sin(f * M_PI / 6);
        double x = f * 32 + 16, y = 14 + bob;
        c.fillPolygon({{x - 8, y - 5}, {x + 8, y - 5}, {x, y + 7}}, rgb(255, 236, 170));
        c.fillPolygon({{x - 5, y - 3}, {x + 5, y - 3}, {x, y + 4}}, rgb(255, 255, 240));
    }
    save("syspict/tcursor.gfb", *c.toBitmap(), Format::Gfb);
}

struct TitleButton {
    int left, top, right, bottom;
    const char* label;
};
constexpr TitleButton kTitleButtons[] = {
    {57, 281, 215, 334, "はじめから"},
    {57, 335, 215, 388, "つづきから"},
    {57, 389, 215, 442, "設定"},
    {57, 495, 215, 548, "終了"},
};

void titlePictures() {
    for (int hover = 0; hover < 2; ++hover) {
        Canvas c = starryNight();
        c.fillRect(0, 0, 800, 600, rgb(0, 0, 20), 0.25);
        c.text(300, 150, "Vellora", 96, rgb(250, 236, 200), true, "IPAMincho");
        c.text(470, 262, "星降る灯台 (体験版)", 28, rgb(220, 220, 250), false, "IPAMincho");
        for (const TitleButton& b : kTitleButtons) {
            c.fillRoundRect(b.left, b.top + 4, b.right, b.bottom - 4, 10,
                            hover ? rgb(255, 210, 120) : rgb(20, 28, 70), hover ? 0.95 : 0.7);
            int tw = c.textWidth(b.label, 24, true);
            c.text(b.left + (b.right - b.left - tw) / 2.0, b.top + 13, b.label, 24,
                   hover ? rgb(60, 30, 10) : rgb(240, 240, 255), true);
        }
        save(hover ? "syspict/title_hover.gfb" : "syspict/title_normal.gfb", *c.toBitmap(), Format::Gfb);
    }
    save("syspict/black.gfb", *Canvas(800, 600).toBitmap(), Format::GfbPlain);
}

// --- scripts -------------------------------------------------------------------------

std::string readText(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Scripts are written in UTF-8 with Unix line ends; the game reads Shift JIS with CR LF.
std::vector<uint8_t> gameText(const std::string& utf8) {
    std::string crlf;
    for (char ch : utf8) {
        if (ch == '\n') crlf += '\r';
        crlf += ch;
    }
    std::string sjis = zre::utf8ToSjis(crlf);
    return std::vector<uint8_t>(sjis.begin(), sjis.end());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: demo_builder SOURCE_DIR OUTPUT_DIR\n");
        return 2;
    }
    fs::path src = argv[1];
    out = argv[2];
    std::error_code ec;
    fs::remove_all(out, ec);
    fs::create_directories(out / "scr");

    titlePictures();
    for (const auto& [name, picture] : configPictures(starryNight())) save(name, *picture.toBitmap(), Format::Gfb);
    textCursor();
    windowPicture(760, 150, "syspict/window_h.gfb");
    windowPicture(230, 540, "syspict/window_v.gfb");
    selectButton(360, 48);
    for (auto& [name, picture] : saveLoadPictures()) save(name, *picture, Format::Gfb);
    for (const PictureFile& f : backlogAndMusicRoomPictures())
        if (!writeBytes(out / f.name, f.bytes)) return 1;

    save("pict/bg_dusk.gfb", *duskSea().toBitmap(), Format::GfbScrambled);
    save("pict/bg_night.gef", *starryNight().toBitmap(), Format::Gef);
    {
        Canvas p(240, 400), m(240, 400);
        mina(p, m);
        pack("mina.gfb", *withMask(p, m, false), Format::Gfb);
    }
    {
        Canvas p(240, 420), m(240, 420);
        keeper(p, m);
        save("pict/keeper.bmp", *withMask(p, m, true), Format::Bmp);
    }
    save("pict/lamp.gfb", *lampFrames().toBitmap(), Format::Gfb);
    pack("bg_room.gfb", *keeperRoom().toBitmap(), Format::Gfb);
    for (Sound& sound : makeSounds()) {
        if (sound.name.rfind("pkg:", 0) == 0)
            package.emplace_back(sound.name.substr(4), std::move(sound.bytes));
        else if (!writeBytes(out / sound.name, sound.bytes))
            return 1;
    }
    if (!writeBytes(out / "pkg.dat", zre::buildGpkArchive(package))) return 1;
    if (!writeOpeningMovie(out)) return 1;

    writeBytes(out / "system.zre", gameText(readText(src / "system.zre")));
    for (const auto& entry : fs::directory_iterator(src / "scripts")) {
        std::string name = entry.path().filename().string();
        std::vector<uint8_t> text = gameText(readText(entry.path()));
        // "NAME.zrb.txt" is the source of the compressed script NAME.zrb.
        const std::string packed = ".zrb.txt";
        if (name.size() > packed.size() && name.compare(name.size() - packed.size(), packed.size(), packed) == 0) {
            name.resize(name.size() - 4);
            writeBytes(out / "scr" / name, zre::encodeGlpk(text.data(), text.size(), true));
        } else {
            writeBytes(out / "scr" / name, text);
        }
    }
    return 0;
}
