#pragma once
// The system's requests to end (SIGTERM from a session manager or kill,
// SIGHUP when the terminal or session goes, SIGINT from Ctrl+C) end the
// program the way a Yes to the close question does, so that the interpreter
// and everything the table's commands started go with it.

#include <functional>

namespace zorvik {

// From then on, each of those signals runs end on the window thread (once
// the event loop runs). Windows has no such signals: nothing happens there.
void endOnSignals(std::function<void()> end);

}  // namespace zorvik
