#pragma once
// Ending the program from outside: SIGTERM (logging out, shutting down), SIGINT (Ctrl+C in
// a terminal) and SIGHUP (the terminal went away) become a call on the event loop, where the
// program can close as the user would close it. The signal handler only writes a byte into
// a pipe; everything else happens when the event loop reads it.

#include <functional>

namespace platform {

// From now on each of those signals calls `onSignal` with its number from the event loop of
// the calling thread (the application must exist). A second call replaces the callback.
// False when the pipe or the handlers cannot be set up.
bool RouteShutdownSignals(std::function<void(int signal)> onSignal);

}  // namespace platform
