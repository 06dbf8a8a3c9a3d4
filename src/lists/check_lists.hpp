// The list check (--check-lists): what in the twelve lists is almost surely a mistake, with file and line.
#pragma once

#include <string_view>

#include "lists/list_files.hpp"
#include "text/console.hpp"

namespace gs {

// Reports, one line each as "<file>:<line>: <what>", blank lines (an empty name matches players without
// a name tag), duplicate entries, entries that can never match their list's name form, a '*' inside a
// name, entries shadowed by a broader entry of the same list, and entries of a program list that cover
// one of a human list or the reverse. Before them, the mistakes that would stop loading, each with its
// place ("<file>:<line>: Don't understand <line>", a name too long, a list past its capacity, a file
// that cannot be opened), and the check goes on with the other lines and lists. Each file is announced
// by its "Reading <path>..." line unless quiet. True when clean.
bool check_lists(std::string_view dir, bool quiet, console& con);

}  // namespace gs
