#include "io/output_lock.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "text/system_calls.hpp"

namespace gs {

lock_result lock_output_dir(output_lock& lock, std::string_view dir) {
    const std::string path = dir.empty() ? std::string(".") : std::string(dir);
    lock.fd = open_file(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    lock.error = errno;
    if (lock.fd < 0) return lock_result::failed;
    lock.error = 0;
    if (!lock_file(lock.fd)) {
        const bool busy = errno == EWOULDBLOCK;
        lock.error = errno;
        close_file(lock.fd);
        lock.fd = -1;
        return busy ? lock_result::busy : lock_result::failed;
    }
    return lock_result::locked;
}

int locked_dir_fd(const output_lock& lock) {
    return lock.fd;
}

void unlock_output_dir(output_lock& lock) {
    if (lock.fd >= 0) close_file(lock.fd);  // closing the last descriptor releases the lock
    lock.fd = -1;
}

}  // namespace gs
