// The parallel sorter: a reader cuts the inputs into chunks at game starts, workers sort chunks, and a
// writer appends each chunk's results to the outputs and prints its messages, strictly in input order.
// The reader and the writer are threads of their own, or roles that the workers take in turn.
//
// The chunks are cut the same way whatever the number of workers, and the writer takes them in input
// order, so outputs, messages and exit status do not depend on the number of threads, on success and on
// failure. A fixed number of chunks is in flight, which bounds memory; a game larger than a chunk makes
// its chunk grow, so lines of any length stay whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/chunk_sorter.hpp"
#include "app/input.hpp"
#include "app/outputs.hpp"
#include "lists/list_files.hpp"
#include "text/console.hpp"

namespace gs {

inline constexpr std::size_t default_chunk_bytes = std::size_t{1} << 19;

// Who reads the input and writes the sorted chunks: threads of their own, or the workers in turn; by
// default threads of their own while there are fewer workers than cores or an input is compressed. The
// output is the same either way.
enum class io_mode { automatic, own_threads, workers };

struct pipeline_settings {
    unsigned threads = 1;  // sorting workers
    io_mode io = io_mode::automatic;
    std::size_t chunk_bytes = default_chunk_bytes;  // the size a chunk is cut at, before it is cut at a game
};

// What a run did, counted as chunks are written.
struct run_counts {
    std::array<std::uint64_t, output_count> games{};
    std::array<std::uint64_t, output_count> bytes{};
    std::uint64_t input_bytes = 0;  // PGN bytes sorted (after decompression)
};

// The explanation report: one tab-separated line per game, appended to file.
struct explain_report {
    std::FILE* file = nullptr;
    std::string path;
    bool failed = false;
};

// Called by the writer after each chunk with the counts so far; may be empty.
using progress_callback = std::function<void(const run_counts&)>;

// Sorts the inputs, in order, into the outputs. Each input is read from its start (its byte-order mark
// skipped) to its end, and a game whose tags end an input is finished before the next input starts.
// Date warnings go to the console in input order; with a report, one line per game goes to its file.
// False after a read error of an input ("Error: During reading <path>", after the games before the
// damage are written), a failed output, or a failed write of the report; messages printed.
bool sort_inputs(std::vector<input_stream>& inputs, const name_lists& lists, const sort_settings& settings,
                 const pipeline_settings& pipeline, outputs& outs, console& con, explain_report* report,
                 run_counts& counts, const progress_callback& progress);

}  // namespace gs
