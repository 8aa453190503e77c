#pragma once
// Rectangles of four signed 32-bit integers, right and bottom exclusive, with the usual
// window-system rules: an empty rectangle is absorbed by a union, an empty intersection is
// the empty rectangle (0, 0, 0, 0).
#include <algorithm>
#include <cstdint>

namespace zre {

// Coordinates add and subtract as the 32-bit machine words of the original did: a script
// may place a layer at any int, and moving it past the end wraps instead of overflowing.
constexpr int32_t wrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
constexpr int32_t wrapSub(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    constexpr int32_t width() const { return wrapSub(right, left); }
    constexpr int32_t height() const { return wrapSub(bottom, top); }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    constexpr bool contains(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    constexpr bool operator==(const Rect&) const = default;

    void setEmpty() { *this = Rect{}; }
    void offset(int32_t dx, int32_t dy) {
        left = wrapAdd(left, dx);
        right = wrapAdd(right, dx);
        top = wrapAdd(top, dy);
        bottom = wrapAdd(bottom, dy);
    }
    void moveTo(int32_t x, int32_t y) { offset(wrapSub(x, left), wrapSub(y, top)); }
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
