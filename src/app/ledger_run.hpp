// What a run does with the ledger of its output directory (io/ledger.hpp): refuses inputs whose games
// are there already, makes the lines of the inputs it sorted, and prints the ledger (--ledger).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/options.hpp"
#include "io/input.hpp"
#include "io/ledger.hpp"
#include "sort/pipeline.hpp"
#include "text/console.hpp"

namespace gs {

// The quick hash of each input that is a regular file (nothing for the others), by position.
std::vector<std::optional<hash128>> quick_hashes_of(const std::vector<input_stream>& inputs);

// Before anything is written: false, after saying why, when an input that is a regular file holds the
// bytes of an input in the ledger or of an earlier input of the run. Files are compared by size and
// quick hash first; only a file that agrees so is read whole.
bool refuse_known_files(std::span<const ledger_entry> ledger, const std::vector<input_stream>& inputs,
                        std::span<const std::optional<hash128>> quick, const std::string& dir, console& con);

// The ledger lines of the inputs [first, last) as the run read them (their tallies in counts).
std::vector<ledger_entry> ledger_entries_of(const std::vector<input_stream>& inputs, const run_counts& counts,
                                            std::span<const std::optional<hash128>> quick, std::size_t first,
                                            std::size_t last, const std::string& when);

// At the end of a run: false, after saying why, when an input of fresh (not empty) holds the bytes or the
// PGN text of an input in the ledger or of an earlier one in fresh: a copy under another name, in
// another compression, or read from standard input.
bool refuse_sorted_entries(std::span<const ledger_entry> ledger, std::span<const ledger_entry> fresh,
                           const std::string& dir, console& con);

// Says that the ledger at path cannot be trusted, and why.
void say_ledger_damaged(const std::string& path, const std::string& why, console& con);

// --ledger: prints the ledger of the output directory as a table, one line per input, oldest first (the
// fields separated by tabs). The exit status.
int print_ledger(const run_options& options, console& con);

}  // namespace gs
