// All or nothing: a run keeps every game it was given, or leaves every output as it was before it.
//
// Before the first byte is appended, the run locks its output directory (one run at a time), refuses
// to start over a journal that a killed run left, checks that no two outputs are one file, and writes a
// journal of what every output is now. Every output is opened relative to the directory's descriptor and
// held by a descriptor of the run's own; the report (--explain) is written under a temporary name beside
// its own, created exclusively. At a successful end the outputs are synced (with --sync), the report
// takes its name and the journal is removed; at any other end every output the run opened is cut back by
// its descriptor, the files the run created are removed while their names still lead to them, and the
// journal goes. A run killed outright leaves the journal, which --recover reads (see io/journal.hpp for
// what it trusts). Outputs that are not regular files (a FIFO, /dev/null) cannot be cut back.
#pragma once

#include <span>
#include <string>
#include <vector>

#include <functional>
#include "app/options.hpp"

#include "io/journal.hpp"
#include "io/ledger.hpp"
#include "io/output_lock.hpp"
#include "io/outputs.hpp"
#include "io/restore.hpp"
#include "text/console.hpp"
#include "text/system_calls.hpp"

namespace gs {

// The exit statuses of a run that ends on its own (a signal ends it as itself, see app/signals.hpp).
inline constexpr int status_ok = 0;
inline constexpr int status_failed = 1;

struct run_guard {
    std::string dir;  // the output directory, empty for the working directory
    output_lock lock;
    file_status dir_status;  // of the directory locked
    run_journal journal;
    std::vector<std::string> names;  // the outputs' names in the directory, empty for one dropped
    std::vector<held_output> held;   // the outputs opened, by descriptors of the guard's own
    bool journaled = false;
    bool sync = false;
    std::string report_path;           // where the report goes at the end, or empty
    int report_dir_fd = -1;            // the directory the report is written in
    std::string report_name;           // its name there
    std::string report_temp;           // the temporary name there, empty when the report is written in place
    file_status report_made;           // the temporary report as created
    int report_fd = -1;                // opened for the report until the report takes it
    std::vector<ledger_entry> ledger;  // the ledger's lines when the run began
    file_status ledger_status;         // the ledger read (exists is false when there is none)
    std::vector<ledger_entry> ledger_new;  // the lines a kept run appends to the ledger
    bool checkpointed = false;             // the journal holds a checkpoint that a failed run stops at
    std::size_t input_count = 0;           // of the run, for the message of a run that stopped
};

// The output directory as messages show it ("." for the working directory), and as the option that
// names it in a command they suggest (" -o DIR", nothing for the working directory).
std::string shown_dir(const std::string& dir);
std::string dir_option(const std::string& dir);

// Every name an output of a run can have, compressed or not: all that a journal may name.
std::vector<std::string> known_output_names();

// What a run checks against the ledger before anything is written; false after its message.
using ledger_check = std::function<bool(std::span<const ledger_entry>)>;

// Locks the output directory, refuses a journal left there, reads the ledger (refusing one that cannot be
// trusted) and checks the inputs against it with check (may be empty), checks the outputs (their file
// names in the directory; an empty one is an output that is dropped) and writes the journal, which names
// the ledger as it is too. False after its message; nothing has been created or changed then.
bool begin_guarded_run(run_guard& guard, const run_options& options, std::span<const std::string> names,
                       const ledger_check& check, console& con);

// For --resume: locks the output directory and takes over the journal of the run stopped there, which
// must have been started with options.command_line and name the outputs by names, with the ledger as it
// was then. False after its message; nothing has been changed then.
bool resume_guarded_run(run_guard& guard, const run_options& options, std::span<const std::string> names,
                        console& con);

// Writes a checkpoint of a --resumable run into its journal; a run that fails from now on stops here.
// False, recording why in failures, when it cannot be written: the last checkpoint stays.
bool write_checkpoint(run_guard& guard, journal_resume resume, failure_list& failures);

// Opens the report's file and the outputs (shown by paths), which must be as the journal says (for a
// resumed run: at least as long as at its checkpoint, to which they are cut back), and holds them for a
// roll-back. False after its message; the run must then be rolled back.
bool open_guarded_files(run_guard& guard, outputs& outs, std::span<const std::string> paths,
                        const compress_setting& setting, unsigned threads, console& con);

// The end of a guarded run, the one place that decides keep or roll back: when the run went well (the
// outputs closed, and synced when asked), keeps what it wrote (ledger_new is appended to the ledger, the
// report takes its name, the journal goes, synced with its directory when asked); when it did not, or a step
// of keeping fails, puts every output back as it was, removes the report being written and the journal, and
// says so: the interruption by signal (when not 0), or that nothing of this run was kept, and what could not
// be put back. True when the run was kept.
bool end_run(run_guard& guard, bool went_well, int signal, console& con);

// Releases the descriptors and the lock.
void end_guarded_run(run_guard& guard);

// --recover: puts the outputs of dir back as a killed run's journal says they were, says what it cut,
// and removes the journal. The exit status: 0 when recovered or nothing was to recover, 1 when the
// journal is not trusted or an output is shorter than it was (nothing is cut then), or another run holds
// the directory.
int recover_outputs(const run_options& options, console& con);

}  // namespace gs
