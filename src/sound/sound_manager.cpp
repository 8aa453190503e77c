#include "sound/sound_manager.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "data/byte_stream.h"
#include "data/file_access.h"

namespace zre {

namespace {

// "DirectX Object作成失敗", the device's failure as the debugger output shows it.
constexpr char kNoDevice[] = "DirectX Object\xe4\xbd\x9c\xe6\x88\x90\xe5\xa4\xb1\xe6\x95\x97";

std::shared_ptr<sslib2::CWaveReader> openReader(std::string_view path) {
    // The extension test is case-sensitive: "MUSIC.OGG" goes to the WAVE reader.
    if (hasExtension(path, "ogg")) {
        // A folder part that is not a folder names a package; the stream is then the
        // member's window of the package file.
        std::unique_ptr<ByteStream> file = openGameStream(path);
        if (!file) return nullptr;
        const auto length = static_cast<int32_t>(std::min<uint64_t>(file->size(), 0x7FFFFFFF));
        auto reader = std::make_shared<sslib2::COggFileReader>();
        if (!reader->OpenSource(std::move(file), 0, length)) return nullptr;
        return reader;
    }
    auto reader = std::make_shared<sslib2::CPlainWavFileReader>();
    if (!reader->Open(std::string(path))) return nullptr;
    return reader;
}

} // namespace

SoundManager::~SoundManager() { stopAll(); }

int SoundManager::init() {
    if (directSound_.Create()) return 1;
    std::fprintf(stderr, "%s\n", kNoDevice);
    return 0;
}

SoundManager::Channel* SoundManager::find(int32_t key) {
    for (auto it = channels_.rbegin(); it != channels_.rend(); ++it) {
        if (it->key == key) return &*it;
    }
    return nullptr;
}

int SoundManager::open(int32_t key, std::string_view path, int32_t stream) {
    remove(key);
    std::shared_ptr<sslib2::CWaveReader> reader = openReader(path);
    if (!reader) return 0;
    std::unique_ptr<sslib2::CSoundBuffer> buffer;
    if (stream) {
        auto streamed = std::make_unique<sslib2::CStreamSoundBuffer>();
        if (!streamed->Create(directSound_, reader)) return 0;
        buffer = std::move(streamed);
    } else {
        auto whole = std::make_unique<sslib2::CStaticSoundBuffer>();
        if (!whole->Create(directSound_, reader)) return 0;
        buffer = std::move(whole);
    }
    sslib2::PcmFormat format;
    reader->GetFormat(&format);
    const uint64_t ms = format.samplesPerSec ? uint64_t(reader->GetLength()) * 1000 / format.samplesPerSec : 0;
    channels_.push_back({std::move(buffer), key, static_cast<int32_t>(std::min<uint64_t>(ms, INT32_MAX))});
    return 1;
}

int32_t SoundManager::classVolume(int32_t key) const {
    switch (key) {
    case kMusicKey: return bgmVolume_;
    case kMaleVoiceKey: return manVolume_;
    case kOtherVoiceKey: return womanVolume_;
    default: return effectVolume_;
    }
}

int SoundManager::play(int32_t key, std::string_view path, int32_t stream, int32_t loop) {
    if (!open(key, path, stream)) return 0;
    setVolume(key, classVolume(key));
    channels_.back().buffer->Play(loop);
    return 1;
}

int SoundManager::stop(int32_t key) {
    Channel* c = find(key);
    if (!c) return 0;
    c->buffer->Stop();
    return 1;
}

int SoundManager::remove(int32_t key) {
    for (auto it = channels_.begin(); it != channels_.end(); ++it) {
        if (it->key != key) continue;
        it->buffer->Stop();
        channels_.erase(it);
        return 1;
    }
    return 0;
}

int SoundManager::stopAll() {
    while (!channels_.empty()) {
        channels_.back().buffer->Stop();
        channels_.pop_back();
    }
    return 1;
}

void SoundManager::collectFinished() {
    for (size_t i = channels_.size(); i-- > 0;) {
        if (channels_[i].key > kEffectKeyBase && !channels_[i].buffer->IsPlaying()) {
            channels_[i].buffer->Stop();
            channels_.erase(channels_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

bool SoundManager::isPlaying(int32_t key) {
    Channel* c = find(key);
    return c && c->buffer->IsPlaying();
}

bool SoundManager::setVolume(int32_t key, int32_t volume) {
    Channel* c = find(key);
    return c && c->buffer->SetVolume(volume);
}

int32_t SoundManager::getDuration(int32_t key) {
    Channel* c = find(key);
    return c ? c->durationMs : 0;
}

void SoundManager::setBgmVolume(int32_t volume) {
    bgmVolume_ = volume;
    if (isPlaying(kMusicKey)) setVolume(kMusicKey, volume);
}

void SoundManager::setManVolume(int32_t volume) {
    manVolume_ = volume;
    if (isPlaying(kMaleVoiceKey)) setVolume(kMaleVoiceKey, volume);
}

void SoundManager::setWomanVolume(int32_t volume) {
    womanVolume_ = volume;
    if (isPlaying(kOtherVoiceKey)) setVolume(kOtherVoiceKey, volume);
}

void SoundManager::setEffectVolume(int32_t volume) {
    effectVolume_ = volume;
    for (Channel& c : channels_) {
        if (c.key >= kEffectKeyBase && c.buffer->IsPlaying()) c.buffer->SetVolume(volume);
    }
}

} // namespace zre
