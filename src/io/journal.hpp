// The journal of a run: what every output was before the run appended to it.
//
// A run writes the journal into its output directory before the first byte of an output is appended,
// and removes it once the run has ended, its outputs kept or rolled back. A journal found at the start of
// a run is left by a run that was killed outright; --recover then puts every output back as the journal
// says. The journal appears whole or not at all (it is written under another name and renamed), and with
// --sync it is synced, with its directory, before any output grows, so that a power cut leaves it too.
//
// Format, one line each: "gamesieve journal 1", then "output <before> <name>" per output, where <before>
// is the size in bytes, "absent" (the run creates the file) or "special" (not a regular file: nothing to
// roll back), then "report <path>" when a report is written.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/console.hpp"

namespace gs {

inline constexpr std::string_view journal_file_name = ".gamesieve-journal";

struct journal_output {
    enum class before : std::uint8_t { size, absent, special };
    std::string name;  // the file name in the output directory
    before state = before::absent;
    std::uint64_t size = 0;
};

struct run_journal {
    std::vector<journal_output> outputs;
    std::string report;  // the path of the report being written, or empty
};

// What each named output in dir is now (an empty name is skipped).
run_journal journal_of(std::string_view dir, std::span<const std::string> names);

// Writes the journal into dir (dir_fd: its open descriptor, for syncing). False when it cannot be
// written; then no journal is left.
bool write_journal(const run_journal& journal, std::string_view dir, int dir_fd, bool sync);

enum class journal_read { none, read, damaged };
journal_read read_journal(std::string_view dir, run_journal& journal);

// Removes the journal of dir. False when it cannot be removed.
bool remove_journal(std::string_view dir, int dir_fd, bool sync);

// Puts every output back as the journal says it was: a file cut back to its size, a file that the run
// created removed, and the report being written removed. An output that is now shorter than it was is
// left alone (someone else changed it) and reported through shorter. Prints what it cut when telling.
// False when a cut or removal failed (reported).
bool roll_back(const run_journal& journal, std::string_view dir, bool telling, console& con,
               std::vector<std::string>* shorter = nullptr);

// The outputs that are now shorter than the journal says they were, by path; roll_back cuts nothing of a
// journal with one.
std::vector<std::string> shorter_outputs(const run_journal& journal, std::string_view dir);

}  // namespace gs
