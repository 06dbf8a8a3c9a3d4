// The five output files and the one that receives lines now.
//
// Each output is opened for appending (created when absent) and written through a large buffer, so the
// tool makes no system call per line. Every write, flush and close is checked: a failure prints
// "Error: During writing file '<name>'" once for that output and makes the run end with status 1.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string_view>

#include "classify/game.hpp"
#include "text/console.hpp"

namespace gs {

inline constexpr std::array<std::string_view, output_count> output_file_names = {
    "comp_vs_comp.pgn", "comp_vs_human.pgn", "comp_vs_rest.pgn", "rest_vs_rest.pgn", "advanced.pgn",
};

inline constexpr std::size_t output_buffer_size = 128 * 1024;

struct output_channel {
    std::string_view name;
    int fd = -1;
    std::unique_ptr<char[]> buffer;
    std::size_t used = 0;
    bool failed = false;  // a write, flush or close failed and was reported
};

struct outputs {
    std::array<output_channel, output_count> channels;
    output_role current = output_role::rest_vs_rest;
};

// Opens the five files in the order of output_file_names. On failure prints
// "Error: During creating or opening file '<name>'", closes what it opened and returns false.
bool open_outputs(outputs& outs, console& out);

// Uses five descriptors that the caller opened (in the order of output_file_names) instead of the files:
// for running the sorter in memory. close_outputs closes them.
void attach_outputs(outputs& outs, const std::array<int, output_count>& fds);

// Writes the line and a newline to the current output. False when the output has failed.
bool write_line(outputs& outs, std::string_view line, console& out);

// Flushes and closes the five outputs in order, also after a failure of one of them. False when any
// output failed, now or before.
bool close_outputs(outputs& outs, console& out);

}  // namespace gs
