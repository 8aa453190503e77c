// The opening movie: three seconds at 25 pictures per second, 640 x 360 (so the game shows
// it between black bars), dusk turning to night over the sea while the lighthouse beam
// sweeps round and the title fades in; under it a 440 Hz tone that swells and fades.
#include "movie.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "canvas.h"
#include "platform/movie_encoder.h"

namespace demo {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 360;
constexpr int kFps = 25;
constexpr int kFrames = 3 * kFps;
constexpr int kRate = 44100;

Canvas openingFrame(int frame) {
    const double t = double(frame) / (kFrames - 1);  // 0 .. 1 over the movie
    Canvas c(kWidth, kHeight);
    c.verticalGradient({{0.0, mix(rgb(250, 150, 80), rgb(10, 14, 50), t)},
                        {0.6, mix(rgb(250, 200, 150), rgb(30, 40, 100), t)},
                        {0.61, mix(rgb(40, 70, 120), rgb(5, 10, 40), t)},
                        {1.0, mix(rgb(20, 40, 80), rgb(0, 0, 20), t)}});
    // The moon rises from the left.
    c.fillEllipse(80 + 480 * t, 170 - 120 * t, 22, 22, rgb(255, 250, 220));
    // The lighthouse and its beam, one turn over the movie.
    c.fillRect(300, 120, 320, 216, rgb(230, 230, 235));
    c.fillRect(296, 108, 324, 122, rgb(60, 50, 50));
    const double a = 2 * M_PI * t;
    const double dx = std::cos(a), dy = std::sin(a) * 0.25;
    c.fillPolygon({{310, 114}, {310 + 400 * dx, 114 + 400 * dy - 30}, {310 + 400 * dx, 114 + 400 * dy + 30}},
                  rgb(255, 240, 170), 0.6);
    c.glow(310, 114, 30, rgb(255, 240, 170), 0.8);
    // A frame counter bar along the bottom: every picture differs from the one before.
    c.fillRect(0, kHeight - 8, kWidth * (frame + 1.0) / kFrames, kHeight, rgb(255, 210, 120));
    const double fade = std::clamp((t - 0.3) / 0.4, 0.0, 1.0);
    if (fade > 0) c.text(200, 250, "Vellora", 64, mix(rgb(0, 0, 20), rgb(250, 236, 200), fade), true, "IPAMincho");
    return c;
}

std::vector<int16_t> openingTone() {
    const size_t frames = size_t(kFrames) * kRate / kFps;
    std::vector<int16_t> s(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double envelope = std::min({1.0, t / 0.3, (double(frames) / kRate - t) / 0.5});
        const auto v = static_cast<int16_t>(std::lround(9000 * envelope * std::sin(2 * M_PI * 440 * t)));
        s[2 * i] = v;
        s[2 * i + 1] = v;
    }
    return s;
}

} // namespace

bool writeOpeningMovie(const std::filesystem::path& gameFolder) {
    std::error_code ec;
    std::filesystem::create_directories(gameFolder / "movie", ec);
    const std::vector<int16_t> tone = openingTone();
    const std::shared_ptr<zre::Bitmap> picture = zre::makeBitmap(kWidth, kHeight);
    return zre::writeMovieFile(
        (gameFolder / "movie" / "opening.mpg").string(), kWidth, kHeight, kFps, kFrames,
        [picture](int frame, uint8_t* bgr, int stride) {
            openingFrame(frame).copyTo(*picture, 0, 0);
            for (int y = 0; y < kHeight; ++y) std::memcpy(bgr + size_t(y) * stride, picture->row(y), size_t(kWidth) * 3);
        },
        tone);
}

} // namespace demo
