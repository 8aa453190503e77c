#include "script/engine.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "data/byte_io.h"
#include "data/file_access.h"
#include "platform/file_system.h"
#include "ui/system_screen.h"

namespace zre {

void makeFolderOf(std::string_view path) {
    std::string folder, name;
    splitPath(path, folder, name);
    if (!folder.empty()) makeDirectories(folder);
}

Engine::Engine(EngineServices services)
    : host(services.host), sound(services.sound), saves(services.saves), movies(services.movies) {}

Engine::~Engine() = default;

void Engine::startUp() {
    if (fileExists(kSystemDataPath)) {
        loadSystemData(kSystemDataPath);
        host.setDisplayMode(systemVars.getNumber("$sys_crt"), 0);
        setSystem("$sys_auto", "0");
    } else {
        // First run: the system script defines the system variables and the script folder
        // is indexed; system.dat is written at shutdown.
        buildIndex(kSystemScriptPath);
    }
    collectGameVariables(kGameDataPath);
    executeNow("RegisterText()");
}

void Engine::beginPass() {
    mode = EngineMode::Title;
    if (screen) screen->requestedMode = EngineMode::Title;
    resetPosition();
    callFunction(systemVars.getText("$sys_startfunction"));
    executeNow("Clear(./syspict/black.gfb, SHOW_NORMAL, 0)");
    // The start function has no caller to return to: its closing "}" only closes its scope.
    block().removeByName("call");
    setMessageText(" ");
    executeNow("ShowText(1, 0)");
    backlog.clear();
}

int Engine::saveSystemData(std::string_view path) {
    ByteWriter table;
    systemVars.write(table);
    std::vector<uint8_t> file;
    file.reserve(kSystemDataTag.size() + table.size());
    file.insert(file.end(), kSystemDataTag.begin(), kSystemDataTag.end());
    file.insert(file.end(), table.buffer().begin(), table.buffer().end());
    makeFolderOf(path);
    return writeFileAtomically(path, file) ? 1 : 0;
}

int Engine::loadSystemData(std::string_view path) {
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(path);
    if (!bytes || !hasSystemDataTag(bytes->data(), bytes->size())) return 0;
    ByteReader in(bytes->data() + kSystemDataTag.size(), bytes->size() - kSystemDataTag.size());
    systemVars.read(in);
    return 1;
}

void Engine::requestMode(EngineMode m, int32_t push) {
    modeStack.remember(mode, push != 0);
    if (screen) screen->requestedMode = m;
}

void Engine::returnToPreviousMode() {
    if (modeStack.depth() <= 0) return;
    EngineMode back = modeStack.pop();
    if (screen) screen->requestedMode = back;
}

EngineMode Engine::previousMode() const { return modeStack.previous(); }

void Engine::resetMode(EngineMode m) {
    modeStack.reset();
    if (screen) screen->requestedMode = m;
}

int Engine::scopeIndex() const { return std::clamp(depth, 0, kScopeCount - 1); }

VariableTable& Engine::block() { return overflow_.empty() ? scopes[scopeIndex()] : overflow_.back(); }

const VariableTable& Engine::block() const {
    return overflow_.empty() ? scopes[scopeIndex()] : overflow_.back();
}

int Engine::lowestVisibleScope() const {
    int32_t lowest = scopes[scopeIndex()].getNumber("scope");
    // Scope 0 is searched last on its own; a missing or odd entry must not reach below it.
    return std::max<int32_t>(lowest, 1);
}

const VariableTable* Engine::findVisible(std::string_view name) const {
    int lowest = lowestVisibleScope();
    for (int i = scopeIndex(); i >= lowest; --i) {
        if (scopes[i].find(name) >= 0) return &scopes[i];
    }
    if (scopes[0].find(name) >= 0) return &scopes[0];
    return nullptr;
}

VariableTable* Engine::findVisible(std::string_view name) {
    return const_cast<VariableTable*>(std::as_const(*this).findVisible(name));
}

const char* Engine::getScoped(std::string_view name) const {
    const VariableTable* table = findVisible(name);
    return table ? table->getText(name) : nullptr;
}

void Engine::setScoped(std::string_view name, const char* text) {
    if (VariableTable* table = findVisible(name)) {
        table->setAt(table->find(name), text);
    } else {
        scopes[scopeIndex()].add(name, text);
    }
}

void Engine::setScopedNumber(std::string_view name, int32_t n) {
    setScoped(name, std::to_string(n).c_str());
}

void Engine::setInScope(int i, std::string_view name, const char* text) {
    if (i < 0 || i >= kScopeCount) return;
    scopes[i].set(name, text);
}

void Engine::setInScopeNumber(int i, std::string_view name, int32_t n) {
    setInScope(i, name, std::to_string(n).c_str());
}

void Engine::setSystem(std::string_view name, const char* text) { systemVars.set(name, text); }

void Engine::substituteScoped(std::string& text) const {
    int lowest = lowestVisibleScope();
    for (int i = scopeIndex(); i >= lowest; --i) scopes[i].substitute(text);
    scopes[0].substitute(text);
}

} // namespace zre
