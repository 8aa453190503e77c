#pragma once
// sslib2's device and buffers. A buffer never decodes by itself: it pulls PCM bytes from a
// CWaveReader it shares with its creator. The stream buffer keeps 3 seconds of sound in a
// ring of 16 segments that a worker thread refills, one segment for each position
// notification, so memory per sound stays fixed whatever the sound's length.
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/sound_buffer.h"
#include "sound/wave_reader.h"

namespace sslib2 {

class CDirectSound {
public:
    virtual ~CDirectSound() = default;
    // Opens the output. There is one output, so nothing names a window: the device plays
    // whichever window the game shows. False without an audio device; an earlier device
    // is kept then.
    bool Create();
    zre::SoundDevice* device() const { return device_.get(); }

private:
    std::unique_ptr<zre::SoundDevice> device_;
};

class CSoundBuffer {
public:
    virtual ~CSoundBuffer() = default;
    virtual bool Play(int32_t loop) = 0;
    virtual bool Stop() = 0;
    virtual bool IsPlaying() = 0;
    virtual bool SetVolume(int32_t volume) = 0;
    // The platform level in hundredths of a decibel (0 full, -10000 silent).
    virtual bool GetVolume(int32_t* volume) = 0;
};

// The whole sound in one platform buffer; volumes in the platform's unit.
class CStaticSoundBuffer final : public CSoundBuffer {
public:
    bool Create(CDirectSound& device, std::shared_ptr<CWaveReader> reader);
    bool Play(int32_t loop) override;
    bool Stop() override;
    bool IsPlaying() override;
    bool SetVolume(int32_t volume) override;
    bool GetVolume(int32_t* volume) override;

private:
    std::unique_ptr<zre::SoundBuffer> buffer_;
};

// The linear scale 0 to 10000 as a platform level: 0 is silence, anything else
// 2000 * log10(v / 10000) truncated toward zero (7500 -> -249). Values that have no level
// (negative) give one the platform refuses.
int32_t linearToLevel(int32_t volume);

class CStreamSoundBuffer final : public CSoundBuffer {
public:
    static constexpr uint32_t kSegments = 16;
    // Segments filled before the ring starts; the writer stays this far ahead.
    static constexpr uint32_t kPrefill = 15;

    CStreamSoundBuffer() = default;
    ~CStreamSoundBuffer() override;
    CStreamSoundBuffer(const CStreamSoundBuffer&) = delete;
    CStreamSoundBuffer& operator=(const CStreamSoundBuffer&) = delete;

    bool Create(CDirectSound& device, std::shared_ptr<CWaveReader> reader);
    bool Play(int32_t loop) override;
    bool Stop() override;
    bool IsPlaying() override;
    // Linear 0 to 10000 (linearToLevel).
    bool SetVolume(int32_t volume) override;
    bool GetVolume(int32_t* volume) override;

    // 3/16 s of the format rounded up to whole frames.
    static uint32_t SegmentBytes(const PcmFormat& format);
    uint32_t segmentBytes() const { return segmentBytes_; }
    // The platform ring, for tests that look at what was written.
    zre::SoundBuffer* ring() const { return buffer_.get(); }

private:
    void FillSegment();
    void Worker();

    std::mutex lock_;
    std::shared_ptr<CWaveReader> reader_;
    std::unique_ptr<zre::SoundBuffer> buffer_;
    uint32_t bufferBytes_ = 0;
    uint32_t segmentBytes_ = 0;
    // Index 0: a notification; index 1: stop.
    zre::SoundEvents events_{2};
    PcmFormat format_;
    std::thread thread_;
    uint32_t writeCursor_ = 0;
    uint32_t sourcePos_ = 0;
    uint32_t loopStart_ = 0;
    uint32_t loopEnd_ = 0;
    uint32_t totalBytes_ = 0;
    int32_t loopsLeft_ = 0;
    int32_t segmentsAhead_ = 0;
};

} // namespace sslib2
