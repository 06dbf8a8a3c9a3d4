#include "io/journal.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "text/line_reader.hpp"
#include "text/messages.hpp"
#include "text/system_calls.hpp"

namespace gs {
namespace {

constexpr std::string_view journal_head = "gamesieve journal 1";
constexpr std::string_view output_word = "output ";
constexpr std::string_view report_word = "report ";
constexpr std::string_view absent_word = "absent";
constexpr std::string_view special_word = "special";
constexpr std::string_view new_suffix = ".new";

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
    return text;
}

bool parse_output(std::string_view rest, journal_output& out) {
    const std::size_t blank = rest.find(' ');
    if (blank == std::string_view::npos || blank + 1 >= rest.size()) return false;
    const std::string_view before = rest.substr(0, blank);
    out.name.assign(rest.substr(blank + 1));
    if (out.name.find('/') != std::string::npos) return false;  // a name in the directory, never a path
    if (before == absent_word) {
        out.state = journal_output::before::absent;
    } else if (before == special_word) {
        out.state = journal_output::before::special;
    } else {
        out.state = journal_output::before::size;
        const auto [at, fault] = std::from_chars(before.data(), before.data() + before.size(), out.size);
        if (fault != std::errc() || at != before.data() + before.size()) return false;
    }
    return true;
}

// The size of a regular file at path, or -1 when there is none.
long long regular_size(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return -1;
    return static_cast<long long>(info.st_size);
}

}  // namespace

run_journal journal_of(std::string_view dir, std::span<const std::string> names) {
    run_journal journal;
    for (const std::string& name : names) {
        if (name.empty()) continue;
        journal_output out;
        out.name.assign(name);
        struct stat info {};
        const std::string path = join_path(dir, name);
        if (::stat(path.c_str(), &info) != 0) {
            out.state = journal_output::before::absent;
        } else if (!S_ISREG(info.st_mode)) {
            out.state = journal_output::before::special;
        } else {
            out.state = journal_output::before::size;
            out.size = static_cast<std::uint64_t>(info.st_size);
        }
        journal.outputs.push_back(out);
    }
    return journal;
}

bool write_journal(const run_journal& journal, std::string_view dir, int dir_fd, bool sync) {
    const std::string path = join_path(dir, journal_file_name);
    const std::string fresh = path + std::string(new_suffix);
    const int fd = open_file(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = write_all(fd, journal_text(journal));
    if (ok && sync) ok = ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    if (ok) ok = ::rename(fresh.c_str(), path.c_str()) == 0;
    if (ok && sync && dir_fd >= 0) ok = ::fsync(dir_fd) == 0;
    if (!ok) {
        ::unlink(fresh.c_str());
        ::unlink(path.c_str());
    }
    return ok;
}

journal_read read_journal(std::string_view dir, run_journal& journal) {
    journal = run_journal{};
    const std::string path = join_path(dir, journal_file_name);
    line_reader reader;
    const open_result opened = open_line_reader(reader, path.c_str());
    if (opened == open_result::cannot_open && errno == ENOENT) return journal_read::none;
    if (opened != open_result::ok) return journal_read::damaged;
    std::string_view line;
    bool ok = next_line(reader, line) == read_status::line && line == journal_head;
    read_status status = read_status::end;
    while (ok && (status = next_line(reader, line)) == read_status::line) {
        if (line.starts_with(output_word)) {
            journal_output out;
            ok = parse_output(line.substr(output_word.size()), out);
            journal.outputs.push_back(out);
        } else if (line.starts_with(report_word) && line.size() > report_word.size()) {
            journal.report.assign(line.substr(report_word.size()));
        } else {
            ok = false;
        }
    }
    close_line_reader(reader);
    return ok && status == read_status::end ? journal_read::read : journal_read::damaged;
}

bool remove_journal(std::string_view dir, int dir_fd, bool sync) {
    const std::string path = join_path(dir, journal_file_name);
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return false;
    return !sync || dir_fd < 0 || ::fsync(dir_fd) == 0;
}

std::vector<std::string> shorter_outputs(const run_journal& journal, std::string_view dir) {
    std::vector<std::string> shorter;
    for (const journal_output& out : journal.outputs) {
        if (out.state != journal_output::before::size) continue;
        const std::string path = join_path(dir, out.name);
        const long long now = regular_size(path);
        if (now < static_cast<long long>(out.size)) shorter.push_back(path);
    }
    return shorter;
}

bool roll_back(const run_journal& journal, std::string_view dir, bool telling, console& con,
               std::vector<std::string>* shorter) {
    bool ok = true;
    for (const journal_output& out : journal.outputs) {
        const std::string path = join_path(dir, out.name);
        const long long now = regular_size(path);
        switch (out.state) {
            case journal_output::before::size:
                if (now < static_cast<long long>(out.size)) {
                    if (shorter != nullptr) shorter->push_back(path);
                } else if (now > static_cast<long long>(out.size)) {
                    if (::truncate(path.c_str(), static_cast<off_t>(out.size)) != 0) {
                        print_line(con, msg_cannot_cut, path, msg_name_end);
                        ok = false;
                    } else if (telling) {
                        print_line(con, msg_recovered_cut, path,
                                   ": " + std::to_string(now - static_cast<long long>(out.size)) + " bytes");
                    }
                }
                break;
            case journal_output::before::absent:
                if (now >= 0) {
                    if (::unlink(path.c_str()) != 0) {
                        print_line(con, msg_cannot_cut, path, msg_name_end);
                        ok = false;
                    } else if (telling) {
                        print_line(con, msg_recovered_removed, path);
                    }
                }
                break;
            case journal_output::before::special:
                break;
        }
    }
    if (!journal.report.empty() && ::unlink(journal.report.c_str()) == 0 && telling)
        print_line(con, msg_recovered_removed, journal.report);
    return ok;
}

}  // namespace gs
