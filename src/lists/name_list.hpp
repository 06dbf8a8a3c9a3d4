// A name list: the names and name patterns of one list file, and the question whether a text matches any.
//
// The entries are kept in the order in which they were added, with their two wildcard flags; a list holds
// at most list_capacity entries, each of fewer than name_capacity characters. Matching is byte-exact and
// case-sensitive: callers pass the form of a name that the list is written in.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lists/name_index.hpp"

namespace gs {

inline constexpr std::size_t list_capacity = 5000;
inline constexpr std::size_t name_capacity = 100;  // an entry's text has at most name_capacity - 1 bytes

struct name_list {
    std::vector<name_entry> entries;
    name_index index;  // built by index_name_list once the entries are complete
};

// Builds the list's index; until it is rebuilt after a change of the entries, matching scans them.
void index_name_list(name_list& list);

// True when the candidate matches an entry of the list: with both stars when it contains the entry's text,
// with a leading star when it ends with it, with a trailing star when it starts with it, and otherwise when
// it equals it. The candidate is taken without its trailing blanks (the caller's text is not changed); an
// empty candidate matches an entry with empty text, and an entry with empty text and a star matches every
// candidate. A pure query: the same answer for the same text, whatever was asked before.
bool list_contains(std::string_view candidate, const name_list& list);

// The entry as it stands in a list file, stars included ("*FRITZ*"), for reports.
std::string shown_entry(const name_entry& entry);

// The position of the first entry that the candidate (trimmed at the right) matches, by trying the
// entries in order; for reports that name the entry, not for the sorting loop.
std::optional<std::size_t> list_find_entry(std::string_view candidate, const name_list& list);

// The same answer for a candidate already trimmed at the right, by trying the entries one by one: the
// reference that the index is checked against.
bool list_contains_scan(std::string_view candidate, const name_list& list);

}  // namespace gs
