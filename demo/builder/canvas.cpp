#include "canvas.h"

#include <algorithm>
#include <cmath>

#include "graphics/game_font.h"
#include "platform/sjis.h"

namespace demo {

Colour mix(const Colour& a, const Colour& b, double t) {
    return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Canvas::Canvas(int width, int height, Colour fill) : w_(width), h_(height), px_(size_t(width) * height, fill) {}

Canvas maskOf(int width, int height) { return Canvas(width, height, Colour{}); }

void Canvas::blend(int x, int y, const Colour& c, double a) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || a <= 0) return;
    Colour& p = at(x, y);
    a = std::min(a, 1.0);
    p = mix(p, c, a);
}

void Canvas::verticalGradient(const std::vector<std::pair<double, Colour>>& stops) {
    for (int y = 0; y < h_; ++y) {
        double t = h_ > 1 ? double(y) / (h_ - 1) : 0;
        Colour c = stops.front().second;
        for (size_t i = 1; i < stops.size(); ++i) {
            if (t <= stops[i].first) {
                double span = stops[i].first - stops[i - 1].first;
                double u = span > 0 ? (t - stops[i - 1].first) / span : 0;
                c = mix(stops[i - 1].second, stops[i].second, std::clamp(u, 0.0, 1.0));
                break;
            }
            c = stops[i].second;
        }
        for (int x = 0; x < w_; ++x) at(x, y) = c;
    }
}

template <class Inside>
void Canvas::coverShape(double x0, double y0, double x1, double y1, const Colour& c, double alpha, Inside inside) {
    int ix0 = std::max(0, int(std::floor(x0))), iy0 = std::max(0, int(std::floor(y0)));
    int ix1 = std::min(w_, int(std::ceil(x1))), iy1 = std::min(h_, int(std::ceil(y1)));
    for (int y = iy0; y < iy1; ++y) {
        for (int x = ix0; x < ix1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    if (inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4)) ++hits;
            if (hits) blend(x, y, c, alpha * hits / 16.0);
        }
    }
}

void Canvas::fillRect(double x0, double y0, double x1, double y1, const Colour& c, double alpha) {
    coverShape(x0, y0, x1, y1, c, alpha, [&](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; });
}

void Canvas::fillEllipse(double cx, double cy, double rx, double ry, const Colour& c, double alpha) {
    coverShape(cx - rx, cy - ry, cx + rx, cy + ry, c, alpha, [&](double x, double y) {
        double dx = (x - cx) / rx, dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1;
    });
}

void Canvas::fillRoundRect(double x0, double y0, double x1, double y1, double r, const Colour& c, double alpha) {
    coverShape(x0, y0, x1, y1, c, alpha, [&](double x, double y) {
        if (x < x0 || x >= x1 || y < y0 || y >= y1) return false;
        double qx = std::max({x0 + r - x, 0.0, x - (x1 - r)});
        double qy = std::max({y0 + r - y, 0.0, y - (y1 - r)});
        return qx * qx + qy * qy <= r * r;
    });
}

void Canvas::fillPolygon(const std::vector<std::pair<double, double>>& pts, const Colour& c, double alpha) {
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (auto [x, y] : pts) {
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
    coverShape(x0, y0, x1, y1, c, alpha, [&](double x, double y) {
        bool in = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            auto [xi, yi] = pts[i];
            auto [xj, yj] = pts[j];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
        }
        return in;
    });
}

void Canvas::glow(double cx, double cy, double radius, const Colour& c, double strength) {
    int x0 = std::max(0, int(cx - radius)), x1 = std::min(w_, int(cx + radius) + 1);
    int y0 = std::max(0, int(cy - radius)), y1 = std::min(h_, int(cy + radius) + 1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy) / radius;
            if (d < 1) blend(x, y, c, strength * (1 - d) * (1 - d));
        }
}

namespace {

// Steps through a Shift JIS text one character at a time.
template <class Each>
void forEachChar(const std::string& sjis, Each each) {
    for (size_t i = 0; i < sjis.size();) {
        size_t n = zre::isLeadByteAt(sjis, i) ? 2 : 1;
        each(std::string_view(sjis).substr(i, n));
        i += n;
    }
}

} // namespace

int Canvas::textWidth(const std::string& utf8, int size, bool bold, const std::string& faceUtf8) {
    auto font = zre::createGameFont(size, bold ? 1 : 0, zre::utf8ToSjis(faceUtf8));
    int32_t cx = 0, cy = 0;
    font->measure(zre::utf8ToSjis(utf8), cx, cy);
    return cx;
}

void Canvas::text(double x, double y, const std::string& utf8, int size, const Colour& c, bool bold,
                  const std::string& faceUtf8) {
    auto font = zre::createGameFont(size, bold ? 1 : 0, zre::utf8ToSjis(faceUtf8));
    double pen = x;
    double baseline = y + font->ascent();
    forEachChar(zre::utf8ToSjis(utf8), [&](std::string_view ch) {
        zre::GlyphCoverage g;
        if (!font->glyph(ch, g)) return;
        int gx = int(std::lround(pen)) + g.originX, gy = int(std::lround(baseline)) - g.originY;
        for (int row = 0; row < g.height; ++row)
            for (int col = 0; col < g.width; ++col)
                blend(gx + col, gy + row, c, g.pixels[size_t(row) * g.width + col] / 255.0);
        pen += g.cellIncX;
    });
}

void Canvas::copyTo(zre::Bitmap& target, int dx, int dy) const {
    for (int y = 0; y < h_; ++y) {
        int ty = y + dy;
        if (ty < 0 || ty >= target.height()) continue;
        for (int x = 0; x < w_; ++x) {
            int tx = x + dx;
            if (tx < 0 || tx >= target.width()) continue;
            const Colour& p = at(x, y);
            uint8_t* d = target.pixel(tx, ty);
            d[0] = uint8_t(std::lround(std::clamp(p.b, 0.0, 1.0) * 255));
            d[1] = uint8_t(std::lround(std::clamp(p.g, 0.0, 1.0) * 255));
            d[2] = uint8_t(std::lround(std::clamp(p.r, 0.0, 1.0) * 255));
        }
    }
}

std::unique_ptr<zre::Bitmap> Canvas::toBitmap() const {
    auto b = zre::makeBitmap(w_, h_);
    copyTo(*b, 0, 0);
    return b;
}

} // namespace demo
