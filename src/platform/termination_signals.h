#pragma once
// SIGTERM, SIGINT and SIGHUP (shutdown, Ctrl+C in a terminal, the end of the session) end the
// game the way logging off did: the window goes away without the quit question, so the
// player's settings are written. The handler only raises a flag; the message pump turns it
// into the window's Destroy message.
namespace zre {

// Installs the handlers (once per process).
void installTerminationSignals();

// True once, after one of the signals arrived: the caller delivers the Destroy message.
bool takeTerminationRequest();

} // namespace zre
