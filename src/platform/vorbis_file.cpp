#include "platform/vorbis_file.h"

#include <vorbis/vorbisfile.h>

#include <cstring>
#include <vector>

#include "platform/vorbis_setup.h"

namespace zre {

namespace {

size_t readCallback(void* destination, size_t size, size_t count, void* source) {
    return static_cast<VorbisSource*>(source)->read(destination, size, count);
}
int seekCallback(void* source, ogg_int64_t offset, int whence) {
    return static_cast<VorbisSource*>(source)->seek(offset, whence);
}
int closeCallback(void* source) { return static_cast<VorbisSource*>(source)->close(); }
long tellCallback(void* source) { return static_cast<VorbisSource*>(source)->tell(); }

// Reads, from offset on, the pages of the logical stream serial until its first three packets
// (the headers) are whole, and checks them.
bool headersDecodable(VorbisSource& source, int64_t offset, long serial) {
    if (source.seek(offset, 0) != 0) return false;
    ogg_sync_state sync;
    ogg_stream_state stream;
    ogg_sync_init(&sync);
    ogg_stream_init(&stream, static_cast<int>(serial));
    std::vector<std::vector<uint8_t>> headers;
    bool broken = false;
    while (headers.size() < 3 && !broken) {
        ogg_page page;
        const int found = ogg_sync_pageout(&sync, &page);
        if (found < 0) continue; // bytes skipped up to the next page
        if (found == 0) {
            constexpr long kChunk = 4096;
            char* buffer = ogg_sync_buffer(&sync, kChunk);
            const size_t got = buffer ? source.read(buffer, 1, kChunk) : 0;
            if (got == 0) break;
            ogg_sync_wrote(&sync, static_cast<long>(got));
            continue;
        }
        if (ogg_stream_pagein(&stream, &page) != 0) continue; // another stream's page
        ogg_packet packet;
        for (int r; headers.size() < 3 && (r = ogg_stream_packetout(&stream, &packet)) != 0;) {
            if (r < 0) {
                broken = true;
                break;
            }
            headers.emplace_back(packet.packet, packet.packet + packet.bytes);
        }
    }
    ogg_stream_clear(&stream);
    ogg_sync_clear(&sync);
    return headers.size() == 3 &&
           vorbisHeadersDecodable(headers[0].data(), headers[0].size(), headers[2].data(), headers[2].size());
}

} // namespace

VorbisFile::VorbisFile() : file_(std::make_unique<OggVorbis_File>()) {}

VorbisFile::~VorbisFile() { clear(); }

bool VorbisFile::open(VorbisSource& source) {
    clear();
    const ov_callbacks callbacks{readCallback, seekCallback, closeCallback, tellCallback};
    if (ov_open_callbacks(&source, file_.get(), nullptr, 0, callbacks) != 0) return false;
    // The decoder has read the headers of every link, but takes some setups it cannot
    // decode safely: each link's headers are read again and checked before any audio.
    OggVorbis_File& vf = *file_;
    const long resume = source.tell();
    bool decodable = vf.seekable && vf.links > 0;
    for (int i = 0; decodable && i < vf.links; ++i)
        decodable = headersDecodable(source, vf.offsets[i], vf.serialnos[i]);
    if (!decodable || source.seek(resume, 0) != 0) {
        // The source stays open for the caller, as after any refusal.
        vf.callbacks.close_func = nullptr;
        ov_clear(file_.get());
        return false;
    }
    open_ = true;
    return true;
}

bool VorbisFile::seekable() { return open_ && ov_seekable(file_.get()) != 0; }

bool VorbisFile::info(int* channels, long* rate) {
    vorbis_info* vi = open_ ? ov_info(file_.get(), -1) : nullptr;
    if (!vi) return false;
    *channels = vi->channels;
    *rate = vi->rate;
    return true;
}

int64_t VorbisFile::pcmTotal() { return open_ ? ov_pcm_total(file_.get(), -1) : OV_EINVAL; }

long VorbisFile::read(char* destination, int bytes) {
    if (!open_) return OV_EINVAL;
    return ov_read(file_.get(), destination, bytes, 0, 2, 1, nullptr);
}

int VorbisFile::pcmSeek(int64_t frame) { return open_ ? ov_pcm_seek(file_.get(), frame) : OV_EINVAL; }

int64_t VorbisFile::pcmTell() { return open_ ? ov_pcm_tell(file_.get()) : 0; }

void VorbisFile::clear() {
    if (!open_) return;
    ov_clear(file_.get());
    open_ = false;
}

void resealOggPages(uint8_t* data, size_t size) {
    constexpr size_t kFixedHeader = 27;
    size_t p = 0;
    while (p + kFixedHeader <= size) {
        if (std::memcmp(data + p, "OggS", 4) != 0) {
            ++p;
            continue;
        }
        const size_t headerLength = kFixedHeader + data[p + 26];
        if (p + headerLength > size) break;
        size_t bodyLength = 0;
        for (size_t i = kFixedHeader; i < headerLength; ++i) bodyLength += data[p + i];
        if (p + headerLength + bodyLength > size) {
            ++p;
            continue;
        }
        ogg_page page{data + p, static_cast<long>(headerLength), data + p + headerLength, static_cast<long>(bodyLength)};
        ogg_page_checksum_set(&page);
        p += headerLength + bodyLength;
    }
}

} // namespace zre
