// The file system as gamesieve sees it: one small interface through which every call that touches a
// file goes (the wrappers in text/system_calls.hpp make their calls through it), so that a test can put a
// double in its place and make any one call fail, as a full disk or a failing device would.
//
// The calls are the system's own, one to one, relative to a directory's descriptor where it matters: each
// returns what the system call does and leaves errno set as it would. The real file system is active
// unless a double is put in its place; the active one is chosen before any thread starts.
#pragma once

#include <sys/types.h>
#include <sys/uio.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace gs {

// What a name or a descriptor is, from one stat: asked many questions, stat once.
struct file_status {
    bool exists = false;
    mode_t mode = 0;
    uid_t owner = 0;
    std::uint64_t size = 0;
    dev_t device = 0;
    ino_t inode = 0;

    bool regular() const;
    bool directory() const;
    bool link() const;
    bool fifo() const;
    bool same_as(const file_status& other) const;  // one file: both exist with one device and inode
};

class file_system {
  public:
    virtual ~file_system() = default;
    virtual int open_at(int dir_fd, const char* name, int flags, mode_t mode);              // openat(2)
    virtual ssize_t read(int fd, char* buffer, std::size_t capacity);                       // read(2)
    virtual ssize_t read_at(int fd, char* buffer, std::size_t capacity, std::uint64_t at);  // pread(2)
    virtual bool change_dir(const char* path);                                              // chdir(2)
    virtual ssize_t write(int fd, const iovec* pieces, int count);                          // writev(2)
    virtual bool status_at(int dir_fd, const char* name, bool follow, file_status& out);    // fstatat(2)
    virtual bool status_of(int fd, file_status& out);                                       // fstat(2)
    virtual bool cut(int fd, std::uint64_t size);                                           // ftruncate(2)
    virtual bool sync(int fd);                                                              // fsync(2)
    virtual bool remove_at(int dir_fd, const char* name);                                   // unlinkat(2)
    virtual bool rename_at(int dir_fd, const char* from, const char* to);                   // renameat(2)
    virtual bool set_mode(int fd, mode_t mode);                                             // fchmod(2)
    virtual bool lock(int fd);                                   // flock(2), exclusive, not waiting
    virtual bool close(int fd);                                  // close(2)
    virtual int control(int fd, int command, int argument);      // fcntl(2)
    virtual bool real_path(const char* path, std::string& out);  // realpath(3)
    virtual bool read_link(const char* path, std::string& out);  // readlink(2)
};

// The file system every call goes through now.
file_system& active_file_system();

// Puts fs in the place of the real file system (null: the real one again); for tests.
void use_file_system(file_system* fs);

}  // namespace gs
