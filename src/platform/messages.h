#pragma once
// The window's message queue. Backends turn their events into these messages; the shell's
// window procedure handles them. Mouse positions are game coordinates (the 800 x 600
// client area, whatever the real window's size), keys are Windows virtual-key codes.
#include <cstdint>
#include <functional>
#include <string>

namespace zre {

// Windows virtual-key codes the engine and the backends use.
namespace vk {
inline constexpr int32_t Back = 8;
inline constexpr int32_t Tab = 9;
inline constexpr int32_t Clear = 12;   // keypad 5 without NumLock
inline constexpr int32_t Return = 13;
inline constexpr int32_t Shift = 16;
inline constexpr int32_t Control = 17;
inline constexpr int32_t Menu = 18;   // Alt
inline constexpr int32_t Escape = 27;
inline constexpr int32_t Space = 32;
inline constexpr int32_t Prior = 33;  // Page Up
inline constexpr int32_t Next = 34;   // Page Down
inline constexpr int32_t End = 35;
inline constexpr int32_t Home = 36;
inline constexpr int32_t Left = 37;
inline constexpr int32_t Up = 38;
inline constexpr int32_t Right = 39;
inline constexpr int32_t Down = 40;
inline constexpr int32_t Insert = 45;
inline constexpr int32_t Delete = 46;
inline constexpr int32_t Numpad0 = 96;   // Numpad0..Numpad9 are 96..105
inline constexpr int32_t F1 = 112;    // F1..F12 are 112..123
inline constexpr int32_t F11 = 122;
} // namespace vk

enum class MessageKind {
    Destroy,     // the window is going away (headless: --max-ms reached)
    Paint,       // the window needs its picture again (after invalidateWindow, expose, resize)
    Close,       // the player asked to close the window
    KeyDown,     // key: virtual-key code (repeats while held)
    KeyUp,       // key: virtual-key code
    MouseMove,   // x, y
    LButtonUp,   // x, y
    RButtonUp,   // x, y
    MouseWheel,  // wheel: +1 turned away from the player, -1 toward
    MovieNotify, // value: the movie position reported by the movie player
    Text,        // text: UTF-8 typed text (for text-entry dialogs)
    TextEditing, // text: UTF-8 text an input method is composing (empty: composition over)
    Quit,        // value: exit code; the pump ends the process on it
};

struct Message {
    MessageKind kind = MessageKind::Paint;
    int32_t key = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t wheel = 0;
    bool alt = false;   // keys: Alt was held (a system key)
    int64_t value = 0;
    std::string text;

    // The position packed the Windows way: x in the low 16 bits, y in the high 16 bits.
    uint32_t packedXY() const {
        return (static_cast<uint32_t>(x) & 0xFFFFu) | ((static_cast<uint32_t>(y) & 0xFFFFu) << 16);
    }
};

inline Message makeMessage(MessageKind kind) {
    Message m;
    m.kind = kind;
    return m;
}

using WindowProcedure = std::function<void(const Message&)>;

// The handler that dispatchMessage and sendMessage call. Returns the previous one.
WindowProcedure setWindowProcedure(WindowProcedure procedure);

// Takes the next message without blocking: first pulls the backend's pending events (and,
// headless, the scripted input that is due). Posted and input messages come first, in
// order; a Paint is delivered only when nothing else is queued. Headless: a pump that keeps
// finding nothing while no frame passes is somebody waiting for the clock, so after a few
// empty calls each further empty call moves the virtual clock on by 1 ms.
bool peekMessage(Message& message);

// Blocks until a message arrives. Headless: if none is due, moves the virtual clock to the
// next scripted input (or the --max-ms end, or by one frame, whichever comes first) and
// returns false if still nothing arrived.
bool waitMessage(Message& message);

// As waitMessage, but waits at most ms (sdl: real time; headless: virtual time, at least
// 1 ms). False when nothing arrived.
bool waitMessageTimeout(Message& message, uint32_t ms);

// A wait that only a message can end.
constexpr uint32_t kWaitForMessage = UINT32_MAX;

// Gives the processor back while the game waits: sdl sleeps until a message arrives or ms
// pass. Headless returns at once, since its clock moves only with frames and empty pumps.
// True when a message was taken.
bool sleepUntilMessage(Message& message, uint32_t ms);

// The game can go on only when input arrives. Headless, with the input script used up and
// no --max-ms to end the run, that never happens: the run ends here, as if the window had
// been destroyed, with one line on stderr. sdl: nothing.
void waitingOnlyForInput();

// Calls the window procedure with the message (Quit is not dispatched).
void dispatchMessage(const Message& message);

// Appends to the queue. Window thread only.
void postMessage(Message message);

// Calls the window procedure now, as a sent message does.
void sendMessage(const Message& message);

// Queues Quit with the exit code.
void postQuitMessage(int exitCode);

// sdl: the window has the input focus. Headless: always true.
bool isForeground();

} // namespace zre
