// The journal of a run: what every output was before the run appended to it.
//
// A run writes the journal into its output directory before the first byte of an output is appended,
// and removes it once the run has ended, its outputs kept or rolled back. A journal found at the start of
// a run is left by a run that was killed outright; --recover then puts every output back as the journal
// says. The journal appears whole or not at all (it is written under a temporary name, created
// exclusively and never through a link, and renamed within the directory), and with --sync it is synced,
// with its directory, before any output grows, so that a power cut leaves it too.
//
// A journal is trusted only as far as this run could have written it: a regular file of the user running
// gamesieve (never a link, a FIFO or a device), at most journal_max_bytes long, every line well formed,
// each output name one of the names a run writes, each size a sane one, and a report only a temporary
// report name. Anything else is refused whole, with the reason, and nothing is cut.
//
// Format, one line each: "gamesieve journal 1", then "output <before> <name>" per output, where <before>
// is the size in bytes, "absent" (the run creates the file) or "special" (not a regular file: nothing to
// roll back), then "report <absolute path>" when a report is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gs {

inline constexpr std::string_view journal_file_name = ".gamesieve-journal";
inline constexpr std::string_view journal_temp_name = ".gamesieve-journal.new";
// What a report's name gains while the run writes it.
inline constexpr std::string_view report_temp_suffix = ".gamesieve-partial";
// Far more than a journal of five outputs and a report path ever needs.
inline constexpr std::size_t journal_max_bytes = 64 * 1024;

struct journal_output {
    enum class before : std::uint8_t { size, absent, special };
    std::string name;  // the file name in the output directory
    before state = before::absent;
    std::uint64_t size = 0;
};

struct run_journal {
    std::vector<journal_output> outputs;
    std::string report;  // the absolute path of the report being written, or empty
};

std::string journal_text(const run_journal& journal);

// Reads a journal's text; the names an output line may carry are known_names. Empty when the text is a
// journal, otherwise why it is not (which line, what is wrong, at most 100 of its characters quoted).
std::string parse_journal(std::string_view text, std::span<const std::string> known_names,
                          run_journal& journal);

// Writes the journal into the directory dir_fd. 0, or the errno of the step that failed; then no journal
// (and no temporary one) is left.
int write_journal(const run_journal& journal, int dir_fd, bool sync);

enum class journal_read { none, read, damaged };
struct journal_found {
    journal_read state = journal_read::none;
    std::string why;  // for damaged: what is wrong with it
};

// Reads the journal of the directory dir_fd, trusting it only as the header says.
journal_found read_journal(int dir_fd, std::span<const std::string> known_names, run_journal& journal);

// Removes the journal of dir_fd (one that is already gone counts as removed). 0 or the errno.
int remove_journal(int dir_fd, bool sync);

}  // namespace gs
