#include "platform/headless/headless_backend.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/little_endian.h"
#include "platform/message_box.h"
#include "platform/picture_files.h"
#include "platform/sound_buffer.h"
#include "platform/sound_mixer.h"

namespace zre::detail {

namespace {

// Empty pumps a frame may make for free. Past that, nothing but the clock can bring a
// message, so each further empty pump lets 1 virtual ms pass (the loop is waiting).
constexpr unsigned kFreeEmptyPeeks = 8;

// The header of the capture: the mixer's output, PCM 16-bit stereo 44100 Hz.
std::vector<uint8_t> captureHeader(uint32_t dataBytes) {
    const PcmFormat output{1, kOutputChannels, kOutputRate, kOutputRate * kOutputChannels * 2, kOutputChannels * 2, 16};
    ByteWriter w;
    writeWaveHeader(w, output, dataBytes);
    return w.buffer();
}

} // namespace

HeadlessBackend::HeadlessBackend(const HeadlessOptions& options, std::vector<ScriptedInput> input)
    : options_(options), input_(std::move(input)) {
    if (options_.frameMs == 0) options_.frameMs = 1;
    for (const auto& [ms, file] : options_.screenshots) shots_.push_back({ms, file});
    std::stable_sort(shots_.begin(), shots_.end(), [](const Shot& a, const Shot& b) { return a.ms < b.ms; });
}

HeadlessBackend::~HeadlessBackend() {
    if (audioFile_) {
        std::fclose(audioFile_);
        ::unlink(audioTemp_.c_str());
    }
}

bool HeadlessBackend::startAudioCapture() {
    if (options_.audioOut.empty()) return true;
    audioTemp_ = options_.audioOut + ".part";
    audioFile_ = std::fopen(audioTemp_.c_str(), "wb");
    const std::vector<uint8_t> header = captureHeader(0);
    if (!audioFile_ || std::fwrite(header.data(), 1, header.size(), audioFile_) != header.size()) {
        std::fprintf(stderr, "zre: cannot write the audio file %s\n", options_.audioOut.c_str());
        if (audioFile_) std::fclose(audioFile_);
        audioFile_ = nullptr;
        return false;
    }
    return true;
}

void HeadlessBackend::installMessageBoxHandler() {
    setMessageBoxHandler([this](std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                MessageBoxIcon) {
        std::fprintf(stderr, "%s\n", messageBoxLine(text, caption).c_str());
        std::fflush(stderr);
        MessageBoxResult answer = MessageBoxResult::Yes;
        if (nextAnswer_ < options_.answers.size()) answer = options_.answers[nextAnswer_++];
        if (buttons == MessageBoxButtons::Ok) return MessageBoxResult::Ok;
        return answer == MessageBoxResult::No ? MessageBoxResult::No : MessageBoxResult::Yes;
    });
}

uint32_t HeadlessBackend::nowMs() { return options_.clockStart + static_cast<uint32_t>(elapsed_); }

uint32_t HeadlessBackend::elapsedMs() { return static_cast<uint32_t>(elapsed_); }

void HeadlessBackend::advanceFrame() {
    advanceTo(std::max(elapsed_, frameStart_ + options_.frameMs));
    frameStart_ = elapsed_;
    emptyPeeks_ = 0;
}

void HeadlessBackend::sleepMs(uint32_t ms) {
    advanceTo(elapsed_ + ms);
    emptyPeeks_ = 0;
}

DisplaySize HeadlessBackend::desktopSize() { return {options_.desktopWidth, options_.desktopHeight}; }

bool HeadlessBackend::createWindow(std::string_view, int, int, bool) { return true; }

bool HeadlessBackend::setFullscreen(bool fullscreen) {
    fullscreen_ = fullscreen;
    return true;
}

DisplayMode HeadlessBackend::desktopMode() {
    return {options_.desktopBits, options_.desktopWidth, options_.desktopHeight, options_.desktopRefresh};
}

bool HeadlessBackend::applyDisplayMode(const DisplayMode& mode, bool fullscreen) {
    if (options_.refuseDisplaySwitch) return false;
    fullscreen_ = fullscreen;
    std::fprintf(stderr, "display %dx%d %dbpp %dHz %s\n", mode.width, mode.height, mode.bits, mode.refresh,
                 fullscreen ? "full screen" : "window");
    std::fflush(stderr);
    return true;
}

void HeadlessBackend::pollEvents() {
    while (nextInput_ < input_.size() && input_[nextInput_].timeMs <= elapsed_) {
        Message& m = input_[nextInput_].message;
        if (m.key == vk::Control && m.kind == MessageKind::KeyDown) {
            controlDown_ = true;
            latchControl();
        } else if (m.key == vk::Control && m.kind == MessageKind::KeyUp) {
            controlDown_ = false;
        }
        queueInput(std::move(m));
        ++nextInput_;
    }
    if (options_.maxMs && !destroyQueued_ && elapsed_ >= *options_.maxMs) {
        destroyQueued_ = true;
        Message m;
        m.kind = MessageKind::Destroy;
        queueInput(std::move(m));
    }
}

void HeadlessBackend::waitingOnlyForInput() {
    if (destroyQueued_ || options_.maxMs || nextInput_ < input_.size()) return;
    std::fprintf(stderr, "zre: the game waits for input and the input script has ended; stopping at %llu ms\n",
                 static_cast<unsigned long long>(elapsed_));
    destroyQueued_ = true;
    Message m;
    m.kind = MessageKind::Destroy;
    queueInput(std::move(m));
}

void HeadlessBackend::emptyPeek() {
    if (++emptyPeeks_ > kFreeEmptyPeeks) advanceTo(elapsed_ + 1);
}

bool HeadlessBackend::wait(std::optional<uint32_t> timeoutMs) {
    uint64_t limit = elapsed_ + (timeoutMs ? std::max<uint32_t>(*timeoutMs, 1) : options_.frameMs);
    if (nextInput_ < input_.size()) limit = std::min(limit, std::max<uint64_t>(input_[nextInput_].timeMs, elapsed_));
    if (options_.maxMs && !destroyQueued_) limit = std::min(limit, std::max<uint64_t>(*options_.maxMs, elapsed_));
    advanceTo(limit);
    emptyPeeks_ = 0;
    return false;
}

bool HeadlessBackend::controlDown() {
    pollEvents();
    return controlDown_;
}

void HeadlessBackend::advanceTo(uint64_t elapsed) {
    if (elapsed > elapsed_) {
        elapsed_ = elapsed;
        mixUpTo(elapsed_);
    }
    // Nothing is painted while the clock moves, so the window shows at the shot's time
    // what it showed just before the move.
    takeDueScreenshots();
}

void HeadlessBackend::takeDueScreenshots() {
    for (Shot& shot : shots_) {
        if (shot.ms > elapsed_) break;
        if (shot.taken) continue;
        shot.taken = true;
        const WindowPicture& p = windowPicture();
        if (!writePictureFile(shot.file, p.bits.data(), p.width, p.height, p.stride)) {
            std::fprintf(stderr, "zre: cannot write the screenshot %s\n", shot.file.c_str());
        }
    }
}

void HeadlessBackend::mixUpTo(uint64_t elapsed) {
    const uint64_t target = elapsed * kOutputRate / 1000;
    int16_t buffer[4096 * kOutputChannels];
    while (mixedFrames_ < target) {
        size_t frames = static_cast<size_t>(std::min<uint64_t>(target - mixedFrames_, 4096));
        mixSound(buffer, frames, true);
        mixedFrames_ += frames;
        if (audioFile_ && !audioFailed_) {
            // Samples are stored little-endian.
            uint8_t bytes[sizeof buffer];
            for (size_t i = 0; i < frames * kOutputChannels; ++i) {
                storeU16(bytes + 2 * i, static_cast<uint16_t>(buffer[i]));
            }
            size_t n = frames * kOutputChannels * 2;
            if (std::fwrite(bytes, 1, n, audioFile_) != n) audioFailed_ = true;
            audioBytes_ += n;
        }
    }
}

void HeadlessBackend::finishAudioCapture() {
    if (!audioFile_) return;
    // A RIFF size field holds 32 bits; a longer capture keeps its first 4 GB of samples.
    const uint32_t maxData = 0xFFFFFFFFu - 36 - 3;
    uint32_t dataBytes = static_cast<uint32_t>(std::min<uint64_t>(audioBytes_, maxData));
    const std::vector<uint8_t> header = captureHeader(dataBytes);
    bool ok = !audioFailed_ && std::fflush(audioFile_) == 0 && std::fseek(audioFile_, 0, SEEK_SET) == 0 &&
              std::fwrite(header.data(), 1, header.size(), audioFile_) == header.size() && std::fflush(audioFile_) == 0 &&
              ::fsync(::fileno(audioFile_)) == 0;
    if (ok && audioBytes_ > dataBytes) ok = ::ftruncate(::fileno(audioFile_), kWaveHeaderBytes + dataBytes) == 0;
    if (std::fclose(audioFile_) != 0) ok = false;
    audioFile_ = nullptr;
    if (ok) ok = std::rename(audioTemp_.c_str(), options_.audioOut.c_str()) == 0;
    if (!ok) {
        ::unlink(audioTemp_.c_str());
        std::fprintf(stderr, "zre: cannot write the audio file %s\n", options_.audioOut.c_str());
    }
}

void HeadlessBackend::shutdown() {
    takeDueScreenshots();
    for (const Shot& shot : shots_) {
        if (!shot.taken) {
            std::fprintf(stderr, "zre: no screenshot %s: the run ended at %llu ms, before %u ms\n", shot.file.c_str(),
                         static_cast<unsigned long long>(elapsed_), shot.ms);
        }
    }
    finishAudioCapture();
}

} // namespace zre::detail
