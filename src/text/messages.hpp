// Every message text that the tool prints, each defined once. A message is printed as its pieces in order
// (see print_line); the pieces here are the fixed ones.
#pragma once

#include <array>
#include <string_view>

namespace gs {

// "Error: During opening <path>": a list file or an input that cannot be opened or read at all.
inline constexpr std::string_view msg_during_opening = "Error: During opening ";
// "Error: During reading <path>": a list file or an input that failed part-way.
inline constexpr std::string_view msg_during_reading = "Error: During reading ";
inline constexpr std::string_view msg_input_changed =
    "it is not what the stopped run read: its text up to where that run stopped differs";
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
inline constexpr std::string_view msg_unfinished_dir = " -o ";
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
inline constexpr std::string_view msg_recovered_cut_bytes = ": ";
inline constexpr std::string_view msg_recovered_cut_end = " bytes";
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
inline constexpr std::string_view msg_is_ledger = " is the ledger of the output directory";

// Resumable runs.
inline constexpr std::string_view msg_cannot_resume = "Error: cannot resume the run stopped in ";
inline constexpr std::string_view msg_resume_gone =
    "its journal is no longer the one of the run that --resume read";
inline constexpr std::string_view msg_resume_ledger_changed = "the ledger changed since the run stopped";
inline constexpr std::string_view msg_shorter_than_checkpoint =
    "it is shorter than at the stopped run's last checkpoint (changed since by someone else?)";
inline constexpr std::string_view msg_shorter_than_checkpoint_end =
    "' is shorter than at the run's last checkpoint (changed since by someone else?); it was left as it is";
inline constexpr std::string_view msg_stopped = "Stopped at ";
inline constexpr std::string_view msg_stopped_after_signal = ": stopped at ";
inline constexpr std::string_view msg_stopped_input = "input ";
inline constexpr std::string_view msg_stopped_of = " of ";
inline constexpr std::string_view msg_stopped_game = ", game ";
inline constexpr std::string_view msg_stopped_resume = "; gamesieve --resume";
inline constexpr std::string_view msg_stopped_recover = " goes on, gamesieve --recover";
inline constexpr std::string_view msg_stopped_end = " undoes the whole run";
inline constexpr std::string_view msg_stopped_left = "Error: a --resumable gamesieve run stopped in ";
inline constexpr std::string_view msg_stopped_left_resume = "; run 'gamesieve --resume";
inline constexpr std::string_view msg_stopped_left_recover = "' to go on with it, or 'gamesieve --recover";
inline constexpr std::string_view msg_stopped_left_end = "' to undo it";
inline constexpr std::string_view msg_no_run_to_resume = "Error: there is no stopped run to resume in ";
inline constexpr std::string_view msg_not_resumable = "Error: the unfinished run in ";
inline constexpr std::string_view msg_not_resumable_end = " was not --resumable; run 'gamesieve --recover";
inline constexpr std::string_view msg_not_resumable_tail = "' to put the outputs back";
inline constexpr std::string_view msg_resume_inputs =
    "Error: --resume goes on with the inputs and options of the stopped run: give it only -o DIR";
inline constexpr std::string_view msg_resume_elsewhere = "Error: the run stopped in ";
inline constexpr std::string_view msg_resume_elsewhere_end =
    " wrote to another directory from where it was started: ";
inline constexpr std::string_view msg_resumable_reports =
    "Error: --resumable cannot go with --explain or --unlisted, whose reports are written whole at the end";
inline constexpr std::string_view msg_changed_since_stop =
    " changed since the run stopped (its size or its first or last mebibyte differ), so the run cannot go on";

// The ledger.
inline constexpr std::string_view msg_already_sorted = " was sorted into ";
inline constexpr std::string_view msg_already_sorted_on = " before: on ";
inline constexpr std::string_view msg_already_sorted_as = ", as ";
inline constexpr std::string_view msg_same_games = " holds the same games as ";
inline constexpr std::string_view msg_same_games_end = ", given before it";
inline constexpr std::string_view msg_again_hint =
    "  sorting it again would append every game a second time; gamesieve --again sorts it anyway";
inline constexpr std::string_view msg_ledger_damaged = "Error: the ledger ";
inline constexpr std::string_view msg_ledger_damaged_end = " cannot be trusted: ";
inline constexpr std::string_view msg_ledger_aside = "  move it aside to sort into this directory (mv ";
inline constexpr std::string_view msg_ledger_aside_end = ".damaged); a new ledger is then started";
inline constexpr std::string_view msg_cannot_ledger = "Error: During writing the ledger ";
inline constexpr std::string_view msg_no_ledger = "No ledger in ";
inline constexpr std::string_view msg_no_ledger_end = ": no run has been kept there yet";
inline constexpr std::string_view msg_ledger_head =
    "date\tinput\tcomp_vs_comp\tcomp_vs_human\tcomp_vs_rest\trest_vs_rest\tadvanced";
inline constexpr std::string_view msg_ledger_inputs =
    "Error: --ledger reads the ledger and sorts nothing: give it no input";

// The usage text (no argument) and the help text (--help).
// The example line that names the installed lists directory, which is known only when the help is shown.
inline constexpr std::string_view msg_help_lists_example = "  gamesieve --lists ";
inline constexpr std::string_view msg_help_lists_example_end = " games.pgn";

// The usage text names the output files with hyphens, as the tool's first versions did; it is kept as it
// was on purpose, since scripts may compare it. --help names the files as they are.
inline constexpr std::array<std::string_view, 10> msg_usage_lines = {
    "Usage: gamesieve <pgnfile>",
    "",
    "Comments and bug reports are welcome in the gamesieve issue tracker.",
    "Version 1.01, okt 2003",
    "",
    "Parses a pgnfile and output the following",
    "comp-vs-comp.pgn",
    "comp-vs-human.pgn",
    "comp-vs-rest.pgn",
    "rest-vs-rest.pgn",
};

inline constexpr std::string_view msg_help_lines[] = {
    "Usage: gamesieve [options] <pgnfile>...",
    "       gamesieve --check-lists [--lists DIR]",
    "",
    "Sorts the games of PGN files by who played them, appending each game to one of five files:",
    "  comp_vs_comp.pgn    a computer against a computer",
    "  comp_vs_human.pgn   a computer against a human",
    "  comp_vs_rest.pgn    a computer against a player of undetermined kind",
    "  advanced.pgn        an advanced-chess (human and computer) team on either side",
    "  rest_vs_rest.pgn    every other game, and any text before the first game",
    "",
    "Inputs are sorted in order as one run; '-' reads standard input. Files compressed with zstd, xz,",
    "gzip or bzip2 are recognised by their first bytes and decompressed on the fly.",
    "",
    "Options:",
    "  -l, --lists DIR       read the twelve list files (*.cfg) from DIR instead of the working directory",
    "  -o, --output-dir DIR  append the five outputs in DIR (which must exist) instead of the working",
    "                        directory",
    "  -s, --summary         after the run, print the games and bytes added to each output, and the speed",
    "  -q, --quiet           print neither the 'Reading' lines nor progress (unless --progress)",
    "  -j, --threads N       sort with N threads (default: one per core); the result is the same for any N",
    "  -z, --compress FMT    write compressed outputs (comp_vs_comp.pgn.zst ...): zstd, gzip, xz or bzip2,",
    "                        with an optional level (zstd:19); every run appends a frame of its own",
    "      --only NAMES      write only these outputs (comma-separated, e.g. comp_vs_comp,advanced); the",
    "                        games of the others are dropped and their files left alone",
    "      --progress        show progress even when standard error is not a terminal, and with -q",
    "      --no-progress     never show progress",
    "      --player-tags     let WhiteType/BlackType, WhiteTitle \"BOT\" and WhiteIsComp tags decide a",
    "                        player's kind; on lichess.org a player without the BOT title is human",
    "      --evidence[=KINDS]  judge a player that no name marker and no list decided from the game:",
    "                        moves (engine search output on at least half of its moves: a program),",
    "                        events (an Event in comp_events.cfg: a program), tags (a FIDE title or id:",
    "                        a human; the tags of --player-tags too); all three without KINDS",
    "      --unlisted FILE   write the names that no list decided to FILE, most games first, with what",
    "                        the evidence said of them, ready to add to the lists",
    "      --explain FILE    write one tab-separated line per game to FILE: the players' kinds, what",
    "                        decided them, and the output (with several inputs, the input too)",
    "      --check-lists     check the twelve lists for likely mistakes and sort nothing",
    "      --sync            sync the outputs to the disk before the run ends",
    "      --recover         put the outputs back after a run that was killed, and sort nothing",
    "      --again           sort inputs that the output directory's ledger holds already",
    "      --ledger          print the ledger: the inputs sorted into the output directory, and sort nothing",
    "      --resumable       take a checkpoint every 256 MiB or 30 s; a failed run stops at the last one",
    "      --resume          go on with the run stopped in the output directory (-o), to its end",
    "  -h, --help            show this text",
    "  -V, --version         show the version",
    "",
    "A run is all or nothing: after an error or a signal every output is as it was before the run (except",
    "outputs that are not regular files, such as a FIFO), or, with --resumable, as at its last checkpoint.",
    "One run at a time writes to an output directory. Its ledger (.gamesieve-ledger) remembers every input",
    "sorted into it: the same games again (another name, another compression, standard input) are refused.",
    "",
    "Progress is shown on standard error when it is a terminal. The exit status is 0 when every game was",
    "written, 1 after any error, 128+N after signal N (130 for Ctrl-C).",
    "",
    "Examples:",
    "  gamesieve -s games.pgn.zst",
    "  gamesieve -z zstd --evidence --only comp_vs_comp,comp_vs_human lichess_db_2026-11.pgn.zst",
    msg_help_lists_example,
    "  gamesieve --explain why.tsv games.pgn",
    "",
    "Lists are looked for in the working directory, or in the directory given with --lists.",
};
inline constexpr std::string_view msg_help_lists_installed = "The lists installed with this program are in ";
inline constexpr std::string_view msg_help_lists_configured = "Installed, this program finds its lists in ";
inline constexpr std::string_view msg_help_lists_end = ".";

// The summary (--summary): a line per output, then the total; and the progress line's fields.
inline constexpr const char* msg_summary_output = "%-34s %10llu %-5s %14llu bytes%s";
inline constexpr const char* msg_summary_total = "%-34s %10llu %-5s %14llu bytes read in %.2f s (%.1f MB/s)";
inline constexpr const char* msg_summary_total_name = "total";
inline constexpr const char* msg_summary_dropped = " dropped";
inline constexpr const char* msg_summary_game = "game";
inline constexpr const char* msg_summary_games = "games";
inline constexpr const char* msg_progress_share = "%3.0f%%";
inline constexpr const char* msg_progress_sorted = "%.1f MB sorted";
inline constexpr const char* msg_progress_speed = "%.1f MB/s";
inline constexpr const char* msg_progress_time = "%.1f s";
inline constexpr const char* msg_progress_left = "%.0f s left";

}  // namespace gs
