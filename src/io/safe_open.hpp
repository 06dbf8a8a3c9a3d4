// Opening the files a run writes without being led astray: by a planted link, a FIFO with no reader, a
// stale temporary name, or a file that changed its kind between a look and an open.
//
// Every name is opened relative to its directory's descriptor, so that a directory renamed or replaced
// during the run does not change which files the run writes. A link is followed only where the kernel's
// protected_symlinks would follow it: not one that another user owns in a directory others can write,
// unless that user owns the directory too.
#pragma once

#include <sys/types.h>
#include <string>
#include <string_view>

#include "text/system_calls.hpp"

namespace gs {

// Whether a run may follow the link link (its own status) found in the directory dir.
bool may_follow_link(const file_status& link, const file_status& dir);

// What opening a file came to: its descriptor, or why there is none (errno, and when the project has
// words of its own for it, those).
struct opened_file {
    int fd = -1;
    int error = 0;
    std::string_view why;  // empty: reason_of(error) says it
    bool created = false;  // the run created the file
    file_status status;    // of the file opened, when it opened
};

// The reason of a failed opened_file, in the project's words where it has them.
std::string reason_of(const opened_file& opened);

// What the output name in the directory dir_fd (whose status is dir) is now, following a link that may be
// followed: exists is false when there is none. False, with why set in result, for a link that may not
// be followed or one that leads nowhere.
bool look_at_output(int dir_fd, const std::string& name, const file_status& dir, file_status& now,
                    opened_file& result);

// Opens an output for appending: created exclusively (never through a link) when absent, otherwise the
// file or the link that may be followed; a FIFO without a reader fails at once instead of waiting.
opened_file open_output_file(int dir_fd, const std::string& name, const file_status& dir);

// Creates name in dir_fd exclusively, never through a link, with mode (exactly, whatever the umask, when
// exact_mode). A name that is already there is removed first, as a name: in a shared directory that
// fails for another user's file, and the creation with it.
opened_file create_temp_file(int dir_fd, const std::string& name, mode_t mode, bool exact_mode);

// create_temp_file for temp, which is to replace name in dir_fd: with the mode of the regular file name
// is now (exactly), or the usual mode of a new file when there is none.
opened_file create_replacement(int dir_fd, const std::string& name, const std::string& temp);

// Replaces the file at path with text, whole or not at all: written beside it under the temporary report
// name (created exclusively, with the mode of the file it replaces) and renamed within the directory. 0 or
// the errno of the step that failed; then nothing is left beside it.
int replace_file(const std::string& path, std::string_view text);

// Opens what is not a regular file (a FIFO, a device) for writing, without waiting for a reader.
opened_file open_special_for_writing(int dir_fd, const std::string& name);

}  // namespace gs
