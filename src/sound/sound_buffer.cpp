#include "sound/sound_buffer.h"

#include <array>
#include <cmath>
#include <cstring>

namespace sslib2 {

bool CDirectSound::Create() {
    std::unique_ptr<zre::SoundDevice> device = zre::SoundDevice::open();
    if (!device) return false;
    device_ = std::move(device);
    return true;
}

// ---------------------------------------------------------------------------------------------

bool CStaticSoundBuffer::Create(CDirectSound& device, std::shared_ptr<CWaveReader> reader) {
    if (!device.device() || !reader) return false;
    PcmFormat format;
    reader->GetFormat(&format);
    const uint64_t bytes = uint64_t(reader->GetLength()) * format.blockAlign;
    if (bytes > 0xFFFFFFFFu) return false;
    std::unique_ptr<zre::SoundBuffer> buffer = device.device()->createBuffer(format, static_cast<uint32_t>(bytes));
    if (!buffer) return false;
    uint8_t* first = nullptr;
    uint8_t* second = nullptr;
    uint32_t firstBytes = 0;
    uint32_t secondBytes = 0;
    if (!buffer->lock(0, static_cast<uint32_t>(bytes), &first, &firstBytes, &second, &secondBytes)) return false;
    const bool read = reader->Read(first, firstBytes, nullptr);
    buffer->unlock(first, firstBytes, second, secondBytes);
    if (!read) return false;
    buffer_ = std::move(buffer);
    return true;
}

bool CStaticSoundBuffer::Play(int32_t loop) {
    if (!buffer_) return false;
    buffer_->stop();
    buffer_->setCurrentPosition(0);
    return buffer_->play(loop != 0);
}

bool CStaticSoundBuffer::Stop() { return buffer_ && buffer_->stop(); }

bool CStaticSoundBuffer::IsPlaying() { return buffer_ && (buffer_->status() & zre::kSoundStatusPlaying) != 0; }

bool CStaticSoundBuffer::SetVolume(int32_t volume) { return buffer_ && buffer_->setVolume(volume); }

bool CStaticSoundBuffer::GetVolume(int32_t* volume) { return buffer_ && buffer_->getVolume(volume); }

// ---------------------------------------------------------------------------------------------

int32_t linearToLevel(int32_t volume) {
    if (volume == 0) return zre::kSoundLevelMin;
    if (volume < 0) return zre::kSoundLevelMax + 1;
    const double level = std::trunc(2000.0 * std::log10(double(volume) * 0.0001));
    return static_cast<int32_t>(level);
}

uint32_t CStreamSoundBuffer::SegmentBytes(const PcmFormat& format) {
    const uint32_t block = format.blockAlign;
    if (block == 0) return 0;
    uint32_t bytes = (block * format.samplesPerSec * 3) / 16;
    if (bytes % block != 0) bytes += block - bytes % block;
    return bytes;
}

CStreamSoundBuffer::~CStreamSoundBuffer() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (buffer_) {
            buffer_->stop();
            // Out of the mix from here on.
            buffer_.reset();
        }
    }
    // The worker ends on the stop signal, or on finding the ring gone if it was busy; it
    // is joined before anything it touches goes away.
    events_.signal(1);
    if (thread_.joinable()) thread_.join();
}

bool CStreamSoundBuffer::Create(CDirectSound& device, std::shared_ptr<CWaveReader> reader) {
    if (!device.device() || !reader || buffer_) return false;
    PcmFormat format;
    reader->GetFormat(&format);
    const uint32_t segment = SegmentBytes(format);
    // A format without frames or rate has no segment size; the platform would refuse it.
    if (segment == 0) return false;
    std::unique_ptr<zre::SoundBuffer> buffer = device.device()->createBuffer(format, kSegments * segment);
    if (!buffer) return false;
    std::array<uint32_t, kSegments> positions;
    for (uint32_t k = 1; k < kSegments; ++k) positions[k - 1] = k * segment;
    positions[kSegments - 1] = kSegments * segment - 1;
    if (!buffer->setNotificationPositions(positions, &events_, 0)) return false;

    std::lock_guard<std::mutex> guard(lock_);
    reader_ = std::move(reader);
    buffer_ = std::move(buffer);
    bufferBytes_ = kSegments * segment;
    segmentBytes_ = segment;
    format_ = format;
    thread_ = std::thread(&CStreamSoundBuffer::Worker, this);
    return true;
}

bool CStreamSoundBuffer::Play(int32_t loop) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!buffer_) return false;
    buffer_->stop();
    buffer_->setCurrentPosition(0);
    reader_->Seek(0);
    writeCursor_ = 0;
    sourcePos_ = 0;
    const uint32_t block = format_.blockAlign;
    loopStart_ = reader_->GetLoopStart() * block;
    loopEnd_ = reader_->GetLoopEnd() * block;
    totalBytes_ = reader_->GetLength() * block;
    loopsLeft_ = loop ? -1 : static_cast<int32_t>(reader_->GetLoopCount());
    segmentsAhead_ = 0;
    for (uint32_t i = 0; i < kPrefill; ++i) FillSegment();
    // The ring always wraps; the worker ends a sound that does not loop.
    return buffer_->play(true);
}

bool CStreamSoundBuffer::Stop() {
    std::lock_guard<std::mutex> guard(lock_);
    return buffer_ && buffer_->stop();
}

bool CStreamSoundBuffer::IsPlaying() {
    std::lock_guard<std::mutex> guard(lock_);
    return buffer_ && (buffer_->status() & zre::kSoundStatusPlaying) != 0;
}

bool CStreamSoundBuffer::SetVolume(int32_t volume) {
    std::lock_guard<std::mutex> guard(lock_);
    return buffer_ && buffer_->setVolume(linearToLevel(volume));
}

bool CStreamSoundBuffer::GetVolume(int32_t* volume) {
    std::lock_guard<std::mutex> guard(lock_);
    return buffer_ && buffer_->getVolume(volume);
}

void CStreamSoundBuffer::FillSegment() {
    uint8_t* region = nullptr;
    uint32_t regionBytes = 0;
    if (!buffer_->lock(writeCursor_, segmentBytes_, &region, &regionBytes, nullptr, nullptr)) return;
    const uint32_t block = format_.blockAlign;
    uint32_t written = 0;
    bool emptyRead = false;
    while (written < segmentBytes_) {
        if (loopsLeft_ != 0 && (sourcePos_ == loopEnd_ || reader_->IsEOF())) {
            if (loopStart_ >= loopEnd_) {
                if (loopsLeft_ <= 0) break;
                loopsLeft_ = 0;
            }
            if (!reader_->Seek(loopStart_ / block)) break;
            sourcePos_ = loopStart_;
            if (loopsLeft_ > 0) --loopsLeft_;
        }
        const uint32_t limit = loopsLeft_ != 0 ? loopEnd_ : totalBytes_;
        const uint32_t n = std::min(limit - sourcePos_, segmentBytes_ - written);
        if (n == 0) break;
        if (loopsLeft_ == 0 && reader_->IsEOF()) break;
        uint32_t got = 0;
        if (!reader_->Read(region + written, n, &got)) break;
        // A source that delivers nothing short of its stated length would spin here for
        // ever: one empty read may only lead to the loop's start, two end the fill.
        if (got == 0) {
            if (emptyRead || !(loopsLeft_ != 0 && reader_->IsEOF())) break;
            emptyRead = true;
        } else {
            emptyRead = false;
        }
        written += got;
        sourcePos_ += got;
    }
    if (written > 0) ++segmentsAhead_;
    std::memset(region + written, format_.bitsPerSample == 8 ? 0x80 : 0x00, segmentBytes_ - written);
    writeCursor_ += segmentBytes_;
    if (writeCursor_ >= bufferBytes_) writeCursor_ = 0;
    buffer_->unlock(region, regionBytes, nullptr, 0);
}

void CStreamSoundBuffer::Worker() {
    for (;;) {
        if (events_.waitAny() != 0) return;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (!buffer_) return;
            if (segmentsAhead_ > 0) --segmentsAhead_;
            // Every segment that held sound has been played. A reader that ends short of its
            // stated length ends the sound too, instead of leaving it playing silence.
            if (segmentsAhead_ == 0 && loopsLeft_ == 0 && (sourcePos_ == totalBytes_ || reader_->IsEOF()))
                buffer_->stop();
            if (segmentsAhead_ < static_cast<int32_t>(kPrefill)) FillSegment();
        }
        events_.handled();
    }
}

} // namespace sslib2
