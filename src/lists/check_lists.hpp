// The list check (--check-lists): what in the twelve lists is almost surely a mistake, with file and line.
#pragma once

#include <string_view>

#include "lists/list_files.hpp"
#include "text/console.hpp"

namespace gs {

// Reports, one line each as "<file>:<line>: <what>", blank lines (an empty name matches players without
// a name tag), duplicate entries, entries that can never match their list's name form, a '*' inside a
// name, entries shadowed by a broader entry of the same list, and entries of a program list that cover
// one of a human list or the reverse. The files in dir must have loaded cleanly. True when clean.
bool check_lists(std::string_view dir, console& con);

}  // namespace gs
