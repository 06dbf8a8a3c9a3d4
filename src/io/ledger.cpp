#include "io/ledger.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <ctime>

#include "text/line_reader.hpp"
#include "text/system_calls.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

constexpr std::string_view head_line = "gamesieve ledger 1";
constexpr std::string_view no_hash = "-";
constexpr std::size_t field_count = 9;

bool read_count(std::string_view text, std::uint64_t& count) {
    const std::optional<std::uint64_t> read = gs::read_count(text);
    if (read) count = *read;
    return read.has_value();
}

// 2026-12-10T01:02:03Z, digits where digits go.
bool is_time(std::string_view text) {
    constexpr std::string_view shape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'd' ? (text[i] < '0' || text[i] > '9') : text[i] != shape[i]) return false;
    }
    return true;
}

}  // namespace

std::string counts_field(const output_counts& counts) {
    std::string text;
    for (std::size_t i = 0; i < ledger_outputs; ++i) {
        if (i > 0) text.push_back(',');
        text.append(std::to_string(counts[i]));
    }
    return text;
}

bool read_counts_field(std::string_view text, output_counts& counts) {
    std::array<std::string_view, ledger_outputs> parts;
    if (!split_fields(text, ',', parts)) return false;
    for (std::size_t i = 0; i < ledger_outputs; ++i) {
        if (!read_count(parts[i], counts[i])) return false;
    }
    return true;
}

std::string ledger_head() {
    return std::string(head_line) + '\n';
}

std::string ledger_line(const ledger_entry& entry) {
    std::string line = entry.when;
    line += '\t' + std::to_string(entry.raw_size) + '\t' + hash_text(entry.raw_hash) + '\t';
    line += entry.quick ? hash_text(*entry.quick) : std::string(no_hash);
    line += '\t' + std::to_string(entry.text_size) + '\t' + hash_text(entry.text_hash) + '\t';
    line += counts_field(entry.games) + '\t' + counts_field(entry.bytes);
    line += '\t' + escape_field(entry.input) + '\n';
    return line;
}

std::optional<ledger_entry> parse_ledger_line(std::string_view line) {
    std::array<std::string_view, field_count> fields;
    if (!split_fields(line, '\t', fields)) return std::nullopt;
    ledger_entry entry;
    if (!is_time(fields[0])) return std::nullopt;
    entry.when.assign(fields[0]);
    const std::optional<hash128> raw = read_hash_text(fields[2]);
    const std::optional<hash128> text = read_hash_text(fields[5]);
    std::optional<std::string> input = unescape_field(fields[8]);
    if (!read_count(fields[1], entry.raw_size) || !raw || !read_count(fields[4], entry.text_size) || !text ||
        !read_counts_field(fields[6], entry.games) || !read_counts_field(fields[7], entry.bytes) || !input ||
        input->empty())
        return std::nullopt;
    if (fields[3] != no_hash) {
        entry.quick = read_hash_text(fields[3]);
        if (!entry.quick) return std::nullopt;
    }
    entry.raw_hash = *raw;
    entry.text_hash = *text;
    entry.input = std::move(*input);
    return entry;
}

ledger_found read_ledger(int dir_fd, std::vector<ledger_entry>& entries) {
    entries.clear();
    const std::string name(ledger_file_name);
    // Not blocking: a FIFO planted as the ledger must not hang the run.
    const int fd = open_at(dir_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return {};
    if (fd < 0 && errno == ELOOP)
        return {ledger_read::damaged, "it is a link, which gamesieve never follows", {}};
    if (fd < 0) return {ledger_read::damaged, reason_of(errno), {}};
    ledger_found found{ledger_read::read, {}, status_of(fd)};
    if (!found.status.regular()) {
        found.why = "it is not a regular file";
    } else if (found.status.owner != ::geteuid()) {
        found.why = "it belongs to another user (uid " + std::to_string(found.status.owner) + ")";
    }
    if (!found.why.empty()) {
        close_file(fd);
        found.state = ledger_read::damaged;
        return found;
    }
    line_reader reader;
    reader.max_line = ledger_line_max;
    std::uint64_t bytes = 0;
    std::size_t number = 0;
    if (!start_line_reader(reader, fd)) {
        found.why = reason_of(errno);
    } else {
        std::string_view line;
        while (found.why.empty()) {
            const read_status status = next_line(reader, line);
            if (status == read_status::end) break;
            ++number;
            if (status == read_status::error) {
                found.why = reason_of(errno);
            } else if (status == read_status::too_long) {
                found.why = "line " + std::to_string(number) + " is longer than " +
                            std::to_string(ledger_line_max) + " bytes";
            } else if (number == 1 ? line != head_line : !parse_ledger_line(line)) {
                found.why = "line " + std::to_string(number) + " is not a ledger's line: " + shown_part(line);
            } else if (number > 1) {
                entries.push_back(*parse_ledger_line(line));
            }
            bytes += line.size() + 1;
        }
    }
    close_line_reader(reader);
    if (found.why.empty() && number == 0) found.why = "it is empty";
    // Every line ended, and nothing skipped: the bytes read are the file's.
    if (found.why.empty() && bytes != found.status.size) found.why = "its last line is cut short";
    if (!found.why.empty()) {
        entries.clear();
        found.state = ledger_read::damaged;
    }
    return found;
}

opened_file open_ledger_for_append(int dir_fd, const file_status& was) {
    const std::string name(ledger_file_name);
    opened_file opened;
    const int flags = O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    opened.fd = open_at(dir_fd, name.c_str(), was.exists ? flags : flags | O_CREAT | O_EXCL, 0644);
    if (opened.fd < 0) {
        opened.error = errno;
        return opened;
    }
    opened.created = !was.exists;
    opened.status = status_of(opened.fd);
    if (was.exists && (!opened.status.same_as(was) || opened.status.size != was.size)) {
        close_file(opened.fd);
        opened.fd = -1;
        opened.why = "it changed while the run went on";
    }
    return opened;
}

std::string ledger_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace gs
