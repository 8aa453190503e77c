#pragma once
// Start-up of the platform layer: which backend runs, and the headless run's options.
// Before initPlatform (in unit tests) a headless backend with default options is active.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/message_box.h"

namespace zre {

struct HeadlessOptions {
    uint32_t frameMs = 16;                 // virtual ms per main-loop frame (at least 1)
    std::optional<uint32_t> maxMs;         // deliver Destroy once this much virtual time passed
    std::string inputFile;                 // scripted input (see input_script.h)
    std::vector<MessageBoxResult> answers; // message-box answers in order (any box takes one;
                                           // Ok answers a yes/no box with Yes); then Yes / Ok
    std::vector<std::pair<uint32_t, std::string>> screenshots; // (ms, file .png or .bmp)
    std::string audioOut;                  // WAVE file for the mixed sound, empty for none
    uint32_t clockStart = 10000;           // what nowMs() reads when the run begins
    int desktopWidth = 1024;
    int desktopHeight = 768;
    int desktopBits = 32;
    int desktopRefresh = 60;
    bool refuseDisplaySwitch = false;      // every switch between window and full screen fails
};

// Picks and starts the backend. Headless reads the input script now, and makes relative
// output paths absolute against the current folder, so call it before changing to the
// game folder. False (with the reason on stderr) when the backend cannot start or the input
// script cannot be read or has a bad line. Installs the backend's message-box handler.
bool initPlatform(bool headless, const HeadlessOptions& options);

// Writes what the headless run still owes (screenshots due, the audio file), closes the
// window and the devices, and returns to the default headless backend.
void shutdownPlatform();

bool isHeadless();

// The command-line options of the program's headless table: --headless, --frame-ms N,
// --max-ms N, --input FILE, --answers LIST, --screenshot MS:FILE (repeatable),
// --audio-out FILE. args[index] is looked at (and its value, args[index + 1]).
enum class OptionResult { NotMine, Consumed, Error };
OptionResult parseHeadlessOption(const std::vector<std::string>& args, size_t& index, bool& headless,
                                 HeadlessOptions& options, std::string& error);

// "yes,no,ok" -> answers; false on an unknown word.
bool parseAnswers(std::string_view list, std::vector<MessageBoxResult>& answers);

} // namespace zre
