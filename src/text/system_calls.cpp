#include "text/system_calls.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

namespace gs {

int open_file(const char* path, int flags, mode_t mode) {
    while (true) {
        const int fd = ::open(path, flags, mode);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

int open_at(int dir_fd, const char* name, int flags, mode_t mode) {
    while (true) {
        const int fd = ::openat(dir_fd, name, flags, mode);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

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

namespace {

file_status status_from(const struct stat& info) {
    return {true,        info.st_mode, info.st_uid, static_cast<std::uint64_t>(info.st_size),
            info.st_dev, info.st_ino};
}

}  // namespace

file_status status_at(int dir_fd, const char* name, bool follow) {
    struct stat info {};
    if (::fstatat(dir_fd, name, &info, follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0) return {};
    return status_from(info);
}

file_status status_of(int fd) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) return {};
    return status_from(info);
}

bool cut_file(int fd, std::uint64_t size) {
    while (true) {
        if (::ftruncate(fd, static_cast<off_t>(size)) == 0) return true;
        if (errno != EINTR) return false;
    }
}

bool sync_file(int fd) {
    while (true) {
        if (::fsync(fd) == 0) return true;
        if (errno != EINTR) return false;
    }
}

bool remove_at(int dir_fd, const char* name) {
    return ::unlinkat(dir_fd, name, 0) == 0;
}

bool rename_at(int dir_fd, const char* from, const char* to) {
    return ::renameat(dir_fd, from, dir_fd, to) == 0;
}

bool close_file(int fd) {
    return ::close(fd) == 0;
}

bool set_mode(int fd, mode_t mode) {
    return ::fchmod(fd, mode) == 0;
}

int duplicate_fd(int fd) {
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

bool make_blocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

void fill_closed_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open gives the lowest free number, which is fd itself.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) ::close(opened);
    }
}

std::string reason_of(int error) {
    return std::strerror(error);
}

path_parts split_path(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return {".", path};
    if (slash == 0) return {"/", path.substr(1)};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

ssize_t read_some(int fd, char* buffer, std::size_t capacity) {
    while (true) {
        const ssize_t got = ::read(fd, buffer, capacity);
        if (got >= 0 || errno != EINTR) return got;
    }
}

bool wait_for_input(int fd, int wake_fd) {
    if (wake_fd < 0) return true;
    pollfd watched[2] = {{fd, POLLIN, 0}, {wake_fd, POLLIN, 0}};
    while (true) {
        const int ready = ::poll(watched, 2, -1);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return true;  // the read that follows reports the error
        if (watched[1].revents != 0) return false;
        if (watched[0].revents != 0) return true;
    }
}

bool write_all(int fd, std::span<iovec> pieces) {
    iovec* piece = pieces.data();
    std::size_t left = pieces.size();
    const auto skip_empty = [&] {
        while (left > 0 && piece->iov_len == 0) {
            ++piece;
            --left;
        }
    };
    skip_empty();
    while (left > 0) {
        const auto batch = static_cast<int>(std::min<std::size_t>(left, IOV_MAX));
        const ssize_t done = ::writev(fd, piece, batch);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) return false;
        if (done == 0) {
            errno = EIO;  // a device that takes nothing would loop for ever
            return false;
        }
        auto written = static_cast<std::size_t>(done);
        while (left > 0 && written >= piece->iov_len) {
            written -= piece->iov_len;
            ++piece;
            --left;
        }
        if (written > 0) {
            piece->iov_base = static_cast<char*>(piece->iov_base) + written;
            piece->iov_len -= written;
        }
        skip_empty();
    }
    return true;
}

bool write_all(int fd, std::string_view bytes) {
    iovec piece{const_cast<char*>(bytes.data()), bytes.size()};
    return write_all(fd, std::span(&piece, 1));
}

namespace {

file_identity identity_of(const struct stat& info) {
    if (!S_ISREG(info.st_mode)) return {};
    return {true, info.st_dev, info.st_ino};
}

}  // namespace

file_identity identity_of_fd(int fd) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) return {};
    return identity_of(info);
}

file_identity identity_of_path(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    return identity_of(info);
}

bool same_file(const file_identity& a, const file_identity& b) {
    return a.known && b.known && a.device == b.device && a.inode == b.inode;
}

namespace {

constexpr std::size_t huge_page = std::size_t{1} << 21;

void unmap(mapped_block& block) {
    if (block.data != nullptr) munmap(block.data, block.size);
    block.data = nullptr;
    block.size = 0;
}

}  // namespace

mapped_block::mapped_block(mapped_block&& other) noexcept : data(other.data), size(other.size) {
    other.data = nullptr;
    other.size = 0;
}

mapped_block& mapped_block::operator=(mapped_block&& other) noexcept {
    if (this != &other) {
        unmap(*this);
        data = other.data;
        size = other.size;
        other.data = nullptr;
        other.size = 0;
    }
    return *this;
}

mapped_block::~mapped_block() {
    unmap(*this);
}

mapped_block map_zeroed(std::size_t bytes) {
    mapped_block block;
    const bool huge = bytes >= huge_page;
    const std::size_t size = huge ? (bytes + huge_page - 1) / huge_page * huge_page : bytes;
    // A huge block is mapped one huge page larger and trimmed to the boundary inside it.
    const std::size_t mapped = huge ? size + huge_page : size;
    void* const raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return block;
    char* start = static_cast<char*>(raw);
    if (huge) {
        const auto address = reinterpret_cast<std::uintptr_t>(raw);
        char* const aligned = start + ((huge_page - address % huge_page) % huge_page);
        if (aligned > start) munmap(start, static_cast<std::size_t>(aligned - start));
        const std::size_t tail = mapped - static_cast<std::size_t>(aligned - start) - size;
        if (tail > 0) munmap(aligned + size, tail);
        start = aligned;
        madvise(start, size, MADV_HUGEPAGE);  // a hint: without huge pages the block works the same
    }
    block.data = start;
    block.size = size;
    return block;
}

std::string join_path(std::string_view dir, std::string_view name) {
    std::string path;
    if (!dir.empty()) {
        path.assign(dir);
        if (!dir.ends_with('/')) path.push_back('/');
    }
    path.append(name);
    return path;
}

}  // namespace gs
