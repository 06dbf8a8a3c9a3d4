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
inline constexpr std::string_view msg_line_too_long = "Error: line longer than ";
inline constexpr std::string_view msg_line_too_long_end = " bytes";
inline constexpr std::string_view msg_line_was = "line was: ";
// The line after a message that says where (a list line) or why (the system's reason).
inline constexpr std::string_view msg_indent = "  ";
inline constexpr std::string_view msg_list_place_line = " line ";

// --check-lists: each finding is "<file>:<line>: <what>" ("<file>: <what>" for the file as a whole).
inline constexpr std::string_view msg_check_unreadable = "cannot be opened or read";
inline constexpr std::string_view msg_check_not_understood = "Don't understand ";
inline constexpr std::string_view msg_check_too_long = "name too long (at most ";
inline constexpr std::string_view msg_check_too_long_end = " characters): ";
inline constexpr std::string_view msg_check_line_too_long = "line longer than ";
inline constexpr std::string_view msg_check_capacity = "the list passes its capacity of ";
inline constexpr std::string_view msg_check_capacity_end = " entries here";
inline constexpr std::string_view msg_check_blank =
    "blank line: an empty name matches every player without a name tag";
inline constexpr std::string_view msg_check_never_matches = " can never match: ";
inline constexpr std::string_view msg_check_lower_case =
    "lower-case letters, but names are matched in capitals";
inline constexpr std::string_view msg_check_punctuation =
    "', but names are matched without blanks and punctuation";
inline constexpr std::string_view msg_check_blank_inside = "a blank inside an account name";
inline constexpr std::string_view msg_check_star_inside = " has a '*' inside, which is taken literally";
inline constexpr std::string_view msg_check_repeats = " repeats line ";
inline constexpr std::string_view msg_check_covered = " is covered by ";
inline constexpr std::string_view msg_check_covered_line = " (line ";
inline constexpr std::string_view msg_check_covered_of = " of ";

// "Warning: skipped illegal datetag of <date>".
inline constexpr std::string_view msg_illegal_date = "Warning: skipped illegal datetag of ";

// The run's own refusals.
inline constexpr std::string_view msg_error = "Error: ";
inline constexpr std::string_view msg_no_input = "Error: no input file (see gamesieve --help)";
inline constexpr std::string_view msg_also_output = " is also the output file '";
inline constexpr std::string_view msg_also_input = " is also an input file";
inline constexpr std::string_view msg_also_report = " is also the --explain report";

// Command-line mistakes; each ends with msg_see_help.
inline constexpr std::string_view msg_see_help = " (see gamesieve --help)";
inline constexpr std::string_view msg_bad_threads = "Error: --threads needs a positive number, not '";
inline constexpr std::string_view msg_option = "Error: option '";
inline constexpr std::string_view msg_needs_value = "' needs a value";
inline constexpr std::string_view msg_unknown_option = "Error: unknown option '";
inline constexpr std::string_view msg_bad_evidence =
    "Error: --evidence takes moves, events and tags (comma-separated), not '";
inline constexpr std::string_view msg_bad_only =
    "Error: --only takes names among comp_vs_comp, comp_vs_human, comp_vs_rest, advanced and rest_vs_rest, "
    "not '";
inline constexpr std::string_view msg_bad_compress =
    "Error: --compress takes zstd, gzip, xz or bzip2, with an optional level (zstd:19), not '";
inline constexpr std::string_view msg_no_lists_here =
    "No list files in the working directory: the lists installed with gamesieve are in ";
inline constexpr std::string_view msg_no_lists_here_end = "; use them with --lists ";
inline constexpr std::string_view msg_too_many_threads = "Error: --threads takes at most ";
inline constexpr std::string_view msg_recover_inputs =
    "Error: --recover puts the outputs back and sorts nothing; leave out the input files";
inline constexpr std::string_view msg_compress_levels = "; its levels are ";
inline constexpr std::string_view msg_compress_levels_to = " to ";
inline constexpr std::string_view msg_no_lists_in = "Error: no list file (*.cfg) in ";
inline constexpr std::string_view msg_no_lists_in_end = "; the lists installed with gamesieve are in ";
inline constexpr std::string_view msg_some_lists_missing =
    "Some list files are missing; the lists installed with gamesieve, to copy them from, are in ";
inline constexpr std::string_view msg_check_lists_inputs =
    "Error: --check-lists checks the lists and sorts nothing; leave out the input files";
inline constexpr std::string_view msg_unlisted_stdout =
    "Error: --unlisted needs a file name; '-' (standard output) would mix the names with the messages";
inline constexpr std::string_view msg_explain_stdout =
    "Error: --explain needs a file name; '-' (standard output) would mix the report with the messages";

// All or nothing: what a run that did not finish says after its first message, and the refusals that
// keep a run from writing at all.
inline constexpr std::string_view msg_nothing_kept =
    "Error: nothing of this run was kept: every output is as it was before the run";
inline constexpr std::string_view msg_interrupted = "Interrupted by ";
inline constexpr std::string_view msg_interrupted_end =
    ": nothing of this run was kept, every output is as it was before the run";
inline constexpr std::string_view msg_not_rolled_back = "Warning: '";
inline constexpr std::string_view msg_not_rolled_back_end =
    "' is not a regular file, so what was written to it stays";
inline constexpr std::string_view msg_run_busy = "Error: another gamesieve run is writing to ";
inline constexpr std::string_view msg_cannot_lock = "Error: During locking the output directory ";
inline constexpr std::string_view msg_unfinished = "Error: an unfinished gamesieve run left its journal in ";
inline constexpr std::string_view msg_unfinished_end = "; run 'gamesieve --recover";
inline constexpr std::string_view msg_unfinished_tail = "' first to put the outputs back";
inline constexpr std::string_view msg_cannot_journal = "Error: During writing the journal in ";
inline constexpr std::string_view msg_same_output = "Error: the outputs '";
inline constexpr std::string_view msg_same_output_and = "' and '";
inline constexpr std::string_view msg_same_output_end = "' are the same file";
inline constexpr std::string_view msg_not_pgn = " is ";
inline constexpr std::string_view msg_not_pgn_end = ", not a PGN file";

// "Warning: <path> holds no game ...", after the summary.
inline constexpr std::string_view msg_no_game = "Warning: ";
inline constexpr std::string_view msg_no_game_end =
    " holds no game (no tag section): its text, if any, went to rest_vs_rest.pgn";
// "Warning: <path> has carriage returns but no line feed in its first megabyte ...".
inline constexpr std::string_view msg_mac_line_ends = "Warning: ";
inline constexpr std::string_view msg_mac_line_ends_end =
    " has carriage returns but no line feed in its first megabyte: classic Mac line ends make it one line; "
    "convert it with tr '\\r' '\\n'";

// --recover.
inline constexpr std::string_view msg_nothing_to_recover = "Nothing to recover in ";
inline constexpr std::string_view msg_recovered_cut = "Cut back ";
inline constexpr std::string_view msg_recovered_removed = "Removed ";
inline constexpr std::string_view msg_recovered =
    "Recovered: every output is as it was before the unfinished run";
inline constexpr std::string_view msg_journal_damaged = "Error: the journal in ";
inline constexpr std::string_view msg_journal_damaged_end = " is damaged; nothing was cut";
inline constexpr std::string_view msg_shorter = "Error: '";
inline constexpr std::string_view msg_shorter_end =
    "' is shorter than before the unfinished run (changed since by someone else?); nothing was cut";
inline constexpr std::string_view msg_cannot_cut = "Error: During cutting back file '";
inline constexpr std::string_view msg_bad_test_faults = "Error: GAMESIEVE_TEST_FAULTS is not a fault plan: ";
inline constexpr std::string_view msg_link_left = "Error: '";
inline constexpr std::string_view msg_link_left_end =
    "' is a link now; --recover never follows a link, so it was left as it is";

// What a roll-back could not do as planned.
inline constexpr std::string_view msg_emptied = "Warning: '";
inline constexpr std::string_view msg_emptied_end =
    "' is no longer the file this run created (moved or replaced during the run): that file was emptied "
    "where it is, and what is at the name now was left alone";
inline constexpr std::string_view msg_left_shorter = "Warning: '";
inline constexpr std::string_view msg_left_shorter_end =
    "' is shorter than when this run began (changed by someone else?): it was left as it is";
inline constexpr std::string_view msg_dir_moved = "Warning: the output directory ";
inline constexpr std::string_view msg_dir_moved_end =
    " was moved or replaced during the run: the outputs were put back in the directory the run began in, "
    "wherever it is now, and nothing at that name now was touched";

// The reason lines of the system's own failures, where the system's words would mislead.
inline constexpr std::string_view msg_no_output_dir = "the output directory ";
inline constexpr std::string_view msg_no_output_dir_end = " does not exist";
inline constexpr std::string_view msg_output_dir_not_dir = " is not a directory";
inline constexpr std::string_view msg_changed_at_start = "it changed while the run began";
inline constexpr std::string_view msg_cut_short = "the compressed data ends before its frame does";
inline constexpr std::string_view msg_damaged = "the compressed data is damaged";
inline constexpr std::string_view msg_compressor_failed = "the compressor reported an error";
inline constexpr std::string_view msg_compressor_cannot_start = "the compressor cannot start";
inline constexpr std::string_view msg_is_journal = " is the journal of the output directory";

}  // namespace gs
