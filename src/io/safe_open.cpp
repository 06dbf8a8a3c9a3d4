#include "io/safe_open.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "io/journal.hpp"

namespace gs {
namespace {

constexpr std::string_view why_foreign_link =
    "a link that another user made in a directory that others can write; gamesieve does not follow it";
constexpr std::string_view why_dangling_link = "a link to a file that does not exist";
constexpr std::string_view why_no_reader = "a FIFO that no program is reading";

opened_file failed(int error, std::string_view why = {}) {
    opened_file result;
    result.error = error;
    result.why = why;
    return result;
}

opened_file succeeded(int fd, bool created) {
    opened_file result;
    result.fd = fd;
    result.created = created;
    result.status = status_of(fd);
    return result;
}

// Finishes an open: the descriptor made blocking again, and its status.
opened_file opened(int fd, bool created) {
    if (fd < 0) return failed(errno, errno == ENXIO ? why_no_reader : std::string_view());
    if (!make_blocking(fd)) {
        const int error = errno;
        close_file(fd);
        return failed(error);
    }
    return succeeded(fd, created);
}

}  // namespace

bool may_follow_link(const file_status& link, const file_status& dir) {
    const bool others_write = (dir.mode & S_IWOTH) != 0;
    return !others_write || link.owner == ::geteuid() || link.owner == dir.owner;
}

std::string reason_of(const opened_file& opened) {
    return opened.why.empty() ? reason_of(opened.error) : std::string(opened.why);
}

bool look_at_output(int dir_fd, const std::string& name, const file_status& dir, file_status& now,
                    opened_file& result) {
    now = status_at(dir_fd, name.c_str(), false);
    if (!now.exists) {
        if (errno == ENOENT) return true;
        result = failed(errno);
        return false;
    }
    if (!now.link()) return true;
    if (!may_follow_link(now, dir)) {
        result = failed(ELOOP, why_foreign_link);
        return false;
    }
    now = status_at(dir_fd, name.c_str(), true);
    if (!now.exists) {
        result = failed(errno, errno == ENOENT ? why_dangling_link : std::string_view());
        return false;
    }
    return true;
}

opened_file open_output_file(int dir_fd, const std::string& name, const file_status& dir) {
    file_status now;
    opened_file result;
    if (!look_at_output(dir_fd, name, dir, now, result)) return result;
    constexpr int flags = O_WRONLY | O_APPEND | O_NONBLOCK | O_CLOEXEC;
    if (!now.exists)
        return opened(open_at(dir_fd, name.c_str(), flags | O_CREAT | O_EXCL | O_NOFOLLOW, 0666), true);
    // A link that may be followed was followed by the look; anything else must not be a link now.
    const bool link = status_at(dir_fd, name.c_str(), false).link();
    return opened(open_at(dir_fd, name.c_str(), link ? flags : flags | O_NOFOLLOW), false);
}

opened_file create_temp_file(int dir_fd, const std::string& name, mode_t mode, bool exact_mode) {
    constexpr int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = open_at(dir_fd, name.c_str(), flags, mode);
    if (fd < 0 && errno == EEXIST && remove_at(dir_fd, name.c_str()))
        fd = open_at(dir_fd, name.c_str(), flags, mode);
    if (fd < 0) return failed(errno);
    if (exact_mode && !set_mode(fd, mode)) {
        const int error = errno;
        close_file(fd);
        remove_at(dir_fd, name.c_str());
        return failed(error);
    }
    return succeeded(fd, true);
}

opened_file create_replacement(int dir_fd, const std::string& name, const std::string& temp) {
    const file_status old = status_at(dir_fd, name.c_str(), true);
    return create_temp_file(dir_fd, temp, old.regular() ? old.mode & 07777 : 0666, old.regular());
}

int replace_file(const std::string& path, std::string_view text) {
    const path_parts parts = split_path(path);
    const int dir_fd = open_file(parts.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd < 0) return errno;
    const std::string temp = parts.name + std::string(report_temp_suffix);
    const opened_file made = create_replacement(dir_fd, parts.name, temp);
    int error = made.error;
    if (made.fd >= 0) {
        if (!write_all(made.fd, text)) error = errno;
        if (!close_file(made.fd) && error == 0) error = errno;
        if (error == 0 && !rename_at(dir_fd, temp.c_str(), parts.name.c_str())) error = errno;
        if (error != 0) remove_at(dir_fd, temp.c_str());
    }
    close_file(dir_fd);
    return error;
}

opened_file open_special_for_writing(int dir_fd, const std::string& name) {
    return opened(open_at(dir_fd, name.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC), false);
}

}  // namespace gs
