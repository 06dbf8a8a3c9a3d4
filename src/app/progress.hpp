// What a long run shows while it works, and the summary after it.
//
// Progress appears only when its stream is a terminal (or when forced on): a line of the share done and
// the time left (when the inputs' size is known), input bytes done, MB/s and elapsed time, redrawn at most
// four times a second, erased before every message and at the end, so pipes, scripts and CI see nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "io/outputs.hpp"
#include "sort/pipeline.hpp"
#include "text/console.hpp"

namespace gs {

struct progress_meter {
    std::FILE* stream = nullptr;  // null when progress is not shown
    console* con = nullptr;       // whose messages erase the line before they are printed
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point last_shown;
    bool shown = false;
};

// Starts the clock; progress is shown on stream when wanted and stream is a terminal (or when forced).
progress_meter start_progress(std::FILE* stream, console& con, bool wanted, bool forced);

// The progress line: with a known total of input bytes (raw_total, compressed bytes for a compressed
// input, 0 when unknown), the share done and the time left beside the PGN bytes sorted, MB/s and the time;
// never width columns or more, so that it never wraps: a narrow terminal loses MB/s first, then the bytes,
// then the time, and keeps the share done and the time left.
std::string progress_line(std::uint64_t bytes_done, double seconds, std::uint64_t raw_done,
                          std::uint64_t raw_total, unsigned width);

// Redraws the line, at most four times a second.
void show_progress(progress_meter& meter, std::uint64_t bytes_done, std::uint64_t raw_done,
                   std::uint64_t raw_total);
void end_progress(progress_meter& meter);
double elapsed_seconds(const progress_meter& meter);

// One line per output with the games and bytes it received, then a total line with games, input bytes,
// seconds and MB/s, then a warning for each input (named by inputs) that looks like it has classic Mac
// line ends, which make all of it one line.
void print_summary(console& con, const outputs& outs, const run_counts& counts, double seconds,
                   const std::vector<std::string>& inputs);

}  // namespace gs
