// The five output files.
//
// Each output is opened for appending (created when absent) and receives the sorted lines in large
// blocks: each chunk of input's pieces of an output in one gathering write (or a few, for very many pieces).
// Every write and close is checked: a failure prints "Error: During writing file '<name>'" once for that
// output and makes the run end with status 1.
#pragma once

#include <sys/uio.h>

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "classify/game.hpp"
#include "text/console.hpp"

namespace gs {

inline constexpr std::array<std::string_view, output_count> output_file_names = {
    "comp_vs_comp.pgn", "comp_vs_human.pgn", "comp_vs_rest.pgn", "rest_vs_rest.pgn", "advanced.pgn",
};

struct output_channel {
    std::string path;  // as opened: the file name, in the output directory when one is given
    int fd = -1;
    bool failed = false;  // a write or close failed and was reported
};

struct outputs {
    std::array<output_channel, output_count> channels;
};

// The path of each output: its file name, under dir when dir is not empty.
std::array<std::string, output_count> output_paths(std::string_view dir);

// Opens the five files in the order of output_file_names. On failure prints
// "Error: During creating or opening file '<path>'", closes what it opened and returns false.
bool open_outputs(outputs& outs, std::string_view dir, console& con);

// Uses five descriptors that the caller opened (in the order of output_file_names) instead of the files:
// for sorting in memory. close_outputs closes them.
void attach_outputs(outputs& outs, const std::array<int, output_count>& fds);

// Appends bytes to one output. False when that output has failed, now or before.
bool write_output(outputs& outs, std::size_t index, std::string_view bytes, console& con);
// Appends the bytes of the pieces, in order, to one output; the pieces are used up as they are written.
// False when that output has failed, now or before.
bool write_output(outputs& outs, std::size_t index, std::span<iovec> pieces, console& con);

// Closes the five outputs in order, also after a failure of one of them. False when any output failed,
// now or before.
bool close_outputs(outputs& outs, console& con);

}  // namespace gs
