#include "app/resume.hpp"

#include <fcntl.h>

#include <string>

#include "app/ledger_run.hpp"
#include "text/messages.hpp"
#include "text/system_calls.hpp"

namespace gs {
namespace {}  // namespace

std::optional<run_options> options_to_resume(const run_options& given, console& con) {
    if (!given.inputs.empty()) {
        print_line(con, msg_resume_inputs);
        return std::nullopt;
    }
    const std::string dir = shown_dir(given.output_dir);
    const int dir_fd = open_file(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir_fd < 0) {
        const int error = errno;
        print_line(con, msg_cannot_resume, dir);
        print_line(con, msg_indent, reason_of(error));
        return std::nullopt;
    }
    const file_status dir_status = status_of(dir_fd);
    run_journal journal;
    const journal_found found = read_journal(dir_fd, known_output_names(), journal);
    close_file(dir_fd);
    const std::string option = dir_option(given.output_dir);
    if (found.state == journal_read::none) {
        print_line(con, msg_no_run_to_resume, dir);
        return std::nullopt;
    }
    if (found.state == journal_read::damaged) {
        print_line(con, msg_journal_damaged, dir, msg_journal_damaged_end);
        print_line(con, msg_indent, found.why);
        return std::nullopt;
    }
    if (!journal.resume) {
        print_line(con, msg_not_resumable, dir,
                   std::string(msg_not_resumable_end) + option + std::string(msg_not_resumable_tail));
        return std::nullopt;
    }
    const journal_resume& resume = *journal.resume;
    if (!change_dir(resume.directory.c_str())) {
        const int error = errno;
        print_line(con, msg_cannot_resume, dir);
        print_line(con, msg_indent, resume.directory + ": " + reason_of(error));
        return std::nullopt;
    }
    std::vector<const char*> argv = {"gamesieve"};
    for (const std::string& argument : resume.arguments)
        argv.push_back(argument.c_str());
    std::string error;
    std::optional<run_options> options = parse_options(static_cast<int>(argv.size()), argv.data(), error);
    if (!options || !options->resumable || options->resume || options->inputs.empty()) {
        print_line(con, msg_cannot_resume, dir);
        print_line(con, msg_indent, msg_resume_gone);
        return std::nullopt;
    }
    // The stopped run's output directory, as seen from where it was started, must be this one.
    if (!status_at(AT_FDCWD, shown_dir(options->output_dir).c_str(), true).same_as(dir_status)) {
        print_line(con, msg_resume_elsewhere, dir,
                   std::string(msg_resume_elsewhere_end) +
                       join_path(resume.directory, shown_dir(options->output_dir)));
        return std::nullopt;
    }
    options->resume = true;
    return options;
}

journal_resume checkpoint_of(const journal_resume& last, const checkpoint_at& at, const run_counts& counts,
                             const std::vector<input_stream>& inputs,
                             std::span<const std::optional<hash128>> quick,
                             std::span<const held_output> held) {
    journal_resume next = last;
    next.input = at.next.input;
    next.offset = at.next.offset;
    next.digest.reset();
    if (next.offset > 0) next.digest = at.next.digest;
    next.games = 0;
    for (const std::uint64_t games : counts.games)
        next.games += games;
    next.sizes.clear();
    for (const held_output& output : held) {
        if (output.regular) next.sizes.emplace_back(output.name, status_of(output.fd).size);
    }
    next.partial_games = {};
    next.partial_bytes = {};
    if (next.offset > 0 && next.input < counts.per_input.size()) {
        next.partial_games = counts.per_input[next.input].games;
        next.partial_bytes = counts.per_input[next.input].bytes;
    }
    const std::vector<ledger_entry> finished =
        ledger_entries_of(inputs, counts, quick, last.done.size(), next.input, ledger_time_now());
    next.done.insert(next.done.end(), finished.begin(), finished.end());
    // The share done, by the inputs' file sizes (compressed ones for a compressed input), when all are known.
    std::uint64_t total = 0;
    std::uint64_t done = 0;
    bool known = true;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        known = known && inputs[i].size > 0;
        total += inputs[i].size;
        if (i < next.input) done += inputs[i].size;
        if (i == next.input && next.offset > 0) done += std::min(at.raw_done, inputs[i].size);
    }
    next.per_mille.reset();
    if (known && total > 0) next.per_mille = static_cast<unsigned>(done * 1000 / total);
    return next;
}

void counts_at_checkpoint(const journal_resume& resume, std::size_t input_count, run_counts& counts) {
    counts.per_input.assign(input_count, input_tally{});
    for (std::size_t i = 0; i < resume.done.size() && i < input_count; ++i) {
        input_tally& tally = counts.per_input[i];
        tally.games = resume.done[i].games;
        tally.bytes = resume.done[i].bytes;
        tally.text_bytes = resume.done[i].text_size;
        tally.text_hash = resume.done[i].text_hash;
        tally.ended = true;
    }
    if (resume.input < input_count) {
        input_tally& tally = counts.per_input[resume.input];
        tally.games = resume.partial_games;
        tally.bytes = resume.partial_bytes;
        tally.text_bytes = resume.offset;
    }
    for (const input_tally& tally : counts.per_input) {
        for (std::size_t i = 0; i < output_count; ++i) {
            counts.games[i] += tally.games[i];
            counts.bytes[i] += tally.bytes[i];
        }
        counts.input_bytes += tally.text_bytes;
    }
}

resume_point resume_point_of(const journal_resume& resume) {
    return {resume.input, resume.offset, resume.digest.value_or(hash128{})};
}

bool finished_inputs_unchanged(const journal_resume& resume, const std::vector<input_stream>& inputs,
                               std::span<const std::optional<hash128>> quick, const std::string& dir,
                               console& con) {
    if (resume.input >= inputs.size() || resume.done.size() != resume.input) {
        print_line(con, msg_cannot_resume, shown_dir(dir));
        print_line(con, msg_indent, msg_resume_gone);
        return false;
    }
    for (std::size_t i = 0; i < resume.input; ++i) {
        const ledger_entry& done = resume.done[i];
        if (done.quick && (quick[i] != done.quick || inputs[i].size != done.raw_size)) {
            print_line(con, msg_error, inputs[i].path, msg_changed_since_stop);
            return false;
        }
    }
    return true;
}

}  // namespace gs
