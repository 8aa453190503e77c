#include "system_pictures.h"

#include <memory>

#include "canvas.h"
#include "graphics/bitmap.h"
#include "graphics/image_formats.h"
#include "ui/music_room.h"

namespace demo {

namespace {

std::vector<uint8_t> gfb(const Canvas& c) { return zre::encodeGfb(*c.toBitmap(), false, true); }

std::vector<uint8_t> bmp(const Canvas& c) { return c.toBitmap()->bmpImage(); }

const Colour kKey = rgb(0, 255, 0);

// An arrow button: a rounded plate on the key colour (its edge left hard, so no pixel of
// the plate mixes with the green) and one or two chevrons on it.
Canvas arrow(int h, bool up, int chevrons, bool lit) {
    const int w = 40;
    Canvas plate(w, h), cover = maskOf(w, h);
    cover.fillRoundRect(1, 1, w - 1, h - 1, 9, rgb(255, 255, 255));
    plate.fillRoundRect(0, 0, w, h, 9, lit ? rgb(255, 210, 120) : rgb(24, 32, 78));
    plate.fillRoundRect(3, 3, w - 3, h - 3, 7, lit ? rgb(255, 232, 170) : rgb(40, 52, 112));
    const Colour ink = lit ? rgb(90, 40, 10) : rgb(230, 232, 255);
    const double step = 14;
    const double first = h / 2.0 - (chevrons - 1) * step / 2;
    for (int i = 0; i < chevrons; ++i) {
        const double cy = first + i * step;
        const double tip = up ? cy - 7 : cy + 7;
        const double base = up ? cy + 5 : cy - 5;
        plate.fillPolygon({{20, tip}, {32, base}, {27, base}, {20, tip + (up ? 6 : -6)}, {13, base}, {8, base}}, ink);
    }
    Canvas out(w, h, kKey);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (cover.at(x, y).r > 0.5) out.at(x, y) = plate.at(x, y);
    return out;
}

// The demo's music, by track number; the rest of the list is still empty.
const char* const kTrackNames[] = {"夕暮れの岬", "灯台の夜", "波打ち際"};

Canvas musicRoom(bool lit) {
    Canvas c(800, 600);
    c.verticalGradient({{0.0, rgb(10, 14, 40)}, {0.6, rgb(28, 30, 72)}, {1.0, rgb(60, 40, 70)}});
    for (int i = 0; i < 40; ++i) c.glow((i * 197) % 800, (i * 89) % 260 + 10, 1.5, rgb(255, 255, 230), 0.6);
    c.text(330, 20, "音楽室", 30, rgb(250, 236, 200), true, "IPAMincho");
    const Colour plate = lit ? rgb(255, 210, 120) : rgb(24, 32, 78);
    const Colour ink = lit ? rgb(60, 30, 10) : rgb(235, 235, 255);
    const Colour faint = lit ? rgb(120, 80, 40) : rgb(110, 115, 150);
    const std::vector<zre::Rect>& rects = zre::musicRoomRects();
    for (int k = 0; k < zre::kMusicTrackCount; ++k) {
        const zre::Rect& b = rects[size_t(k)];
        c.fillRoundRect(b.left, b.top, b.right + 1, b.bottom + 1, 6, plate, lit ? 0.95 : 0.75);
        const std::string number = (k < 9 ? "0" : "") + std::to_string(k + 1);
        const bool named = k < int(std::size(kTrackNames));
        c.text(b.left + 8, b.top + 3, number, 18, named ? ink : faint, true);
        c.text(b.left + 44, b.top + 3, named ? kTrackNames[k] : "― ― ―", 18, named ? ink : faint, false);
    }
    // Play, stop, next.
    for (int32_t k : {zre::kMusicPlayButton, zre::kMusicStopButton, zre::kMusicNextButton}) {
        const zre::Rect& b = rects[size_t(k)];
        c.fillRoundRect(b.left, b.top, b.right + 1, b.bottom + 1, 6, plate);
    }
    c.fillPolygon({{337, 295}, {353, 304}, {337, 313}}, ink);
    c.fillRect(392, 296, 408, 312, ink);
    c.fillPolygon({{446, 295}, {456, 304}, {446, 313}}, ink);
    c.fillPolygon({{456, 295}, {466, 304}, {456, 313}}, ink);
    const zre::Rect& back = rects[size_t(zre::kMusicBackButton)];
    c.fillRoundRect(back.left, back.top, back.right + 1, back.bottom + 1, 8, plate);
    c.text(75, 538, "もどる", 18, ink, true);
    return c;
}

} // namespace

std::vector<PictureFile> backlogAndMusicRoomPictures() {
    std::vector<PictureFile> files;
    for (int lit = 0; lit < 2; ++lit) {
        const std::string state = lit ? "_on.gfb" : "_off.gfb";
        files.push_back({"syspict/pageup2" + state, gfb(arrow(60, true, 2, lit))});
        files.push_back({"syspict/pageup1" + state, gfb(arrow(50, true, 1, lit))});
        files.push_back({"syspict/pagedown1" + state, gfb(arrow(50, false, 1, lit))});
        files.push_back({"syspict/pagedown2" + state, gfb(arrow(60, false, 2, lit))});
        files.push_back({lit ? "music_on.bmp" : "music_off.bmp", bmp(musicRoom(lit))});
    }
    return files;
}

} // namespace demo
