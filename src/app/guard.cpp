#include "app/guard.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "app/ledger_run.hpp"
#include "app/say.hpp"
#include "app/signals.hpp"
#include "classify/game.hpp"
#include "io/encoder.hpp"
#include "io/safe_open.hpp"
#include "text/messages.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

void print_reason(console& con, const std::string& reason) {
    print_line(con, msg_indent, reason);
}

// Locks dir; false after the message that another run holds it or that it cannot be opened.
bool lock_dir(run_guard& guard, console& con) {
    switch (lock_output_dir(guard.lock, guard.dir)) {
        case lock_result::locked:
            guard.dir_status = status_of(locked_dir_fd(guard.lock));
            return true;
        case lock_result::busy:
            print_line(con, msg_run_busy, shown_dir(guard.dir));
            return false;
        case lock_result::failed:
            break;
    }
    // The directory cannot be opened: the outputs in it could not be either.
    print_line(con, msg_cannot_create, join_path(guard.dir, output_file_names[0]), msg_name_end);
    const int error = guard.lock.error;
    if (error == ENOENT) {
        print_line(con, msg_indent, msg_no_output_dir,
                   shown_dir(guard.dir) + std::string(msg_no_output_dir_end));
    } else if (error == ENOTDIR) {
        print_line(con, msg_indent, shown_dir(guard.dir), msg_output_dir_not_dir);
    } else {
        print_reason(con, reason_of(error));
    }
    return false;
}

// Sets up the guard of a run into the options' output directory, with the outputs' names, and locks the
// directory; false after saying why it cannot be.
bool take_output_dir(run_guard& guard, const run_options& options, std::span<const std::string> names,
                     console& con) {
    guard.dir = options.output_dir;
    guard.sync = options.sync;
    guard.names.assign(names.begin(), names.end());
    return lock_dir(guard, con);
}

void print_recover_hint(const std::string& dir, console& con) {
    const std::string option = dir_option(dir);
    print_line(con, msg_unfinished, shown_dir(dir),
               std::string(msg_unfinished_end) + option + std::string(msg_unfinished_tail));
}

// Where the report is written: beside it under a temporary name, created exclusively and with the mode
// of the report it replaces, or in place when it is a FIFO or a device, opened without waiting for a
// reader. False after its message.
bool plan_report(run_guard& guard, console& con) {
    const path_parts parts = split_path(guard.report_path);
    guard.report_dir_fd = open_file(parts.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (guard.report_dir_fd < 0) {
        const int error = errno;
        print_line(con, msg_cannot_create, guard.report_path, msg_name_end);
        print_reason(con, reason_of(error));
        return false;
    }
    guard.report_name = parts.name;
    const file_status now = status_at(guard.report_dir_fd, parts.name.c_str(), true);
    if (now.exists && !now.regular()) return true;  // written in place
    guard.report_temp = parts.name + std::string(report_temp_suffix);
    // The journal names the temporary report by a path that stays right whatever the working directory.
    std::string dir;
    guard.journal.report = real_path(parts.dir, dir) ? join_path(dir, guard.report_temp)
                                                     : guard.report_path + std::string(report_temp_suffix);
    return true;
}

bool open_report(run_guard& guard, console& con) {
    opened_file opened;
    if (guard.report_temp.empty()) {
        opened = open_special_for_writing(guard.report_dir_fd, guard.report_name);
    } else {
        opened = create_replacement(guard.report_dir_fd, guard.report_name, guard.report_temp);
        guard.report_made = opened.status;
    }
    if (opened.fd < 0) {
        print_line(con, msg_cannot_create, guard.report_path, msg_name_end);
        print_reason(con, reason_of(opened));
        return false;
    }
    guard.report_fd = opened.fd;
    return true;
}

bool matches_journal(const opened_file& opened, const journal_output& out) {
    switch (out.state) {
        case journal_output::before::absent:
            return opened.created;
        case journal_output::before::special:
            return !opened.created && !opened.status.regular();
        case journal_output::before::size:
            return !opened.created && opened.status.regular() && opened.status.size == out.size;
    }
    return false;
}

// The size an output had at the run's checkpoint (0 for one that is not a file then).
std::uint64_t checkpoint_size(const run_guard& guard, const std::string& name) {
    for (const auto& [output, size] : guard.journal.resume->sizes) {
        if (output == name) return size;
    }
    return 0;
}

// A resumed run's output: cut back to where the stopped run's checkpoint left it, which it must reach.
bool cut_to_checkpoint(const run_guard& guard, opened_file& opened, const journal_output& out) {
    if (out.state == journal_output::before::special) return !opened.status.regular();
    if (!opened.status.regular()) return false;
    const std::uint64_t size = checkpoint_size(guard, out.name);
    if (opened.status.size < size) return false;
    if (opened.status.size > size && !cut_file(opened.fd, size)) {
        opened.error = errno;
        return false;
    }
    return true;
}

}  // namespace

std::string shown_dir(const std::string& dir) {
    return dir.empty() ? std::string(".") : dir;
}

std::string dir_option(const std::string& dir) {
    return dir.empty() ? std::string() : std::string(msg_unfinished_dir) + dir;
}

std::vector<std::string> known_output_names() {
    std::vector<std::string> names;
    for (const std::string_view name : output_file_names) {
        names.emplace_back(name);
        for (const format_info& format : format_table)
            names.push_back(std::string(name) + std::string(format.suffix));
    }
    names.emplace_back(ledger_file_name);
    return names;
}

bool begin_guarded_run(run_guard& guard, const run_options& options, std::span<const std::string> names,
                       const ledger_check& check, console& con) {
    if (!take_output_dir(guard, options, names, con)) return false;
    const int dir_fd = locked_dir_fd(guard.lock);
    run_journal left;
    if (read_journal(dir_fd, known_output_names(), left).state != journal_read::none) {
        if (left.resume) {
            const std::string option = dir_option(guard.dir);
            print_line(con, msg_stopped_left, shown_dir(guard.dir),
                       std::string(msg_stopped_left_resume) + option + std::string(msg_stopped_left_recover) +
                           option + std::string(msg_stopped_left_end));
        } else {
            print_recover_hint(guard.dir, con);
        }
        end_guarded_run(guard);
        return false;
    }
    const ledger_found ledger = read_ledger(dir_fd, guard.ledger);
    if (ledger.state == ledger_read::damaged) {
        say_ledger_damaged(join_path(guard.dir, std::string(ledger_file_name)), ledger.why, con);
        end_guarded_run(guard);
        return false;
    }
    guard.ledger_status = ledger.status;
    if (check && !check(guard.ledger)) {
        end_guarded_run(guard);
        return false;
    }
    std::vector<file_status> found(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty()) continue;
        opened_file refused;
        if (!look_at_output(dir_fd, names[i], guard.dir_status, found[i], refused)) {
            print_line(con, msg_cannot_create, join_path(guard.dir, names[i]), msg_name_end);
            print_reason(con, reason_of(refused));
            end_guarded_run(guard);
            return false;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (found[i].regular() && found[i].same_as(found[j])) {
                print_line(con, msg_same_output, join_path(guard.dir, names[j]),
                           std::string(msg_same_output_and) + join_path(guard.dir, names[i]) +
                               std::string(msg_same_output_end));
                end_guarded_run(guard);
                return false;
            }
        }
        journal_output out;
        out.name = names[i];
        out.state = !found[i].exists      ? journal_output::before::absent
                    : !found[i].regular() ? journal_output::before::special
                                          : journal_output::before::size;
        out.size = found[i].regular() ? found[i].size : 0;
        guard.journal.outputs.push_back(out);
    }
    if (options.resumable) {
        // The journal holds from the start what --resume needs, so that a run killed before its first
        // checkpoint goes on from the start.
        journal_resume resume;
        if (!real_path(".", resume.directory)) {
            const int error = errno;
            print_line(con, msg_cannot_journal, shown_dir(guard.dir));
            print_reason(con, reason_of(error));
            end_guarded_run(guard);
            return false;
        }
        resume.arguments = options.command_line;
        for (const journal_output& out : guard.journal.outputs) {
            if (out.state != journal_output::before::special) resume.sizes.emplace_back(out.name, out.size);
        }
        guard.journal.resume = std::move(resume);
    }
    // The ledger, which a kept run appends to, is put back with the outputs.
    journal_output ledger_before;
    ledger_before.name = std::string(ledger_file_name);
    ledger_before.state =
        ledger.status.exists ? journal_output::before::size : journal_output::before::absent;
    ledger_before.size = ledger.status.size;
    guard.journal.outputs.push_back(ledger_before);
    if (!options.explain_path.empty()) {
        guard.report_path = options.explain_path;
        if (!plan_report(guard, con)) {
            end_guarded_run(guard);
            return false;
        }
    }
    if (const int error = write_journal(guard.journal, dir_fd, guard.sync); error != 0) {
        print_line(con, msg_cannot_journal, shown_dir(guard.dir));
        print_reason(con, reason_of(error));
        end_guarded_run(guard);
        return false;
    }
    guard.journaled = true;
    return true;
}

bool resume_guarded_run(run_guard& guard, const run_options& options, std::span<const std::string> names,
                        console& con) {
    if (!take_output_dir(guard, options, names, con)) return false;
    const int dir_fd = locked_dir_fd(guard.lock);
    run_journal journal;
    const journal_found found = read_journal(dir_fd, known_output_names(), journal);
    std::string why;
    if (found.state != journal_read::read) {
        why = found.state == journal_read::none ? std::string(msg_resume_gone) : found.why;
    } else if (!journal.resume || journal.resume->arguments != options.command_line) {
        why = msg_resume_gone;
    }
    std::size_t journaled = 0;
    for (const std::string& name : names) {
        if (name.empty() || !why.empty()) continue;
        if (journaled >= journal.outputs.size() || journal.outputs[journaled++].name != name)
            why = msg_resume_gone;
    }
    // The ledger, which no run could append to while the journal was there, must be as it was.
    const ledger_found ledger = read_ledger(dir_fd, guard.ledger);
    if (why.empty() && ledger.state == ledger_read::damaged) {
        say_ledger_damaged(join_path(guard.dir, std::string(ledger_file_name)), ledger.why, con);
        end_guarded_run(guard);
        return false;
    }
    if (why.empty() &&
        (journaled + 1 != journal.outputs.size() || journal.outputs.back().name != ledger_file_name ||
         (journal.outputs.back().state == journal_output::before::size) != ledger.status.exists ||
         journal.outputs.back().size != ledger.status.size))
        why = msg_resume_ledger_changed;
    if (!why.empty()) {
        print_line(con, msg_cannot_resume, shown_dir(guard.dir));
        print_reason(con, why);
        end_guarded_run(guard);
        return false;
    }
    guard.ledger_status = ledger.status;
    guard.journal = std::move(journal);
    guard.journaled = true;
    guard.checkpointed = true;
    return true;
}

bool write_checkpoint(run_guard& guard, journal_resume resume, failure_list& failures) {
    run_journal next = guard.journal;
    next.resume = std::move(resume);
    // A checkpoint that a journal cannot hold (the ledger lines of many thousands of inputs) is not taken:
    // the run goes on, and would stop at the last one.
    if (journal_text(next).size() > journal_max_bytes) return true;
    if (const int error = write_journal(next, locked_dir_fd(guard.lock), guard.sync, true); error != 0) {
        failures.push_back({msg_cannot_journal, shown_dir(guard.dir), {}, reason_of(error)});
        return false;
    }
    guard.journal = std::move(next);
    guard.checkpointed = true;
    return true;
}

bool open_guarded_files(run_guard& guard, outputs& outs, std::span<const std::string> paths,
                        const compress_setting& setting, unsigned threads, console& con) {
    if (!guard.report_path.empty() && !open_report(guard, con)) return false;
    const int dir_fd = locked_dir_fd(guard.lock);
    std::vector<int> fds(paths.size(), -1);
    std::size_t journaled = 0;
    bool ok = true;
    for (std::size_t i = 0; i < paths.size() && ok; ++i) {
        if (guard.names[i].empty()) continue;
        const journal_output& out = guard.journal.outputs[journaled++];
        opened_file opened = open_output_file(dir_fd, guard.names[i], guard.dir_status);
        if (opened.fd >= 0) {
            // The guard's own descriptor, so that the file the run opened is cut back whatever the
            // outputs do with theirs.
            const int held_fd = duplicate_fd(opened.fd);
            if (held_fd < 0) {
                opened.error = errno;
            } else {
                guard.held.push_back(held_output{guard.names[i], held_fd, opened.created,
                                                 opened.status.regular(), opened.status.size});
                if (guard.checkpointed) {
                    if (!cut_to_checkpoint(guard, opened, out)) opened.why = msg_shorter_than_checkpoint;
                } else if (!matches_journal(opened, out)) {
                    opened.why = msg_changed_at_start;
                }
            }
            if (held_fd < 0 || !opened.why.empty()) {
                close_file(opened.fd);
                opened.fd = -1;
            }
        }
        if (opened.fd < 0) {
            print_line(con, msg_cannot_create, paths[i], msg_name_end);
            print_reason(con, reason_of(opened));
            ok = false;
        }
        fds[i] = opened.fd;
    }
    if (!ok) {
        for (int fd : fds) {
            if (fd >= 0) close_file(fd);
        }
        return false;
    }
    failure_list failures;
    const bool opened = open_outputs(outs, fds, paths, failures, setting, threads);
    print_failures(con, failures);
    return opened;
}

namespace {

// Appends the run's lines to the ledger (created when there is none), held like an output so that a
// roll-back cuts it back. False after its message.
bool append_ledger(run_guard& guard, console& con) {
    if (guard.ledger_new.empty()) return true;
    const int dir_fd = locked_dir_fd(guard.lock);
    const opened_file opened = open_ledger_for_append(dir_fd, guard.ledger_status);
    const std::string path = join_path(guard.dir, std::string(ledger_file_name));
    if (opened.fd < 0) {
        print_line(con, msg_cannot_ledger, path);
        print_reason(con, reason_of(opened));
        return false;
    }
    guard.held.push_back(held_output{std::string(ledger_file_name), opened.fd, opened.created, true,
                                     guard.ledger_status.size});
    std::string text = opened.created ? ledger_head() : std::string();
    for (const ledger_entry& entry : guard.ledger_new)
        text += ledger_line(entry);
    if (!write_all(opened.fd, text) || (guard.sync && !sync_file(opened.fd))) {
        const int error = errno;
        print_line(con, msg_cannot_ledger, path);
        print_reason(con, reason_of(error));
        return false;
    }
    return true;
}

bool keep_run(run_guard& guard, console& con) {
    if (!append_ledger(guard, con)) return false;
    if (!guard.report_temp.empty() &&
        !rename_at(guard.report_dir_fd, guard.report_temp.c_str(), guard.report_name.c_str())) {
        const int error = errno;
        print_line(con, msg_cannot_write, guard.report_path, msg_name_end);
        print_reason(con, reason_of(error));
        return false;
    }
    guard.report_temp.clear();  // the report is in place: nothing of it to remove
    if (const int error = remove_journal(locked_dir_fd(guard.lock), guard.sync); error != 0) {
        print_line(con, msg_cannot_journal, shown_dir(guard.dir));
        print_reason(con, reason_of(error));
        return false;
    }
    guard.journaled = false;
    return true;
}

void roll_back_run(run_guard& guard, int signal, console& con) {
    if (!guard.journaled) return;
    const int dir_fd = locked_dir_fd(guard.lock);
    bool restored = true;
    for (const restore_step& step : restore_held(guard.held, dir_fd)) {
        const std::string path = join_path(guard.dir, step.name);
        switch (step.what) {
            case restore_step::result::special:
                print_line(con, msg_not_rolled_back, path, msg_not_rolled_back_end);
                break;
            case restore_step::result::emptied:
                print_line(con, msg_emptied, path, msg_emptied_end);
                break;
            case restore_step::result::shorter:
                print_line(con, msg_left_shorter, path, msg_left_shorter_end);
                break;
            case restore_step::result::failed:
                print_line(con, msg_cannot_cut, path, msg_name_end);
                print_reason(con, reason_of(step.error));
                restored = false;
                break;
            default:
                break;
        }
    }
    // The temporary report goes only while its name still leads to the file the run made.
    if (!guard.report_temp.empty() && guard.report_made.exists &&
        status_at(guard.report_dir_fd, guard.report_temp.c_str(), false).same_as(guard.report_made))
        remove_at(guard.report_dir_fd, guard.report_temp.c_str());
    const file_status dir_now = status_at(AT_FDCWD, shown_dir(guard.dir).c_str(), true);
    if (!dir_now.same_as(guard.dir_status))
        print_line(con, msg_dir_moved, shown_dir(guard.dir), msg_dir_moved_end);
    if (restored) restored = remove_journal(dir_fd, guard.sync) == 0;
    guard.journaled = false;
    if (!restored) {
        print_recover_hint(guard.dir, con);
    } else if (signal != 0) {
        print_line(con, msg_interrupted, signal_name(signal), msg_interrupted_end);
    } else {
        print_line(con, msg_nothing_kept);
    }
}

// A --resumable run that fails after a checkpoint: every output is cut back to the checkpoint by the
// run's own descriptor (the ledger, when this run began to append to it, is put back as it was), the
// journal stays, and the run says how far it got.
void stop_at_checkpoint(run_guard& guard, int signal, console& con) {
    bool stopped = true;
    for (held_output& held : guard.held) {
        const std::string path = join_path(guard.dir, held.name);
        if (held.name == ledger_file_name) {
            for (const restore_step& step : restore_held(std::span(&held, 1), locked_dir_fd(guard.lock))) {
                if (step.what == restore_step::result::failed) stopped = false;
            }
            continue;
        }
        if (!held.regular) continue;
        const std::uint64_t size = checkpoint_size(guard, held.name);
        const file_status now = status_of(held.fd);
        if (now.size < size) {
            print_line(con, msg_shorter, path, msg_shorter_than_checkpoint_end);
            stopped = false;
        } else if (now.size > size && !cut_file(held.fd, size)) {
            const int error = errno;
            print_line(con, msg_cannot_cut, path, msg_name_end);
            print_reason(con, reason_of(error));
            stopped = false;
        }
    }
    guard.journaled = false;  // the journal stays for --resume and --recover
    if (!stopped) {
        print_recover_hint(guard.dir, con);
        return;
    }
    const journal_resume& resume = *guard.journal.resume;
    std::string where = resume.per_mille ? std::to_string(*resume.per_mille / 10) + "%: " : std::string();
    where += std::string(msg_stopped_input) + std::to_string(resume.input + 1) + std::string(msg_stopped_of) +
             std::to_string(guard.input_count) + std::string(msg_stopped_game) + grouped(resume.games);
    const std::string option = dir_option(guard.dir);
    const std::string how = std::string(msg_stopped_resume) + option + std::string(msg_stopped_recover) +
                            option + std::string(msg_stopped_end);
    if (signal != 0) {
        print_line(con, msg_interrupted, signal_name(signal),
                   std::string(msg_stopped_after_signal) + where + how);
    } else {
        print_line(con, msg_stopped, where, how);
    }
}

}  // namespace

bool end_run(run_guard& guard, bool went_well, int signal, console& con) {
    const bool kept = went_well && keep_run(guard, con);
    if (!kept && guard.checkpointed) {
        stop_at_checkpoint(guard, signal, con);
    } else if (!kept) {
        roll_back_run(guard, signal, con);
    }
    return kept;
}

void end_guarded_run(run_guard& guard) {
    release_held(guard.held);
    guard.held.clear();
    if (guard.report_fd >= 0) close_file(guard.report_fd);
    guard.report_fd = -1;
    if (guard.report_dir_fd >= 0) close_file(guard.report_dir_fd);
    guard.report_dir_fd = -1;
    unlock_output_dir(guard.lock);
}

int recover_outputs(const run_options& options, console& con) {
    run_guard guard;
    guard.dir = options.output_dir;
    if (!lock_dir(guard, con)) return status_failed;
    const int dir_fd = locked_dir_fd(guard.lock);
    run_journal journal;
    const journal_found found = read_journal(dir_fd, known_output_names(), journal);
    int status = status_ok;
    switch (found.state) {
        case journal_read::none:
            print_line(con, msg_nothing_to_recover, shown_dir(guard.dir));
            break;
        case journal_read::damaged:
            print_line(con, msg_journal_damaged, shown_dir(guard.dir), msg_journal_damaged_end);
            print_reason(con, found.why);
            status = status_failed;
            break;
        case journal_read::read: {
            // Nothing is cut unless every output can be put back.
            for (const restore_step& step : restore_named(journal, dir_fd, false)) {
                const std::string path = join_path(guard.dir, step.name);
                if (step.what == restore_step::result::shorter) {
                    print_line(con, msg_shorter, path, msg_shorter_end);
                    status = status_failed;
                } else if (step.what == restore_step::result::link) {
                    print_line(con, msg_link_left, path, msg_link_left_end);
                    status = status_failed;
                }
            }
            if (status != status_ok) break;
            for (const restore_step& step : restore_named(journal, dir_fd, true)) {
                const std::string path = join_path(guard.dir, step.name);
                if (step.what == restore_step::result::cut) {
                    print_line(con, msg_recovered_cut, path,
                               std::string(msg_recovered_cut_bytes) + std::to_string(step.bytes) +
                                   std::string(msg_recovered_cut_end));
                } else if (step.what == restore_step::result::removed) {
                    print_line(con, msg_recovered_removed, path);
                } else if (step.what == restore_step::result::failed) {
                    print_line(con, msg_cannot_cut, path, msg_name_end);
                    print_reason(con, reason_of(step.error));
                    status = status_failed;
                } else if (step.what == restore_step::result::special) {
                    print_line(con, msg_not_rolled_back, path, msg_not_rolled_back_end);
                } else if (step.what == restore_step::result::link) {
                    print_line(con, msg_link_left, path, msg_link_left_end);
                    status = status_failed;
                }
            }
            if (!journal.report.empty()) {
                const restore_step step = remove_report_temp(journal.report);
                if (step.what == restore_step::result::removed)
                    print_line(con, msg_recovered_removed, step.name);
            }
            if (status != status_ok) break;
            if (const int error = remove_journal(dir_fd, true); error != 0) {
                print_line(con, msg_cannot_journal, shown_dir(guard.dir));
                print_reason(con, reason_of(error));
                status = status_failed;
                break;
            }
            print_line(con, msg_recovered);
            break;
        }
    }
    end_guarded_run(guard);
    return status;
}

}  // namespace gs
