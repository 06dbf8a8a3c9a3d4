#include "app/guard.hpp"
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "app/signals.hpp"
#include "classify/game.hpp"
#include "text/messages.hpp"
#include "text/system_calls.hpp"

namespace gs {
namespace {

constexpr std::string_view report_temp_suffix = ".gamesieve-partial";
constexpr int status_ok = 0;
constexpr int status_failed = 1;

// The output directory as messages show it.
std::string shown_dir(const std::string& dir) {
    return dir.empty() ? std::string(".") : dir;
}

// Locks dir; false after the message that another run holds it or that it cannot be opened.
bool lock_dir(run_guard& guard, console& con) {
    switch (lock_output_dir(guard.lock, guard.dir)) {
        case lock_result::locked:
            return true;
        case lock_result::busy:
            print_line(con, msg_run_busy, shown_dir(guard.dir));
            return false;
        case lock_result::failed:
            break;
    }
    // The directory cannot be opened: the outputs in it could not be either.
    print_line(con, msg_cannot_create, join_path(guard.dir, output_file_names[0]), msg_name_end);
    return false;
}

void print_recover_hint(const std::string& dir, console& con) {
    const std::string option = dir.empty() ? std::string() : " -o " + dir;
    print_line(con, msg_unfinished, shown_dir(dir),
               std::string(msg_unfinished_end) + option + std::string(msg_unfinished_tail));
}

}  // namespace

bool begin_guarded_run(run_guard& guard, const run_options& options, std::span<const std::string> names,
                       console& con) {
    guard.dir = options.output_dir;
    guard.sync = options.sync;
    if (!lock_dir(guard, con)) return false;
    run_journal left;
    if (read_journal(guard.dir, left) != journal_read::none) {
        print_recover_hint(guard.dir, con);
        end_guarded_run(guard);
        return false;
    }
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back(name.empty() ? std::string() : join_path(guard.dir, name));
    if (const auto same = find_same_file(paths)) {
        print_line(con, msg_same_output, paths[same->first],
                   std::string(msg_same_output_and) + paths[same->second] + std::string(msg_same_output_end));
        end_guarded_run(guard);
        return false;
    }
    guard.journal = journal_of(guard.dir, names);
    if (!options.explain_path.empty()) {
        guard.report_path = options.explain_path;
        std::error_code error;
        const auto status = std::filesystem::status(guard.report_path, error);
        // A report that is a FIFO or a device is written where it is; a file is written beside it and
        // renamed at the end, so that a failed run leaves the old one.
        if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
            guard.report_temp = guard.report_path;
        } else {
            guard.report_temp = guard.report_path + std::string(report_temp_suffix);
            guard.journal.report = std::filesystem::absolute(guard.report_temp, error).string();
            if (error) guard.journal.report = guard.report_temp;
        }
    }
    if (!write_journal(guard.journal, guard.dir, locked_dir_fd(guard.lock), guard.sync)) {
        print_line(con, msg_cannot_journal, shown_dir(guard.dir));
        end_guarded_run(guard);
        return false;
    }
    guard.journaled = true;
    return true;
}

bool keep_run(run_guard& guard, console& con) {
    if (guard.report_temp != guard.report_path &&
        std::rename(guard.report_temp.c_str(), guard.report_path.c_str()) != 0) {
        print_line(con, msg_cannot_write, guard.report_path, msg_name_end);
        return false;
    }
    guard.journal.report.clear();  // the report is in place: nothing of it to remove
    if (!remove_journal(guard.dir, locked_dir_fd(guard.lock), guard.sync)) {
        print_line(con, msg_cannot_journal, shown_dir(guard.dir));
        return false;
    }
    guard.journaled = false;
    return true;
}

void roll_back_run(run_guard& guard, const outputs& outs, int signal, console& con) {
    if (!guard.journaled) return;
    const bool cut = roll_back(guard.journal, guard.dir, false, con);
    if (cut) remove_journal(guard.dir, locked_dir_fd(guard.lock), guard.sync);
    guard.journaled = false;
    // Only the outputs that were opened can have received anything.
    for (const output_channel& channel : outs.channels) {
        for (const journal_output& out : guard.journal.outputs) {
            if (out.state == journal_output::before::special &&
                join_path(guard.dir, out.name) == channel.path)
                print_line(con, msg_not_rolled_back, channel.path, msg_not_rolled_back_end);
        }
    }
    if (!cut) {
        print_recover_hint(guard.dir, con);
    } else if (signal != 0) {
        print_line(con, msg_interrupted, signal_name(signal), msg_interrupted_end);
    } else {
        print_line(con, msg_nothing_kept);
    }
}

void end_guarded_run(run_guard& guard) {
    unlock_output_dir(guard.lock);
}

int recover_outputs(const run_options& options, console& con) {
    run_guard guard;
    guard.dir = options.output_dir;
    if (!lock_dir(guard, con)) return status_failed;
    run_journal journal;
    int status = status_ok;
    switch (read_journal(guard.dir, journal)) {
        case journal_read::none:
            print_line(con, msg_nothing_to_recover, shown_dir(guard.dir));
            break;
        case journal_read::damaged:
            print_line(con, msg_journal_damaged, shown_dir(guard.dir), msg_journal_damaged_end);
            status = status_failed;
            break;
        case journal_read::read: {
            const std::vector<std::string> shorter = shorter_outputs(journal, guard.dir);
            if (!shorter.empty()) {
                for (const std::string& path : shorter)
                    print_line(con, msg_shorter, path, msg_shorter_end);
                status = status_failed;
                break;
            }
            if (!roll_back(journal, guard.dir, true, con) ||
                !remove_journal(guard.dir, locked_dir_fd(guard.lock), true)) {
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
