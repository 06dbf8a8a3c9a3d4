#include "io/stop_signal.hpp"

#include <fcntl.h>
#include <unistd.h>

// The signal's pipe is the process's own, not a file, and is written from a signal handler: its calls go
// to the system directly, not through the file-system seam, whose test double takes a lock.
namespace gs {

bool open_stop_signal(stop_signal& stop) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    stop.wake_read = ends[0];
    stop.wake_write = ends[1];
    return true;
}

void raise_stop(stop_signal& stop) {
    stop.raised.store(true);
    if (stop.wake_write >= 0) {
        const char byte = 1;
        // A full pipe is already readable, so a write that fails loses nothing.
        [[maybe_unused]] const ssize_t written = ::write(stop.wake_write, &byte, 1);
    }
}

bool stop_raised(const stop_signal& stop) {
    return stop.raised.load();
}

void close_stop_signal(stop_signal& stop) {
    if (stop.wake_read >= 0) ::close(stop.wake_read);
    if (stop.wake_write >= 0) ::close(stop.wake_write);
    stop.wake_read = -1;
    stop.wake_write = -1;
}

}  // namespace gs
