#pragma once
// Movie files, decoded with FFmpeg: whatever container and codecs it reads (MPEG-1, MPEG-4,
// AVI, WMV and the rest). The demuxer reads through a MovieInput of ours, so a movie can come
// from a host file or from memory. Pictures come out scaled into a fixed picture with the
// movie's aspect kept (black bars), as 24-bit BGR rows bottom-up; sound comes out as 44100 Hz
// stereo 16-bit, the mixer's own format. One decoder is used by one thread at a time.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace zre {

// Random access to the bytes of a movie (the layers above hand in their byte streams).
class MovieInput {
public:
    virtual ~MovieInput() = default;
    virtual uint64_t size() const = 0;
    // Reads up to n bytes at offset; fewer only at the end or on a read error.
    virtual size_t readAt(uint64_t offset, void* out, size_t n) = 0;
};

inline constexpr int kMovieSoundRate = 44100;

struct MoviePicture {
    int64_t ms = 0;             // when it is shown, from the start of the movie
    int width = 0;
    int height = 0;
    int stride = 0;             // bytes per row, a multiple of 4
    std::vector<uint8_t> bits;  // BGR, rows bottom-up
};

struct MovieLimits {
    // Largest picture the video decoder accepts (width x height).
    int64_t maxPixels = int64_t(8192) * 8192;
    // Packets read in all (0: no limit), to bound the work on hostile bytes.
    uint64_t maxPackets = 0;
    // Decoder threads (0: as many as FFmpeg likes).
    int threads = 0;
};

class MovieDecoder {
public:
    // Opens the movie for pictures of width x height. nullptr when the bytes are not a movie
    // FFmpeg reads, or it has no video stream that can be decoded. Sound is optional: a
    // movie whose audio cannot be decoded plays silent.
    static std::unique_ptr<MovieDecoder> open(std::unique_ptr<MovieInput> input, int width, int height,
                                              const MovieLimits& limits = {});
    ~MovieDecoder();
    MovieDecoder(const MovieDecoder&) = delete;
    MovieDecoder& operator=(const MovieDecoder&) = delete;

    bool hasSound() const;
    // The length the container gives, in ms; -1 when it gives none.
    int64_t lengthMs() const;
    // Pictures per second as the stream declares it (0 when unknown).
    double frameRate() const;

    enum class Output { Picture, Sound, End };
    // Decodes until the next picture (into picture) or the next run of sound (appended to
    // sound as interleaved stereo samples); End once the movie is used up or unreadable.
    // After End every call returns End.
    Output next(MoviePicture& picture, std::vector<int16_t>& sound);

    struct State;

private:
    explicit MovieDecoder(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

} // namespace zre
