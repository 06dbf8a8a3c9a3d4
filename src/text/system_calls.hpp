// The system calls that gamesieve makes on files, each wrapped once over the file system's one seam
// (text/file_system.hpp): a call that a signal interrupts is made again, and a write is carried on until
// every byte is written or it fails.
//
// They sit at the bottom of the layers because both the list files and the inputs and outputs are read
// and written through them.
#pragma once

#include <sys/types.h>
#include <sys/uio.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "text/file_system.hpp"

namespace gs {

// open(2), made again when a signal interrupts it; the descriptor, or -1 with errno set.
int open_file(const char* path, int flags, mode_t mode = 0);

// openat(2) relative to the directory dir_fd (AT_FDCWD: the working directory), made again when a
// signal interrupts it; the descriptor, or -1 with errno set.
int open_at(int dir_fd, const char* name, int flags, mode_t mode = 0);

// The status of name in dir_fd; a link is taken as itself unless follow. When there is none (or it
// cannot be asked), exists is false and errno says why.
file_status status_at(int dir_fd, const char* name, bool follow);
file_status status_of(int fd);

// ftruncate(2), fsync(2), unlinkat(2) and renameat(2) within one directory, and close(2): false with
// errno set when they fail (close is not made again: the descriptor is gone either way).
bool cut_file(int fd, std::uint64_t size);
bool sync_file(int fd);
bool remove_at(int dir_fd, const char* name);
bool rename_at(int dir_fd, const char* from, const char* to);
bool close_file(int fd);
bool set_mode(int fd, mode_t mode);  // fchmod(2)
int duplicate_fd(int fd);            // a copy of fd (never 0-2), closed on exec; -1 with errno set

// flock(2), exclusive and not waiting, made again when a signal interrupts it; false with errno set.
bool lock_file(int fd);

// realpath(3) and readlink(2); false with errno set.
bool real_path(const std::string& path, std::string& out);
bool read_link(const std::string& path, std::string& out);

// Clears O_NONBLOCK on a descriptor opened with it (so that opening a FIFO or device could not wait);
// false with errno set.
bool make_blocking(int fd);

// Opens /dev/null on each of standard input, output and error that is closed, so that no file the run
// opens later takes their numbers and receives what is meant for them.
void fill_closed_standard_streams();

// The system's reason for errno value error, as the line after a failure message shows it.
std::string reason_of(int error);

// The directory part of path (what open_at needs, "." when none) and its last name.
struct path_parts {
    std::string dir;
    std::string name;
};
path_parts split_path(const std::string& path);

// read(2), made again when a signal interrupts it before any byte is read; the count, 0 at the end, or
// -1 with errno set.
ssize_t read_some(int fd, char* buffer, std::size_t capacity);

// pread(2): up to capacity bytes at offset at, made again when a signal interrupts it; the count, 0 past
// the end, or -1 with errno set.
ssize_t read_some_at(int fd, char* buffer, std::size_t capacity, std::uint64_t at);

// chdir(2); false with errno set.
bool change_dir(const char* path);

// Waits until fd has input (or its end, or an error) or wake_fd becomes readable, whichever comes first;
// made again when a signal interrupts it. True when fd is ready, false when woken. Without a wake_fd
// (-1), returns at once.
bool wait_for_input(int fd, int wake_fd);

// Writes every byte of the pieces, in order, however many pieces there are (they are given to writev in
// batches of at most IOV_MAX) and however few bytes each call takes. The pieces are used up as they are
// written. False after a failed write, with errno set.
bool write_all(int fd, std::span<iovec> pieces);

// Writes every byte of bytes; false after a failed write.
bool write_all(int fd, std::string_view bytes);

// Zero-filled memory mapped from the system for a table that is read at random. One of 2 MiB or more
// starts on a 2 MiB boundary and asks for huge pages, so that its look-ups miss the TLB rarely rather
// than nearly every time (a 4 MiB table of 4 KiB pages spans a thousand of them). It is unmapped when
// the block goes; data is null when the system refused the memory.
struct mapped_block {
    void* data = nullptr;
    std::size_t size = 0;

    mapped_block() = default;
    mapped_block(const mapped_block&) = delete;
    mapped_block& operator=(const mapped_block&) = delete;
    mapped_block(mapped_block&& other) noexcept;
    mapped_block& operator=(mapped_block&& other) noexcept;
    ~mapped_block();
};
mapped_block map_zeroed(std::size_t bytes);

// The path of name in dir: name itself when dir is empty (the working directory), otherwise dir and name
// joined by one slash.
std::string join_path(std::string_view dir, std::string_view name);

}  // namespace gs
