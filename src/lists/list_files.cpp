#include "lists/list_files.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>
#include <vector>

#include "text/line_reader.hpp"
#include "text/messages.hpp"
#include "text/system_calls.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

bool check_room(std::string_view name, std::string_view shown, const name_list& list, console& con) {
    if (name.size() >= name_capacity) {
        print_line(con, msg_too_long);
        print_line(con, msg_name_was, shown);
        return false;
    }
    if (list.entries.size() >= list_capacity) {
        print_line(con, msg_full);
        print_line(con, msg_full_max, std::to_string(list_capacity));
        return false;
    }
    return true;
}

// The wildcard step of pattern mode, for a line that holds no range (any more).
bool add_wildcard_entry(std::string_view text, name_list& list, console& con) {
    name_entry entry;
    std::string_view rest = text;
    if (rest.starts_with('*')) {
        rest.remove_prefix(1);
        entry.leading_star = true;
    }
    const std::string_view shown = rest;
    if (rest.ends_with('*')) {
        rest.remove_suffix(1);
        entry.trailing_star = true;
    }
    if (!check_room(rest, shown, list, con)) return false;
    entry.text.assign(rest);
    trim_right(entry.text);
    list.entries.push_back(std::move(entry));
    return true;
}

struct letter_range {
    std::size_t at;  // where the range stands in the line
    int low;         // ends as signed 8-bit values
    int high;
};

int signed_byte(char c) {
    return static_cast<signed char>(c);
}

// The value itself, or the next one when it is the byte 0, which a range never produces.
int next_value(int value) {
    return value == 0 ? 1 : value;
}

// One line of a list file: a comment is skipped, anything else is trimmed at the right and added.
bool add_line(std::string_view view, std::string& line, name_list& list, bool word_mode, console& con) {
    if (view.starts_with('#')) return true;
    line.assign(view);
    trim_right(line);
    return word_mode ? add_word_entries(line, list, con) : add_pattern_entry(line, list, con);
}

}  // namespace

bool add_pattern_entry(std::string_view text, name_list& list, console& con) {
    // Take the ranges apart from left to right. A '[' must be followed by low, '-', high and ']'; a
    // character that a range produces is taken literally and never opens another range.
    std::vector<letter_range> ranges;
    std::size_t from = 0;
    while (true) {
        const std::size_t p = text.find('[', from);
        if (p == std::string_view::npos) break;
        if (p + 4 >= text.size() || text[p + 2] != '-' || text[p + 4] != ']') {
            // Report the line as it stands when the first values of the earlier ranges are in place.
            std::string shown;
            std::size_t copied = 0;
            for (const letter_range& range : ranges) {
                shown.append(text.substr(copied, range.at - copied));
                shown.push_back(static_cast<char>(next_value(range.low)));
                copied = range.at + 5;
            }
            shown.append(text.substr(copied));
            print_line(con, msg_not_understood, shown);
            return false;
        }
        letter_range range{p, signed_byte(text[p + 1]), signed_byte(text[p + 3])};
        // A reversed range, or one whose only value would be the byte 0, yields no name at all.
        if (next_value(range.low) > range.high) return true;
        ranges.push_back(range);
        from = p + 5;
    }
    if (ranges.empty()) return add_wildcard_entry(text, list, con);

    // Count through every combination like an odometer whose last wheel turns fastest.
    std::vector<int> values(ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i)
        values[i] = next_value(ranges[i].low);
    std::string expanded;
    while (true) {
        expanded.clear();
        std::size_t copied = 0;
        for (std::size_t i = 0; i < ranges.size(); ++i) {
            expanded.append(text.substr(copied, ranges[i].at - copied));
            expanded.push_back(static_cast<char>(values[i]));
            copied = ranges[i].at + 5;
        }
        expanded.append(text.substr(copied));
        if (!add_wildcard_entry(expanded, list, con)) return false;

        std::size_t wheel = ranges.size();
        while (wheel > 0) {
            --wheel;
            values[wheel] = next_value(values[wheel] + 1);
            if (values[wheel] <= ranges[wheel].high) break;
            values[wheel] = next_value(ranges[wheel].low);
            if (wheel == 0) return true;
        }
    }
}

bool add_word_entries(std::string& text, name_list& list, console& con) {
    trim_right(text);
    trim_left(text);
    // Each word ends at the first space; the rest of the line loses its leading line feeds, tabs and
    // spaces and is split the same way. The words then enter the list from the last to the first.
    struct word {
        std::size_t at, size;
    };
    std::vector<word> words;
    std::size_t at = 0;
    while (true) {
        const std::size_t space = text.find(' ', at);
        if (space == std::string::npos) {
            words.push_back({at, text.size() - at});
            break;
        }
        words.push_back({at, space - at});
        at = space + 1;
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n'))
            ++at;
    }
    const std::string_view line = text;
    for (std::size_t i = words.size(); i-- > 0;) {
        const std::string_view name = line.substr(words[i].at, words[i].size);
        if (!check_room(name, name, list, con)) return false;
        list.entries.push_back(name_entry{std::string(name), false, false});
    }
    return true;
}

bool add_list_lines(std::string_view bytes, name_list& list, bool word_mode, console& con) {
    line_reader reader;
    memory_line_reader(reader, bytes);
    std::string line;
    std::string_view view;
    while (next_line(reader, view) == read_status::line) {
        if (!add_line(view, line, list, word_mode, con)) return false;
    }
    index_name_list(list);
    return true;
}

bool load_name_list(const char* path, name_list& list, bool word_mode, bool quiet, console& con) {
    if (!quiet) print_line(con, msg_reading, path, msg_reading_end);
    list.entries.clear();
    line_reader reader;
    reader.max_line = list_line_max(word_mode);
    if (open_line_reader(reader, path) != open_result::ok) {
        const int error = errno;
        close_line_reader(reader);
        print_line(con, msg_during_opening, path);
        print_line(con, msg_indent, reason_of(error));
        return false;
    }
    std::string line;
    std::string_view view;
    bool ok = true;
    std::size_t number = 0;
    while (ok) {
        const read_status status = next_line(reader, view);
        if (status == read_status::end) break;
        if (status == read_status::error) {
            print_line(con, msg_during_reading, path);
            print_line(con, msg_indent, reason_of(errno));
            ok = false;
            break;
        }
        ++number;
        if (status == read_status::too_long) {
            print_line(con, msg_line_too_long, std::to_string(reader.max_line), msg_line_too_long_end);
            print_line(con, msg_line_was, shown_part(view));
            ok = false;
        } else {
            ok = add_line(view, line, list, word_mode, con);
        }
        // The refusal as specified, then where it is, so that the line can be found in a long list.
        if (!ok) print_line(con, msg_indent, path, std::string(msg_list_place_line) + std::to_string(number));
    }
    close_line_reader(reader);
    if (ok) index_name_list(list);
    return ok;
}

namespace {

bool load_listed_file(const list_file& file, std::string_view dir, name_lists& all, bool quiet,
                      console& con) {
    const std::string path = join_path(dir, file.path);
    return load_name_list(path.c_str(), list_of(all, file.id), file.word_mode, quiet, con);
}

}  // namespace

bool load_name_lists_in_turn(name_lists& all, std::string_view dir, bool quiet, console& con) {
    for (const list_file& file : list_files) {
        if (!load_listed_file(file, dir, all, quiet, con)) return false;
    }
    return true;
}

bool load_name_lists(name_lists& all, std::string_view dir, bool quiet, console& con, unsigned threads) {
    threads = std::min<unsigned>(threads, list_count);
    std::array<console_capture, list_count> captures;
    bool captured = threads > 1;
    for (console_capture& capture : captures)
        captured = captured && open_capture(capture);
    if (!captured) {
        for (console_capture& capture : captures)
            capture_text(capture);
        return load_name_lists_in_turn(all, dir, quiet, con);
    }
    std::array<bool, list_count> loaded{};
    std::atomic<std::size_t> next{0};
    const auto load_some = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < list_count;)
            loaded[i] = load_listed_file(list_files[i], dir, all, quiet, captures[i].con);
    };
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threads; ++i) {
        try {
            helpers.emplace_back(load_some);
        } catch (const std::system_error&) {
            break;  // the threads that started share the files
        }
    }
    load_some();
    for (std::thread& helper : helpers)
        helper.join();
    // The messages as reading the files one after another would print them: up to the first file that
    // failed, whose later files it would not have read.
    bool ok = true;
    for (std::size_t i = 0; i < list_count; ++i) {
        const std::string text = capture_text(captures[i]);
        if (!ok) continue;
        print_text(con, text);
        ok = loaded[i];
    }
    return ok;
}

std::string name_in_form(name_form form, std::string_view name) {
    std::string text(name);
    switch (form) {
        case name_form::capitals:
            upper_ascii(text);
            strip_name_punctuation(text);
            break;
        case name_form::account:
            remove_rating_braces(text);
            break;
        case name_form::as_written:
            break;
    }
    return text;
}

}  // namespace gs
