#pragma once
// Variable tables as readable UTF-8 text: one line per entry, "name=value", or "name" alone
// for an entry without value. Used by the headless runner's --dump-vars and by zre-tool.
#include <string>

#include "script/variable_table.h"

namespace zre {

class Engine;

void appendTableLines(std::string& out, const VariableTable& table);

// "[system]" and the system variables, then "[scope N]" and its entries for every scope
// that holds at least one entry.
std::string dumpEngineVariables(const Engine& engine);

} // namespace zre
