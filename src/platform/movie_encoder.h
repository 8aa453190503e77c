#pragma once
// Writing movies with FFmpeg's encoders, for the tools that generate them (the demo's
// builder, test fixtures, benchmarks); the game itself only decodes (movie_decoder.h).
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace zre {

// Draws picture number frame into 24-bit BGR rows top-down, stride bytes apart.
using MovieFrameDraw = std::function<void(int frame, uint8_t* bgr, int stride)>;

// Writes frames pictures of width x height at fps per second and, when sound is not empty,
// that 44100 Hz stereo 16-bit sound beside them. The container follows the extension:
// ".mpg" is an MPEG-1 program stream (MPEG-1 video, MPEG audio layer II), ".avi" holds
// MPEG-4 part 2 video and PCM sound. False when it cannot be written. The same input gives
// the same bytes on every run.
bool writeMovieFile(const std::string& hostPath, int width, int height, int fps, int frames,
                    const MovieFrameDraw& draw, std::span<const int16_t> sound);

} // namespace zre
