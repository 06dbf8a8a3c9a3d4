// Date normalisation: Date tags into YYYY.MM.DD form, and dates hidden at the end of server Event tags.
#pragma once

#include <string>
#include <string_view>

#include "header/game_header.hpp"

namespace gs {

// An Event value that starts so is a server's, and may end in the game's date.
inline constexpr std::string_view server_event_prefix = "ICC";

// Rewrites a Date tag line in place into [Date "YYYY.MM.DD"] with ???? and ?? for unknown parts, and
// records year, month and day in the header (0 when unknown). A value that starts with one of a few known
// mis-typed dates is replaced by that date first; '-' counts as '.'. A value of three fields of digits and
// question marks, or of one such field (the year), is read; any other value, or a field whose number is
// above 2147483647, fails, keeping the numbers read before it. An empty value ("") leaves the line as it is.
// What stands before the opening quote is kept. False when the date could not be read; the line is then
// left as the attempt left it.
bool normalize_date_tag(std::string& line, game_header& header);

// The normal form that normalize_date_tag writes, read back: value is what follows a Date tag's opening
// quote, to the line's end ("2024.03.07\"]", "????.??.??\"]"). True, with the parts (0 for ?), only
// when normalisation would write the value as it stands: each field all digits and not zero, or all
// question marks.
bool read_normal_date(std::string_view value, int& year, int& month, int& day);

// Normalises a Date tag line; an unreadable one is reported with the line as the attempt left it (a
// warning line with its newline, appended to warnings) and replaced by the unknown date. A line that then
// holds the unknown date takes the date found in the game's Event tag, when there is one.
void treat_date_line(std::string& line, game_header& header, std::string& warnings);

// For an Event value that starts with "ICC" and ends in a blank and month/day/year, takes that date out of
// the Event line and keeps it as the header's event date (a two-digit year is of the 1900s). The captured
// Event value keeps the date.
void extract_event_date(std::string& line, game_header& header);

}  // namespace gs
