// The list check (--check-lists): what in the twelve lists is almost surely a mistake, with file and line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lists/list_files.hpp"

namespace gs {

// A finding of the check: a line of a list file (0: the file as a whole) and what is wrong there.
struct list_finding {
    std::string path;
    std::size_t line = 0;
    std::string what;
};

// The findings in the twelve files of dir, in this order: the mistakes that would stop loading, each with
// its place (a '[' that opens no range, a name too long, a list past its capacity, a line too long, a
// file that cannot be opened), the check going on with the other lines and lists; then, list by list,
// blank lines (an empty name matches players without a name tag), duplicate entries, entries that can
// never match their list's name form, a '*' inside a name, entries shadowed by a broader entry of the same
// list; then entries of a program list that cover one of a human list or the reverse. None: clean.
std::vector<list_finding> check_lists(std::string_view dir);

}  // namespace gs
