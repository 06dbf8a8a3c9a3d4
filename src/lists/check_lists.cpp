#include "lists/check_lists.hpp"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/line_reader.hpp"
#include "text/messages.hpp"
#include "text/system_calls.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

// An entry of a list file with the line it came from.
struct located_entry {
    name_entry entry;
    std::size_t line;
};

// A mistake that keeps a list from loading, with its line (0: the file as a whole).
struct fatal_error {
    std::size_t line;
    std::string what;
};

struct list_contents {
    list_id id;
    std::string path;
    std::vector<located_entry> entries;
    std::vector<std::size_t> blank_lines;
    std::vector<fatal_error> errors;
};

// What a line that loading refuses is, as a finding.
std::string refusal(const list_failure& why) {
    switch (why.what) {
        case list_failure::kind::not_understood:
            return std::string(msg_check_not_understood) + why.shown;
        case list_failure::kind::name_too_long:
            return std::string(msg_check_too_long) + std::to_string(name_capacity - 1) +
                   std::string(msg_check_too_long_end) + why.shown;
        case list_failure::kind::list_full:
            return std::string(msg_full);
        default:
            break;
    }
    return std::string(msg_check_unreadable);
}

// Adds one line to scratch as loading would; when loading would stop at it, says why.
bool add_checked(const list_file& file, std::string& line, name_list& scratch, std::string& why) {
    list_failure failure;
    const bool added =
        file.word_mode ? add_word_entries(line, scratch, failure) : add_pattern_entry(line, scratch, failure);
    if (!added) why = refusal(failure);
    return added;
}

// Reads a list file line by line, expanding each line as loading does, to know which line each entry
// came from. A line that loading would stop at is recorded as a fatal error, and reading goes on.
list_contents read_located(const list_file& file, std::string_view dir) {
    list_contents contents{file.id, join_path(dir, file.path), {}, {}, {}};
    line_reader reader;
    reader.max_line = list_line_max(file.word_mode);
    if (open_line_reader(reader, contents.path.c_str()) != open_result::ok) {
        contents.errors.push_back({0, std::string(msg_check_unreadable)});
        return contents;
    }
    name_list scratch;
    bool past_capacity = false;
    std::string line;
    std::string_view view;
    std::size_t number = 0;
    read_status status;
    while ((status = next_line(reader, view)) != read_status::end) {
        ++number;
        if (status != read_status::line) {
            contents.errors.push_back({number, status == read_status::too_long
                                                   ? std::string(msg_check_line_too_long) +
                                                         std::to_string(reader.max_line) +
                                                         std::string(msg_line_too_long_end)
                                                   : std::string(msg_check_unreadable)});
            break;
        }
        if (view.starts_with('#')) continue;
        line.assign(view);
        trim_right(line);
        if (line.empty()) contents.blank_lines.push_back(number);
        scratch.entries.clear();
        std::string why;
        if (!add_checked(file, line, scratch, why)) {
            contents.errors.push_back({number, why});
            continue;
        }
        for (name_entry& entry : scratch.entries)
            contents.entries.push_back({std::move(entry), number});
        if (!past_capacity && contents.entries.size() > list_capacity) {
            past_capacity = true;
            contents.errors.push_back({number, std::string(msg_check_capacity) +
                                                   std::to_string(list_capacity) +
                                                   std::string(msg_check_capacity_end)});
        }
    }
    close_line_reader(reader);
    return contents;
}

// True when every name that a matches is matched by b as well.
bool covers(const name_entry& b, const name_entry& a) {
    switch (kind_of(b)) {
        case entry_kind::inner:
            return contains(a.text, b.text);
        case entry_kind::prefix:
            return !a.leading_star && starts_with(a.text, b.text);
        case entry_kind::suffix:
            return !a.trailing_star && ends_with(a.text, b.text);
        case entry_kind::exact:
            break;
    }
    return kind_of(a) == entry_kind::exact && a.text == b.text;
}

bool same_entry(const name_entry& a, const name_entry& b) {
    return a.text == b.text && kind_of(a) == kind_of(b);
}

// The entries of list that cover entry, found through the entry's prefixes, suffixes and the few entries
// with two stars, so that large lists are checked in time linear in their size.
class cover_index {
  public:
    explicit cover_index(const list_contents& list) : list_(list) {
        for (std::size_t i = 0; i < list.entries.size(); ++i) {
            const name_entry& e = list.entries[i].entry;
            switch (kind_of(e)) {
                case entry_kind::inner:
                    inner_.push_back(i);
                    break;
                case entry_kind::prefix:
                    prefixes_.emplace(e.text, i);
                    break;
                case entry_kind::suffix:
                    suffixes_.emplace(e.text, i);
                    break;
                case entry_kind::exact:
                    exact_.emplace(e.text, i);
                    break;
            }
        }
    }

    // The first entry (other than skip) that covers entry, if any.
    std::optional<std::size_t> first_cover(const name_entry& entry, std::optional<std::size_t> skip) const {
        std::optional<std::size_t> best;
        const auto consider = [&](std::size_t i) {
            if (skip && i == *skip) return;
            if (!covers(list_.entries[i].entry, entry)) return;
            if (!best || i < *best) best = i;
        };
        const std::string_view text = entry.text;
        for (std::size_t length = 0; length <= text.size(); ++length) {
            const auto [from, to] = prefixes_.equal_range(std::string(text.substr(0, length)));
            for (auto it = from; it != to; ++it)
                consider(it->second);
            const auto [sfrom, sto] = suffixes_.equal_range(std::string(text.substr(text.size() - length)));
            for (auto it = sfrom; it != sto; ++it)
                consider(it->second);
        }
        const auto [efrom, eto] = exact_.equal_range(entry.text);
        for (auto it = efrom; it != eto; ++it)
            consider(it->second);
        for (std::size_t i : inner_)
            consider(i);
        return best;
    }

  private:
    const list_contents& list_;
    std::unordered_multimap<std::string, std::size_t> prefixes_, suffixes_, exact_;
    std::vector<std::size_t> inner_;
};

struct checker {
    std::vector<list_finding> findings;

    void report(const list_contents& list, std::size_t line, const std::string& what) {
        findings.push_back({list.path, line, what});
    }
};

// What makes an entry unable to match the form its list is matched in, or nothing.
std::optional<std::string> form_fault(const name_entry& entry, name_form form, bool word_mode) {
    if (form == name_form::capitals) {
        for (char c : entry.text) {
            if (c >= 'a' && c <= 'z') return std::string(msg_check_lower_case);
            if (is_name_punctuation(c)) return std::string("'") + c + std::string(msg_check_punctuation);
        }
    }
    if (word_mode) {
        for (char c : entry.text) {
            if (c == '\t' || c == '\r') return std::string(msg_check_blank_inside);
        }
    }
    return std::nullopt;
}

void check_one_list(checker& check, const list_contents& list, bool word_mode) {
    for (std::size_t line : list.blank_lines)
        check.report(list, line, std::string(msg_check_blank));
    const name_form form = form_of(list.id);
    const cover_index index(list);
    for (std::size_t i = 0; i < list.entries.size(); ++i) {
        const located_entry& at = list.entries[i];
        const name_entry& entry = at.entry;
        if (entry.text.empty()) continue;  // reported as a blank line, or a lone star on purpose
        if (const auto fault = form_fault(entry, form, word_mode))
            check.report(list, at.line, shown_entry(entry) + std::string(msg_check_never_matches) + *fault);
        if (contains(entry.text, "*"))
            check.report(list, at.line, shown_entry(entry) + std::string(msg_check_star_inside));
        const std::optional<std::size_t> cover = index.first_cover(entry, i);
        if (!cover) continue;
        const located_entry& by = list.entries[*cover];
        if (same_entry(by.entry, entry)) {
            if (*cover < i)
                check.report(list, at.line,
                             shown_entry(entry) + std::string(msg_check_repeats) + std::to_string(by.line));
        } else if (by.line != at.line) {
            check.report(list, at.line,
                         shown_entry(entry) + std::string(msg_check_covered) + shown_entry(by.entry) +
                             std::string(msg_check_covered_line) + std::to_string(by.line) + ")");
        }
    }
}

// Program and human lists that are matched with the same name form, so that one's entry can cover the
// other's.
struct opposed_lists {
    list_id programs;
    list_id humans;
};
constexpr opposed_lists opposed[] = {
    {list_id::computers, list_id::humans},
    {list_id::computers_when_opponent_is, list_id::humans},
    {list_id::computers, list_id::computers_when_opponent_is},
    {list_id::computers_icc, list_id::humans_icc_titled},
    {list_id::computers_icc, list_id::humans_icc_rest},
    {list_id::computers_fics, list_id::humans_fics},
};

void check_across(checker& check, const list_contents& a, const list_contents& b) {
    const cover_index index_a(a);
    for (const located_entry& at : b.entries) {
        if (at.entry.text.empty()) continue;
        if (const auto cover = index_a.first_cover(at.entry, std::nullopt)) {
            const located_entry& by = a.entries[*cover];
            check.report(b, at.line,
                         shown_entry(at.entry) + std::string(msg_check_covered) + shown_entry(by.entry) +
                             std::string(msg_check_covered_of) + a.path + ":" + std::to_string(by.line));
        }
    }
}

}  // namespace

std::vector<list_finding> check_lists(std::string_view dir) {
    std::vector<list_contents> contents;
    for (const list_file& file : list_files)
        contents.push_back(read_located(file, dir));
    checker check;
    for (const list_contents& list : contents) {
        for (const fatal_error& error : list.errors)
            check.report(list, error.line, error.what);
    }
    for (const list_file& file : list_files)
        check_one_list(check, contents[static_cast<std::size_t>(file.id)], file.word_mode);
    for (const opposed_lists& pair : opposed) {
        const list_contents& programs = contents[static_cast<std::size_t>(pair.programs)];
        const list_contents& humans = contents[static_cast<std::size_t>(pair.humans)];
        check_across(check, programs, humans);
        check_across(check, humans, programs);
    }
    return std::move(check.findings);
}

}  // namespace gs
