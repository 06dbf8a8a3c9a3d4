#include "io/journal.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <limits>
#include <memory>

#include "io/safe_open.hpp"
#include "text/content_hash.hpp"
#include "text/system_calls.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

constexpr std::string_view journal_head = "gamesieve journal 1";
constexpr std::string_view output_word = "output ";
constexpr std::string_view report_word = "report ";
constexpr std::string_view absent_word = "absent";
constexpr std::string_view special_word = "special";
constexpr std::string_view resumable_word = "resumable ";
constexpr std::string_view argument_word = "argument ";
constexpr std::string_view checkpoint_word = "checkpoint ";
constexpr std::string_view at_word = "at ";
constexpr std::string_view partial_word = "partial ";
constexpr std::string_view done_word = "done ";
constexpr std::string_view none_word = "-";
// A size no file reaches: a journal that says more was not written by a run.
constexpr std::uint64_t largest_size = std::numeric_limits<std::int64_t>::max();

std::string line_fault(std::size_t number, std::string_view what, std::string_view line) {
    return "line " + std::to_string(number) + std::string(what) + ": " + shown_part(line);
}

// Why the rest of an output line (after "output ") is not one, or empty when it is.
std::string parse_output(std::string_view rest, std::span<const std::string> known_names,
                         journal_output& out) {
    const std::size_t blank = rest.find(' ');
    if (blank == std::string_view::npos) return " is not understood";
    const std::string_view before = rest.substr(0, blank);
    const std::string_view name = rest.substr(blank + 1);
    if (std::find(known_names.begin(), known_names.end(), name) == known_names.end())
        return " names a file that is not an output of gamesieve";
    out.name.assign(name);
    if (before == absent_word) {
        out.state = journal_output::before::absent;
    } else if (before == special_word) {
        out.state = journal_output::before::special;
    } else {
        out.state = journal_output::before::size;
        const auto [at, fault] = std::from_chars(before.data(), before.data() + before.size(), out.size);
        if (fault != std::errc() || at != before.data() + before.size() || out.size > largest_size)
            return " has a size that is not one";
    }
    return {};
}

// A report being written is removed by a roll-back, so the journal may name only a temporary report: an
// absolute path that ends in the temporary suffix and goes through no "..".
bool is_report_temp(std::string_view path) {
    return path.starts_with('/') && path.ends_with(report_temp_suffix) &&
           path.find("/../") == std::string_view::npos &&
           !path.ends_with("/" + std::string(report_temp_suffix));
}

// A count that a run wrote, no larger than any file's size.
bool read_number(std::string_view text, std::uint64_t& value) {
    const std::optional<std::uint64_t> read = read_count(text);
    if (read) value = *read;
    return read && value <= largest_size;
}

std::string resume_text(const journal_resume& resume) {
    std::string text = std::string(resumable_word) + escape_field(resume.directory) + '\n';
    for (const std::string& argument : resume.arguments)
        text += std::string(argument_word) + escape_field(argument) + '\n';
    text += std::string(checkpoint_word) + std::to_string(resume.input) + ' ' +
            std::to_string(resume.offset) + ' ' +
            (resume.digest ? hash_text(*resume.digest) : std::string(none_word)) + ' ' +
            std::to_string(resume.games) + ' ' +
            (resume.per_mille ? std::to_string(*resume.per_mille) : std::string(none_word)) + '\n';
    for (const auto& [name, size] : resume.sizes)
        text += std::string(at_word) + std::to_string(size) + ' ' + name + '\n';
    text += std::string(partial_word) + counts_field(resume.partial_games) + ' ' +
            counts_field(resume.partial_bytes) + '\n';
    for (const ledger_entry& entry : resume.done)
        text += std::string(done_word) + ledger_line(entry);
    return text;
}

// Reads one line of a resumable run's part into resume; why it is not one, or empty.
std::string parse_resume_line(std::string_view line, const run_journal& journal, journal_resume& resume,
                              bool& checkpoint_seen) {
    if (line.starts_with(argument_word)) {
        const std::optional<std::string> argument = unescape_field(line.substr(argument_word.size()));
        if (!argument || checkpoint_seen) return " is not understood";
        resume.arguments.push_back(*argument);
    } else if (line.starts_with(checkpoint_word)) {
        std::array<std::string_view, 5> words;
        std::uint64_t input = 0;
        std::uint64_t per_mille = 0;
        if (checkpoint_seen || !split_fields(line.substr(checkpoint_word.size()), ' ', words) ||
            !read_number(words[0], input) || !read_number(words[1], resume.offset) ||
            !read_number(words[3], resume.games))
            return " is not a checkpoint";
        resume.input = static_cast<std::size_t>(input);
        if (words[2] != none_word) {
            resume.digest = read_hash_text(words[2]);
            if (!resume.digest) return " is not a checkpoint";
        }
        if ((resume.offset == 0) != !resume.digest) return " is not a checkpoint";
        if (words[4] != none_word) {
            if (!read_number(words[4], per_mille) || per_mille > 1000) return " is not a checkpoint";
            resume.per_mille = static_cast<unsigned>(per_mille);
        }
        checkpoint_seen = true;
    } else if (line.starts_with(at_word) && checkpoint_seen) {
        const std::string_view rest = line.substr(at_word.size());
        const std::size_t blank = rest.find(' ');
        std::uint64_t size = 0;
        if (blank == std::string_view::npos || !read_number(rest.substr(0, blank), size))
            return " is not understood";
        const std::string_view name = rest.substr(blank + 1);
        const bool journaled = std::any_of(journal.outputs.begin(), journal.outputs.end(),
                                           [&](const journal_output& out) { return out.name == name; });
        const bool twice = std::any_of(resume.sizes.begin(), resume.sizes.end(),
                                       [&](const auto& earlier) { return earlier.first == name; });
        if (!journaled || twice) return " names a file that is not an output of the run";
        resume.sizes.emplace_back(std::string(name), size);
    } else if (line.starts_with(partial_word) && checkpoint_seen) {
        std::array<std::string_view, 2> words;
        if (!split_fields(line.substr(partial_word.size()), ' ', words) ||
            !read_counts_field(words[0], resume.partial_games) ||
            !read_counts_field(words[1], resume.partial_bytes))
            return " is not understood";
    } else if (line.starts_with(done_word) && checkpoint_seen) {
        std::optional<ledger_entry> entry = parse_ledger_line(line.substr(done_word.size()));
        if (!entry) return " is not a ledger's line";
        resume.done.push_back(std::move(*entry));
    } else {
        return " is not understood";
    }
    return {};
}

}  // namespace

std::string journal_text(const run_journal& journal) {
    std::string text(journal_head);
    text.push_back('\n');
    for (const journal_output& out : journal.outputs) {
        text.append(output_word);
        switch (out.state) {
            case journal_output::before::size:
                text.append(std::to_string(out.size));
                break;
            case journal_output::before::absent:
                text.append(absent_word);
                break;
            case journal_output::before::special:
                text.append(special_word);
                break;
        }
        text.push_back(' ');
        text.append(out.name);
        text.push_back('\n');
    }
    if (!journal.report.empty()) {
        text.append(report_word);
        text.append(journal.report);
        text.push_back('\n');
    }
    if (journal.resume) text += resume_text(*journal.resume);
    return text;
}

std::string parse_journal(std::string_view text, std::span<const std::string> known_names,
                          run_journal& journal) {
    journal = run_journal{};
    if (text.find('\0') != std::string_view::npos) return "it holds a NUL byte";
    if (!text.empty() && !text.ends_with('\n')) return "its last line is cut short";
    std::size_t number = 0;
    bool checkpoint_seen = false;
    while (!text.empty()) {
        const std::size_t feed = text.find('\n');
        const std::string_view line = text.substr(0, feed);
        text.remove_prefix(feed + 1);
        ++number;
        if (number == 1) {
            if (line != journal_head) return line_fault(number, " is not a journal's first line", line);
        } else if (line.starts_with(output_word) && !journal.resume) {
            journal_output out;
            const std::string fault = parse_output(line.substr(output_word.size()), known_names, out);
            if (!fault.empty()) return line_fault(number, fault, line);
            for (const journal_output& earlier : journal.outputs) {
                if (earlier.name == out.name) return line_fault(number, " names an output twice", line);
            }
            journal.outputs.push_back(std::move(out));
        } else if (line.starts_with(report_word) && journal.report.empty() && !journal.resume &&
                   is_report_temp(line.substr(report_word.size()))) {
            journal.report.assign(line.substr(report_word.size()));
        } else if (line.starts_with(resumable_word) && !journal.resume) {
            const std::optional<std::string> directory = unescape_field(line.substr(resumable_word.size()));
            if (!directory || !directory->starts_with('/'))
                return line_fault(number, " is not understood", line);
            journal.resume.emplace();
            journal.resume->directory = *directory;
        } else if (journal.resume) {
            const std::string fault = parse_resume_line(line, journal, *journal.resume, checkpoint_seen);
            if (!fault.empty()) return line_fault(number, fault, line);
        } else {
            return line_fault(number, " is not understood", line);
        }
    }
    if (number == 0) return "it is empty";
    if (journal.resume && (!checkpoint_seen || journal.resume->arguments.empty()))
        return "its resumable run has no command line or no checkpoint";
    return {};
}

int write_journal(const run_journal& journal, int dir_fd, bool sync, bool keep_old) {
    const std::string temp(journal_temp_name);
    const std::string name(journal_file_name);
    const opened_file created = create_temp_file(dir_fd, temp, 0600, false);
    if (created.fd < 0) return created.error;
    const int fd = created.fd;
    int error = 0;
    if (!write_all(fd, journal_text(journal)) || (sync && !sync_file(fd))) error = errno;
    if (!close_file(fd) && error == 0) error = errno;
    if (error == 0 && !rename_at(dir_fd, temp.c_str(), name.c_str())) error = errno;
    if (error == 0 && sync && !sync_file(dir_fd)) error = errno;
    if (error != 0) {
        remove_at(dir_fd, temp.c_str());
        if (!keep_old) remove_at(dir_fd, name.c_str());
    }
    return error;
}

journal_found read_journal(int dir_fd, std::span<const std::string> known_names, run_journal& journal) {
    journal = run_journal{};
    const std::string name(journal_file_name);
    // Not blocking: a FIFO planted as the journal must not hang the run.
    const int fd = open_at(dir_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return {};
    if (fd < 0 && errno == ELOOP)
        return {journal_read::damaged, "it is a link, which gamesieve never follows"};
    if (fd < 0) return {journal_read::damaged, reason_of(errno)};
    const file_status status = status_of(fd);
    std::string why;
    if (!status.regular()) {
        why = "it is not a regular file";
    } else if (status.owner != ::geteuid()) {
        why = "it belongs to another user (uid " + std::to_string(status.owner) +
              "), so it is not this user's run";
    } else if (status.size > journal_max_bytes) {
        why = "it is " + std::to_string(status.size) + " bytes long, more than any journal";
    }
    std::string text;
    if (why.empty()) {
        // Read at most one byte more than a journal may hold, whatever the size said.
        const auto buffer = std::make_unique<char[]>(journal_max_bytes + 1);
        std::size_t got = 0;
        while (got <= journal_max_bytes) {
            const ssize_t n = read_some(fd, buffer.get() + got, journal_max_bytes + 1 - got);
            if (n < 0) {
                why = reason_of(errno);
                break;
            }
            if (n == 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (why.empty() && got > journal_max_bytes) why = "it is longer than any journal";
        text.assign(buffer.get(), got);
    }
    close_file(fd);
    if (why.empty()) why = parse_journal(text, known_names, journal);
    if (!why.empty()) {
        journal = run_journal{};
        return {journal_read::damaged, why};
    }
    return {journal_read::read, {}};
}

int remove_journal(int dir_fd, bool sync) {
    const std::string name(journal_file_name);
    if (!remove_at(dir_fd, name.c_str()) && errno != ENOENT) return errno;
    if (sync && !sync_file(dir_fd)) return errno;
    return 0;
}

}  // namespace gs
