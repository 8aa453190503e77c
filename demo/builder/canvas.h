#pragma once
// A small drawing surface for the demo's pictures: every picture of the demo is drawn here
// from shapes, gradients and text, then stored in the game's own formats.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/bitmap.h"

namespace demo {

struct Colour {
    double r = 0, g = 0, b = 0;
};

inline Colour rgb(int r, int g, int b) { return Colour{r / 255.0, g / 255.0, b / 255.0}; }
Colour mix(const Colour& a, const Colour& b, double t);

class Canvas {
public:
    Canvas(int width, int height, Colour fill = {});

    int width() const { return w_; }
    int height() const { return h_; }
    Colour& at(int x, int y) { return px_[size_t(y) * w_ + x]; }
    const Colour& at(int x, int y) const { return px_[size_t(y) * w_ + x]; }
    // Blends colour over the pixel with coverage a (0..1).
    void blend(int x, int y, const Colour& c, double a);

    void verticalGradient(const std::vector<std::pair<double, Colour>>& stops);
    void fillRect(double x0, double y0, double x1, double y1, const Colour& c, double alpha = 1);
    // Antialiased shapes (coverage by 4 x 4 supersampling).
    void fillEllipse(double cx, double cy, double rx, double ry, const Colour& c, double alpha = 1);
    void fillRoundRect(double x0, double y0, double x1, double y1, double radius, const Colour& c, double alpha = 1);
    void fillPolygon(const std::vector<std::pair<double, double>>& points, const Colour& c, double alpha = 1);
    void glow(double cx, double cy, double radius, const Colour& c, double strength);
    // Text in the game's Japanese fonts; (x, y) is the top-left of the first line.
    void text(double x, double y, const std::string& utf8, int size, const Colour& c, bool bold = false,
              const std::string& faceUtf8 = "IPAGothic");
    int textWidth(const std::string& utf8, int size, bool bold = false, const std::string& faceUtf8 = "IPAGothic");

    // Copies (or writes as grey) into a game bitmap at (dx, dy).
    void copyTo(zre::Bitmap& target, int dx, int dy) const;
    // A game bitmap of the canvas's size holding it.
    std::unique_ptr<zre::Bitmap> toBitmap() const;

private:
    template <class Inside>
    void coverShape(double x0, double y0, double x1, double y1, const Colour& c, double alpha, Inside inside);

    int w_, h_;
    std::vector<Colour> px_;
};

// A mask drawn with the same shapes: 0 transparent .. 1 opaque, stored as grey.
Canvas maskOf(int width, int height);

} // namespace demo
