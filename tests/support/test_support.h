#pragma once
// Helpers shared by the test suites: scratch folders, files, captured message boxes.
#include <cstdint>
#include <string>
#include <vector>

namespace zre::test {

// A fresh folder under the system's temporary folder, removed with its content at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
void writeFile(const std::string& path, const std::string& text);
std::vector<uint8_t> readFile(const std::string& path);
// The file's bytes as a string; empty when it cannot be read.
std::string readText(const std::string& path);

// Records every message box shown while it lives (answering Ok/Yes, or from the answers
// given) instead of writing to stderr.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(std::vector<bool> yesAnswers = {});
    ~MessageBoxRecorder();
    // "[caption] text" per box, UTF-8.
    std::vector<std::string> lines;

private:
    std::vector<bool> answers_;
    size_t next_ = 0;
};

// Runs a command line with the shell; returns its exit status.
int runCommand(const std::string& command);

} // namespace zre::test
