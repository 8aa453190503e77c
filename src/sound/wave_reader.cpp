#include "sound/wave_reader.h"

#include <algorithm>
#include <cstring>

#include "data/byte_io.h"
#include "data/byte_stream.h"
#include "platform/file_system.h"

namespace sslib2 {

using zre::ByteReader;
using zre::ByteStream;

// ---------------------------------------------------------------------------------------------
// CPlainWavFileReader

bool CPlainWavFileReader::Open(const std::string& path) {
    if (IsOpen()) return false;
    // WAVE sounds are plain files only; a package holds Ogg sounds.
    return OpenStream(zre::FileStream::open(zre::hostPath(path)));
}

bool CPlainWavFileReader::OpenStream(std::unique_ptr<ByteStream> stream) {
    if (IsOpen() || !stream) return false;
    uint8_t header[36];
    if (!stream->readExact(0, header, sizeof header)) return false;
    ByteReader r(header, sizeof header);
    char riff[4], wave[4], fmt[4];
    r.bytes(riff, 4);
    const uint32_t riffSize = r.u32();
    r.bytes(wave, 4);
    r.bytes(fmt, 4);
    const uint32_t fmtSize = r.u32();
    if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(wave, "WAVE", 4) != 0 || std::memcmp(fmt, "fmt ", 4) != 0)
        return false;
    PcmFormat format;
    format.formatTag = r.u16();
    format.channels = r.u16();
    format.samplesPerSec = r.u32();
    format.avgBytesPerSec = r.u32();
    format.blockAlign = r.u16();
    format.bitsPerSample = r.u16();
    if (format.formatTag != 1) return false;

    // The chunk walk runs in 64 bits: sizes are taken as they stand (an odd size is not
    // rounded up), but a hostile size can neither wrap the offset back nor send the walk
    // past the end of the file.
    const uint64_t fileSize = stream->size();
    const uint64_t end = std::min<uint64_t>(uint64_t(riffSize) + 8, fileSize);
    uint64_t offset = uint64_t(fmtSize) + 20;
    while (offset < end) {
        uint8_t chunk[8];
        if (!stream->readExact(offset, chunk, sizeof chunk)) return false;
        const uint32_t size = zre::loadU32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (offset + 8 > 0xFFFFFFFFu) return false;
            dataOffset_ = static_cast<uint32_t>(offset + 8);
            // A file cut short ends where its bytes end, so that the sound still ends.
            dataSize_ = static_cast<uint32_t>(std::min<uint64_t>(size, fileSize - (offset + 8)));
            remaining_ = dataSize_;
            format_ = format;
            file_ = std::move(stream);
            file_->seek(dataOffset_);
            return true;
        }
        offset += uint64_t(size) + 8;
    }
    return false;
}

void CPlainWavFileReader::Close() { file_.reset(); }

bool CPlainWavFileReader::Read(void* destination, uint32_t bytes, uint32_t* delivered) {
    if (!IsOpen()) return false;
    const auto got = static_cast<uint32_t>(file_->read(destination, std::min(remaining_, bytes)));
    remaining_ -= got;
    if (delivered) *delivered = got;
    return true;
}

bool CPlainWavFileReader::Seek(uint32_t frame) {
    if (!IsOpen()) return false;
    const uint64_t b = uint64_t(frame) * format_.blockAlign;
    if (b > dataSize_) return false;
    if (!file_->seek(dataOffset_ + b)) return false;
    remaining_ = dataSize_ - static_cast<uint32_t>(b);
    return true;
}

uint32_t CPlainWavFileReader::Tell() {
    return format_.blockAlign ? (dataSize_ - remaining_) / format_.blockAlign : 0;
}

// ---------------------------------------------------------------------------------------------
// OggSource

size_t OggSource::read(void* destination, size_t size, size_t count) {
    if (!file || size == 0) return 0;
    return file->read(destination, size * count);
}

int OggSource::seek(int64_t offset, int whence) {
    if (!file) return -1;
    // Only the low 32 bits of the offset count.
    const auto low = static_cast<int32_t>(static_cast<uint32_t>(offset));
    int64_t target;
    switch (whence) {
    case 0: target = int64_t(base) + low; break;
    case 1: target = int64_t(file->tell()) + low; break;
    case 2: target = int64_t(base) + length + low; break;
    default: return -1;
    }
    if (target < 0 || !file->seek(static_cast<uint64_t>(target))) return -1;
    return 0;
}

int OggSource::close() {
    if (!file) return -1;
    file.reset();
    base = 0;
    length = 0;
    return 0;
}

long OggSource::tell() { return file ? static_cast<long>(int64_t(file->tell()) - base) : -1; }

// ---------------------------------------------------------------------------------------------
// COggFileReader

bool COggFileReader::Open(const std::string& path) {
    if (IsOpen()) return false;
    std::unique_ptr<ByteStream> file = zre::FileStream::open(zre::hostPath(path));
    if (!file) return false;
    const auto length = static_cast<int32_t>(std::min<uint64_t>(file->size(), 0x7FFFFFFF));
    return OpenSource(std::move(file), 0, length);
}

bool COggFileReader::OpenSource(std::unique_ptr<ByteStream> file, int32_t base, int32_t length) {
    if (IsOpen() || !file) return false;
    source_.file = std::move(file);
    source_.base = base;
    source_.length = length;
    if (!decoder_.open(source_)) {
        source_.close();
        return false;
    }
    int channels = 0;
    long rate = 0;
    if (!decoder_.seekable() || !decoder_.info(&channels, &rate) || channels <= 0 || channels > 8 || rate <= 0 ||
        rate > 384000) {
        // Clearing the decoder closes the source.
        decoder_.clear();
        source_.close();
        return false;
    }
    format_.formatTag = 1;
    format_.channels = static_cast<uint16_t>(channels);
    format_.samplesPerSec = static_cast<uint32_t>(rate);
    format_.bitsPerSample = 16;
    format_.blockAlign = static_cast<uint16_t>(channels * 2);
    format_.avgBytesPerSec = static_cast<uint32_t>(rate) * format_.blockAlign;
    const int64_t total = decoder_.pcmTotal();
    totalFrames_ = total > 0 ? static_cast<uint32_t>(total) : 0;
    endOfData_ = false;
    return true;
}

void COggFileReader::Close() {
    if (!IsOpen()) return;
    decoder_.clear();
    source_.close();
}

bool COggFileReader::Read(void* destination, uint32_t bytes, uint32_t* delivered) {
    if (!IsOpen()) return false;
    auto* out = static_cast<char*>(destination);
    uint32_t wanted = bytes;
    while (wanted > 0) {
        const long got = decoder_.read(out, static_cast<int>(std::min<uint32_t>(wanted, 0x7FFFFFFF)));
        if (got <= 0) {
            // The end, or a hole in the stream: both end the read.
            endOfData_ = true;
            break;
        }
        out += got;
        wanted -= static_cast<uint32_t>(got);
    }
    if (delivered) *delivered = bytes - wanted;
    return true;
}

bool COggFileReader::Seek(uint32_t frame) {
    if (!IsOpen()) return false;
    if (decoder_.pcmSeek(frame) != 0) return false;
    endOfData_ = false;
    return true;
}

uint32_t COggFileReader::Tell() { return IsOpen() ? static_cast<uint32_t>(decoder_.pcmTell()) : 0; }

} // namespace sslib2

namespace zre {

std::vector<uint8_t> waveFileImage(const PcmFormat& format, const void* data, size_t bytes) {
    ByteWriter w;
    writeWaveHeader(w, format, static_cast<uint32_t>(bytes));
    w.bytes(data, bytes);
    return w.buffer();
}

} // namespace zre

