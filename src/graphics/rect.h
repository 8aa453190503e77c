#pragma once
// Rectangles of four signed 32-bit integers, right and bottom exclusive, with the usual
// window-system rules: an empty rectangle is absorbed by a union, an empty intersection is
// the empty rectangle (0, 0, 0, 0).
#include <algorithm>
#include <cstdint>

namespace zre {

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    constexpr int32_t width() const { return right - left; }
    constexpr int32_t height() const { return bottom - top; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    constexpr bool contains(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    constexpr bool operator==(const Rect&) const = default;

    void setEmpty() { *this = Rect{}; }
    void offset(int32_t dx, int32_t dy) { left += dx; right += dx; top += dy; bottom += dy; }
    void moveTo(int32_t x, int32_t y) { offset(x - left, y - top); }
};

inline Rect intersectRect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (r.isEmpty()) return Rect{};
    return r;
}

inline Rect unionRect(const Rect& a, const Rect& b) {
    if (a.isEmpty()) return b.isEmpty() ? Rect{} : b;
    if (b.isEmpty()) return a;
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

inline bool intersects(const Rect& a, const Rect& b) { return !intersectRect(a, b).isEmpty(); }

} // namespace zre
