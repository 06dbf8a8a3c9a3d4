// All or nothing: a run keeps every game it was given, or leaves every output as it was before it.
//
// Before the first byte is appended, the run locks its output directory (one run at a time), refuses
// to start over a journal that a killed run left, checks that no two outputs are one file, and writes a
// journal of what every output is now. The report (--explain) is written under a temporary name beside
// its own. At a successful end the outputs are synced (with --sync), the report takes its name and the
// journal is removed; at any other end every output is cut back to its size before the run, the files
// the run created are removed, and the journal goes. A run killed outright leaves the journal, which
// --recover reads. Outputs that are not regular files (a FIFO, /dev/null) cannot be cut back.
#pragma once

#include <span>
#include <string>

#include "app/options.hpp"
#include "io/journal.hpp"
#include "io/output_lock.hpp"
#include "io/outputs.hpp"
#include "text/console.hpp"

namespace gs {

struct run_guard {
    std::string dir;  // the output directory, empty for the working directory
    output_lock lock;
    run_journal journal;
    bool journaled = false;
    bool sync = false;
    std::string report_path;  // where the report goes at the end, or empty
    std::string report_temp;  // where it is written until then (the same when it cannot be renamed)
};

// Locks the output directory, refuses a journal left there, checks the outputs (their file names in the
// directory; an empty one is an output that is dropped) and writes the journal. False after its message;
// nothing has been created or changed then.
bool begin_guarded_run(run_guard& guard, const run_options& options, std::span<const std::string> names,
                       console& con);

// Keeps what the run wrote: gives the report its name and removes the journal (synced with its directory
// when asked). The outputs must be closed, and synced when asked (close_outputs). False (after its message)
// when a step failed; the run must then be rolled back.
bool keep_run(run_guard& guard, console& con);

// Puts every output back as the journal says, removes the report being written and the journal, and
// says so: the interruption by signal (when not 0), or that nothing of this run was kept, and which
// outputs could not be cut back.
void roll_back_run(run_guard& guard, const outputs& outs, int signal, console& con);

// Releases the lock.
void end_guarded_run(run_guard& guard);

// --recover: puts the outputs of dir back as a killed run's journal says they were, says what it cut,
// and removes the journal. The exit status: 0 when recovered or nothing was to recover, 1 when the
// journal is damaged or an output is shorter than it was (nothing is cut then), or another run holds
// the directory.
int recover_outputs(const run_options& options, console& con);

}  // namespace gs
