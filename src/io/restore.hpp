// Putting outputs back as they were before a run: by the descriptors the run opened, when the run itself
// rolls back, and by the names its journal gives, when --recover follows a run that was killed.
//
// A run cuts back what it opened, not what a name leads to now: a file it appended to is cut by its
// descriptor wherever it has gone, and a file it created is removed by name only while that name still
// leads to it (otherwise it is emptied, and what is at the name is left alone). --recover never follows
// a link: an output that is a link now is left as it is, and said so.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "io/journal.hpp"

namespace gs {

// An output as the run opened it.
struct held_output {
    std::string name;  // in the output directory
    int fd = -1;       // a descriptor of its own for the file, -1 when the output was not opened
    bool created = false;
    bool regular = false;
    std::uint64_t size_before = 0;
};

// Closes the descriptors of held outputs.
void release_held(std::span<held_output> held);

// What putting one output back came to.
struct restore_step {
    enum class result : std::uint8_t {
        unchanged,  // it is as it was
        cut,        // cut back by bytes
        removed,    // the run created it: removed
        emptied,    // the run created it, but it is no longer at its name: emptied where it is
        shorter,    // shorter than it was (someone else changed it): left as it is
        special,    // not a regular file: what was written stays
        link,       // a link now (--recover): left as it is
        failed      // the cut or removal failed: error says why
    };
    std::string name;
    result what = result::unchanged;
    std::uint64_t bytes = 0;
    int error = 0;
};

// Rolls back the held outputs of the directory dir_fd.
std::vector<restore_step> restore_held(std::span<const held_output> held, int dir_fd);

// What --recover does to each output of the journal in dir_fd; with act false it only looks (so that
// nothing is cut when one output is shorter than it was).
std::vector<restore_step> restore_named(const run_journal& journal, int dir_fd, bool act);

// Removes the temporary report at path when it is a file (or a link) of this user; removed, unchanged
// (nothing there, or not this user's) or failed.
restore_step remove_report_temp(const std::string& path);

}  // namespace gs
