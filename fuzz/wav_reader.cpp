// RIFF WAVE files: the chunk walk on any sizes must end and never read outside the file; a
// file that opens is read to its end, sought, and played through a stream buffer for a
// few segments of the headless mix.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "data/byte_stream.h"
#include "platform/sound_mixer.h"
#include "sound/sound_buffer.h"
#include "sound/wave_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto reader = std::make_shared<sslib2::CPlainWavFileReader>();
    if (!reader->OpenStream(std::make_unique<zre::MemoryStream>(data, size))) return 0;
    sslib2::PcmFormat format;
    reader->GetFormat(&format);
    if (format.formatTag != 1) std::abort();
    const uint64_t bytes = uint64_t(reader->GetLength()) * format.blockAlign;
    if (bytes > size) std::abort();

    uint8_t buffer[4096];
    uint64_t total = 0;
    for (uint32_t got = 1; got > 0;) {
        reader->Read(buffer, sizeof buffer, &got);
        total += got;
    }
    if (total > size || !reader->IsEOF()) std::abort();
    if (!reader->Seek(0) || reader->Tell() != 0) std::abort();
    if (format.blockAlign && reader->Seek(reader->GetLength() + 1)) std::abort();
    reader->Seek(0);

    sslib2::CDirectSound device;
    if (!device.Create()) return 0;
    sslib2::CStreamSoundBuffer stream;
    if (!stream.Create(device, reader)) return 0;
    stream.Play(1);
    std::vector<int16_t> out(2 * 8192);
    zre::detail::mixSound(out.data(), 8192, true);
    stream.Play(0);
    zre::detail::mixSound(out.data(), 8192, true);
    return 0;
}
