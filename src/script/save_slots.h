#pragma once
// The saves the main loop hands a load to: the slot is read and checked whole, and only a
// good one replaces the running game (Engine::loadSlot, then Engine::restoreGame).
#include <string>
#include <string_view>

#include "platform/local_time.h"
#include "script/engine_services.h"

namespace zre {

class Engine;

// A date stamp: 0 "2004年01月02日09時05分", 1 "01月02日09時05分", 2 "01/02 09:05",
// 3 "2004/01/02/09:05"; any other form gives the empty text.
std::string formatDateStamp(const LocalTime& time, int form);

class EngineSaveSlots final : public SaveSlots {
public:
    // The engine is made after its services: it is attached once it exists.
    void attach(Engine& engine) { engine_ = &engine; }
    void restore(std::string_view slotPath) override;

private:
    Engine* engine_ = nullptr;
};

} // namespace zre
