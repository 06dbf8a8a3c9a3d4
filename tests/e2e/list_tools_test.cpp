// The tools for keeping lists (--check-lists, --explain), the player-type tags, and how the shipped lists
// judge real names.
#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>

#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

// Each mistake that --check-lists reports: the list file, its lines, and the report line expected.
struct mistake {
    const char* file;
    const char* lines;
    const char* report;
};

TEST(CheckLists, ReportsEachKindOfMistakeWithFileAndLine) {
    const std::vector<mistake> mistakes = {
        {"humans.cfg", "# players\nKASPAROV*\n\nKARPOV*\n",
         "humans.cfg:3: blank line: an empty name matches every player without a name tag"},
        {"human_events.cfg", "*Olympiad*\n \t\r\n",
         "human_events.cfg:2: blank line: an empty name matches every player without a name tag"},
        {"computers.cfg", "FRITZ[0-9]*\nDEEPBLUE\nDEEPBLUE\n", "computers.cfg:3: DEEPBLUE repeats line 2"},
        {"computers.cfg", "Deep Blue\n",
         "computers.cfg:1: Deep Blue can never match: lower-case letters, but names are matched in capitals"},
        {"humans.cfg", "KASPAROV.G*\n",
         "humans.cfg:1: KASPAROV.G* can never match: '.', but names are matched without blanks and "
         "punctuation"},
        {"humans_fics.cfg", "alice bob\tcarol\n",
         "humans_fics.cfg:1: bob\tcarol can never match: a blank inside an account name"},
        {"computers.cfg", "DEEP*BLUE\n",
         "computers.cfg:1: DEEP*BLUE has a '*' inside, which is taken literally"},
        {"computers.cfg", "STOCKFISH*\nSTOCKFISH16\n",
         "computers.cfg:2: STOCKFISH16 is covered by STOCKFISH* (line 1)"},
        {"comp_events.cfg", "*Computer*\nWorld Computer Ch\n",
         "comp_events.cfg:2: World Computer Ch is covered by *Computer* (line 1)"},
        {"humans.cfg", "RYBKA,JAN\n", "humans.cfg:1: RYBKA,JAN is covered by RYBKA* of computers.cfg:1"},
    };
    for (const mistake& m : mistakes) {
        sieve_dir dir;
        if (std::string_view(m.file) != "computers.cfg" &&
            std::string_view(m.report).find("RYBKA") != std::string_view::npos)
            dir.write("computers.cfg", "RYBKA*\n");
        dir.write(m.file, m.lines);
        const run_result r = dir.run({"--check-lists"});
        EXPECT_EQ(r.status, 1) << m.report;
        EXPECT_EQ(r.out, reading_lines() + m.report + "\n");
        EXPECT_TRUE(dir.outputs().empty());
    }
}

TEST(CheckLists, CleanListsPassAndListErrorsAreReportedWithTheirPlace) {
    sieve_dir dir;
    dir.write("computers.cfg", "STOCKFISH[0-9]*\n*BYKOMODO\nKOMODODRAGON*\n");
    dir.write("humans.cfg", "KASPAROV*\nGARRYKASPAROV*\n");
    dir.write("humans_fics.cfg", "alice bob\n");
    const run_result clean = dir.run({"--check-lists", "-q"});
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.out, "");
    // Mistakes that stop a plain run are reported with their place, and every list is still checked.
    dir.write("humans.cfg", "KASPAROV[\nKARPOV*\nKARPOV*\n");
    dir.write("adv_events.cfg", "*Advanced*\n" + std::string(120, 'A') + "\n");
    std::string many;
    for (int i = 0; i < 5003; ++i)
        many += "W" + std::to_string(i) + "\n";
    dir.write("comp_events.cfg", many);
    const run_result broken = dir.run({"--check-lists"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.out, reading_lines() + "humans.cfg:1: Don't understand KASPAROV[\n" +
                              "comp_events.cfg:5001: the list passes its capacity of 5000 entries here\n" +
                              "adv_events.cfg:2: name too long (at most 99 characters): " +
                              std::string(120, 'A') + "\n" + "humans.cfg:3: KARPOV* repeats line 2\n");
    // A plain run stops at the first, with the message it always had.
    const run_result plain = dir.run({"-q", "in.pgn"});
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.out, "Don't understandKASPAROV[\n  humans.cfg line 1\n");
    std::filesystem::remove(dir.path() + "/human_events.cfg");
    const run_result missing = dir.run({"--check-lists", "-q"});
    EXPECT_NE(missing.out.find("human_events.cfg: cannot be opened or read\n"), std::string::npos)
        << missing.out;
    // Some lists missing: a hint at the end where to copy them from; none at all: one line, with it.
    EXPECT_NE(
        missing.out.find("\nSome list files are missing; the lists installed with gamesieve, to copy them "
                         "from, are in "),
        std::string::npos)
        << missing.out;
    sieve_dir none(false);
    const run_result empty = none.run({"--check-lists"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_TRUE(
        empty.out.starts_with("Error: no list file (*.cfg) in the working directory; the lists installed "
                              "with gamesieve are in "))
        << empty.out;
    EXPECT_EQ(std::count(empty.out.begin(), empty.out.end(), '\n'), 1);
}

TEST(CheckLists, TheShippedListsAreClean) {
    sieve_dir dir;
    copy_default_lists(dir);
    const run_result r = dir.run({"--check-lists", "--quiet"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
}

TEST(Explain, OneLinePerGameWithWhatDecidedEachPlayer) {
    sieve_dir dir;
    dir.write("computers.cfg", "DEEPBLUE*\n");
    dir.write("humans.cfg", "KASPAROV*\n");
    dir.write("computers_when_opponent_is.cfg", "GENIUS\n");
    dir.write("comp_events.cfg", "*Aegon*\n");
    dir.write("computers_icc.cfg", "Fritz\n");
    dir.write("a.pgn",
              "text before\n[White \"Deep Blue\"]\n[Black \"Kasparov, G\"]\n\n1. e4 *\n\n"
              "[Event \"Aegon 1994\"]\n[White \"Genius\"]\n[Black \"Bye\"]\n\n*\n\n"
              "[Site \"ICC\"]\n[White \"Fritz {2650}\"]\n[Black \"Comp: X\ty\"]\n\n*\n");
    dir.write("b.pgn", "[White \"Nobody\"]\n[Black \"Genius\"]\n\n*\n");
    // With several inputs, a last column names the input of each game (lines count from 1 in each); the
    // other columns keep their places.
    dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", "8");
    const run_result r = dir.run({"--explain", "why.tsv", "-j", "2", "a.pgn", "b.pgn"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(dir.read("why.tsv"),
              "game\tline\twhite\tblack\twhite_kind\twhite_decided_by\tblack_kind\tblack_decided_"
              "by\toutput\tinput\n"
              "1\t2\tDeep Blue\tKasparov, G\tcomputer\tcomputers.cfg: DEEPBLUE*\thuman\thumans.cfg: "
              "KASPAROV*\t"
              "comp_vs_human.pgn\ta.pgn\n"
              "2\t7\tGenius\tBye\tcomputer\topponent rule: comp_events.cfg: *Aegon*\tcomputer\t"
              "opponent rule: comp_events.cfg: *Aegon*\tcomp_vs_comp.pgn\ta.pgn\n"
              "3\t13\tFritz {2650}\tComp: X y\tcomputer\tcomputers_icc.cfg: Fritz\tcomputer\tname marker\t"
              "comp_vs_comp.pgn\ta.pgn\n"
              "4\t1\tNobody\tGenius\tundetermined\tno rule\tundetermined\topponent rule: the opponent's "
              "kind\t"
              "rest_vs_rest.pgn\tb.pgn\n");
    dir.write("c.pgn", "[White \"Bye\"]\n[Black \"Deep Blue\"]\n\n*\n");
    EXPECT_EQ(dir.run({"--explain", "bye.tsv", "c.pgn"}).status, 0);
    EXPECT_TRUE(dir.read("bye.tsv")->ends_with(
        "1\t1\tBye\tDeep Blue\tcomputer\tbye: the opponent's kind\tcomputer\tcomputers.cfg: DEEPBLUE*\t"
        "comp_vs_comp.pgn\n"));
    // The report is made anew by each run, and may not be an input or an output.
    EXPECT_EQ(dir.run({"--again", "--explain", "why.tsv", "b.pgn"}).status, 0);
    EXPECT_EQ(
        dir.read("why.tsv")->substr(dir.read("why.tsv")->find('\n') + 1),
        "1\t1\tNobody\tGenius\tundetermined\tno rule\tundetermined\topponent rule: the opponent's kind\t"
        "rest_vs_rest.pgn\n");
    const run_result same = dir.run({"--explain", "b.pgn", "b.pgn"});
    EXPECT_EQ(same.status, 1);
    EXPECT_EQ(same.out, reading_lines() + "Error: b.pgn is also an input file\n");
    EXPECT_EQ(dir.read("b.pgn"), "[White \"Nobody\"]\n[Black \"Genius\"]\n\n*\n");
    const run_result full = dir.run({"--again", "--explain", "/dev/full", "b.pgn"});
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.out.find("Error: During writing file '/dev/full'"), std::string::npos);
    // A report that fails in the middle of a long run (past the first buffer of report lines) is reported
    // once, and the run stops there.
    std::string many;
    for (int i = 0; i < 20000; ++i)
        many += "[White \"Nobody\"]\n[Black \"Genius\"]\n\n*\n";
    dir.write("many.pgn", many);
    dir.set_env("GAMESIEVE_TEST_CHUNK_BYTES", "4096");
    const run_result midway = dir.run({"--explain", "/dev/full", "many.pgn"});
    EXPECT_EQ(midway.status, 1);
    const std::string message = "Error: During writing file '/dev/full'\n";
    const std::size_t at = midway.out.find(message);
    ASSERT_NE(at, std::string::npos) << midway.out;
    EXPECT_EQ(midway.out.find(message, at + 1), std::string::npos);
    EXPECT_LT(dir.read("rest_vs_rest.pgn")->size(), many.size() / 2);
}

// Games as three sources export them: the PGN standard's WhiteType, lichess's title of bot accounts, and
// the FICS export's IsComp flag. Without --player-tags the tags change nothing.
TEST(PlayerTags, DecideAPlayersKindOnlyWhenAskedFor) {
    const std::string standard =
        "[Event \"Casual game\"]\n[Site \"Somewhere\"]\n[White \"Alpha\"]\n[Black \"Beta\"]\n"
        "[WhiteType \"program\"]\n[BlackType \"human\"]\n\n1. e4 e5 *\n\n";
    const std::string lichess =
        "[Event \"Rated blitz game\"]\n[Site \"https://lichess.org/abcdefgh\"]\n[White \"maia9\"]\n"
        "[Black \"someone\"]\n[WhiteTitle \"BOT\"]\n[WhiteElo \"1700\"]\n\n1. d4 d5 *\n\n";
    const std::string fics =
        "[Event \"FICS rated blitz game\"]\n[Site \"FICS, San Jose, California USA\"]\n[White "
        "\"GuestABCD\"]\n"
        "[Black \"Sillycomp\"]\n[BlackIsComp \"Yes\"]\n\n1. c4 *\n\n";
    sieve_dir plain;
    plain.write("a.pgn", standard + lichess + fics);
    EXPECT_EQ(plain.run({"a.pgn"}).status, 0);
    EXPECT_EQ(plain.read("comp_vs_comp.pgn"), "");
    EXPECT_EQ(plain.read("comp_vs_rest.pgn"), "");

    sieve_dir tagged;
    tagged.write("a.pgn", standard + lichess + fics);
    EXPECT_EQ(tagged.run({"--player-tags", "a.pgn"}).status, 0);
    const auto without_blank = [](std::string game) { return game.erase(game.find("\n\n") + 1, 1); };
    // On lichess a player without the BOT title is human.
    EXPECT_EQ(tagged.read("comp_vs_human.pgn"), without_blank(standard) + without_blank(lichess));
    EXPECT_EQ(tagged.read("comp_vs_rest.pgn"), without_blank(fics));
    EXPECT_EQ(tagged.read("rest_vs_rest.pgn"), "");
}

// How the shipped lists judge real names, each against Garry Kasparov (a human) and against Stockfish 16
// (a program): names of people that are also programs' names stay human or undetermined, never programs.
TEST(ShippedLists, JudgeRealNamesRight) {
    struct judged {
        const char* name;
        const char* against_human;  // the output of a game against Kasparov
    };
    const std::vector<judged> names = {
        {"Koivisto, Mikko", "rest_vs_rest.pgn"},
        {"Rybka, Jan", "rest_vs_rest.pgn"},
        {"Ferretti, Marco", "rest_vs_rest.pgn"},
        {"Zappacosta, Andrea", "rest_vs_rest.pgn"},
        {"Cyrus Lakdawala", "rest_vs_rest.pgn"},
        {"Faile, Pierre", "rest_vs_rest.pgn"},
        {"Computerfreak", "rest_vs_rest.pgn"},
        {"Rodentia", "rest_vs_rest.pgn"},
        {"chess345", "rest_vs_rest.pgn"},
        {"Garry Kasparov", "rest_vs_rest.pgn"},
        {"Magnus Carlsen", "rest_vs_rest.pgn"},
        {"Nunn John D M (ENG)", "rest_vs_rest.pgn"},
        {"TASC R30", "comp_vs_human.pgn"},
        {"ChessSystem R30", "comp_vs_human.pgn"},
        {"Rex Chess", "comp_vs_human.pgn"},
        {"Greenblatt Programm", "comp_vs_human.pgn"},
        {"Obsidian 12.0", "comp_vs_human.pgn"},
        {"Caissa 1.8", "comp_vs_human.pgn"},
        {"Torch 2", "comp_vs_human.pgn"},
        {"PlentyChess 2.1", "comp_vs_human.pgn"},
        {"Dragon 3.3 by Komodo", "comp_vs_human.pgn"},
        {"Komodo Dragon 3.3", "comp_vs_human.pgn"},
        {"Stockfish 16.1", "comp_vs_human.pgn"},
        {"Lc0 v0.31", "comp_vs_human.pgn"},
        // names as engine tournament archives and match runners write them
        {"LCZero 0.31-dag-5350a2e-BT4-6147500", "comp_vs_human.pgn"},
        {"Stockfish master-72d542f", "comp_vs_human.pgn"},
        {"SF_1500", "comp_vs_human.pgn"},
        {"Stoofvlees II a14", "comp_vs_human.pgn"},
        {"Arasan v23.4.0-a8ab37e", "comp_vs_human.pgn"},
        {"Tarnished dev-20251207-266bbf2", "comp_vs_human.pgn"},
        {"Integral 5.0", "comp_vs_human.pgn"},
        {"Euwe 2.1.0", "comp_vs_human.pgn"},
        {"Euwe, Max", "rest_vs_rest.pgn"},
        {"kasparov_bot", "comp_vs_human.pgn"},
        {"NewEngine", "comp_vs_human.pgn"},
        {"Talbot, John", "rest_vs_rest.pgn"},
    };
    sieve_dir dir;
    copy_default_lists(dir);
    std::string games;
    for (const judged& j : names)
        games += "[White \"" + std::string(j.name) + "\"]\n[Black \"Kasparov, Garry\"]\n\n*\n\n";
    dir.write("a.pgn", games);
    ASSERT_EQ(dir.run({"--explain", "why.tsv", "a.pgn"}).status, 0);
    const std::string report = *dir.read("why.tsv");
    for (const judged& j : names) {
        const std::size_t at = report.find("\t" + std::string(j.name) + "\t");
        ASSERT_NE(at, std::string::npos) << j.name;
        const std::string line = report.substr(at, report.find('\n', at) - at);
        EXPECT_TRUE(line.ends_with(std::string("\t") + j.against_human)) << line;
    }
    // A person's name is never judged a program, even against one.
    dir.write("b.pgn",
              "[White \"Rybka, Jan\"]\n[Black \"Stockfish 16\"]\n\n*\n\n"
              "[White \"Koivisto, Mikko\"]\n[Black \"Stockfish 16\"]\n\n*\n");
    ASSERT_EQ(dir.run({"b.pgn"}).status, 0);
    EXPECT_EQ(dir.read("comp_vs_comp.pgn"), "");
}

// The README's recipes for keeping the lists run as written, on the example and the shipped lists: the
// report's columns found by their names, the unlisted names turned into entries, and the lists clean after.
TEST(Readme, ListKeepingRecipesRunAsWritten) {
    const std::string readme = source_file("README.md");
    for (const std::string title : {"### Keeping lists", "## Evidence: judged by the game"}) {
        const std::size_t section = readme.find(title);
        ASSERT_NE(section, std::string::npos) << title;
        const std::size_t begin = readme.find("```sh\n", section) + 6;
        const std::string block = readme.substr(begin, readme.find("```", begin) - begin);
        sieve_dir dir;
        copy_default_lists(dir);
        dir.write("games.pgn", source_file("examples/games.pgn"));
        const std::string before = *dir.read("computers.cfg") + *dir.read("humans_icc_rest.cfg");
        dir.write("recipe.sh", "set -e\ngamesieve() { \"$GAMESIEVE\" \"$@\"; }\n" + block);
        EXPECT_EQ(dir.shell("bash recipe.sh > out.txt 2>&1"), 0) << title << "\n" << *dir.read("out.txt");
        // Each recipe added entries to a list, and the check after it found them clean.
        EXPECT_NE(*dir.read("computers.cfg") + *dir.read("humans_icc_rest.cfg"), before) << title;
    }
}

}  // namespace
}  // namespace gs::testing
