#include "platform/platform.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "platform/sdl/sdl_backend.h"

namespace zre {

namespace {

bool parseNumber(std::string_view s, uint32_t& value) {
    if (s.empty() || !std::all_of(s.begin(), s.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) return false;
    uint64_t v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v > UINT32_MAX) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

std::string absolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.string();
}

} // namespace

bool initPlatform(bool headless, const HeadlessOptions& options) {
    shutdownPlatform();
    detail::PlatformState& c = detail::platformState();
    if (headless) {
        HeadlessOptions opts = options;
        if (opts.frameMs == 0) opts.frameMs = 1;
        std::vector<ScriptedInput> input;
        if (!opts.inputFile.empty()) {
            std::ifstream in(opts.inputFile, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "zre: cannot read the input file %s\n", opts.inputFile.c_str());
                return false;
            }
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            std::string error;
            if (!parseInputScript(text, input, error)) {
                std::fprintf(stderr, "zre: %s: %s\n", opts.inputFile.c_str(), error.c_str());
                return false;
            }
        }
        // Outputs are written after the program has moved into the game folder.
        for (auto& shot : opts.screenshots) shot.second = absolutePath(shot.second);
        opts.audioOut = absolutePath(opts.audioOut);
        auto backend = std::make_unique<detail::HeadlessBackend>(opts, std::move(input));
        if (!backend->startAudioCapture()) return false;
        backend->installMessageBoxHandler();
        c.backend = std::move(backend);
        c.headless = true;
        return true;
    }
    auto backend = detail::SdlBackend::create();
    if (!backend) return false;
    c.backend = std::move(backend);
    c.headless = false;
    return true;
}

void shutdownPlatform() {
    detail::PlatformState& c = detail::platformState();
    if (c.backend) {
        c.backend->shutdown();
        c.backend.reset();
    }
    setMessageBoxHandler(nullptr);
    c.headless = true;
    c.queue.clear();
    c.paintPending = false;
    c.controlLatched = false;
    c.procedure = nullptr;
    c.picture = WindowPicture{};
}

bool isHeadless() { return detail::platformState().headless; }

bool parseAnswers(std::string_view list, std::vector<MessageBoxResult>& answers) {
    std::vector<MessageBoxResult> parsed;
    size_t pos = 0;
    while (pos <= list.size()) {
        size_t end = list.find(',', pos);
        if (end == std::string_view::npos) end = list.size();
        std::string_view word = list.substr(pos, end - pos);
        if (word == "yes") {
            parsed.push_back(MessageBoxResult::Yes);
        } else if (word == "no") {
            parsed.push_back(MessageBoxResult::No);
        } else if (word == "ok") {
            parsed.push_back(MessageBoxResult::Ok);
        } else {
            return false;
        }
        pos = end + 1;
    }
    answers = std::move(parsed);
    return true;
}

OptionResult parseHeadlessOption(const std::vector<std::string>& args, size_t& index, bool& headless,
                                 HeadlessOptions& options, std::string& error) {
    if (index >= args.size()) return OptionResult::NotMine;
    const std::string& name = args[index];
    if (name == "--headless") {
        headless = true;
        ++index;
        return OptionResult::Consumed;
    }
    static constexpr std::string_view kWithValue[] = {"--frame-ms", "--max-ms",     "--input",
                                                      "--answers",  "--screenshot", "--audio-out"};
    if (std::find(std::begin(kWithValue), std::end(kWithValue), name) == std::end(kWithValue)) {
        return OptionResult::NotMine;
    }
    if (index + 1 >= args.size()) {
        error = name + " needs a value";
        return OptionResult::Error;
    }
    const std::string& value = args[index + 1];
    auto fail = [&](const std::string& why) {
        error = name + ": " + why + " '" + value + "'";
        return OptionResult::Error;
    };
    if (name == "--frame-ms" || name == "--max-ms") {
        uint32_t n = 0;
        if (!parseNumber(value, n)) return fail("not a number of milliseconds");
        if (name == "--frame-ms") {
            if (n == 0) return fail("a frame must last at least 1 ms, not");
            options.frameMs = n;
        } else {
            options.maxMs = n;
        }
    } else if (name == "--input") {
        if (value.empty()) return fail("empty file name");
        options.inputFile = value;
    } else if (name == "--answers") {
        if (!parseAnswers(value, options.answers)) return fail("answers are yes, no or ok, comma-separated, not");
    } else if (name == "--screenshot") {
        size_t colon = value.find(':');
        uint32_t ms = 0;
        if (colon == std::string::npos || colon + 1 == value.size() ||
            !parseNumber(std::string_view(value).substr(0, colon), ms)) {
            return fail("expected MS:FILE, not");
        }
        options.screenshots.emplace_back(ms, value.substr(colon + 1));
    } else {
        if (value.empty()) return fail("empty file name");
        options.audioOut = value;
    }
    index += 2;
    return OptionResult::Consumed;
}

} // namespace zre
