#include "app/say.hpp"

#include "text/messages.hpp"
#include "text/system_calls.hpp"

namespace gs {

void print_list_failure(console& con, const list_failure& failure) {
    using kind = list_failure::kind;
    switch (failure.what) {
        case kind::none:
            return;
        case kind::cannot_open:
        case kind::cannot_read:
            print_line(con, failure.what == kind::cannot_open ? msg_during_opening : msg_during_reading,
                       failure.path);
            print_line(con, msg_indent, reason_of(failure.error));
            return;
        case kind::not_understood:
            print_line(con, msg_not_understood, failure.shown);
            break;
        case kind::name_too_long:
            print_line(con, msg_too_long);
            print_line(con, msg_name_was, failure.shown);
            break;
        case kind::list_full:
            print_line(con, msg_full);
            print_line(con, msg_full_max, std::to_string(list_capacity));
            break;
        case kind::line_too_long:
            print_line(con, msg_line_too_long, std::to_string(failure.limit), msg_line_too_long_end);
            print_line(con, msg_line_was, failure.shown);
            break;
    }
    // The refusal as specified, then where it is, so that the line can be found in a long list.
    if (!failure.path.empty())
        print_line(con, msg_indent, failure.path,
                   std::string(msg_list_place_line) + std::to_string(failure.line));
}

void print_failures(console& con, const failure_list& failures, std::size_t from) {
    for (std::size_t i = from; i < failures.size(); ++i) {
        const failure& f = failures[i];
        print_line(con, f.message, f.path, f.message_end);
        if (!f.reason.empty()) print_line(con, msg_indent, f.reason);
    }
}

bool load_lists(name_lists& lists, const std::string& dir, bool quiet, unsigned threads, console& con) {
    const list_failure failure = load_name_lists(lists, dir, threads);
    for (const list_file& file : list_files) {
        const std::string path = join_path(dir, file.path);
        if (!quiet) print_line(con, msg_reading, path, msg_reading_end);
        if (failure && failure.path == path) {
            print_list_failure(con, failure);
            return false;
        }
    }
    return !failure;
}

bool check_lists_and_say(const std::string& dir, bool quiet, console& con) {
    if (!quiet) {
        for (const list_file& file : list_files)
            print_line(con, msg_reading, join_path(dir, file.path), msg_reading_end);
    }
    const std::vector<list_finding> findings = check_lists(dir);
    for (const list_finding& finding : findings) {
        const std::string place = finding.line == 0 ? ": " : ":" + std::to_string(finding.line) + ": ";
        print_line(con, finding.path, place, finding.what);
    }
    return findings.empty();
}

}  // namespace gs
