// The twelve list files and how they are read into name lists.
//
// A list file is plain text, one line at a time; a line whose first character is '#' is a comment. In
// pattern mode a line is one name, with '*' at its start or end as a wildcard and letter ranges such as
// "[1-3]" that turn it into several names. In word mode every space-separated word of a line is an exact
// name. Any problem in a list file prints its message and ends the run before the input is read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "lists/name_list.hpp"

namespace gs {

// The twelve lists, in the order in which they are loaded.
enum class list_id : std::uint8_t {
    humans,
    humans_icc_rest,
    human_events,
    computers,
    computers_when_opponent_is,
    computers_icc,
    comp_events,
    advanced_chess,
    adv_events,
    computers_fics,
    humans_icc_titled,
    humans_fics,
};
inline constexpr std::size_t list_count = 12;

// The form in which a list's entries are compared with a player's name (or an event's): the name in
// capitals without blanks and name punctuation (the general player lists); a server account without its
// rating group in braces, trimmed at the right (the server lists); or the text as written (the event lists
// and advanced_chess.cfg). Judging, --explain and --check-lists all take the form from this table.
enum class name_form : std::uint8_t { capitals, account, as_written };

struct list_file {
    list_id id;
    std::string_view path;
    bool word_mode;
    name_form form;
};

inline constexpr std::array<list_file, list_count> list_files = {{
    {list_id::humans, "humans.cfg", false, name_form::capitals},
    {list_id::humans_icc_rest, "humans_icc_rest.cfg", false, name_form::account},
    {list_id::human_events, "human_events.cfg", false, name_form::as_written},
    {list_id::computers, "computers.cfg", false, name_form::capitals},
    {list_id::computers_when_opponent_is, "computers_when_opponent_is.cfg", false, name_form::capitals},
    {list_id::computers_icc, "computers_icc.cfg", false, name_form::account},
    {list_id::comp_events, "comp_events.cfg", false, name_form::as_written},
    {list_id::advanced_chess, "advanced_chess.cfg", false, name_form::as_written},
    {list_id::adv_events, "adv_events.cfg", false, name_form::as_written},
    {list_id::computers_fics, "computers_fics.cfg", true, name_form::account},
    {list_id::humans_icc_titled, "humans_icc_titled.cfg", true, name_form::account},
    {list_id::humans_fics, "humans_fics.cfg", true, name_form::account},
}};

struct name_lists {
    std::array<name_list, list_count> lists;
};

constexpr name_form form_of(list_id id) {
    return list_files[static_cast<std::size_t>(id)].form;
}

// The form of name in which the lists of that form are matched (a copy, for reports and checks; judging
// builds the forms in reusable buffers).
std::string name_in_form(name_form form, std::string_view name);
// The same into text, whose memory is reused: for judging, where names come one after another.
void put_in_form(name_form form, std::string_view name, std::string& text);

inline name_list& list_of(name_lists& all, list_id id) {
    return all.lists[static_cast<std::size_t>(id)];
}
inline const name_list& list_of(const name_lists& all, list_id id) {
    return all.lists[static_cast<std::size_t>(id)];
}

// Why a list line or a list file keeps the lists from loading: a value the caller says as it likes.
struct list_failure {
    enum class kind : std::uint8_t {
        none,
        not_understood,  // a '[' that opens no range
        name_too_long,   // a name of name_capacity characters or more
        list_full,       // the list passes list_capacity entries
        line_too_long,   // a line longer than list_line_max
        cannot_open,     // the file cannot be opened (error says why)
        cannot_read      // reading it failed part-way (error says why)
    };
    kind what = kind::none;
    std::string shown;      // the line or the name as the message shows it
    std::string path;       // the list file; empty for lines held in memory
    std::size_t line = 0;   // the line, from 1; 0 for the file as a whole
    int error = 0;          // the system's reason, for cannot_open and cannot_read
    std::size_t limit = 0;  // for line_too_long: the longest line the file may have
    explicit operator bool() const { return what != kind::none; }
};

// The longest line a list file may have, so that a file that never ends a line is refused at once and
// no message echoes more: a name line is far shorter than 4 KiB, and a line of words holds at most a
// full list of the longest names.
constexpr std::size_t list_line_max(bool word_mode) {
    return word_mode ? std::size_t{1} << 20 : std::size_t{4} << 10;
}

// Loads the twelve files from dir (the working directory when empty), on up to threads threads at once
// (long lists take most of a small run's time to read and index). The failure of the first file, in the
// order of list_files, that cannot be loaded (none when all load); the files after it may be loaded, but
// a failed load is not used.
list_failure load_name_lists(name_lists& all, std::string_view dir, unsigned threads = 1);

// Empties the list and loads one file into it; the failure that stopped it, if any.
list_failure load_name_list(const char* path, name_list& list, bool word_mode);

// Adds the lines of a list file held in memory, as load_name_list does with a file's lines. False, with
// why set when given, at a line that loading refuses.
bool add_list_lines(std::string_view bytes, name_list& list, bool word_mode, list_failure* why = nullptr);

// Word mode, one line: each space-separated word becomes an exact entry, the last word first.
bool add_word_entries(std::string& text, name_list& list, list_failure& why);

// Pattern mode, one line: wildcards and letter ranges. Several ranges on one line yield every combination,
// the first range varying slowest; a range whose low end is above its high end makes the line add nothing.
bool add_pattern_entry(std::string_view text, name_list& list, list_failure& why);

}  // namespace gs
