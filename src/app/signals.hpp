// The signals that end a run early, and the one that must not.
//
// While a run writes, SIGINT, SIGTERM and SIGHUP raise its stop signal (so every thread stops within a
// chunk) and the first one's number is kept: the run then puts every output back, says so, and the
// process ends by that same signal (its default action), so that a shell or a script that runs
// gamesieve in a loop sees the interruption and stops too. A second signal during the roll-back is only
// noted. SIGPIPE is ignored for the whole process: a standard output whose reader has gone
// loses its messages but never ends the run, and an output FIFO whose reader has gone is a failed write.
#pragma once

#include "io/stop_signal.hpp"

namespace gs {

// Ignores SIGPIPE from now on.
void ignore_broken_pipe();

// Makes SIGINT, SIGTERM and SIGHUP raise stop until unwatch_signals; forgets any signal caught before.
void watch_signals(stop_signal& stop);

// The number of the first signal caught since watch_signals, or 0.
int caught_signal();

// Gives the three signals back their earlier dispositions.
void unwatch_signals();

// For a run whose outcome is settled and kept: the three signals no longer raise the stop signal (which
// may then go), but stay caught and ignored until the process exits, with the status of its outcome.
void keep_signals_noted();

// The end of the process for a run's status: a run interrupted by one of the three signals (status 128 +
// its number) ends by that signal, its default action restored; any other status is returned.
int end_as(int status);

// "SIGINT", "SIGTERM", "SIGHUP", or "signal <n>".
const char* signal_name(int number);

}  // namespace gs
