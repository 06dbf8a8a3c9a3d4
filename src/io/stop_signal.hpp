// How a run tells every thread to stop, including one that waits for input from a pipe or a terminal.
//
// The signal is a flag and a pipe: raising it sets the flag and writes a byte into the pipe, which makes
// the pipe's read end readable for good, so a thread that waits for input with poll on both descriptors
// wakes at once. Raising is async-signal-safe, so a signal handler may do it.
#pragma once

#include <atomic>

namespace gs {

struct stop_signal {
    std::atomic<bool> raised{false};
    int wake_read = -1;  // readable once the signal is raised
    int wake_write = -1;
};

// Makes the pipe. False when it cannot be made (the signal then still works as a flag).
bool open_stop_signal(stop_signal& stop);

// Raises the signal; may be called from a signal handler and more than once.
void raise_stop(stop_signal& stop);

bool stop_raised(const stop_signal& stop);

void close_stop_signal(stop_signal& stop);

}  // namespace gs
