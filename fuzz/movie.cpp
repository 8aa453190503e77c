// Movie files: any bytes are opened through our own input (the demuxer reads from memory)
// and decoded, pictures scaled and sound resampled, without crashing or running on. The
// work per input is bounded: a small picture, a capped number of packets and of outputs.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "data/byte_stream.h"
#include "platform/movie_decoder.h"
#include "sound/movie_player.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zre::MovieLimits limits;
    limits.maxPixels = 1 << 18;
    limits.maxPackets = 400;
    limits.threads = 1;
    auto decoder = zre::MovieDecoder::open(zre::movieInput(std::make_unique<zre::MemoryStream>(data, size)), 64, 48, limits);
    if (!decoder) return 0;
    (void)decoder->lengthMs();
    (void)decoder->frameRate();
    zre::MoviePicture picture;
    std::vector<int16_t> sound;
    int64_t last = -1;
    for (int i = 0; i < 400; ++i) {
        sound.clear();
        const auto got = decoder->next(picture, sound);
        if (got == zre::MovieDecoder::Output::End) {
            // The end stays the end.
            if (decoder->next(picture, sound) != zre::MovieDecoder::Output::End) std::abort();
            break;
        }
        if (got == zre::MovieDecoder::Output::Picture) {
            // Pictures come in time order, always the size asked for.
            if (picture.ms < last || picture.width != 64 || picture.height != 48 ||
                picture.bits.size() != size_t(picture.stride) * 48)
                std::abort();
            last = picture.ms;
        }
        if (got == zre::MovieDecoder::Output::Sound && (sound.empty() || sound.size() % 2)) std::abort();
    }
    return 0;
}
