#include "platform/vorbis_file.h"

#include <vorbis/vorbisfile.h>

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

} // namespace

VorbisFile::VorbisFile() : file_(std::make_unique<OggVorbis_File>()) {}

VorbisFile::~VorbisFile() { clear(); }

bool VorbisFile::open(VorbisSource& source) {
    clear();
    const ov_callbacks callbacks{readCallback, seekCallback, closeCallback, tellCallback};
    open_ = ov_open_callbacks(&source, file_.get(), nullptr, 0, callbacks) == 0;
    return open_;
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

} // namespace zre
