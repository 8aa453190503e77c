#pragma once
// Which voice channel a voice file plays on. The first two characters of the file name
// are its speaker code; the codes of the table play on the male voice channel (key 1),
// every other code on the other voice channel (key 2). The table is game data: a game
// folder replaces the default one with a file "zre_speakers.txt" that lists its codes,
// separated by blanks or line breaks ("#" starts a comment to the end of the line).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zre {

class SpeakerCodes {
public:
    // The game folder's table when it has one, else the default table.
    static SpeakerCodes load();
    explicit SpeakerCodes(std::vector<std::string> codes) : codes_(std::move(codes)) {}

    // The voice channel key for a cleaned voice path.
    int32_t channelFor(std::string_view voicePath) const;
    const std::vector<std::string>& codes() const { return codes_; }

private:
    std::vector<std::string> codes_;
};

// The speaker code of a voice path: the first two bytes of the name after the last "/"
// (or, when there is none, the last "\"); a path with neither is all name.
std::string speakerCode(std::string_view voicePath);

// The codes of a table file's text.
std::vector<std::string> parseSpeakerCodes(std::string_view text);

} // namespace zre
