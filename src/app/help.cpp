#include "app/help.hpp"

#include <fcntl.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "text/console.hpp"
#include "text/system_calls.hpp"

#ifndef GAMESIEVE_VERSION
#define GAMESIEVE_VERSION "unknown"
#endif
#ifndef GAMESIEVE_CONFIGURED_LISTS_DIR
#define GAMESIEVE_CONFIGURED_LISTS_DIR "/usr/local/share/gamesieve/lists"
#endif
#ifndef GAMESIEVE_LISTS_SUBDIR
#define GAMESIEVE_LISTS_SUBDIR "share/gamesieve/lists"
#endif

namespace gs {
namespace {

constexpr std::string_view program_name = "gamesieve";
// The example line that names the installed lists directory, which is known only when the help is shown.
constexpr std::string_view lists_example = "  gamesieve --lists ";
constexpr std::string_view lists_example_end = " games.pgn";

// The usage text names the output files with hyphens, as the tool's first versions did; it is kept as it
// was on purpose, since scripts may compare it. --help names the files as they are.
constexpr std::array<std::string_view, 10> usage_lines = {
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

constexpr std::string_view help_lines[] = {
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
    "  -h, --help            show this text",
    "  -V, --version         show the version",
    "",
    "A run is all or nothing: after an error or a signal every output is as it was before the run (except",
    "outputs that are not regular files, such as a FIFO). One run at a time writes to an output directory.",
    "",
    "Progress is shown on standard error when it is a terminal. The exit status is 0 when every game was",
    "written, 1 after any error, 128+N after signal N (130 for Ctrl-C).",
    "",
    "Examples:",
    "  gamesieve -s games.pgn.zst",
    "  gamesieve -z zstd --evidence --only comp_vs_comp,comp_vs_human lichess_db_2026-11.pgn.zst",
    lists_example,
    "  gamesieve --explain why.tsv games.pgn",
    "",
    "Lists are looked for in the working directory, or in the directory given with --lists.",
};

}  // namespace

std::string installed_lists_dir(const char* argv0) {
    std::string exe;
    if (!read_link("/proc/self/exe", exe)) {
        std::error_code error;
        exe = std::filesystem::absolute(argv0 != nullptr ? argv0 : "", error).string();
    }
    return (std::filesystem::path(exe).parent_path().parent_path() / GAMESIEVE_LISTS_SUBDIR)
        .lexically_normal()
        .string();
}

namespace {

// Where the lists are: installed beside the program, or (run from its build folder) where an
// installation to the configured prefix puts them.
struct lists_place {
    std::string dir;
    bool installed;
};

lists_place find_lists(const char* argv0) {
    const std::string installed = installed_lists_dir(argv0);
    if (status_at(AT_FDCWD, installed.c_str(), true).directory()) return {installed, true};
    return {GAMESIEVE_CONFIGURED_LISTS_DIR, false};
}

}  // namespace

std::string lists_dir_to_suggest(const char* argv0) {
    return find_lists(argv0).dir;
}

void print_help(console& con, const char* argv0) {
    const lists_place lists = find_lists(argv0);
    const std::string& installed = lists.dir;
    for (std::string_view line : help_lines) {
        if (line == lists_example) {
            print_line(con, lists_example, installed, lists_example_end);
        } else {
            print_line(con, line);
        }
    }
    if (lists.installed) {
        print_line(con, "The lists installed with this program are in ", installed, ".");
    } else {
        print_line(con, "Installed, this program finds its lists in ", installed, ".");
    }
}

void print_usage(console& con) {
    for (std::string_view line : usage_lines)
        print_line(con, line);
}

void print_version(console& con) {
    print_line(con, program_name, " ", GAMESIEVE_VERSION);
}

}  // namespace gs
