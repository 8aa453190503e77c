#pragma once
// Movie playback over the game picture. The decoder (platform/movie_decoder.h) runs on its
// own thread and fills two small bounded queues, pictures and sound; the window thread shows
// the picture that is due and feeds the sound into a ring of the mixer, which plays it at
// full level beside whatever else plays. The movie's clock is the sound heard so far when
// the movie has sound and a sound device, the wall clock otherwise; pictures that are late
// are dropped. Headless, the decoder works in step with the window thread (it decodes only
// what the virtual time asks for), so a run is the same every time.
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "data/byte_stream.h"
#include "platform/movie_decoder.h"

namespace zre {

// What playback needs of the window around it.
class MovieHost {
public:
    virtual ~MovieHost() = default;
    // One pass of the message pump; sleeps up to waitMs for a message when none is queued.
    virtual void pump(uint32_t waitMs) = 0;
};

// Plays the movie at gamePath (a plain file, Shift JIS as the script wrote it) over the
// whole window and returns when it has ended: at the end of the stream, when the position
// notified to the window reaches the length, or at a left-button release when bit 0 of
// clickToEnd is set. A file that cannot be read as a movie with a picture returns at once.
// The window shows the game picture again afterwards.
void playMovie(MovieHost& host, std::string_view gamePath, int32_t clickToEnd);

// The window procedure's part: a movie position notification (the position in ms). Ends
// the current movie when the position equals its length; ignored without a movie.
void notifyMoviePosition(int64_t positionMs);

// The bytes of a stream as the movie decoder reads them.
std::unique_ptr<MovieInput> movieInput(std::unique_ptr<ByteStream> stream);

// A decoder on its own thread with bounded queues of pictures and sound. The thread is
// joined by stop() or the destructor.
class MovieStream {
public:
    static constexpr size_t kMaxPictures = 8;
    // While less sound than this is queued, up to kMaxPicturesForSound pictures may wait.
    static constexpr size_t kLowSoundFrames = kMovieSoundRate / 2;
    static constexpr size_t kMaxPicturesForSound = 32;
    static constexpr size_t kMaxSoundFrames = 2 * kMovieSoundRate;

    // inStep: the thread decodes only what takePicture and takeSound ask for, and they wait
    // for it, so what they return depends on the movie alone, not on thread timing.
    // Without withSound nobody takes the movie's sound: it is let go as it is decoded.
    MovieStream(std::unique_ptr<MovieDecoder> decoder, bool inStep, bool withSound = true);
    ~MovieStream();
    MovieStream(const MovieStream&) = delete;
    MovieStream& operator=(const MovieStream&) = delete;

    void stop();

    // The newest queued picture whose time has come by ms; the older due ones are dropped.
    // False when none is due yet.
    bool takePicture(int64_t ms, MoviePicture& out);
    // Up to frames stereo frames of sound; the number taken.
    size_t takeSound(int16_t* out, size_t frames);
    // Waits until a picture is queued or the stream has ended (the start of playback).
    void waitForFirstPicture();

    // The decoder has reached the end and every picture (or every sound) has been taken.
    bool picturesEnded();
    bool soundEnded();
    // The time of the next queued picture, or -1.
    int64_t nextPictureMs();
    uint64_t droppedPictures();

private:
    void run();
    bool mayDecode() const;
    void waitIdle(std::unique_lock<std::mutex>& lock);
    size_t soundQueued() const { return (sound_.size() - soundHead_) / 2; }

    std::unique_ptr<MovieDecoder> decoder_;
    const bool inStep_;
    const bool hasSound_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<MoviePicture> pictures_;
    std::vector<int16_t> sound_;
    size_t soundHead_ = 0;
    bool ended_ = false;
    bool stop_ = false;
    bool busy_ = false;
    // In step: what the window thread waits for.
    bool wantPicture_ = false;
    int64_t wantPictureAfter_ = 0;
    size_t wantSound_ = 0;
    uint64_t dropped_ = 0;
    std::thread thread_;
};

} // namespace zre
