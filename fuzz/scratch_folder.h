#pragma once
// Targets that play a game work in a scratch folder of their own (the engine resolves every
// "./..." path against the current folder). Paths of the command line would then point into
// that folder: the corpus folders, and the crash files libFuzzer writes. So the command line
// is made absolute before the target moves.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace zre::fuzz {

inline void absoluteCommandLine(int* argc, char*** argv) {
    static std::vector<std::string> texts;
    static std::vector<char*> pointers;
    const std::string here = std::filesystem::current_path().string();
    bool hasArtifactPrefix = false;
    for (int i = 0; i < *argc; ++i) {
        std::string a = (*argv)[i];
        if (i > 0 && !a.empty() && a[0] != '-' && a[0] != '/') a = here + "/" + a;
        if (a.rfind("-artifact_prefix=", 0) == 0) {
            hasArtifactPrefix = true;
            const std::string value = a.substr(17);
            if (!value.empty() && value[0] != '/') a = "-artifact_prefix=" + here + "/" + value;
        }
        texts.push_back(a);
    }
    if (!hasArtifactPrefix) texts.push_back("-artifact_prefix=" + here + "/");
    for (std::string& t : texts) pointers.push_back(t.data());
    pointers.push_back(nullptr);
    *argc = static_cast<int>(texts.size());
    *argv = pointers.data();
}

inline void enterScratchFolder(const char* prefix) {
    std::string dir = (std::filesystem::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
    if (!mkdtemp(dir.data()) || chdir(dir.c_str()) != 0) std::abort();
}

// Once per process, for targets that read game data files: message boxes answered at once,
// a scratch folder with its "dat" folder entered.
inline void enterDataScratchFolder(const char* prefix) {
    static bool done = false;
    if (done) return;
    done = true;
    silenceMessageBoxes();
    enterScratchFolder(prefix);
    std::filesystem::create_directories("dat");
}

inline void writeScratchFile(const char* name, const uint8_t* data, size_t size) {
    if (FILE* f = std::fopen(name, "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
}

} // namespace zre::fuzz
