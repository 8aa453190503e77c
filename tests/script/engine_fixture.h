#pragma once
// A scratch game folder that is the current directory while a test runs, an engine whose
// program end is recorded instead of ending the runner, and the statement loop of the
// game mode.
#include <filesystem>
#include <map>
#include <string>

#include "platform/process.h"
#include "script/engine.h"
#include "ui/message_text.h"
#include "support/test_support.h"

namespace zre::test {

// Thrown by the exit handler so that a path which ends the process can be observed.
struct ProcessExit {
    int code;
};

class GameFolder {
public:
    GameFolder() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir_.path());
        previousExit_ = setExitHandler([](int code) { throw ProcessExit{code}; });
    }
    ~GameFolder() {
        setExitHandler(std::move(previousExit_));
        std::filesystem::current_path(previous_);
    }
    GameFolder(const GameFolder&) = delete;
    GameFolder& operator=(const GameFolder&) = delete;

    // Writes a file below the folder, creating its folders.
    void write(const std::string& name, const std::string& content) const {
        std::filesystem::path p = std::filesystem::path(dir_.path()) / name;
        std::filesystem::create_directories(p.parent_path());
        writeFile(p.string(), content);
    }
    bool exists(const std::string& name) const {
        return std::filesystem::exists(std::filesystem::path(dir_.path()) / name);
    }
    std::vector<uint8_t> read(const std::string& name) const { return readFile(dir_.file(name)); }

private:
    TempDir dir_;
    std::filesystem::path previous_;
    ExitHandler previousExit_;
};

// A window host that records what the engine asks of it instead of doing it.
struct RecordingHost : NullEngineHost {
    int programEnds = 0;
    int closes = 0;
    int postedCloses = 0;
    std::vector<std::pair<int32_t, int32_t>> displayModes;  // (full, keep)
    int displayModeResult = 0;  // what setDisplayMode answers

    void endProgram() override { ++programEnds; }
    void closeWindow() override { ++closes; }
    void postClose() override { ++postedCloses; }
    int setDisplayMode(int32_t full, int32_t keep) override {
        displayModes.emplace_back(full, keep);
        return displayModeResult;
    }
    // The save comment the player "types", and how often it was asked for.
    std::string comment;
    int commentsAsked = 0;
    std::string askComment() override {
        ++commentsAsked;
        return comment;
    }
};

// Sound channels that record what the engine asks of them. A path listed in lengths plays
// (with that length in ms) until it is stopped; any other path fails to open.
struct RecordingSound : SoundChannels {
    std::vector<std::string> log;
    std::map<std::string, int32_t> lengths;
    std::map<int32_t, std::pair<std::string, bool>> channels;  // key: (path, playing)
    int32_t bgm = 10000, man = 10000, woman = 10000, effect = 10000;

    int play(int32_t key, std::string_view path, int32_t stream, int32_t loop) override {
        log.push_back("play " + std::to_string(key) + " " + std::string(path) + " " + std::to_string(stream) + " " +
                      std::to_string(loop));
        channels.erase(key);
        if (!lengths.count(std::string(path))) return 0;
        channels[key] = {std::string(path), true};
        return 1;
    }
    int stop(int32_t key) override {
        log.push_back("stop " + std::to_string(key));
        auto it = channels.find(key);
        if (it == channels.end()) return 0;
        it->second.second = false;
        return 1;
    }
    int remove(int32_t key) override {
        log.push_back("remove " + std::to_string(key));
        return channels.erase(key) ? 1 : 0;
    }
    int stopAll() override {
        channels.clear();
        return 1;
    }
    void collectFinished() override { log.push_back("collect"); }
    bool isPlaying(int32_t key) override {
        auto it = channels.find(key);
        return it != channels.end() && it->second.second;
    }
    int32_t getDuration(int32_t key) override {
        auto it = channels.find(key);
        return it == channels.end() ? 0 : lengths[it->second.first];
    }
    int32_t getBgmVolume() override { return bgm; }
    int32_t getEffectVolume() override { return effect; }
    void setBgmVolume(int32_t v) override {
        log.push_back("bgm " + std::to_string(v));
        bgm = v;
    }
    void setEffectVolume(int32_t v) override {
        log.push_back("se " + std::to_string(v));
        effect = v;
    }
    void setManVolume(int32_t v) override { man = v; }
    void setWomanVolume(int32_t v) override { woman = v; }
};

// The services of a test engine; a base of TestEngine so that they exist before the engine
// that refers to them.
struct TestServices {
    RecordingHost testHost;
    RecordingSound testSound;
    NullSaveSlots nullSaves;
    NullMoviePlayback nullMovies;
};

// An engine whose program end, quit requests and display modes are recorded.
struct TestEngine : TestServices, Engine {
    TestEngine() : Engine(EngineServices{testHost, testSound, nullSaves, nullMovies}) {}
};

// The game mode's statement loop: queued statements first, then the script text, until the
// text ends. The limit stops a script that would loop for ever.
inline int runToEnd(Engine& e, int limit = 100000) {
    int steps = 0;
    while (steps < limit) {
        ++steps;
        if (e.hasQueued()) {
            e.runQueued();
            continue;
        }
        if (!e.step()) break;
    }
    return steps;
}

// Loads a script written to the folder, indexed the way the first run indexes it, and
// positioned at its start.
inline void loadIndexed(const GameFolder& folder, Engine& e, const std::string& name,
                        const std::string& text) {
    folder.write(name, text);
    e.indexScript(name);
}

// Gives the engine its game screen: 800 x 600 on host, with the input record and a message
// text.
inline void attachGameScreen(Engine& e, ScreenHost& host, InputState& input) {
    auto s = std::make_unique<Screen>(host);
    s->attachWindow(800, 600);
    s->input = &input;
    attachMessageText(*s);
    e.setScreen(std::move(s));
}

inline std::string textOr(const char* text, const char* fallback = "(null)") {
    return text ? std::string(text) : std::string(fallback);
}

} // namespace zre::test
