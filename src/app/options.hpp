// The command line: options and inputs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "classify/game.hpp"

namespace gs {

struct run_options {
    std::vector<std::string> inputs;  // in order; "-" is standard input
    std::string lists_dir;            // empty: the working directory
    std::string output_dir;           // empty: the working directory
    std::string explain_path;         // empty: no explanation report
    bool summary = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool check_lists = false;
    bool player_tags = false;
    evidence_options evidence;  // --evidence[=moves,events,tags]
    std::string unlisted_path;  // --unlisted FILE: the names no list decided; empty: none
    bool recover = false;       // put the outputs back after a run that was killed, and sort nothing
    bool again = false;         // sort inputs that the ledger holds already
    bool ledger = false;        // print the ledger of the output directory, and sort nothing
    bool resumable = false;     // take checkpoints, and stop at the last one when the run fails
    bool resume = false;        // go on with the run stopped in the output directory
    // Progress: 0 as standard error decides (a terminal shows it), 1 forced on, -1 forced off.
    int progress = 0;
    std::string compress;   // "FORMAT[:LEVEL]" for compressed outputs, empty for plain ones
    std::uint8_t only = 0;  // a bit per output (1 << output_role) to write; 0: all five
    bool sync = false;      // sync the outputs to the disk before the run's journal is removed
    unsigned threads = 0;   // 0: one per core
    std::vector<std::string> command_line;  // as given, after the program's name (what --resume runs again)
};

// Reads the comma-separated output names of --only ("comp_vs_comp,advanced") into a bit per output.
// False when a name is not one of the five.
bool read_output_names(std::string_view text, std::uint8_t& bits);

// Reads the comma-separated kinds of --evidence ("moves,tags"); an empty text turns all on. False when a
// kind is not one of moves, events and tags.
bool read_evidence_kinds(std::string_view text, evidence_options& evidence);

// The most threads that --threads accepts: far more than any machine has cores to sort with.
inline constexpr unsigned max_threads = 256;

// Parses the command line with getopt_long. On a mistake (an unknown option, a missing or bad value)
// returns nothing and sets error to a one-line message.
std::optional<run_options> parse_options(int argc, const char* const* argv, std::string& error);

}  // namespace gs
