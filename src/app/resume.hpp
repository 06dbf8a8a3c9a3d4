// Resumable runs (--resumable, --resume): checkpoints of where a run stands, and going on from the last
// one after the run stopped (a signal, a full disk, a read error, or the machine lost).
//
// A checkpoint is taken in the writer's turn between two chunks, so at a game boundary: every compressed
// output ends its frame there, and the journal records each output's size, the input reached and the
// length and hash of its text sorted so far, and the ledger lines of the inputs finished. A run that
// fails after a checkpoint is cut back to it (app/guard.hpp); --resume runs the same command line again
// from the same working directory, cuts the outputs back to the checkpoint, reads the input reached
// again up to where it stopped (checking that its text is the same) and goes on from there.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/guard.hpp"
#include "app/options.hpp"
#include "io/input.hpp"
#include "sort/pipeline.hpp"
#include "text/console.hpp"

namespace gs {

// --resume: the options of the run stopped in the output directory of given, read from its journal,
// after changing to the working directory that run was started in. Nothing after its message.
std::optional<run_options> options_to_resume(const run_options& given, console& con);

// What a checkpoint at at records, after the last one: the outputs' sizes now, the counts so far, and
// the ledger lines of the inputs finished since (raw_sizes: each input's file size, 0 when unknown).
journal_resume checkpoint_of(const journal_resume& last, const checkpoint_at& at, const run_counts& counts,
                             const std::vector<input_stream>& inputs,
                             std::span<const std::optional<hash128>> quick,
                             std::span<const held_output> held);

// The counts of a resumed run before it goes on: what the stopped run kept up to its checkpoint.
void counts_at_checkpoint(const journal_resume& resume, std::size_t input_count, run_counts& counts);

// Where a resumed run goes on in its inputs.
resume_point resume_point_of(const journal_resume& resume);

// False, after saying which, when an input that the stopped run finished is not the file it was (its
// size or quick hash, for a regular file) or the checkpoint names an input the run does not have.
bool finished_inputs_unchanged(const journal_resume& resume, const std::vector<input_stream>& inputs,
                               std::span<const std::optional<hash128>> quick, const std::string& dir,
                               console& con);

}  // namespace gs
