#include <string>
#include <vector>

#include "shell/shell.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return zre::runShell(args);
}
