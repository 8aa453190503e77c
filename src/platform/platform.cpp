#include "platform/platform.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless/headless_backend.h"
#include "platform/key_state.h"
#include "platform/messages.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sjis.h"
#include "platform/window.h"

namespace zre {

namespace {

struct Core {
    std::unique_ptr<detail::Backend> backend;
    bool headless = true;
    std::deque<Message> queue;
    bool paintPending = false;
    bool controlLatched = false;
    WindowProcedure procedure;
    WindowPicture picture;
};

Core& core() {
    static Core c;
    return c;
}

void blackPicture(WindowPicture& p, int width, int height) {
    p.width = width;
    p.height = height;
    p.stride = (width * 3 + 3) & ~3;
    p.bits.assign(static_cast<size_t>(p.stride) * static_cast<size_t>(height), 0);
}

WindowPicture& picture() {
    WindowPicture& p = core().picture;
    if (p.bits.empty()) blackPicture(p, 800, 600);
    return p;
}

// Next message without letting the backend count the call as idle spinning.
bool takeMessage(Message& message, bool countEmpty) {
    Core& c = core();
    detail::backend().pollEvents();
    if (!c.queue.empty()) {
        message = std::move(c.queue.front());
        c.queue.pop_front();
        return true;
    }
    if (c.paintPending) {
        c.paintPending = false;
        message = Message{};
        message.kind = MessageKind::Paint;
        return true;
    }
    if (countEmpty) detail::backend().emptyPeek();
    return false;
}

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

namespace detail {

Backend& backend() {
    Core& c = core();
    if (!c.backend) c.backend = std::make_unique<HeadlessBackend>(HeadlessOptions{}, std::vector<ScriptedInput>{});
    return *c.backend;
}

void setBackend(std::unique_ptr<Backend> next) { core().backend = std::move(next); }

void queueInput(Message message) { core().queue.push_back(std::move(message)); }

void latchControl() { core().controlLatched = true; }

void resetWindowPicture(int width, int height) {
    if (width <= 0 || height <= 0) return;
    blackPicture(core().picture, width, height);
}

} // namespace detail

// ---- start-up -------------------------------------------------------------------------

bool initPlatform(bool headless, const HeadlessOptions& options) {
    shutdownPlatform();
    Core& c = core();
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
    Core& c = core();
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

bool isHeadless() { return core().headless; }

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

// ---- clock ----------------------------------------------------------------------------

uint32_t nowMs() { return detail::backend().nowMs(); }
uint32_t elapsedMs() { return detail::backend().elapsedMs(); }
void advanceFrame() { detail::backend().advanceFrame(); }
void sleepMs(uint32_t ms) { detail::backend().sleepMs(ms); }

// ---- window ---------------------------------------------------------------------------

DisplaySize desktopSize() { return detail::backend().desktopSize(); }

bool createWindow(std::string_view captionSjis, int clientWidth, int clientHeight, bool popup) {
    if (clientWidth <= 0 || clientHeight <= 0) return false;
    detail::resetWindowPicture(clientWidth, clientHeight);
    return detail::backend().createWindow(sjisToUtf8(captionSjis), clientWidth, clientHeight, popup);
}

void showWindow() { detail::backend().showWindow(); }
void setWindowCaption(std::string_view captionSjis) { detail::backend().setWindowCaption(sjisToUtf8(captionSjis)); }
void invalidateWindow() { core().paintPending = true; }

void presentFront(const uint8_t* bits, int width, int height, int stride, int destX, int destY) {
    if (!bits || width <= 0 || height <= 0 || stride < width * 3) return;
    WindowPicture& p = picture();
    std::fill(p.bits.begin(), p.bits.end(), uint8_t{0});
    // The part of the source that lands inside the client area, in top-down rows.
    const int x0 = std::max(0, destX);
    const int x1 = std::min(p.width, destX + width);
    const int y0 = std::max(0, destY);
    const int y1 = std::min(p.height, destY + height);
    if (x0 < x1 && y0 < y1) {
        const size_t bytes = static_cast<size_t>(x1 - x0) * 3;
        for (int y = y0; y < y1; ++y) {
            const int srcRowFromTop = y - destY;
            const uint8_t* src = bits + static_cast<size_t>(height - 1 - srcRowFromTop) * static_cast<size_t>(stride) +
                                 static_cast<size_t>(x0 - destX) * 3;
            uint8_t* dst = p.bits.data() + static_cast<size_t>(p.height - 1 - y) * static_cast<size_t>(p.stride) +
                           static_cast<size_t>(x0) * 3;
            std::memcpy(dst, src, bytes);
        }
    }
    detail::backend().pictureChanged(p);
}

const WindowPicture& windowPicture() { return picture(); }

bool setFullscreen(bool fullscreen) { return detail::backend().setFullscreen(fullscreen); }
bool isFullscreen() { return detail::backend().isFullscreen(); }

// ---- messages -------------------------------------------------------------------------

WindowProcedure setWindowProcedure(WindowProcedure procedure) {
    WindowProcedure previous = std::move(core().procedure);
    core().procedure = std::move(procedure);
    return previous;
}

bool peekMessage(Message& message) { return takeMessage(message, true); }

bool waitMessage(Message& message) {
    if (takeMessage(message, false)) return true;
    for (;;) {
        bool again = detail::backend().wait(std::nullopt);
        if (takeMessage(message, false)) return true;
        if (!again) return false;
    }
}

bool waitMessageTimeout(Message& message, uint32_t ms) {
    if (takeMessage(message, false)) return true;
    detail::backend().wait(ms);
    return takeMessage(message, false);
}

void dispatchMessage(const Message& message) {
    if (message.kind == MessageKind::Quit) return;
    // A copy, so a procedure that replaces itself while running stays alive to the end.
    WindowProcedure procedure = core().procedure;
    if (procedure) procedure(message);
}

void postMessage(Message message) { core().queue.push_back(std::move(message)); }

void sendMessage(const Message& message) { dispatchMessage(message); }

void postQuitMessage(int exitCode) {
    Message m;
    m.kind = MessageKind::Quit;
    m.value = exitCode;
    core().queue.push_back(std::move(m));
}

bool isForeground() { return detail::backend().isForeground(); }

// ---- keys -----------------------------------------------------------------------------

bool controlKeyPressed() {
    Core& c = core();
    bool down = detail::backend().controlDown() || c.controlLatched;
    c.controlLatched = false;
    return down;
}

} // namespace zre
