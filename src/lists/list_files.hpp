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
#include "text/console.hpp"

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

struct list_file {
    list_id id;
    std::string_view path;
    bool word_mode;
};

inline constexpr std::array<list_file, list_count> list_files = {{
    {list_id::humans, "humans.cfg", false},
    {list_id::humans_icc_rest, "humans_icc_rest.cfg", false},
    {list_id::human_events, "human_events.cfg", false},
    {list_id::computers, "computers.cfg", false},
    {list_id::computers_when_opponent_is, "computers_when_opponent_is.cfg", false},
    {list_id::computers_icc, "computers_icc.cfg", false},
    {list_id::comp_events, "comp_events.cfg", false},
    {list_id::advanced_chess, "advanced_chess.cfg", false},
    {list_id::adv_events, "adv_events.cfg", false},
    {list_id::computers_fics, "computers_fics.cfg", true},
    {list_id::humans_icc_titled, "humans_icc_titled.cfg", true},
    {list_id::humans_fics, "humans_fics.cfg", true},
}};

struct name_lists {
    std::array<name_list, list_count> lists;
};

inline name_list& list_of(name_lists& all, list_id id) {
    return all.lists[static_cast<std::size_t>(id)];
}
inline const name_list& list_of(const name_lists& all, list_id id) {
    return all.lists[static_cast<std::size_t>(id)];
}

// The path of a list file in dir (the working directory when dir is empty), as it is opened and shown.
std::string list_path(std::string_view dir, std::string_view file);

// Loads the twelve files from dir (the working directory when empty) in the order of list_files, each
// announced by its "Reading <path>..." line unless quiet. False after a list error, whose messages are
// printed whether quiet or not.
bool load_name_lists(name_lists& all, std::string_view dir, bool quiet, console& con);

// Empties the list and loads one file into it. False after an error.
bool load_name_list(const char* path, name_list& list, bool word_mode, bool quiet, console& con);

// Adds the lines of a list file held in memory, as load_name_list does with a file's lines.
bool add_list_lines(std::string_view bytes, name_list& list, bool word_mode, console& con);

// Word mode, one line: each space-separated word becomes an exact entry, the last word first.
bool add_word_entries(std::string& text, name_list& list, console& con);

// Pattern mode, one line: wildcards and letter ranges. Several ranges on one line yield every combination,
// the first range varying slowest; a range whose low end is above its high end makes the line add nothing.
bool add_pattern_entry(std::string_view text, name_list& list, console& con);

}  // namespace gs
