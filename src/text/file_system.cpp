#include "text/file_system.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace gs {
namespace {

file_status status_from(const struct stat& info) {
    return {true,        info.st_mode, info.st_uid, static_cast<std::uint64_t>(info.st_size),
            info.st_dev, info.st_ino};
}

file_system real_file_system;
file_system* active = &real_file_system;

}  // namespace

bool file_status::regular() const {
    return exists && S_ISREG(mode);
}
bool file_status::directory() const {
    return exists && S_ISDIR(mode);
}
bool file_status::link() const {
    return exists && S_ISLNK(mode);
}
bool file_status::fifo() const {
    return exists && S_ISFIFO(mode);
}
bool file_status::same_as(const file_status& other) const {
    return exists && other.exists && device == other.device && inode == other.inode;
}

int file_system::open_at(int dir_fd, const char* name, int flags, mode_t mode) {
    return ::openat(dir_fd, name, flags, mode);
}

ssize_t file_system::read(int fd, char* buffer, std::size_t capacity) {
    return ::read(fd, buffer, capacity);
}

ssize_t file_system::read_at(int fd, char* buffer, std::size_t capacity, std::uint64_t at) {
    return ::pread(fd, buffer, capacity, static_cast<off_t>(at));
}

bool file_system::change_dir(const char* path) {
    return ::chdir(path) == 0;
}

ssize_t file_system::write(int fd, const iovec* pieces, int count) {
    return ::writev(fd, pieces, count);
}

bool file_system::status_at(int dir_fd, const char* name, bool follow, file_status& out) {
    struct stat info {};
    if (::fstatat(dir_fd, name, &info, follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0) return false;
    out = status_from(info);
    return true;
}

bool file_system::status_of(int fd, file_status& out) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    out = status_from(info);
    return true;
}

bool file_system::cut(int fd, std::uint64_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

bool file_system::sync(int fd) {
    return ::fsync(fd) == 0;
}

bool file_system::remove_at(int dir_fd, const char* name) {
    return ::unlinkat(dir_fd, name, 0) == 0;
}

bool file_system::rename_at(int dir_fd, const char* from, const char* to) {
    return ::renameat(dir_fd, from, dir_fd, to) == 0;
}

bool file_system::set_mode(int fd, mode_t mode) {
    return ::fchmod(fd, mode) == 0;
}

bool file_system::lock(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

bool file_system::close(int fd) {
    return ::close(fd) == 0;
}

int file_system::control(int fd, int command, int argument) {
    return ::fcntl(fd, command, argument);
}

bool file_system::real_path(const char* path, std::string& out) {
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path, nullptr), &std::free);
    if (!resolved) return false;
    out = resolved.get();
    return true;
}

bool file_system::read_link(const char* path, std::string& out) {
    char target[PATH_MAX];
    const ssize_t size = ::readlink(path, target, sizeof target);
    if (size < 0 || static_cast<std::size_t>(size) >= sizeof target) return false;
    out.assign(target, static_cast<std::size_t>(size));
    return true;
}

file_system& active_file_system() {
    return *active;
}

void use_file_system(file_system* fs) {
    active = fs != nullptr ? fs : &real_file_system;
}

}  // namespace gs
