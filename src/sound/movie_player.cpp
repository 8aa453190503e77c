#include "sound/movie_player.h"

#include <algorithm>
#include <cstring>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/platform.h"
#include "platform/sound_buffer.h"
#include "platform/window.h"

namespace zre {

namespace {

class StreamInput final : public MovieInput {
public:
    explicit StreamInput(std::unique_ptr<ByteStream> stream) : stream_(std::move(stream)) {}
    uint64_t size() const override { return stream_->size(); }
    size_t readAt(uint64_t offset, void* out, size_t n) override { return stream_->readAt(offset, out, n); }

private:
    std::unique_ptr<ByteStream> stream_;
};

} // namespace

std::unique_ptr<MovieInput> movieInput(std::unique_ptr<ByteStream> stream) {
    if (!stream) return nullptr;
    return std::make_unique<StreamInput>(std::move(stream));
}

// ---------------------------------------------------------------------------------------------

MovieStream::MovieStream(std::unique_ptr<MovieDecoder> decoder, bool inStep, bool withSound)
    : decoder_(std::move(decoder)), inStep_(inStep), hasSound_(withSound && decoder_->hasSound()) {
    thread_ = std::thread([this] { run(); });
}

MovieStream::~MovieStream() { stop(); }

void MovieStream::stop() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable()) thread_.join();
}

bool MovieStream::mayDecode() const {
    if (ended_ || stop_ || soundQueued() >= kMaxSoundFrames) return false;
    // Containers may store the pictures well ahead of their sound: while the sound runs
    // short, more pictures may wait.
    const bool soundShort = inStep_ ? soundQueued() < wantSound_ : hasSound_ && soundQueued() < kLowSoundFrames;
    const size_t room = soundShort ? kMaxPicturesForSound : kMaxPictures;
    if (pictures_.size() >= room) return false;
    if (!inStep_) return true;
    const bool pictureWanted = wantPicture_ && (pictures_.empty() || pictures_.back().ms <= wantPictureAfter_);
    return pictureWanted || soundShort;
}

void MovieStream::run() {
    MoviePicture picture;
    std::vector<int16_t> sound;
    for (;;) {
        {
            std::unique_lock<std::mutex> guard(lock_);
            changed_.wait(guard, [&] { return stop_ || mayDecode(); });
            if (stop_) return;
            busy_ = true;
        }
        sound.clear();
        // Decoding runs outside the lock: the window thread takes what is queued meanwhile.
        const MovieDecoder::Output got = decoder_->next(picture, sound);
        std::lock_guard<std::mutex> guard(lock_);
        busy_ = false;
        switch (got) {
        case MovieDecoder::Output::Picture: pictures_.push_back(std::move(picture)); break;
        case MovieDecoder::Output::Sound:
            if (!hasSound_) break;  // nobody would take it
            if (soundHead_ > 0 && soundHead_ * 2 >= sound_.size()) {
                sound_.erase(sound_.begin(), sound_.begin() + static_cast<std::ptrdiff_t>(soundHead_));
                soundHead_ = 0;
            }
            sound_.insert(sound_.end(), sound.begin(), sound.end());
            break;
        case MovieDecoder::Output::End: ended_ = true; break;
        }
        changed_.notify_all();
    }
}

// In step: the decoder has done what was asked, or cannot go on (a queue is full, the end).
void MovieStream::waitIdle(std::unique_lock<std::mutex>& guard) {
    changed_.notify_all();
    changed_.wait(guard, [&] { return stop_ || (!busy_ && !mayDecode()); });
}

bool MovieStream::takePicture(int64_t ms, MoviePicture& out) {
    std::unique_lock<std::mutex> guard(lock_);
    bool got = false;
    for (;;) {
        if (inStep_) {
            wantPicture_ = true;
            wantPictureAfter_ = ms;
            waitIdle(guard);
        }
        bool took = false;
        while (!pictures_.empty() && pictures_.front().ms <= ms) {
            if (got) ++dropped_;
            out = std::move(pictures_.front());
            pictures_.pop_front();
            got = took = true;
        }
        // In step, a queue that was full of due pictures is decoded further until the
        // picture of this moment is found.
        if (!inStep_ || !took || !pictures_.empty() || ended_ || stop_) break;
    }
    wantPicture_ = false;
    changed_.notify_all();
    return got;
}

size_t MovieStream::takeSound(int16_t* out, size_t frames) {
    std::unique_lock<std::mutex> guard(lock_);
    if (inStep_) {
        wantSound_ = frames;
        waitIdle(guard);
        wantSound_ = 0;
    }
    const size_t n = std::min(frames, soundQueued());
    // Before the first sound the queue has no storage to copy from.
    if (n > 0) std::memcpy(out, sound_.data() + soundHead_, n * 2 * sizeof(int16_t));
    soundHead_ += n * 2;
    changed_.notify_all();
    return n;
}

void MovieStream::waitForFirstPicture() {
    std::unique_lock<std::mutex> guard(lock_);
    if (inStep_) {
        wantPicture_ = true;
        wantPictureAfter_ = -1;
        waitIdle(guard);
        wantPicture_ = false;
        return;
    }
    changed_.wait(guard, [&] { return stop_ || ended_ || !pictures_.empty() || soundQueued() >= kMaxSoundFrames; });
}

bool MovieStream::picturesEnded() {
    std::lock_guard<std::mutex> guard(lock_);
    return ended_ && pictures_.empty();
}

bool MovieStream::soundEnded() {
    std::lock_guard<std::mutex> guard(lock_);
    return ended_ && soundQueued() == 0;
}

int64_t MovieStream::nextPictureMs() {
    std::lock_guard<std::mutex> guard(lock_);
    return pictures_.empty() ? -1 : pictures_.front().ms;
}

uint64_t MovieStream::droppedPictures() {
    std::lock_guard<std::mutex> guard(lock_);
    return dropped_;
}

// ---------------------------------------------------------------------------------------------

namespace {

constexpr int kFrameBytes = 4;  // 16-bit stereo
// The ring the movie's sound plays from: two seconds, of which a little is kept filled
// ahead of what the mixer has read.
constexpr uint32_t kRingFrames = 2 * kMovieSoundRate;
constexpr uint32_t kLeadMs = 120;
// Less than this ahead and the rest is bridged with silence (the decoder fell behind); the
// silence is made up later by skipping as much of the movie's sound, so it stays in time.
constexpr uint32_t kMinLeadMs = 50;
// Between two sound clock steps (one mix of the device) the clock runs on with the wall
// clock for at most this long.
constexpr int64_t kSmoothMs = 40;
// The longest sleep of a pass: the ring is fed at least this often.
constexpr uint32_t kMaxWaitMs = 20;

// One movie being played; exists only while playMovie runs.
struct MoviePlayer {
    MovieHost& host;
    int32_t clickToEnd = 0;
    bool finished = false;
    bool destroyed = false;  // the window went: the program is ending
    int64_t lengthMs = -1;

    std::unique_ptr<MovieStream> stream;
    std::unique_ptr<SoundDevice> device;
    std::unique_ptr<SoundBuffer> ring;
    MoviePicture shown;
    bool hasShown = false;

    // The sound clock: frames written to the ring and played from it, silence included.
    uint64_t written = 0;
    uint64_t played = 0;
    uint32_t lastPosition = 0;
    uint64_t silenceOwed = 0;
    int64_t soundEndMs = -1;
    // The clock as shown: anchored at the last sound step (or the start), run on with the
    // wall clock.
    int64_t anchorMs = 0;
    uint32_t anchorWall = 0;
    int64_t clockMs = 0;
    int64_t lastStepMs = 16;
    bool paused = false;
    int64_t pictureMs = 40;  // how long one picture stays
    std::vector<int16_t> scratch;

    explicit MoviePlayer(MovieHost& h) : host(h) {}

    uint32_t positionInRing() { return ring->currentPosition() / kFrameBytes; }

    void writeRing(const int16_t* samples, size_t frames) {
        while (frames > 0) {
            const uint32_t at = static_cast<uint32_t>(written % kRingFrames);
            const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(frames, kRingFrames - at));
            uint8_t* first = nullptr;
            uint8_t* second = nullptr;
            uint32_t firstBytes = 0;
            uint32_t secondBytes = 0;
            if (!ring->lock(at * kFrameBytes, n * kFrameBytes, &first, &firstBytes, &second, &secondBytes)) return;
            if (samples)
                std::memcpy(first, samples, firstBytes);
            else
                std::memset(first, 0, firstBytes);
            ring->unlock(first, firstBytes, second, secondBytes);
            if (samples) samples += n * 2;
            frames -= n;
            written += n;
        }
    }

    // Keeps the ring filled a little ahead of the mixer with the movie's sound.
    void feedSound() {
        const uint32_t position = positionInRing();
        played += (position + kRingFrames - lastPosition) % kRingFrames;
        lastPosition = position;
        if (played > written) written = played;  // the mixer ran past the sound: start again from there
        const uint64_t ahead = written - played;
        const uint64_t lead =
            std::min<uint64_t>(kRingFrames / 2, std::max<uint64_t>(kLeadMs, 3 * lastStepMs) * kMovieSoundRate / 1000);
        if (ahead < lead) {
            uint64_t want = lead - ahead;
            scratch.resize(static_cast<size_t>(std::min<uint64_t>(want, kRingFrames)) * 2);
            // Silence that bridged a gap is paid back first, by skipping as much sound.
            while (silenceOwed > 0) {
                const size_t n = stream->takeSound(scratch.data(), static_cast<size_t>(std::min<uint64_t>(silenceOwed, want)));
                if (n == 0) break;
                silenceOwed -= n;
            }
            while (want > 0) {
                const size_t n = stream->takeSound(scratch.data(), static_cast<size_t>(want));
                if (n == 0) break;
                writeRing(scratch.data(), n);
                want -= n;
            }
        }
        if (soundEndMs < 0 && stream->soundEnded()) soundEndMs = static_cast<int64_t>(written * 1000 / kMovieSoundRate);
        const uint64_t minLead =
            std::min<uint64_t>(kRingFrames / 2, std::max<uint64_t>(kMinLeadMs, 2 * lastStepMs) * kMovieSoundRate / 1000);
        if (written - played < minLead) {
            const uint64_t gap = minLead - (written - played);
            if (soundEndMs < 0) silenceOwed += gap;
            writeRing(nullptr, static_cast<size_t>(gap));
        }
    }

    int64_t wallMs() { return static_cast<int64_t>(nowMs() - anchorWall) + anchorMs; }

    void advanceClock() {
        const int64_t before = clockMs;
        if (ring && !paused) {
            const uint64_t playedBefore = played;
            feedSound();
            const uint32_t now = nowMs();
            if (played != playedBefore) {
                anchorMs = static_cast<int64_t>(played * 1000 / kMovieSoundRate);
                anchorWall = now;
            }
            clockMs = std::max(clockMs, anchorMs + std::min<int64_t>(static_cast<uint32_t>(now - anchorWall), kSmoothMs));
        } else if (!paused) {
            clockMs = std::max(clockMs, wallMs());
        }
        if (clockMs > before) lastStepMs = clockMs - before;
    }

    void pause() {
        if (paused) return;
        paused = true;
        if (ring) ring->stop();
    }

    void resume() {
        if (!paused || destroyed) return;
        paused = false;
        // The clock goes on from where it stood.
        anchorMs = clockMs;
        anchorWall = nowMs();
        if (ring) ring->play(true);
    }

    void show(const MoviePicture& p) {
        presentFront(p.bits.data(), p.width, p.height, p.stride, 0, 0, p.width, p.height);
    }

    // The whole picture is the movie's; black until the first picture comes.
    void repaint() {
        if (hasShown) {
            show(shown);
            return;
        }
        MoviePicture black;
        black.width = kGameWidth;
        black.height = kGameHeight;
        black.stride = kGameWidth * 3;
        black.bits.assign(static_cast<size_t>(black.stride) * kGameHeight, 0);
        show(black);
    }

    int64_t endMs() {
        int64_t end = hasShown ? shown.ms + pictureMs : 0;
        if (ring && soundEndMs >= 0) end = std::max(end, soundEndMs);
        return end;
    }

    void run() {
        stream->waitForFirstPicture();
        if (ring) {
            feedSound();
            ring->play(true);
        }
        anchorWall = nowMs();
        while (!finished) {
            advanceClock();
            if (stream->takePicture(clockMs, shown)) {
                hasShown = true;
                show(shown);
            }
            // The position as a media window reports it: it stops at the length. One
            // notification every pass also keeps a pump that waits for messages (a window
            // in the background) from holding the movie up.
            Message m = makeMessage(MessageKind::MovieNotify);
            m.value = lengthMs >= 0 ? std::min(clockMs, lengthMs) : clockMs;
            postMessage(std::move(m));
            // The stream's end ends the movie even when no notified position equals the
            // length.
            if (stream->picturesEnded() && (!ring || stream->soundEnded()) && clockMs >= endMs()) finished = true;
            if (finished) break;
            const int64_t next = stream->nextPictureMs();
            const int64_t until = next < 0 ? kMaxWaitMs : std::clamp<int64_t>(next - clockMs, 1, kMaxWaitMs);
            host.pump(static_cast<uint32_t>(until));
            // In the background the pump does not sleep: the movie keeps its own pace.
            if (!isForeground()) sleepMs(static_cast<uint32_t>(until));
            if (destroyed) {
                // The pump that follows the window's end ends the process.
                host.pump(0);
                break;
            }
            advanceFrame();
        }
    }
};

MoviePlayer* currentPlayer = nullptr;

} // namespace

void notifyMoviePosition(int64_t positionMs) {
    if (currentPlayer && currentPlayer->lengthMs >= 0 && positionMs == currentPlayer->lengthMs)
        currentPlayer->finished = true;
}

void playMovie(MovieHost& host, std::string_view gamePath, int32_t clickToEnd) {
    if (currentPlayer) return;  // one movie at a time
    std::unique_ptr<MovieDecoder> decoder =
        MovieDecoder::open(movieInput(FileStream::open(hostPath(gamePath))), kGameWidth, kGameHeight);
    if (!decoder) return;

    MoviePlayer player(host);
    player.clickToEnd = clickToEnd;
    player.lengthMs = decoder->lengthMs();
    if (decoder->frameRate() > 0) player.pictureMs = std::max<int64_t>(1, static_cast<int64_t>(1000 / decoder->frameRate()));
    if (decoder->hasSound()) {
        player.device = SoundDevice::open();
        if (player.device) {
            const PcmFormat format{1, 2, kMovieSoundRate, kMovieSoundRate * kFrameBytes, kFrameBytes, 16};
            player.ring = player.device->createBuffer(format, kRingFrames * kFrameBytes);
        }
    }
    player.stream = std::make_unique<MovieStream>(std::move(decoder), isHeadless(), player.ring != nullptr);
    currentPlayer = &player;

    // The movie covers the window: the mouse is the movie's, a repaint shows its picture;
    // keys, closing and everything else reach the window as always.
    WindowProcedure previous;
    previous = setWindowProcedure([&player, &previous](const Message& m) {
        switch (m.kind) {
        case MessageKind::MouseMove:
        case MessageKind::RButtonUp: return;
        case MessageKind::LButtonUp:
            if (player.clickToEnd & 1) player.finished = true;
            return;
        case MessageKind::Paint: player.repaint(); return;
        case MessageKind::Close:
            // The movie waits while the quit question is open.
            player.pause();
            if (previous) previous(m);
            player.resume();
            return;
        case MessageKind::Destroy:
            // The program ends: the decoder's thread is joined before it goes.
            player.destroyed = true;
            if (player.ring) player.ring->stop();
            player.stream->stop();
            if (previous) previous(m);
            return;
        default:
            if (previous) previous(m);
            return;
        }
    });

    player.run();

    setWindowProcedure(std::move(previous));
    if (player.ring) player.ring->stop();
    player.stream->stop();
    currentPlayer = nullptr;
    // The game picture comes back as it was.
    invalidateWindow();
}

} // namespace zre
