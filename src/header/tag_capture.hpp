// Tag capture: every tag line of a game passes through here before it is held.
#pragma once

#include <string>
#include <string_view>

#include "header/game_header.hpp"
#include "text/console.hpp"

namespace gs {

// Reads the value of the named tag from a line such as [White "Smith"]: the line must start with '[' and
// the tag name, then any number of spaces and a '"'. The value is the rest of the line without a trailing
// run of ']', then of spaces, then of '"', in that order; it is taken whole, whatever its length. So
// [White "Smith "] gives "Smith " and [Event "Open ]"] gives "Open ]". False, with out untouched, when the
// line is not of that tag (WhiteElo is not White).
bool extract_tag_value(std::string_view line, std::string_view tag, std::string& out);

// Treats one tag line in place: deletes every backslash-quote pair (also pairs that a deletion brings
// together), captures White, Black, Site or Event into the header, takes a server date out of an Event
// line, and normalises a line that starts with "[Date ". Date warnings go to the console.
void handle_tag_line(std::string& line, game_header& header, console& out);

}  // namespace gs
