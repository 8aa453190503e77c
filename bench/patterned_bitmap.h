#pragma once
// A picture whose bytes vary along rows and columns, so that no operation meets uniform
// memory it could take a short cut through.
#include <cstdint>
#include <memory>

#include "graphics/bitmap.h"

namespace zre::bench {

inline std::unique_ptr<Bitmap> patterned(int32_t w, int32_t h, uint32_t seed) {
    auto b = makeBitmap(w, h);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = b->row(y);
        for (int32_t i = 0; i < w * 3; ++i) row[i] = uint8_t((i * 31 + y * 17 + seed * 7) ^ (i >> 5));
    }
    return b;
}

} // namespace zre::bench
