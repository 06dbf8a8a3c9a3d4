// What a long run shows while it works, and the summary after it.
//
// Progress appears only when its stream is a terminal: a line of input bytes done, MB/s and elapsed time,
// redrawn at most four times a second and erased at the end, so pipes, scripts and CI see nothing.
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
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point last_shown;
    bool shown = false;
};

// Starts the clock; progress is shown on stream when wanted and stream is a terminal.
progress_meter start_progress(std::FILE* stream, bool wanted);
void show_progress(progress_meter& meter, std::uint64_t bytes_done);
void end_progress(progress_meter& meter);
double elapsed_seconds(const progress_meter& meter);

// One line per output with the games and bytes it received, then a total line with games, input bytes,
// seconds and MB/s, then a warning for each input (named by inputs) that looks like it has classic Mac
// line ends, which make all of it one line.
void print_summary(console& con, const outputs& outs, const run_counts& counts, double seconds,
                   const std::vector<std::string>& inputs);

}  // namespace gs
