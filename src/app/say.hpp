// What the tool says about what library code returns as values: a list that cannot be loaded, and the
// findings of --check-lists. Library code never prints; the words are here, from text/messages.hpp.
#pragma once

#include <string>
#include <vector>

#include "lists/check_lists.hpp"
#include "lists/list_files.hpp"
#include "text/console.hpp"
#include "text/failure.hpp"

namespace gs {

// The messages of a list failure: its refusal as specified ("Don't understand<line>", "Error: name too
// long" and "name was: <name>", ...) and the line that says where, or the failure to open or read the
// file followed by the system's reason.
void print_list_failure(console& con, const list_failure& failure);

// Each failure's message line and, when it has one, its reason line: from the from-th on.
void print_failures(console& con, const failure_list& failures, std::size_t from = 0);

// Loads the twelve lists of dir on up to threads threads, and says so as loading them in turn would:
// "Reading <path>..." for each file (unless quiet) up to the first that fails, then its messages. False
// after a failure.
bool load_lists(name_lists& lists, const std::string& dir, bool quiet, unsigned threads, console& con);

// --check-lists: "Reading <path>..." for each file (unless quiet), then each finding as
// "<file>:<line>: <what>". True when there is none.
bool check_lists_and_say(const std::string& dir, bool quiet, console& con);

}  // namespace gs
