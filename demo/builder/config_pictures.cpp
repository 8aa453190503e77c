#include "config_pictures.h"

#include <algorithm>

#include "ui/config_screen.h"

namespace demo {

namespace {

namespace cb = zre::config_button;

enum class Look { Normal, Hover, On };

// What each button says; the volume levels are bars without words.
const char* buttonLabel(int k) {
    static const char* const labels[] = {
        "セーブ", "ロード", "バックログ", "ウィンドウを消す", "ウィンドウ", "フルスクリーン", "ON", "OFF", "縦", "横",
        "遅い", "普通", "速い",
    };
    if (k < static_cast<int>(std::size(labels))) return labels[k];
    if (k == cb::Return) return "戻る";
    if (k == cb::Quit) return "ゲーム終了";
    if ((k - cb::EffectVolume) % 5 == 0 && k < cb::Return) return "消音";
    return nullptr;
}

struct Caption {
    int x, y;
    const char* text;
};
constexpr Caption kCaptions[] = {
    {30, 229, "画面"},     {440, 229, "オート"},   {30, 301, "文字方向"}, {420, 301, "文字速度"},
    {115, 360, "効果音"},  {115, 470, "BGM"},      {509, 360, "男性ボイス"}, {509, 462, "女性ボイス"},
};

void drawButton(Canvas& c, const zre::Rect& r, const char* label, Look look) {
    const Colour fill = look == Look::On ? rgb(255, 200, 90) : look == Look::Hover ? rgb(120, 170, 255) : rgb(24, 32, 78);
    const Colour ink = look == Look::Normal ? rgb(235, 235, 255) : rgb(30, 20, 10);
    const double alpha = look == Look::Normal ? 0.75 : 0.95;
    if (!label) {
        // A level of a volume bar.
        c.fillRect(r.left + 2, r.top, r.right - 2, r.bottom, fill, alpha);
        return;
    }
    const int h = r.bottom - r.top;
    c.fillRoundRect(r.left, r.top, r.right, r.bottom, std::min(6, h / 3), fill, alpha);
    const int size = std::min(16, h - 4);
    const int tw = c.textWidth(label, size, true);
    c.text(r.left + (r.right - r.left - tw) / 2.0, r.top + (h - size) / 2.0 - 1, label, size, ink, true);
}

} // namespace

std::vector<std::pair<std::string, Canvas>> configPictures(const Canvas& background) {
    std::vector<std::pair<std::string, Canvas>> pictures;
    const std::pair<const char*, Look> looks[] = {
        {"syspict/conf_normal.gfb", Look::Normal},
        {"syspict/conf_hover.gfb", Look::Hover},
        {"syspict/conf_on.gfb", Look::On},
    };
    const std::vector<zre::Rect>& rects = zre::configButtonRects();
    for (const auto& [name, look] : looks) {
        Canvas c = background;
        c.fillRect(0, 0, 800, 600, rgb(0, 0, 16), 0.55);
        c.fillRoundRect(20, 70, 780, 592, 16, rgb(10, 14, 40), 0.6);
        c.text(330, 18, "コンフィグ", 36, rgb(250, 236, 200), true, "IPAMincho");
        c.fillRect(40, 200, 760, 201, rgb(160, 170, 220), 0.6);
        c.fillRect(40, 350, 760, 351, rgb(160, 170, 220), 0.6);
        for (const Caption& caption : kCaptions) c.text(caption.x, caption.y, caption.text, 16, rgb(220, 220, 250), true);
        for (size_t k = 0; k < rects.size(); ++k) drawButton(c, rects[k], buttonLabel(static_cast<int>(k)), look);
        pictures.emplace_back(name, std::move(c));
    }
    return pictures;
}

} // namespace demo
