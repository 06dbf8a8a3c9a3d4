// The options: where lists and outputs are, the summary, quiet runs, threads, help, version and mistakes.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <regex>

#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

const std::string program_game = "[Event \"E\"]\n[White \"Deep Blue\"]\n[Black \"Fritz 3\"]\n\n1. e4 *\n\n";
const std::string program_game_out = "[Event \"E\"]\n[White \"Deep Blue\"]\n[Black \"Fritz 3\"]\n1. e4 *\n\n";

TEST(ListsOption, ReadsTheListsFromTheDirectoryAndShowsTheirPaths) {
    sieve_dir dir(/*with_lists=*/false);
    std::filesystem::create_directory(dir.path() + "/my lists");
    for (const list_file& file : list_files)
        dir.write("my lists/" + std::string(file.path), "");
    dir.write("my lists/computers.cfg", "DEEPBLUE\nFRITZ*\n");
    dir.write("a.pgn", program_game);
    for (const std::string& shown : {std::string("my lists"), std::string("my lists/")}) {
        const run_result r = dir.run({"--lists", shown, "--again", "a.pgn"});
        EXPECT_EQ(r.status, 0);
        std::string expected;
        for (const list_file& file : list_files)
            expected += "Reading my lists/" + std::string(file.path) + "...\n";
        EXPECT_EQ(r.out, expected);
    }
    EXPECT_EQ(dir.read("comp_vs_comp.pgn"), program_game_out + program_game_out);
    const run_result missing = dir.run({"-l", "nowhere", "a.pgn"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out,
              "Reading nowhere/humans.cfg...\nError: During opening nowhere/humans.cfg\n  No such file or "
              "directory\n");
}

TEST(OutputDirOption, AppendsTheOutputsThereAndNeedsAnExistingDirectory) {
    sieve_dir dir;
    dir.write("computers.cfg", "DEEPBLUE\nFRITZ*\n");
    dir.write("a.pgn", program_game);
    std::filesystem::create_directory(dir.path() + "/sorted");
    EXPECT_EQ(dir.run({"-o", "sorted", "a.pgn"}).status, 0);
    EXPECT_EQ(dir.run({"--output-dir=sorted/", "--again", "a.pgn"}).status, 0);
    EXPECT_EQ(dir.read("sorted/comp_vs_comp.pgn"), program_game_out + program_game_out);
    EXPECT_TRUE(dir.outputs().empty());
    const run_result r = dir.run({"-o", "absent", "a.pgn"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, reading_lines() +
                         "Error: During creating or opening file 'absent/comp_vs_comp.pgn'\n"
                         "  the output directory absent does not exist\n");
}

TEST(SummaryOption, CountsGamesAndBytesPerOutput) {
    sieve_dir dir;
    dir.write("computers.cfg", "DEEPBLUE\nFRITZ*\n");
    dir.write("a.pgn", "text\n" + program_game + program_game + "[White \"X\"]\n\n*\n");
    const run_result r = dir.run({"-s", "a.pgn"});
    EXPECT_EQ(r.status, 0);
    const std::string summary = r.out.substr(reading_lines().size());
    const std::regex expected("comp_vs_comp.pgn +2 games +" + std::to_string(2 * program_game_out.size()) +
                              " bytes\n"
                              "comp_vs_human.pgn +0 games +0 bytes\n"
                              "comp_vs_rest.pgn +0 games +0 bytes\n"
                              "rest_vs_rest.pgn +1 game +19 bytes\n"
                              "advanced.pgn +0 games +0 bytes\n"
                              "total +3 games +" +
                              std::to_string(dir.read("a.pgn")->size()) +
                              " bytes read in [0-9.]+ s \\([0-9.]+ MB/s\\)\n");
    EXPECT_TRUE(std::regex_match(summary, expected)) << summary;
    // An input with no game, given by mistake, is warned about, an empty one too; one with a game is not.
    dir.write("README.md", "# Read me\n\nNot a game.\n");
    dir.write("empty.pgn", "");
    const run_result mistaken = dir.run({"-q", "-s", "--again", "README.md", "a.pgn", "empty.pgn"});
    EXPECT_EQ(mistaken.status, 0);
    EXPECT_TRUE(mistaken.out.ends_with(
        "Warning: README.md holds no game (no tag section): its text, if any, went to rest_vs_rest.pgn\n"
        "Warning: empty.pgn holds no game (no tag section): its text, if any, went to rest_vs_rest.pgn\n"))
        << mistaken.out;
    EXPECT_EQ(mistaken.out.find("a.pgn holds"), std::string::npos);
    EXPECT_EQ(dir.run({"-q", "--again", "README.md"}).out, "");  // without --summary, nothing is said
    // A failed run prints no summary.
    EXPECT_EQ(dir.run({"-s", "a.pgn", "absent.pgn"}).out,
              reading_lines() + "Error: During opening absent.pgn\n  No such file or directory\n");
}

TEST(QuietOption, SilencesTheReadingLinesButNotWarningsOrErrors) {
    sieve_dir dir;
    dir.write("a.pgn", "[Date \"x\"]\n\n*\n");
    const run_result r = dir.run({"--quiet", "a.pgn"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Warning: skipped illegal datetag of [Date \"x\n");
    EXPECT_EQ(r.err, "");
    std::filesystem::remove(dir.path() + "/humans.cfg");
    EXPECT_EQ(dir.run({"-q", "a.pgn"}).out,
              "Error: During opening humans.cfg\n  No such file or directory\n");
}

// Inputs whose chunk boundaries can fall anywhere: real games, awkward files, and generated games with
// giant lines, runs of blank lines inside tag sections, and a file that ends inside a game's tags.
std::vector<std::pair<std::string, std::string>> sameness_inputs() {
    std::vector<std::pair<std::string, std::string>> inputs = {
        {"example", source_file("examples/games.pgn")},
        {"online", source_file("tests/data/online-games.pgn")},
    };
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(GAMESIEVE_SOURCE_DIR) + "/tests/data/edge")) {
        if (entry.path().extension() == ".pgn")
            inputs.emplace_back(entry.path().filename().string(),
                                source_file("tests/data/edge/" + entry.path().filename().string()));
    }
    std::string generated;
    std::mt19937 random(7);
    for (int game = 0; game < 400; ++game) {
        generated += "[Event \"Gen " + std::to_string(game) + "\"]\n";
        for (unsigned blanks = random() % 4; blanks > 0; --blanks)
            generated += (random() % 2 != 0) ? "\n" : " \t\r\n";
        generated += "[White \"" + std::string(game % 7 == 0 ? "Deep Blue" : "Kasparov, G") + "\"]\n";
        generated +=
            "[Date \"19" + std::to_string(50 + game % 50) + ".1x.0" + std::to_string(game % 9) + "\"]\n";
        if (game % 50 == 0)
            generated += "[Annotator \"" + std::string(100'000 + random() % 1000, 'a') + "\"]\n";
        generated += "\n1. e4 e5 " + std::string(random() % 3 == 0 ? 70'000 : 60, 'x') + " *\n\n";
    }
    inputs.emplace_back("generated", generated + "[Event \"Cut\"]\n[White \"Deep Blue\"]\n\n");
    std::string noise(300'000, '\0');
    for (char& c : noise) {
        const unsigned r = random() % 8;
        c = r == 0 ? '\n' : r == 1 ? '[' : r == 2 ? '"' : r == 3 ? ' ' : static_cast<char>(random());
    }
    inputs.emplace_back("noise", noise);
    return inputs;
}

TEST(ThreadsOption, EveryCountAndChunkSizeGivesTheSameBytes) {
    // Threads, and the chunk size (0: the default).
    const std::vector<std::pair<std::string, std::string>> settings = {
        {"2", "0"}, {"7", "1"}, {"2", "64"}, {"1", "4096"}, {"3", "100000"}};
    for (const auto& [name, bytes] : sameness_inputs()) {
        sieve_dir one;
        copy_default_lists(one);
        one.write("g.pgn", bytes);
        const run_result first = one.run({"-j", "1", "g.pgn"});
        for (const auto& [threads, chunk] : settings) {
            sieve_dir dir;
            copy_default_lists(dir);
            dir.write("g.pgn", bytes);
            dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", chunk);
            const run_result r = dir.run({"-j", threads, "g.pgn"});
            EXPECT_EQ(r.status, first.status) << name << " -j" << threads << " " << chunk;
            EXPECT_EQ(r.out, first.out) << name << " -j" << threads << " " << chunk;
            EXPECT_TRUE(dir.outputs() == one.outputs()) << name << " -j" << threads << " " << chunk;
        }
    }
}

// A failed write ends the run the same way for every thread count: the same messages, and every output
// put back as it was.
TEST(ThreadsOption, AWriteFailureEndsTheRunAlikeForEveryCount) {
    std::string games;
    for (int i = 0; i < 3000; ++i)
        games += i % 3 == 0 ? "[White \"Deep Blue\"]\n[Black \"Deep Blue\"]\n\n1. e4 *\n\n"
                            : "[White \"X\"]\n\n1. d4 *\n\n";
    for (const char* threads : {"1", "2", "7"}) {
        sieve_dir dir;
        dir.write("computers.cfg", "DEEPBLUE\n");
        std::filesystem::create_symlink("/dev/full", dir.path() + "/rest_vs_rest.pgn");
        dir.write("comp_vs_comp.pgn", "from an earlier run\n");
        dir.write("g.pgn", games);
        dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", "5000");
        const run_result r = dir.run({"-j", threads, "g.pgn"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out,
                  reading_lines() +
                      "Error: During writing file 'rest_vs_rest.pgn'\n  No space left on device\n" +
                      "Warning: 'rest_vs_rest.pgn' is not a regular file, so what was written to it stays\n" +
                      "Error: nothing of this run was kept: every output is as it was before the run\n")
            << threads;
        EXPECT_EQ(dir.read("comp_vs_comp.pgn"), "from an earlier run\n") << threads;
        EXPECT_FALSE(dir.exists("comp_vs_human.pgn"));
    }
}

// Command lines that are mistakes: one line naming the mistake, status 1, nothing read or written.
TEST(Mistakes, AreNamedInOneLineAndNothingHappens) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--bogus", "a.pgn"}, "Error: unknown option '--bogus' (see gamesieve --help)\n"},
        {{"--bogus=3", "a.pgn"}, "Error: unknown option '--bogus' (see gamesieve --help)\n"},
        {{"-x", "a.pgn"}, "Error: unknown option '-x' (see gamesieve --help)\n"},
        {{"-sx", "a.pgn"}, "Error: unknown option '-x' (see gamesieve --help)\n"},
        {{"a.pgn", "--lists"}, "Error: option '--lists' needs a value (see gamesieve --help)\n"},
        {{"-j", "0", "a.pgn"}, "Error: --threads needs a positive number, not '0' (see gamesieve --help)\n"},
        {{"-j", "two", "a.pgn"},
         "Error: --threads needs a positive number, not 'two' (see gamesieve --help)\n"},
        {{"-s"}, "Error: no input file (see gamesieve --help)\n"},
    };
    for (const auto& [args, message] : cases) {
        sieve_dir dir(/*with_lists=*/false);
        dir.write("a.pgn", program_game);
        const run_result r = dir.run(args);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_EQ(r.out, message) << args[0];
        EXPECT_EQ(r.err, "");
        EXPECT_TRUE(dir.outputs().empty());
    }
}

TEST(HelpAndVersion, DescribeTheToolAndSucceed) {
    sieve_dir dir(/*with_lists=*/false);
    const run_result help = dir.run({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* part : {"Usage: gamesieve [options] <pgnfile>...",
                             "--lists DIR",
                             "--output-dir DIR",
                             "--summary",
                             "--quiet",
                             "--threads N",
                             "--help",
                             "--version",
                             "--explain FILE",
                             "--check-lists",
                             "--player-tags",
                             "comp_vs_comp.pgn",
                             "comp_vs_human.pgn",
                             "comp_vs_rest.pgn",
                             "advanced.pgn",
                             "rest_vs_rest.pgn",
                             "gamesieve -s games.pgn.zst",
                             "share/gamesieve/lists",
                             "--compress FMT",
                             "--only NAMES",
                             "--progress",
                             "--no-progress",
                             "--sync",
                             "--recover",
                             "128+N"}) {
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(dir.run({"-h"}).out, help.out);
    const run_result version = dir.run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("gamesieve [0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << version.out;
    EXPECT_EQ(dir.run({"-V"}).out, version.out);
    EXPECT_TRUE(dir.outputs().empty());
}

// Options that would do something else than the user expects are refused in one line, before anything is
// read or written.
TEST(Mistakes, OptionsThatWouldSurpriseAreRefused) {
    sieve_dir dir;
    dir.write("in.pgn", program_game);
    const run_result check = dir.run({"--check-lists", "in.pgn"});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(check.out,
              "Error: --check-lists checks the lists and sorts nothing; leave out the input files\n");
    const run_result report = dir.run({"--explain", "-", "in.pgn"});
    EXPECT_EQ(report.status, 1);
    EXPECT_EQ(
        report.out,
        "Error: --explain needs a file name; '-' (standard output) would mix the report with the messages\n");
    EXPECT_FALSE(dir.exists("-"));
    EXPECT_TRUE(dir.outputs().empty());
    EXPECT_EQ(dir.run({"--check-lists"}).status, 0);  // alone it still checks
    const run_result recover = dir.run({"--recover", "in.pgn"});
    EXPECT_EQ(recover.status, 1);
    EXPECT_EQ(recover.out,
              "Error: --recover puts the outputs back and sorts nothing; leave out the input files\n");
}

TEST(Progress, QuietKeepsATerminalSilent) {
    sieve_dir dir;
    if (dir.shell("command -v script > /dev/null") != 0) GTEST_SKIP() << "script(1) is not installed";
    std::string games;
    for (int i = 0; i < 20000; ++i)
        games += program_game;
    dir.write("a.pgn", games);
    // script gives the run a terminal for its standard error; the input pauses for longer than a redraw
    // takes, so chunks written after the pause would show progress if --quiet did not keep it off.
    const std::string slow_input = "(cat a.pgn; sleep 0.6; cat a.pgn) | ";
    ASSERT_EQ(dir.shell("script -qc '" + slow_input +
                        "GAMESIEVE_TEST_CHUNK_BYTES=200 \"$GAMESIEVE\" -q -j1 -' quiet > /dev/null"),
              0);
    EXPECT_EQ(dir.read("quiet").value_or("").find("MB sorted"), std::string::npos);
    // The same run without --quiet shows it, so the terminal was there and the run lasted long enough.
    ASSERT_EQ(dir.shell("script -qc '" + slow_input +
                        "GAMESIEVE_TEST_CHUNK_BYTES=200 \"$GAMESIEVE\" -j1 -' shown > /dev/null"),
              0);
    EXPECT_NE(dir.read("shown").value_or("").find("MB sorted"), std::string::npos);
    // --progress asks for it in words: it shows even with --quiet.
    ASSERT_EQ(
        dir.shell("script -qc '" + slow_input +
                  "GAMESIEVE_TEST_CHUNK_BYTES=200 \"$GAMESIEVE\" -q --progress -j1 -' asked > /dev/null"),
        0);
    EXPECT_NE(dir.read("asked").value_or("").find("MB sorted"), std::string::npos);
}

// Progress forced on is still drawn at most four times a second: a run shorter than that shows none.
TEST(Progress, AShortRunDrawsNoLineEvenWhenForced) {
    sieve_dir dir;
    dir.write("a.pgn", program_game + program_game);
    dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", "10");
    const run_result r = dir.run({"--progress", "a.pgn"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
}

TEST(Progress, NothingAppearsWhenStandardErrorIsNotATerminal) {
    sieve_dir dir;
    std::string games;
    for (int i = 0; i < 20000; ++i)
        games += program_game;
    dir.write("a.pgn", games);
    dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", "1000");
    const run_result r = dir.run({"a.pgn"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, reading_lines());
}

// The bash completion in a plain bash (no bash-completion package, extglob off) and with the package when
// it is installed: PGN files and directories as inputs, an option's value after '=', the names of --only
// and --evidence without those already given.
TEST(Completion, WorksInAPlainBashAndWithTheCompletionPackage) {
    sieve_dir dir;
    dir.write("a.pgn", "");
    dir.write("b.txt", "");
    dir.write("c.pgn.zst", "");
    std::filesystem::create_directory(dir.path() + "/sub");
    dir.write("t.sh",
              "source '" + std::string(GAMESIEVE_SOURCE_DIR) +
                  "/packaging/gamesieve.bash'\n"
                  "c() { COMP_WORDS=(\"$@\"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); COMPREPLY=();\n"
                  "      _gamesieve; printf '%s ' $(printf '%s\\n' \"${COMPREPLY[@]}\" | sort); echo; }\n"
                  "c gamesieve ''\n"
                  "c gamesieve --lists = ''\n"
                  "c gamesieve -o s\n"
                  "c gamesieve --only comp_vs_comp,\n"
                  "c gamesieve --evidence = moves,\n"
                  "c gamesieve --ev\n"
                  "shopt -q extglob && echo extglob left on || echo extglob as it was\n");
    const std::string expected =
        "a.pgn c.pgn.zst sub \n"
        "sub \n"
        "sub \n"
        "comp_vs_comp,advanced comp_vs_comp,comp_vs_human comp_vs_comp,comp_vs_rest "
        "comp_vs_comp,rest_vs_rest \n"
        "moves,events moves,tags \n"
        "--evidence \n"
        "extglob as it was\n";
    ASSERT_EQ(dir.shell("bash --norc --noprofile t.sh > plain.txt 2>&1"), 0);
    EXPECT_EQ(dir.read("plain.txt"), expected);
    if (!std::filesystem::exists("/usr/share/bash-completion/bash_completion"))
        GTEST_SKIP() << "the bash-completion package is not installed";
    ASSERT_EQ(dir.shell("bash --norc --noprofile -c 'source /usr/share/bash-completion/bash_completion; "
                        "shopt -u extglob; source t.sh' > package.txt 2>&1"),
              0);
    EXPECT_EQ(dir.read("package.txt"), expected);
}

}  // namespace
}  // namespace gs::testing
