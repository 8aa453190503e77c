#pragma once
// A scratch game folder that is the current directory while a test runs, an engine whose
// program end is recorded instead of ending the runner, and the statement loop of the
// game mode.
#include <filesystem>
#include <string>

#include "platform/process.h"
#include "script/engine.h"
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

    void endProgram() override { ++programEnds; }
    void closeWindow() override { ++closes; }
    void postClose() override { ++postedCloses; }
    int setDisplayMode(int32_t full, int32_t keep) override {
        displayModes.emplace_back(full, keep);
        return 0;
    }
};

// The services of a test engine; a base of TestEngine so that they exist before the engine
// that refers to them.
struct TestServices {
    RecordingHost testHost;
    NullSoundChannels nullSound;
    NullSaveSlots nullSaves;
    NullMoviePlayback nullMovies;
};

// An engine whose program end, quit requests and display modes are recorded.
struct TestEngine : TestServices, Engine {
    TestEngine() : Engine(EngineServices{testHost, nullSound, nullSaves, nullMovies}) {}
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

inline std::string textOr(const char* text, const char* fallback = "(null)") {
    return text ? std::string(text) : std::string(fallback);
}

} // namespace zre::test
