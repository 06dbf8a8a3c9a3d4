// The ledger of an output directory: one line for every input that a kept run sorted into it, so that a
// run can refuse an input whose games are there already.
//
// An input is known by the hash of its bytes as read and by the hash of its PGN text (decompressed, its
// byte-order mark left out), so the same games are recognised under another name and in another
// compression; a regular file is known before it is read by its size and the hash of its first and last
// mebibyte. The ledger is appended to when a run is kept, under the run's journal, which names it as it
// was before, so a roll-back or --recover cuts it back with the outputs.
//
// It is trusted as the journal is: a regular file of this user, never a link, every line no longer than
// ledger_line_max and well formed, its last line ended. Anything else is damage, which stops a run.
//
// Format: "gamesieve ledger 1", then per input, fields separated by tabs: the time (UTC,
// 2026-12-10T01:02:03Z), the bytes read, their hash, the quick hash of a regular file or "-", the bytes of
// text, its hash, the games given to each output and their bytes (five counts each, separated by commas,
// in the order of the outputs), and the input's name as given (escaped, see escape_field).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/safe_open.hpp"
#include "text/content_hash.hpp"

namespace gs {

inline constexpr std::string_view ledger_file_name = ".gamesieve-ledger";
// Far more than a line with the longest path needs.
inline constexpr std::size_t ledger_line_max = 16 * 1024;
// The outputs a line counts games for, in the order of the run's outputs.
inline constexpr std::size_t ledger_outputs = 5;

struct ledger_entry {
    std::string when;   // 2026-12-10T01:02:03Z
    std::string input;  // the name as given on the command line
    std::uint64_t raw_size = 0;
    hash128 raw_hash;
    std::optional<hash128> quick;  // of a regular file
    std::uint64_t text_size = 0;
    hash128 text_hash;
    std::array<std::uint64_t, ledger_outputs> games{};
    std::array<std::uint64_t, ledger_outputs> bytes{};
};

// Five counts, one per output, separated by commas ("1,0,12,3,0"), as a ledger line and a resumable
// run's journal write them; read_counts_field reads them back (false for anything else: a sign, a leading
// zero, a count too many or too few).
using output_counts = std::array<std::uint64_t, ledger_outputs>;
std::string counts_field(const output_counts& counts);
bool read_counts_field(std::string_view text, output_counts& counts);

// One line of the ledger, with its line feed.
std::string ledger_line(const ledger_entry& entry);
// Reads a line (without its line feed); nothing when it is not one.
std::optional<ledger_entry> parse_ledger_line(std::string_view line);
// The first line of a ledger, with its line feed.
std::string ledger_head();

enum class ledger_read { none, read, damaged };
struct ledger_found {
    ledger_read state = ledger_read::none;
    std::string why;     // for damaged: what is wrong with it
    file_status status;  // of the ledger read
};

// Reads the ledger of the directory dir_fd into entries, oldest first.
ledger_found read_ledger(int dir_fd, std::vector<ledger_entry>& entries);

// Opens the ledger of dir_fd for appending, as it was read (was: its status then; absent: create it,
// exclusively); never through a link. The file must still be the one read, at the size read.
opened_file open_ledger_for_append(int dir_fd, const file_status& was);

// The time now, as a ledger line gives it.
std::string ledger_time_now();

}  // namespace gs
