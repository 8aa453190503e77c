#include "script/variable_dump.h"

#include "platform/sjis.h"
#include "script/engine.h"

namespace zre {

void appendTableLines(std::string& out, const VariableTable& table) {
    for (const VariableEntry& e : table.entries()) {
        out += sjisToUtf8(e.name);
        if (e.value) {
            out += '=';
            out += sjisToUtf8(*e.value);
        }
        out += '\n';
    }
}

std::string dumpEngineVariables(const Engine& engine) {
    std::string out = "[system]\n";
    appendTableLines(out, engine.systemVars);
    for (int i = 0; i < kScopeCount; ++i) {
        if (engine.scopes[i].empty()) continue;
        out += "[scope " + std::to_string(i) + "]\n";
        appendTableLines(out, engine.scopes[i]);
    }
    return out;
}

} // namespace zre
