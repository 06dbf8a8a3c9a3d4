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
namespace {

file_system& fs() {
    return active_file_system();
}

}  // namespace

int open_file(const char* path, int flags, mode_t mode) {
    return open_at(AT_FDCWD, path, flags, mode);
}

int open_at(int dir_fd, const char* name, int flags, mode_t mode) {
    while (true) {
        const int fd = fs().open_at(dir_fd, name, flags, mode);
        if (fd >= 0 || errno != EINTR) return fd;
    }
}

file_status status_at(int dir_fd, const char* name, bool follow) {
    file_status status;
    if (!fs().status_at(dir_fd, name, follow, status)) return {};
    return status;
}

file_status status_of(int fd) {
    file_status status;
    if (fd < 0 || !fs().status_of(fd, status)) return {};
    return status;
}

bool cut_file(int fd, std::uint64_t size) {
    while (true) {
        if (fs().cut(fd, size)) return true;
        if (errno != EINTR) return false;
    }
}

bool sync_file(int fd) {
    while (true) {
        if (fs().sync(fd)) return true;
        if (errno != EINTR) return false;
    }
}

bool remove_at(int dir_fd, const char* name) {
    return fs().remove_at(dir_fd, name);
}

bool rename_at(int dir_fd, const char* from, const char* to) {
    return fs().rename_at(dir_fd, from, to);
}

bool close_file(int fd) {
    return fs().close(fd);
}

bool set_mode(int fd, mode_t mode) {
    return fs().set_mode(fd, mode);
}

int duplicate_fd(int fd) {
    return fs().control(fd, F_DUPFD_CLOEXEC, 3);
}

bool lock_file(int fd) {
    while (true) {
        if (fs().lock(fd)) return true;
        if (errno != EINTR) return false;
    }
}

bool real_path(const std::string& path, std::string& out) {
    return fs().real_path(path.c_str(), out);
}

bool read_link(const std::string& path, std::string& out) {
    return fs().read_link(path.c_str(), out);
}

bool make_blocking(int fd) {
    const int flags = fs().control(fd, F_GETFL, 0);
    return flags >= 0 && fs().control(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

void fill_closed_standard_streams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fs().control(fd, F_GETFD, 0) != -1 || errno != EBADF) continue;
        // open gives the lowest free number, which is fd itself.
        const int opened = open_file("/dev/null", O_RDWR);
        if (opened >= 0 && opened != fd) close_file(opened);
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
        const ssize_t got = fs().read(fd, buffer, capacity);
        if (got >= 0 || errno != EINTR) return got;
    }
}

ssize_t read_some_at(int fd, char* buffer, std::size_t capacity, std::uint64_t at) {
    while (true) {
        const ssize_t got = fs().read_at(fd, buffer, capacity, at);
        if (got >= 0 || errno != EINTR) return got;
    }
}

bool change_dir(const char* path) {
    return fs().change_dir(path);
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
        const ssize_t done = fs().write(fd, piece, batch);
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
