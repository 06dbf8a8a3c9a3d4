#include "app/run.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/guard.hpp"
#include "app/help.hpp"
#include "app/ledger_run.hpp"
#include "app/options.hpp"
#include "app/progress.hpp"
#include "app/resume.hpp"
#include "app/say.hpp"
#include "app/signals.hpp"
#include "app/test_hooks.hpp"
#include "io/encoder.hpp"
#include "io/input.hpp"
#include "io/outputs.hpp"
#include "io/stop_signal.hpp"
#include "lists/check_lists.hpp"
#include "sort/explain_report.hpp"
#include "sort/pipeline.hpp"
#include "sort/unlisted_names.hpp"
#include "text/messages.hpp"
#include "text/system_calls.hpp"

namespace gs {
namespace {

// The most frequent unlisted names that --unlisted keeps: enough for every name that a keeper would add
// to a list, in a few megabytes whatever the input.
constexpr std::size_t unlisted_capacity = 100000;

// Opens every input and reads its first bytes; false after "Error: During opening <path>", or after the
// message that an input is plainly not PGN (an archive, an executable), which would otherwise be appended
// to rest_vs_rest.pgn as text before the first game.
bool open_inputs(const run_options& options, std::vector<input_stream>& inputs, console& con) {
    const std::vector<std::string>& paths = options.inputs;
    inputs.resize(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (open_input(inputs[i], paths[i]) != open_result::ok) {
            print_line(con, msg_during_opening, paths[i]);
            print_line(con, msg_indent, reason_of(inputs[i].error));
            return false;
        }
        if (const std::string_view what = foreign_format_of(inputs[i]); !what.empty()) {
            print_line(con, msg_error, paths[i],
                       std::string(msg_not_pgn) + std::string(what) + std::string(msg_not_pgn_end));
            return false;
        }
    }
    return true;
}

// The file name of each output in the output directory: with the compressed format's suffix, and empty
// for an output that --only leaves out.
std::array<std::string, output_count> output_names_of(const run_options& options,
                                                      const compress_setting& setting) {
    std::array<std::string, output_count> names;
    for (std::size_t i = 0; i < output_count; ++i) {
        if (options.only != 0 && (options.only & (1u << i)) == 0) continue;
        names[i] = std::string(output_file_names[i]) + std::string(compressed_suffix(setting.format));
    }
    return names;
}

std::array<std::string, output_count> paths_of(const run_options& options,
                                               const std::array<std::string, output_count>& names) {
    std::array<std::string, output_count> paths;
    for (std::size_t i = 0; i < output_count; ++i) {
        if (!names[i].empty()) paths[i] = join_path(options.output_dir, names[i]);
    }
    return paths;
}

// Refuses a run that would append to a file it reads, or write one of its reports (--explain, --unlisted)
// over an input, an output, the journal or the other report: re-sorting an output in place would read
// what it appends and never end. A report is caught by the file it is and by its name in its directory,
// so that an output or journal that is not there yet is caught too.
bool check_distinct_files(const std::vector<input_stream>& inputs, const run_options& options,
                          const std::array<std::string, output_count>& names,
                          const std::array<std::string, output_count>& outputs, console& con) {
    std::array<file_status, output_count> output_ids;
    for (std::size_t i = 0; i < output_count; ++i)
        output_ids[i] = outputs[i].empty() ? file_status{} : status_at(AT_FDCWD, outputs[i].c_str(), true);
    for (const input_stream& input : inputs) {
        const file_status id = status_of(input.fd);
        for (std::size_t i = 0; i < output_count; ++i) {
            if (id.regular() && id.same_as(output_ids[i])) {
                print_line(con, msg_error, input.path,
                           std::string(msg_also_output) + outputs[i] + std::string(msg_name_end));
                return false;
            }
        }
    }
    const file_status dir =
        status_at(AT_FDCWD, options.output_dir.empty() ? "." : options.output_dir.c_str(), true);
    const std::array<const std::string*, 2> reports = {&options.explain_path, &options.unlisted_path};
    for (const std::string* report : reports) {
        if (report->empty()) continue;
        const file_status report_id = status_at(AT_FDCWD, report->c_str(), true);
        const path_parts parts = split_path(*report);
        const bool in_output_dir = status_at(AT_FDCWD, parts.dir.c_str(), true).same_as(dir);
        for (const input_stream& input : inputs) {
            if (report_id.regular() && report_id.same_as(status_of(input.fd))) {
                print_line(con, msg_error, *report, msg_also_input);
                return false;
            }
        }
        for (std::size_t i = 0; i < output_count; ++i) {
            if (outputs[i].empty()) continue;
            if (report_id.same_as(output_ids[i]) || *report == outputs[i] ||
                (in_output_dir && parts.name == names[i])) {
                print_line(con, msg_error, *report,
                           std::string(msg_also_output) + outputs[i] + std::string(msg_name_end));
                return false;
            }
        }
        if (in_output_dir && (parts.name == journal_file_name || parts.name == journal_temp_name)) {
            print_line(con, msg_error, *report, msg_is_journal);
            return false;
        }
        if (in_output_dir && parts.name == ledger_file_name) {
            print_line(con, msg_error, *report, msg_is_ledger);
            return false;
        }
    }
    if (!options.explain_path.empty() &&
        (options.explain_path == options.unlisted_path ||
         status_at(AT_FDCWD, options.explain_path.c_str(), true)
             .same_as(status_at(AT_FDCWD, options.unlisted_path.c_str(), true)))) {
        print_line(con, msg_error, options.unlisted_path, msg_also_report);
        return false;
    }
    return true;
}

// How many of the twelve list files are in dir (empty: the working directory).
std::size_t list_files_in(const std::string& dir) {
    std::size_t present = 0;
    for (const list_file& file : list_files) {
        if (status_at(AT_FDCWD, join_path(dir, file.path).c_str(), true).exists) ++present;
    }
    return present;
}

// How the cores are shared between sorting and decompressing.
struct thread_split {
    unsigned sorters = 1;
    unsigned decoders_ahead = 0;
};

// One thread per core in all: with plain inputs, a sorter each; with a compressed input, one fewer
// sorter beside the thread that decompresses the input being read; with several compressed inputs on
// four cores or more, a quarter of the cores (four at most) decompress the next inputs ahead, in place
// of sorters. On fewer cores decoding ahead measures slower: the text decoded ahead leaves the cache,
// and both cores are busy already. sorters, when given (-j), is kept, and the decoders ahead take only
// cores that it leaves free.
thread_split split_threads(const std::vector<input_stream>& inputs, unsigned sorters) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const auto compressed =
        static_cast<unsigned>(std::count_if(inputs.begin(), inputs.end(), [](const input_stream& input) {
            return input.format != compression::none;
        }));
    thread_split split;
    unsigned ahead = 0;
    if (compressed > 1 && cores >= 4) ahead = std::min({cores / 4, 4u, compressed - 1});
    if (sorters != 0) {
        split.sorters = sorters;
        const unsigned used = sorters + (compressed > 0 ? 1 : 0);
        split.decoders_ahead = std::min(ahead, cores > used ? cores - used : 0);
        return split;
    }
    if (cores <= 1) return split;
    split.decoders_ahead = ahead;
    split.sorters = std::max(1u, cores - (compressed > 0 ? 1 : 0) - ahead);
    return split;
}

// Reads --compress into setting; false, after saying why (and a known format's levels), when it is wrong.
bool read_compress_option(const run_options& options, compress_setting& setting, console& con) {
    if (options.compress.empty() || parse_compress_setting(options.compress, setting)) return true;
    int lowest = 0;
    int highest = 0;
    std::string range;
    if (compress_level_range(options.compress, lowest, highest)) {
        range = std::string(msg_compress_levels) + std::to_string(lowest) +
                std::string(msg_compress_levels_to) + std::to_string(highest);
    }
    print_line(con, msg_bad_compress, options.compress,
               std::string(msg_name_end) + range + std::string(msg_see_help));
    return false;
}

int sort_run(const run_options& options, const test_hooks& hooks, const compress_setting& setting,
             const name_lists& lists, console& con, std::FILE* status) {
    const std::array<std::string, output_count> names = output_names_of(options, setting);
    const std::array<std::string, output_count> paths = paths_of(options, names);
    std::vector<input_stream> inputs;
    if (!open_inputs(options, inputs, con)) return status_failed;
    if (!check_distinct_files(inputs, options, names, paths, con)) return status_failed;
    const thread_split threads_of = split_threads(inputs, options.threads);
    const unsigned threads = threads_of.sorters;

    stop_signal stop;
    open_stop_signal(stop);
    watch_signals(stop);
    // The quick hashes are taken before the run writes anything, so that a file that the ledger holds is
    // refused first.
    const std::vector<std::optional<hash128>> quick = quick_hashes_of(inputs);
    const ledger_check check = [&](std::span<const ledger_entry> ledger) {
        return options.again || refuse_known_files(ledger, inputs, quick, options.output_dir, con);
    };
    run_guard guard;
    guard.input_count = inputs.size();
    const bool begun = options.resume ? resume_guarded_run(guard, options, names, con)
                                      : begin_guarded_run(guard, options, names, check, con);
    if (!begun) {
        unwatch_signals();
        close_stop_signal(stop);
        return status_failed;
    }

    explain_report report;
    const bool explaining = !options.explain_path.empty();
    outputs outs;
    outs.stop = &stop.raised;
    failure_list failures;
    std::size_t failures_said = 0;
    const auto say_failures = [&] {
        print_failures(con, failures, failures_said);
        failures_said = failures.size();
    };
    // A resumed run goes on only with the inputs that the stopped run finished as they were.
    bool opened = !options.resume ||
                  finished_inputs_unchanged(*guard.journal.resume, inputs, quick, options.output_dir, con);
    opened = opened && open_guarded_files(guard, outs, paths, setting, threads, con);
    if (opened && explaining) {
        opened = open_explain_report(report, guard.report_fd, options.explain_path, failures, options.inputs);
        guard.report_fd = -1;  // the report's now, closed with it
        say_failures();
    }

    bool sorted = false;
    progress_meter meter = start_progress(
        status, con, options.progress > 0 || (!options.quiet && options.progress == 0), options.progress > 0);
    // The share done counts the bytes read from the files (compressed ones for a compressed input), when
    // every input is a file whose size is known.
    std::uint64_t raw_total = 0;
    for (const input_stream& input : inputs) {
        if (input.size == 0) {
            raw_total = 0;
            break;
        }
        raw_total += input.size;
    }
    run_counts counts;
    if (options.resume) counts_at_checkpoint(*guard.journal.resume, inputs.size(), counts);
    const bool listing = !options.unlisted_path.empty();
    unlisted_names unlisted;
    if (listing) open_unlisted(unlisted, unlisted_capacity);
    std::uint64_t bytes_done = 0;
    std::uint64_t raw_done = 0;
    // A slow compression keeps the line going between the chunks and while it finishes.
    outs.waiting = [&] { show_progress(meter, bytes_done, raw_done, raw_total); };
    if (opened) {
        sort_settings settings;
        settings.classify.player_tags = options.player_tags;
        settings.classify.evidence = options.evidence;
        settings.explain = explaining;
        settings.unlisted = listing;
        pipeline_settings pipeline;
        pipeline.threads = threads;
        pipeline.decoders_ahead = hooks.decoders_ahead >= 0 ? static_cast<unsigned>(hooks.decoders_ahead)
                                                            : threads_of.decoders_ahead;
        if (hooks.chunk_bytes != 0) pipeline.chunk_bytes = hooks.chunk_bytes;
        pipeline.stop = &stop;
        if (listing) pipeline.unlisted = &unlisted;
        pipeline.warn = [&](std::string_view warnings) { print_text(con, warnings); };
        if (options.resume) pipeline.start = resume_point_of(*guard.journal.resume);
        if (options.resumable) {
            if (hooks.checkpoint_bytes != 0) pipeline.checkpoint_bytes = hooks.checkpoint_bytes;
            pipeline.checkpoint = [&](const checkpoint_at& at, const run_counts& now) {
                // The compressed outputs end their frames before their sizes are taken.
                return end_output_frames(outs, failures, options.sync) &&
                       write_checkpoint(
                           guard, checkpoint_of(*guard.journal.resume, at, now, inputs, quick, guard.held),
                           failures);
            };
        }
        sorted = sort_inputs(inputs, lists, settings, pipeline, outs, failures,
                             explaining ? &report : nullptr, counts, [&](const run_counts& now) {
                                 bytes_done = now.input_bytes;
                                 raw_done = 0;
                                 for (const input_stream& input : inputs)
                                     raw_done += input.consumed->load(std::memory_order_relaxed);
                                 show_progress(meter, bytes_done, raw_done, raw_total);
                             });
    }
    if (sorted) {
        // A resumable run's finished inputs are in its checkpoint already.
        if (guard.journal.resume) guard.ledger_new = guard.journal.resume->done;
        const std::vector<ledger_entry> rest = ledger_entries_of(
            inputs, counts, quick, guard.ledger_new.size(), inputs.size(), ledger_time_now());
        guard.ledger_new.insert(guard.ledger_new.end(), rest.begin(), rest.end());
    }
    inputs.clear();  // stops any decoding thread before the stop signal goes
    // The outputs are synced only when the run has gone well so far: a failed run is cut back anyway.
    const bool going_well = opened && sorted && caught_signal() == 0;
    say_failures();
    const bool closed = close_outputs(outs, failures, options.sync && going_well, going_well);
    outs.waiting = nullptr;
    end_progress(meter);
    const bool reported = !explaining || close_explain_report(report, failures);
    say_failures();
    const int signal = caught_signal();
    bool ok = opened && sorted && closed && reported && signal == 0 && !con.failed;
    // What a file's first and last mebibyte could not show (standard input, a copy in another
    // compression) shows now, before anything is kept.
    if (ok && !options.again &&
        !refuse_sorted_entries(guard.ledger, guard.ledger_new, options.output_dir, con))
        ok = false;
    // The unlisted names are written once every game is sorted and before the outputs are kept, so that a
    // run that cannot write them keeps nothing either.
    if (ok && listing) {
        const int error = write_unlisted(options.unlisted_path, unlisted_text(unlisted));
        if (error != 0) {
            print_line(con, msg_cannot_write, options.unlisted_path, msg_name_end);
            print_line(con, msg_indent, reason_of(error));
            ok = false;
        }
    }
    ok = end_run(guard, ok, signal, con);
    end_guarded_run(guard);
    // A kept run is done: a signal from now on must not end the process with a failure's status while
    // its outputs are kept, so the handlers stay, noting it only, until the process exits.
    if (ok) {
        keep_signals_noted();
    } else {
        unwatch_signals();
    }
    close_stop_signal(stop);
    if (signal != 0) return 128 + signal;
    if (ok && options.summary) print_summary(con, outs, counts, elapsed_seconds(meter), options.inputs);
    return ok ? status_ok : status_failed;
}

}  // namespace

int run(int argc, const char* const* argv, console& con, std::FILE* status) {
    if (argc < 2) {
        print_usage(con);
        return status_failed;
    }
    std::string error;
    const std::optional<run_options> parsed = parse_options(argc, argv, error);
    if (!parsed) {
        print_line(con, error);
        return status_failed;
    }
    run_options options = *parsed;
    const test_hooks hooks = test_hooks_from_environment();
    if (!hooks.bad.empty()) {
        print_line(con, msg_bad_test_faults, hooks.bad);
        return status_failed;
    }
    const planned_faults faults(hooks.faults);
    if (options.help) {
        print_help(con, argc > 0 ? argv[0] : "gamesieve");
        return con.failed ? status_failed : status_ok;
    }
    if (options.version) {
        print_version(con);
        return con.failed ? status_failed : status_ok;
    }
    if (options.recover && !options.inputs.empty()) {
        print_line(con, msg_recover_inputs);
        return status_failed;
    }
    if (options.recover) return recover_outputs(options, con);
    if (options.ledger && !options.inputs.empty()) {
        print_line(con, msg_ledger_inputs);
        return status_failed;
    }
    if (options.ledger) return print_ledger(options, con);
    if (options.resume) {
        std::optional<run_options> resumed = options_to_resume(options, con);
        if (!resumed) return status_failed;
        options = std::move(*resumed);
    }
    if (options.resumable && (!options.explain_path.empty() || !options.unlisted_path.empty())) {
        print_line(con, msg_resumable_reports);
        return status_failed;
    }
    if (options.inputs.empty() && !options.check_lists) {
        print_line(con, msg_no_input);
        return status_failed;
    }
    if (options.check_lists && !options.inputs.empty()) {
        print_line(con, msg_check_lists_inputs);
        return status_failed;
    }
    if (options.explain_path == standard_input_name) {
        print_line(con, msg_explain_stdout);
        return status_failed;
    }
    if (options.unlisted_path == standard_input_name) {
        print_line(con, msg_unlisted_stdout);
        return status_failed;
    }
    if (options.check_lists) {
        // No list at all is said once, with where the installed ones are; some missing, after the check.
        const std::size_t present = list_files_in(options.lists_dir);
        const std::string installed = lists_dir_to_suggest(argc > 0 ? argv[0] : "gamesieve");
        if (present == 0) {
            print_line(con, msg_no_lists_in,
                       options.lists_dir.empty() ? "the working directory" : options.lists_dir,
                       std::string(msg_no_lists_in_end) + installed);
            return status_failed;
        }
        const bool clean = check_lists_and_say(options.lists_dir, options.quiet, con);
        if (present < list_count) print_line(con, msg_some_lists_missing, installed);
        return clean && !con.failed ? status_ok : status_failed;
    }
    // The options are checked before the lists are read.
    compress_setting setting;
    if (!read_compress_option(options, setting, con)) return status_failed;
    // The lists are large, so they live on the heap rather than the stack.
    const auto lists = std::make_unique<name_lists>();
    // As many threads as the sort may use load the lists (-j1 loads them in turn).
    const unsigned list_threads =
        options.threads != 0 ? options.threads : std::thread::hardware_concurrency();
    if (!load_lists(*lists, options.lists_dir, options.quiet, list_threads, con)) {
        if (options.lists_dir.empty() && list_files_in("") == 0) {
            const std::string installed = lists_dir_to_suggest(argc > 0 ? argv[0] : "gamesieve");
            print_line(con, msg_no_lists_here, installed, std::string(msg_no_lists_here_end) + installed);
        }
        return status_failed;
    }
    return sort_run(options, hooks, setting, *lists, con, status);
}

}  // namespace gs
