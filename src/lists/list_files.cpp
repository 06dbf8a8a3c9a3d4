#include "lists/list_files.hpp"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>
#include <thread>
#include <vector>

#include "text/line_reader.hpp"
#include "text/system_calls.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

bool refuse(list_failure& why, list_failure::kind what, std::string_view shown) {
    why.what = what;
    why.shown.assign(shown);
    return false;
}

bool check_room(std::string_view name, std::string_view shown, const name_list& list, list_failure& why) {
    if (name.size() >= name_capacity) return refuse(why, list_failure::kind::name_too_long, shown);
    if (list.entries.size() >= list_capacity) return refuse(why, list_failure::kind::list_full, {});
    return true;
}

// The wildcard step of pattern mode, for a line that holds no range (any more).
bool add_wildcard_entry(std::string_view text, name_list& list, list_failure& why) {
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
    if (!check_room(rest, shown, list, why)) return false;
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
bool add_line(std::string_view view, std::string& line, name_list& list, bool word_mode, list_failure& why) {
    if (view.starts_with('#')) return true;
    line.assign(view);
    trim_right(line);
    return word_mode ? add_word_entries(line, list, why) : add_pattern_entry(line, list, why);
}

}  // namespace

bool add_pattern_entry(std::string_view text, name_list& list, list_failure& why) {
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
            return refuse(why, list_failure::kind::not_understood, shown);
        }
        letter_range range{p, signed_byte(text[p + 1]), signed_byte(text[p + 3])};
        // A reversed range, or one whose only value would be the byte 0, yields no name at all.
        if (next_value(range.low) > range.high) return true;
        ranges.push_back(range);
        from = p + 5;
    }
    if (ranges.empty()) return add_wildcard_entry(text, list, why);

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
        if (!add_wildcard_entry(expanded, list, why)) return false;

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

bool add_word_entries(std::string& text, name_list& list, list_failure& why) {
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
        if (!check_room(name, name, list, why)) return false;
        list.entries.push_back(name_entry{std::string(name), false, false});
    }
    return true;
}

bool add_list_lines(std::string_view bytes, name_list& list, bool word_mode, list_failure* why) {
    line_reader reader;
    memory_line_reader(reader, bytes);
    std::string line;
    std::string_view view;
    list_failure failure;
    std::size_t number = 0;
    while (next_line(reader, view) == read_status::line) {
        ++number;
        if (!add_line(view, line, list, word_mode, failure)) {
            failure.line = number;
            if (why != nullptr) *why = std::move(failure);
            return false;
        }
    }
    index_name_list(list);
    return true;
}

list_failure load_name_list(const char* path, name_list& list, bool word_mode) {
    list.entries.clear();
    list_failure failure;
    failure.path = path;
    line_reader reader;
    reader.max_line = list_line_max(word_mode);
    if (open_line_reader(reader, path) != open_result::ok) {
        failure.what = list_failure::kind::cannot_open;
        failure.error = errno;
        close_line_reader(reader);
        return failure;
    }
    std::string line;
    std::string_view view;
    while (!failure) {
        const read_status status = next_line(reader, view);
        if (status == read_status::end) break;
        if (status == read_status::error) {
            failure.what = list_failure::kind::cannot_read;
            failure.error = errno;
            break;
        }
        ++failure.line;
        if (status == read_status::too_long) {
            refuse(failure, list_failure::kind::line_too_long, shown_part(view));
            failure.limit = reader.max_line;
        } else {
            add_line(view, line, list, word_mode, failure);
        }
    }
    close_line_reader(reader);
    if (!failure) {
        index_name_list(list);
        failure.path.clear();
        failure.line = 0;
    }
    return failure;
}

list_failure load_name_lists(name_lists& all, std::string_view dir, unsigned threads) {
    threads = std::clamp<unsigned>(threads, 1, list_count);
    std::array<list_failure, list_count> failures;
    std::atomic<std::size_t> next{0};
    const auto load_some = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < list_count;) {
            const list_file& file = list_files[i];
            const std::string path = join_path(dir, file.path);
            failures[i] = load_name_list(path.c_str(), list_of(all, file.id), file.word_mode);
            if (failures[i]) failures[i].path = path;
        }
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
    for (list_failure& failure : failures) {
        if (failure) return std::move(failure);
    }
    return {};
}

std::string name_in_form(name_form form, std::string_view name) {
    std::string text;
    put_in_form(form, name, text);
    return text;
}

void put_in_form(name_form form, std::string_view name, std::string& text) {
    text.assign(name);
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
}

}  // namespace gs
