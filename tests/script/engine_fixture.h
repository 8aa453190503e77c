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

// An engine whose outermost "}" is counted instead of ending the process.
struct TestEngine : Engine {
    int programEnds = 0;
    TestEngine() {
        endProgram = [this] { ++programEnds; };
    }
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
        if (!e.readStatement()) break;
        e.parseStatement(e.statement);
        e.dispatch();
        e.freeArgs();
    }
    return steps;
}

// Loads a script written to the folder, indexed the way the first run indexes it, and
// positioned at its start.
inline void loadIndexed(const GameFolder& folder, Engine& e, const std::string& name,
                        const std::string& text) {
    folder.write(name, text);
    e.loadScript(name);
    e.resetPosition();
    e.registerLabels(name);
    e.registerFunctions(name);
}

inline std::string textOr(const char* text, const char* fallback = "(null)") {
    return text ? std::string(text) : std::string(fallback);
}

} // namespace zre::test
