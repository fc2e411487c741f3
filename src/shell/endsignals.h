// The signals that end the program (SIGTERM, SIGINT, SIGHUP) reach the event loop through a
// self-pipe: the handler only writes the signal number, a socket notifier on the pipe's read
// end runs the orderly shutdown in the UI thread. A second signal while the first one is
// still being handled ends the program at once (the default action).
//   installEndSignals();                              // first thing in main, before any library
//   watchEndSignals(&app, [&](int) { form->endSession(); });
#pragma once

#include <functional>

class QObject;

namespace vlm::shell {

// Installs the handlers (again: a client library that took the signals over gives them
// back). False when the pipe or a handler cannot be set up.
bool installEndSignals();
// Calls onSignal in the UI thread for each signal received; the watcher lives as long as parent.
void watchEndSignals(QObject* parent, std::function<void(int signal)> onSignal);

}  // namespace vlm::shell
