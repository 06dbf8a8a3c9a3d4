#include "text/file_faults.hpp"

#include <fcntl.h>

#include <cerrno>
#include <charconv>

namespace gs {
namespace {

bool read_count(std::string_view text, std::uint64_t& count) {
    const auto [at, fault] = std::from_chars(text.data(), text.data() + text.size(), count);
    return fault == std::errc() && at == text.data() + text.size() && count > 0;
}

std::string last_name(const char* path) {
    const std::string_view text(path);
    const std::size_t slash = text.find_last_of('/');
    return std::string(slash == std::string_view::npos ? text : text.substr(slash + 1));
}

}  // namespace

bool parse_fault_plan(std::string_view text, std::vector<file_fault>& plan) {
    plan.clear();
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        file_fault fault;
        const std::size_t colon = item.find(':');
        const std::string_view word = item.substr(0, colon);
        const std::string_view rest =
            colon == std::string_view::npos ? std::string_view() : item.substr(colon + 1);
        const std::size_t last = rest.rfind(':');
        if (word == "sync" && rest.empty()) {
            fault.what = file_fault::kind::sync;
        } else if (word == "remove" && !rest.empty()) {
            fault.what = file_fault::kind::remove;
            fault.name = rest;
        } else if ((word == "write" || word == "read") && !rest.empty()) {
            fault.what = word == "write" ? file_fault::kind::write : file_fault::kind::read;
            if (last != std::string_view::npos) fault.name = rest.substr(0, last);
            const std::string_view count = last == std::string_view::npos ? rest : rest.substr(last + 1);
            if (!read_count(count, fault.nth)) return false;
            if (fault.what == file_fault::kind::read && fault.name.empty()) return false;
        } else {
            return false;
        }
        plan.push_back(fault);
    }
    return !plan.empty();
}

faulty_file_system::faulty_file_system(std::vector<file_fault> plan)
    : plan_(std::move(plan)), counts_(plan_.size(), 0) {}

const file_fault* faulty_file_system::due(file_fault::kind what, const opened& file) {
    const file_fault* hit = nullptr;
    for (std::size_t i = 0; i < plan_.size(); ++i) {
        const file_fault& fault = plan_[i];
        if (fault.what != what) continue;
        const bool matches =
            fault.name.empty() ? what != file_fault::kind::write || file.appending : fault.name == file.name;
        if (!matches) continue;
        if (fault.nth == 0 || ++counts_[i] == fault.nth) hit = &fault;
    }
    return hit;
}

int faulty_file_system::open_at(int dir_fd, const char* name, int flags, mode_t mode) {
    const int fd = file_system::open_at(dir_fd, name, flags, mode);
    if (fd >= 0) {
        const std::lock_guard<std::mutex> guard(mutex_);
        files_[fd] = {last_name(name), (flags & O_APPEND) != 0};
    }
    return fd;
}

ssize_t faulty_file_system::read(int fd, char* buffer, std::size_t capacity) {
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        const auto file = files_.find(fd);
        if (file != files_.end() && due(file_fault::kind::read, file->second) != nullptr) {
            errno = EIO;
            return -1;
        }
    }
    return file_system::read(fd, buffer, capacity);
}

ssize_t faulty_file_system::write(int fd, const iovec* pieces, int count) {
    bool failing = false;
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        const auto file = files_.find(fd);
        failing = file != files_.end() && due(file_fault::kind::write, file->second) != nullptr;
    }
    if (!failing) return file_system::write(fd, pieces, count);
    // A disk that fills in the middle of a write: half of the first piece arrives.
    if (count > 0) {
        const iovec half{pieces[0].iov_base, pieces[0].iov_len / 2};
        file_system::write(fd, &half, 1);
    }
    errno = ENOSPC;
    return -1;
}

bool faulty_file_system::remove_at(int dir_fd, const char* name) {
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        if (due(file_fault::kind::remove, {last_name(name), false}) != nullptr) {
            errno = EACCES;
            return false;
        }
    }
    return file_system::remove_at(dir_fd, name);
}

bool faulty_file_system::sync(int fd) {
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        if (due(file_fault::kind::sync, {}) != nullptr) {
            errno = EIO;
            return false;
        }
    }
    return file_system::sync(fd);
}

bool faulty_file_system::close(int fd) {
    {
        const std::lock_guard<std::mutex> guard(mutex_);
        files_.erase(fd);
    }
    return file_system::close(fd);
}

}  // namespace gs
