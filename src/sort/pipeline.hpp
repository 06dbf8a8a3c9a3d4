// The parallel sorter: workers that take turns reading the inputs in chunks cut at game starts, sort the
// chunks side by side, and take turns appending each sorted chunk's results to the outputs (with its
// messages and report lines), strictly in input order.
//
// The chunks are cut the same way whatever the number of workers, and are written in input order, so
// outputs, messages and exit status do not depend on the number of threads, on success and on failure.
// A fixed number of chunks is in flight, which bounds memory; a game larger than a chunk makes its chunk
// grow, so lines of any length stay whole.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "io/input.hpp"
#include "io/outputs.hpp"
#include "io/stop_signal.hpp"
#include "lists/list_files.hpp"
#include "sort/chunk_sorter.hpp"
#include "sort/explain_report.hpp"
#include "text/content_hash.hpp"
#include "text/failure.hpp"

namespace gs {

inline constexpr std::size_t default_chunk_bytes = std::size_t{1} << 19;

// Where a run that was stopped at a checkpoint goes on: an input, and how much of its text (its
// byte-order mark left out) was sorted before, whose hash the input must still give.
struct resume_point {
    std::size_t input = 0;
    std::uint64_t offset = 0;
    hash128 digest;  // of the text before offset
};

// A checkpoint: every chunk before it is written, and a run stopped later may go on from next.
struct checkpoint_at {
    resume_point next;
    std::size_t input = 0;       // the input of the last chunk written
    std::uint64_t raw_done = 0;  // that input's file bytes read when the chunk was read
};

struct run_counts;
// Takes a checkpoint; false when it failed, which ends the run.
using checkpoint_callback = std::function<bool(const checkpoint_at&, const run_counts&)>;

struct pipeline_settings {
    unsigned threads = 1;                           // sorting workers
    std::size_t chunk_bytes = default_chunk_bytes;  // the size a chunk is cut at, before it is cut at a game
    stop_signal* stop =
        nullptr;  // raised by the run (a signal) or by the pipeline when it fails; may be null
    unlisted_names* unlisted = nullptr;  // counts the unlisted names, in input order; may be null
    // Given the warnings of each chunk (whole lines), in input order, as they are written; may be empty.
    std::function<void(std::string_view)> warn = nullptr;
    resume_point start{};                      // where the run starts (the inputs before are not read)
    checkpoint_callback checkpoint = nullptr;  // when set, called about every checkpoint_bytes or seconds,
                                               // and after an input (but the last) once a sixteenth
                                               // of those bytes or a second has passed
    std::uint64_t checkpoint_bytes = std::uint64_t{256} << 20;
    double checkpoint_seconds = 30;
    // Compressed inputs after the one being read that are decompressed at the same time, by threads of
    // their own, into blocks shared by all (decode_ahead_blocks of them at most); 0: each input is
    // decompressed when it is read.
    unsigned decoders_ahead = 0;
};

// The blocks of decompressed text that the inputs decoded ahead share, in MiB.
inline constexpr std::size_t decode_ahead_blocks = 24;

// What one input gave the outputs.
struct input_tally {
    std::array<std::uint64_t, output_count> games{};
    std::array<std::uint64_t, output_count> bytes{};
    std::uint64_t text_bytes = 0;  // PGN bytes sorted (after decompression, byte-order mark left out)
    hash128 text_hash;             // of those bytes, once the input has ended
    bool ended = false;            // its last chunk is written
};

// The games of all outputs in a tally.
std::uint64_t games_of(const input_tally& tally);

// What a run did, counted as chunks are written.
struct run_counts {
    std::array<std::uint64_t, output_count> games{};
    std::array<std::uint64_t, output_count> bytes{};
    std::uint64_t input_bytes = 0;  // PGN bytes sorted (after decompression)
    // The inputs (by position) whose first megabyte holds carriage returns but no line feed: classic Mac
    // line ends, which make the whole file one line.
    std::vector<std::size_t> carriage_return_only;
    std::vector<input_tally> per_input;  // by position, for the inputs reached so far
};

// How much of an input's start is looked at for classic Mac line ends.
inline constexpr std::size_t line_end_sniff_bytes = std::size_t{1} << 20;

// Called by the writer after each chunk with the counts so far; may be empty.
using progress_callback = std::function<void(const run_counts&)>;

// Sorts the inputs, in order, into the outputs (output_count of them, in the order of output_role). Each
// input is read from its start (its byte-order mark skipped) to its end, and a game whose tags end an
// input is finished before the next input starts. Date warnings go to pipeline.warn in input order; with
// a report, one line per game goes to it. False after a read error of an input ("Error: During reading
// <path>" and its reason), a failed output, a failed write of the report, or a raised stop; the failures
// are recorded in failures, in the order they happened. When fewer threads than asked can be started, the
// ones that started (at least the calling thread) do the work, with the same result.
bool sort_inputs(std::vector<input_stream>& inputs, const name_lists& lists, const sort_settings& settings,
                 const pipeline_settings& pipeline, outputs& outs, failure_list& failures,
                 explain_report* report, run_counts& counts, const progress_callback& progress);

}  // namespace gs
