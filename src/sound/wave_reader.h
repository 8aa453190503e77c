#pragma once
// sslib2's wave readers: a sound file as a stream of PCM bytes with a known format and
// length that can jump to any sample frame. Positions and lengths count sample frames;
// bytes are frames times the block alignment.
#include <cstdint>
#include <memory>
#include <vector>
#include <string>

#include "data/byte_stream.h"
#include "platform/sound_buffer.h"
#include "platform/vorbis_file.h"

namespace sslib2 {

using PcmFormat = zre::PcmFormat;

class CWaveReader {
public:
    virtual ~CWaveReader() = default;
    virtual void Close() = 0;
    virtual bool IsOpen() = 0;
    // Copies up to bytes PCM bytes; delivered (may be null) gets the count. False only when
    // the reader is not open.
    virtual bool Read(void* destination, uint32_t bytes, uint32_t* delivered) = 0;
    virtual bool Seek(uint32_t frame) = 0;
    virtual uint32_t Tell() = 0;
    virtual bool IsEOF() = 0;
    virtual void GetFormat(PcmFormat* format) = 0;
    virtual uint32_t GetLength() = 0;
    // The whole sound is the loop region, passed once more zero times.
    virtual uint32_t GetLoopStart() { return 0; }
    virtual uint32_t GetLoopEnd() { return GetLength(); }
    virtual uint32_t GetLoopCount() { return 0; }
    // Longer than 3 seconds at 44100 Hz.
    virtual bool IsLong() { return GetLength() > 132300; }
};

// Uncompressed RIFF WAVE, integer PCM only.
class CPlainWavFileReader final : public CWaveReader {
public:
    ~CPlainWavFileReader() override { Close(); }
    // path is a game path of a plain file.
    bool Open(const std::string& path);
    // The same over a stream the reader takes over (tests, fuzzing).
    bool OpenStream(std::unique_ptr<zre::ByteStream> stream);

    void Close() override;
    bool IsOpen() override { return file_ != nullptr; }
    bool Read(void* destination, uint32_t bytes, uint32_t* delivered) override;
    bool Seek(uint32_t frame) override;
    uint32_t Tell() override;
    bool IsEOF() override { return IsOpen() && remaining_ == 0; }
    void GetFormat(PcmFormat* format) override { *format = format_; }
    uint32_t GetLength() override { return format_.blockAlign ? dataSize_ / format_.blockAlign : 0; }

private:
    std::unique_ptr<zre::ByteStream> file_;
    uint32_t dataOffset_ = 0;
    uint32_t dataSize_ = 0;
    uint32_t remaining_ = 0;
    PcmFormat format_;
};

// A window [base, base + length) of an open stream holding an Ogg Vorbis sound, with the
// four callbacks the decoder reads it through.
struct OggSource final : zre::VorbisSource {
    std::unique_ptr<zre::ByteStream> file;
    int32_t base = 0;
    int32_t length = 0;

    size_t read(void* destination, size_t size, size_t count) override;
    int seek(int64_t offset, int whence) override;
    int close() override;
    long tell() override;
};

class COggFileReader final : public CWaveReader {
public:
    ~COggFileReader() override { Close(); }
    // A plain file of its own.
    bool Open(const std::string& path);
    // Takes over a source whose stream is open (and placed at base); it is closed on failure.
    bool OpenSource(std::unique_ptr<zre::ByteStream> file, int32_t base, int32_t length);

    void Close() override;
    bool IsOpen() override { return source_.file != nullptr; }
    bool Read(void* destination, uint32_t bytes, uint32_t* delivered) override;
    bool Seek(uint32_t frame) override;
    uint32_t Tell() override;
    bool IsEOF() override { return endOfData_; }
    void GetFormat(PcmFormat* format) override { *format = format_; }
    uint32_t GetLength() override { return totalFrames_; }

private:
    OggSource source_;
    zre::VorbisFile decoder_;
    PcmFormat format_;
    uint32_t totalFrames_ = 0;
    bool endOfData_ = false;
};

} // namespace sslib2

namespace zre {

// A RIFF WAVE file of integer PCM: the header and one "data" chunk of bytes. For the tools
// that make sounds; the game only reads them.
std::vector<uint8_t> waveFileImage(const PcmFormat& format, const void* data, size_t bytes);

} // namespace zre
