#pragma once
// An Ogg Vorbis decoder over four I/O callbacks of the caller's, in the order and with the
// meaning libvorbisfile gives them. The sound library's Ogg reader supplies them over a
// window of a file, so a sound inside a package decodes like a file of its own.
#include <cstddef>
#include <cstdint>
#include <memory>

struct OggVorbis_File;

namespace zre {

class VorbisSource {
public:
    virtual ~VorbisSource() = default;
    // Reads size * count bytes at the current position; returns the number of bytes read.
    virtual size_t read(void* destination, size_t size, size_t count) = 0;
    // whence 0 (from the start), 1 (from the current position), 2 (from the end); 0 on
    // success, -1 otherwise.
    virtual int seek(int64_t offset, int whence) = 0;
    // 0 when the close succeeded, else -1.
    virtual int close() = 0;
    virtual long tell() = 0;
};

class VorbisFile {
public:
    VorbisFile();
    ~VorbisFile();
    VorbisFile(const VorbisFile&) = delete;
    VorbisFile& operator=(const VorbisFile&) = delete;

    // Starts decoding source (not owned; it must outlive the decoder until clear). False
    // when the stream is not Ogg Vorbis, cannot be sought (its headers are read twice), or
    // has a header the decoder cannot use safely; the source is then left open for the caller.
    bool open(VorbisSource& source);
    bool isOpen() const { return open_; }
    bool seekable();
    // Channels and rate of the current logical stream; false when there is none.
    bool info(int* channels, long* rate);
    // Length of the whole stream in sample frames, or a negative error.
    int64_t pcmTotal();
    // Decodes up to bytes of 16-bit signed little-endian samples; the count, 0 at the end,
    // negative for a hole or error.
    long read(char* destination, int bytes);
    // Sample-exact seek; 0 on success.
    int pcmSeek(int64_t frame);
    int64_t pcmTell();
    // Ends decoding; closes the source through its close callback.
    void clear();

private:
    std::unique_ptr<OggVorbis_File> file_;
    bool open_ = false;
};

// Rewrites the checksum of every whole Ogg page in data[0, size), so that bytes changed on
// purpose (fuzzing, hostile test files) reach the decoder instead of failing the page check.
void resealOggPages(uint8_t* data, size_t size);

} // namespace zre
