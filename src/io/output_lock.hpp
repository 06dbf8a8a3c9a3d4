// One run at a time on a set of outputs: a run holds an exclusive lock on its output directory while it
// writes there.
//
// The lock is flock(2) on the directory itself, so it needs no file of its own, covers every name by
// which the directory is reached, and is released by the kernel when its holder ends in any way: a run
// that was killed never blocks the next one.
#pragma once

#include <string_view>

namespace gs {

struct output_lock {
    int fd = -1;
    int error = 0;  // why the lock failed: the errno of opening or locking the directory
};

enum class lock_result { locked, busy, failed };

// Takes the lock of dir (the working directory when empty) without waiting: busy when another process
// holds it, failed when the directory cannot be opened.
lock_result lock_output_dir(output_lock& lock, std::string_view dir);

// The directory's descriptor while it is locked, for syncing the directory after a change of its names.
int locked_dir_fd(const output_lock& lock);

void unlock_output_dir(output_lock& lock);

}  // namespace gs
