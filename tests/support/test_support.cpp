#include "support/test_support.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/message_box.h"
#include "platform/sjis.h"

namespace zre::test {

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zre-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void writeFile(const std::string& path, const std::string& text) {
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string readText(const std::string& path) {
    std::vector<uint8_t> bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

MessageBoxRecorder::MessageBoxRecorder(std::vector<bool> yesAnswers) : answers_(std::move(yesAnswers)) {
    setMessageBoxHandler([this](std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                MessageBoxIcon) {
        lines.push_back("[" + sjisToUtf8(caption) + "] " + sjisToUtf8(text));
        if (buttons == MessageBoxButtons::Ok) return MessageBoxResult::Ok;
        bool yes = next_ < answers_.size() ? answers_[next_++] : true;
        return yes ? MessageBoxResult::Yes : MessageBoxResult::No;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { setMessageBoxHandler(nullptr); }

int runCommand(const std::string& command) {
    int status = std::system(command.c_str());
    if (status == -1) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

} // namespace zre::test
