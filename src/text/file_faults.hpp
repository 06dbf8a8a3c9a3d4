// A file system that makes chosen calls fail, as a full disk or a failing device would: the double that
// tests put in the place of the real one (text/file_system.hpp), in process or, through the environment
// variable GAMESIEVE_TEST_FAULTS, in the built tool.
//
// A plan is a comma-separated list of faults:
//   write:N       the N-th write to a file opened for appending (an output) stores half of its first
//                 piece and fails with ENOSPC
//   write:NAME:N  the same for the N-th write to the file whose last name is NAME
//   read:NAME:N   the N-th read of the file whose last name is NAME fails with EIO
//   remove:NAME   every removal of NAME fails with EACCES
//   sync          every fsync fails with EIO
// Counts start from 1 and count every call of the kind since the plan was put in place.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "text/file_system.hpp"

namespace gs {

struct file_fault {
    enum class kind : std::uint8_t { write, read, remove, sync };
    kind what = kind::write;
    std::string name;  // empty: any file opened for appending (write), or any file
    std::uint64_t nth = 0;
};

// Reads a plan; false when the text is not one.
bool parse_fault_plan(std::string_view text, std::vector<file_fault>& plan);

class faulty_file_system : public file_system {
  public:
    explicit faulty_file_system(std::vector<file_fault> plan);
    int open_at(int dir_fd, const char* name, int flags, mode_t mode) override;
    ssize_t read(int fd, char* buffer, std::size_t capacity) override;
    ssize_t write(int fd, const iovec* pieces, int count) override;
    bool remove_at(int dir_fd, const char* name) override;
    bool sync(int fd) override;
    bool close(int fd) override;

  private:
    struct opened {
        std::string name;
        bool appending = false;
    };
    const file_fault* due(file_fault::kind what, const opened& file);

    std::vector<file_fault> plan_;
    std::vector<std::uint64_t> counts_;
    std::map<int, opened> files_;
    std::mutex mutex_;
};

}  // namespace gs
