// Every message text that the tool prints, each defined once. A message is printed as its pieces in order
// (see print_line); the pieces here are the fixed ones.
#pragma once

#include <string_view>

namespace gs {

// "Error: During opening <path>": a list file or an input that cannot be opened or read at all.
inline constexpr std::string_view msg_during_opening = "Error: During opening ";
// "Error: During reading <path>": a list file or an input that failed part-way.
inline constexpr std::string_view msg_during_reading = "Error: During reading ";
// "Error: During creating or opening file '<path>'": an output or the report that cannot be opened.
inline constexpr std::string_view msg_cannot_create = "Error: During creating or opening file '";
// "Error: During writing file '<path>'": a write, flush or close of an output or the report failed.
inline constexpr std::string_view msg_cannot_write = "Error: During writing file '";
// Closes the quoted path of the two messages above.
inline constexpr std::string_view msg_name_end = "'";

// "Reading <path>...": a list file being loaded.
inline constexpr std::string_view msg_reading = "Reading ";
inline constexpr std::string_view msg_reading_end = "...";
inline constexpr std::string_view msg_too_long = "Error: name too long";
inline constexpr std::string_view msg_name_was = "name was: ";
inline constexpr std::string_view msg_full = "Error: maximum in list reached";
inline constexpr std::string_view msg_full_max = "maximum of the list is: ";
inline constexpr std::string_view msg_not_understood = "Don't understand";

// "Warning: skipped illegal datetag of <date>".
inline constexpr std::string_view msg_illegal_date = "Warning: skipped illegal datetag of ";

// The run's own refusals.
inline constexpr std::string_view msg_error = "Error: ";
inline constexpr std::string_view msg_no_input = "Error: no input file (see gamesieve --help)";
inline constexpr std::string_view msg_also_output = " is also the output file '";
inline constexpr std::string_view msg_also_input = " is also an input file";

// Command-line mistakes; each ends with msg_see_help.
inline constexpr std::string_view msg_see_help = " (see gamesieve --help)";
inline constexpr std::string_view msg_bad_threads = "Error: --threads needs a positive number, not '";
inline constexpr std::string_view msg_bad_chunk_bytes = "Error: --chunk-bytes needs a positive number";
inline constexpr std::string_view msg_option = "Error: option '";
inline constexpr std::string_view msg_needs_value = "' needs a value";
inline constexpr std::string_view msg_unknown_option = "Error: unknown option '";

}  // namespace gs
