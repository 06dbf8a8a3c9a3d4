#include "io/restore.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "text/system_calls.hpp"

namespace gs {
namespace {

using result = restore_step::result;

restore_step step_of(const std::string& name, result what, std::uint64_t bytes = 0) {
    return {name, what, bytes, what == result::failed ? errno : 0};
}

// Cuts the file fd, whose size now is now, back to before.
restore_step cut_back(const std::string& name, int fd, std::uint64_t now, std::uint64_t before) {
    if (now < before) return step_of(name, result::shorter);
    if (now == before) return step_of(name, result::unchanged);
    if (!cut_file(fd, before)) return step_of(name, result::failed);
    return step_of(name, result::cut, now - before);
}

}  // namespace

void release_held(std::span<held_output> held) {
    for (held_output& out : held) {
        if (out.fd >= 0) close_file(out.fd);
        out.fd = -1;
    }
}

std::vector<restore_step> restore_held(std::span<const held_output> held, int dir_fd) {
    std::vector<restore_step> steps;
    for (const held_output& out : held) {
        if (out.fd < 0) continue;
        if (!out.regular) {
            steps.push_back(step_of(out.name, result::special));
            continue;
        }
        const file_status now = status_of(out.fd);
        if (!out.created) {
            steps.push_back(cut_back(out.name, out.fd, now.size, out.size_before));
            continue;
        }
        if (status_at(dir_fd, out.name.c_str(), false).same_as(now)) {
            steps.push_back(remove_at(dir_fd, out.name.c_str()) ? step_of(out.name, result::removed)
                                                                : step_of(out.name, result::failed));
        } else {
            steps.push_back(cut_file(out.fd, 0) ? step_of(out.name, result::emptied, now.size)
                                                : step_of(out.name, result::failed));
        }
    }
    return steps;
}

std::vector<restore_step> restore_named(const run_journal& journal, int dir_fd, bool act) {
    std::vector<restore_step> steps;
    for (const journal_output& out : journal.outputs) {
        const char* name = out.name.c_str();
        const file_status now = status_at(dir_fd, name, false);
        if (out.state == journal_output::before::special) continue;
        if (now.link()) {
            steps.push_back(step_of(out.name, result::link));
            continue;
        }
        if (out.state == journal_output::before::absent) {
            if (!now.exists) continue;
            if (!now.regular()) {
                steps.push_back(step_of(out.name, result::special));
            } else if (!act) {
                steps.push_back(step_of(out.name, result::removed));
            } else {
                steps.push_back(remove_at(dir_fd, name) ? step_of(out.name, result::removed)
                                                        : step_of(out.name, result::failed));
            }
            continue;
        }
        if (!now.regular()) {
            steps.push_back(step_of(out.name, now.exists ? result::special : result::shorter));
            continue;
        }
        if (!act || now.size <= out.size) {
            steps.push_back(now.size < out.size    ? step_of(out.name, result::shorter)
                            : now.size == out.size ? step_of(out.name, result::unchanged)
                                                   : step_of(out.name, result::cut, now.size - out.size));
            continue;
        }
        const int fd = open_at(dir_fd, name, O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            steps.push_back(step_of(out.name, errno == ELOOP ? result::link : result::failed));
            continue;
        }
        // The file opened must be the one looked at: a name swapped in between is left alone.
        const file_status opened = status_of(fd);
        if (!opened.same_as(now) || !opened.regular()) {
            steps.push_back(step_of(out.name, result::special));
        } else {
            steps.push_back(cut_back(out.name, fd, opened.size, out.size));
        }
        close_file(fd);
    }
    return steps;
}

restore_step remove_report_temp(const std::string& path) {
    const path_parts parts = split_path(path);
    const int dir_fd = open_file(parts.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd < 0) return step_of(path, result::unchanged);
    const file_status now = status_at(dir_fd, parts.name.c_str(), false);
    restore_step step = step_of(path, result::unchanged);
    if (now.exists && (now.regular() || now.link()) && now.owner == ::geteuid())
        step = remove_at(dir_fd, parts.name.c_str()) ? step_of(path, result::removed)
                                                     : step_of(path, result::failed);
    close_file(dir_fd);
    return step;
}

}  // namespace gs
