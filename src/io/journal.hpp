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
//
// A --resumable run adds what --resume needs: "resumable <working directory>" and "argument <text>" per
// word of its command line (both escaped, see escape_field), then its last checkpoint: "checkpoint
// <input> <offset> <hash of the text before offset, or -> <games kept> <per mille done, or ->", "at
// <size> <name>" per output that is a file, "partial <games> <bytes>" (the counts of the input reached,
// five each, separated by commas) and "done <ledger line>" per input finished.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "io/ledger.hpp"

namespace gs {

inline constexpr std::string_view journal_file_name = ".gamesieve-journal";
inline constexpr std::string_view journal_temp_name = ".gamesieve-journal.new";
// What a report's name gains while the run writes it.
inline constexpr std::string_view report_temp_suffix = ".gamesieve-partial";
// Far more than a journal of five outputs, a report path, and a resumable run's command line and ledger
// lines for thousands of inputs ever need.
inline constexpr std::size_t journal_max_bytes = 4 * 1024 * 1024;

struct journal_output {
    enum class before : std::uint8_t { size, absent, special };
    std::string name;  // the file name in the output directory
    before state = before::absent;
    std::uint64_t size = 0;
};

// Where a --resumable run stands: its command line and its last checkpoint.
struct journal_resume {
    std::string directory;               // the working directory the run was started in
    std::vector<std::string> arguments;  // its command line after the program's name
    std::size_t input = 0;               // the input to go on with (0-based)
    std::uint64_t offset = 0;            // the text of that input sorted before (byte-order mark left out)
    std::optional<hash128> digest;       // its hash (none when offset is 0)
    std::uint64_t games = 0;             // the games kept by the run up to the checkpoint
    std::optional<unsigned> per_mille;   // of the inputs' bytes, when their sizes are known
    std::vector<std::pair<std::string, std::uint64_t>> sizes;   // each output file's size at the checkpoint
    std::array<std::uint64_t, ledger_outputs> partial_games{};  // what the input reached gave before offset
    std::array<std::uint64_t, ledger_outputs> partial_bytes{};
    std::vector<ledger_entry> done;  // the ledger lines of the inputs finished
};

struct run_journal {
    std::vector<journal_output> outputs;
    std::string report;                    // the absolute path of the report being written, or empty
    std::optional<journal_resume> resume;  // for a --resumable run
};

std::string journal_text(const run_journal& journal);

// Reads a journal's text; the names an output line may carry are known_names. Empty when the text is a
// journal, otherwise why it is not (which line, what is wrong, at most 100 of its characters quoted).
std::string parse_journal(std::string_view text, std::span<const std::string> known_names,
                          run_journal& journal);

// Writes the journal into the directory dir_fd. 0, or the errno of the step that failed; then no
// temporary journal is left, and no journal either unless keep_old (the one there stays as it was: a
// checkpoint that cannot be written leaves the last one).
int write_journal(const run_journal& journal, int dir_fd, bool sync, bool keep_old = false);

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
