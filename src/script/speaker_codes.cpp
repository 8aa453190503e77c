#include "script/speaker_codes.h"

#include <algorithm>
#include <cstdint>

#include "data/byte_stream.h"
#include "data/file_access.h"
#include "sound/sound_channels.h"

namespace zre {

namespace {

constexpr char kTableFile[] = "./zre_speakers.txt";

// The 18 male speakers of the bundled game; "ke" is its lighthouse keeper, the rest are
// kept free for the game's later chapters.
constexpr std::string_view kDefaultCodes[] = {"ke", "ab", "bo", "da", "fu", "go", "hi", "ij", "ka",
                                              "mo", "no", "ou", "ri", "sa", "ta", "ts", "wa", "yo"};

} // namespace

std::vector<std::string> parseSpeakerCodes(std::string_view text) {
    std::vector<std::string> codes;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '#') {
            while (i < text.size() && text[i] != '\n') ++i;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else {
            const size_t start = i;
            while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' && text[i] != '\n' &&
                   text[i] != '#')
                ++i;
            codes.emplace_back(text.substr(start, i - start));
        }
    }
    return codes;
}

SpeakerCodes SpeakerCodes::load() {
    if (std::unique_ptr<ByteStream> file = openGameStream(kTableFile)) {
        std::string text(static_cast<size_t>(std::min<uint64_t>(file->size(), 1 << 20)), '\0');
        text.resize(file->read(text.data(), text.size()));
        return SpeakerCodes(parseSpeakerCodes(text));
    }
    return SpeakerCodes(std::vector<std::string>(std::begin(kDefaultCodes), std::end(kDefaultCodes)));
}

std::string speakerCode(std::string_view voicePath) {
    std::string folder;
    std::string name(voicePath);
    splitPath(voicePath, folder, name);
    return name.substr(0, std::min<size_t>(name.size(), 2));
}

int32_t SpeakerCodes::channelFor(std::string_view voicePath) const {
    const std::string code = speakerCode(voicePath);
    for (const std::string& c : codes_) {
        if (c == code) return kMaleVoiceKey;
    }
    return kOtherVoiceKey;
}

} // namespace zre
