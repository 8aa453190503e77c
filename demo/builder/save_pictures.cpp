#include "save_pictures.h"

#include <cstdio>
#include <string>

#include "canvas.h"

namespace demo {

namespace {

constexpr int kRowTops[] = {48, 103, 158, 212, 265, 320, 374, 429, 484, 539, 594};

Canvas backdrop() {
    Canvas c(800, 600);
    c.verticalGradient({{0, rgb(12, 16, 40)}, {1, rgb(30, 24, 60)}});
    return c;
}

void button(Canvas& c, int l, int t, int r, int b, const std::string& label, bool hover) {
    c.fillRoundRect(l + 2, t + 2, r - 2, b - 2, 12, hover ? rgb(255, 210, 120) : rgb(40, 52, 110), 0.95);
    int tw = c.textWidth(label, 20, true);
    c.text(l + (r - l - tw) / 2.0, t + (b - t) / 2.0 - 12, label, 20, hover ? rgb(60, 30, 10) : rgb(240, 240, 255),
           true);
}

// The whole screen: the slot panel is drawn over it by the page pictures.
Canvas screenPicture(bool hover, const std::string& okLabel) {
    Canvas c = backdrop();
    c.fillRoundRect(471, 20, 783, 257, 6, rgb(200, 190, 160));       // thumbnail frame
    c.fillRect(477, 26, 777, 251, rgb(8, 8, 16));
    c.fillRoundRect(495, 265, 764, 291, 6, rgb(20, 28, 70), 0.9);    // date
    c.fillRoundRect(477, 315, 777, 397, 10, rgb(236, 228, 204));     // title and comment
    c.text(480, 410, "右クリックで戻ります", 16, rgb(180, 180, 210));
    button(c, 593, 495, 677, 579, "戻る", hover);
    button(c, 687, 495, 771, 579, okLabel, hover);
    return c;
}

// The slot panel of page: the arrows, the page number and ten rows numbered for the page.
Canvas pagePicture(int page, bool hover) {
    Canvas c(462, 600);
    c.verticalGradient({{0, rgb(12, 16, 40)}, {1, rgb(28, 24, 58)}});
    button(c, 20, 10, 120, 40, "← 前へ", hover);
    button(c, 360, 10, 460, 40, "次へ →", hover);
    std::string label = "PAGE " + std::to_string(page + 1) + " / 10";
    c.text(231 - c.textWidth(label, 20, true) / 2.0, 14, label, 20, rgb(250, 236, 200), true);
    for (int row = 0; row < 10; ++row) {
        int top = kRowTops[row], bottom = kRowTops[row + 1];
        c.fillRoundRect(4, top + 3, 458, bottom - 3, 8, hover ? rgb(120, 90, 40) : rgb(36, 44, 92), 0.9);
        char number[8];
        std::snprintf(number, sizeof number, "%02d", page * 10 + row);
        c.text(14, top + 15, number, 22, hover ? rgb(255, 230, 170) : rgb(160, 170, 220), true);
    }
    return c;
}

} // namespace

std::vector<std::pair<std::string, std::unique_ptr<zre::Bitmap>>> saveLoadPictures() {
    std::vector<std::pair<std::string, std::unique_ptr<zre::Bitmap>>> pictures;
    pictures.emplace_back("syspict/save.gfb", screenPicture(false, "セーブ").toBitmap());
    pictures.emplace_back("syspict/saveh.gfb", screenPicture(true, "セーブ").toBitmap());
    for (int page = 0; page < 10; ++page) {
        char name[40];
        std::snprintf(name, sizeof name, "syspict/saveno%02d.gfb", page);
        pictures.emplace_back(name, pagePicture(page, false).toBitmap());
        std::snprintf(name, sizeof name, "syspict/saveno%02dh.gfb", page);
        pictures.emplace_back(name, pagePicture(page, true).toBitmap());
    }
    for (bool hover : {false, true}) {
        Canvas c(84, 84);
        Canvas whole = backdrop();
        button(whole, 687, 495, 771, 579, "ロード", hover);
        for (int y = 0; y < 84; ++y)
            for (int x = 0; x < 84; ++x) c.at(x, y) = whole.at(687 + x, 495 + y);
        pictures.emplace_back(hover ? "syspict/loadbtn02h.gfb" : "syspict/loadbtn02.gfb", c.toBitmap());
    }
    return pictures;
}

} // namespace demo
