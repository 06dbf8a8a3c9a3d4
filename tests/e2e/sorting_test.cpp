// Whole games sorted into the five files, with their tag lines rewritten on the way.
#include <gtest/gtest.h>

#include <sstream>

#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

void write_lists(const sieve_dir& dir) {
    dir.write("computers_icc.cfg", "Fritz\n");
    dir.write("humans_icc_titled.cfg", "Smith Jones\n");
    dir.write("computers.cfg", "DEEPBLUE*\nHIARCS*\n");
    dir.write("humans.cfg", "KASPAROV*\n");
    dir.write("computers_when_opponent_is.cfg", "GENIUS\n");
    dir.write("adv_events.cfg", "*Freestyle*\n");
}

TEST(Sorting, EveryGameToTheFileItsPlayersSelect) {
    sieve_dir dir;
    write_lists(dir);
    dir.write("in.pgn",
              "; a database export\n"
              "\n"
              // The road of one game: a server game whose Event carries its date.
              "[Event \"ICC 5 0 u 10/23/98\"]\n"
              "[Site \"Internet Chess Club\"]\n"
              "[Date \"????.??.??\"]\n"
              "[White \"Fritz {2650}\"]\n"
              "[Black \"Smith\"]\n"
              "\n"
              "1. e4 e5 2. Nf3 *\n"
              "\n"
              "[Event \"Match\"]\n"
              "[Date \"1997-5-11\"]\n"
              "[White \"Deep Blue\"]\n"
              "[Black \"Hiarcs 6\"]\n"
              "\n"
              "1. d4 d5 1/2-1/2\n"
              "\n"
              "[Event \"Exhibition\"]\n"
              "[White \"Nobody\"]\n"
              "[Black \"COMP Hitech\"]\n"
              "[Annotator \"A \\\"Fan\\\"\"]\n"
              "\n"
              "1. c4 0-1\n"
              "\n"
              "[Event \"PAL/CSS Freestyle\"]\n"
              "[White \"Zacs\"]\n"
              "[Black \"Deep Blue\"]\n"
              "[Date \"2005.6.x\"]\n"
              "\n"
              "1. e4 1-0\n"
              "\n"
              "[Event \"Simul\"]\n"
              "[Date \"1940\"]\n"
              "[White \"Genius\"]\n"
              "[Black \"Kasparov, Garry\"]\n"
              "\n"
              "1. f4 *\n");
    const run_result r = dir.run({"in.pgn"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, reading_lines() + "Warning: skipped illegal datetag of [Date \"2005.6.x\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(dir.read("comp_vs_human.pgn"),
              "[Event \"ICC 5 0 u\"]\n"
              "[Site \"Internet Chess Club\"]\n"
              "[Date \"1998.10.23\"]\n"
              "[White \"Fritz {2650}\"]\n"
              "[Black \"Smith\"]\n"
              "1. e4 e5 2. Nf3 *\n"
              "\n");
    EXPECT_EQ(dir.read("comp_vs_comp.pgn"),
              "[Event \"Match\"]\n"
              "[Date \"1997.05.11\"]\n"
              "[White \"Deep Blue\"]\n"
              "[Black \"Hiarcs 6\"]\n"
              "1. d4 d5 1/2-1/2\n"
              "\n");
    EXPECT_EQ(dir.read("comp_vs_rest.pgn"),
              "[Event \"Exhibition\"]\n"
              "[White \"Nobody\"]\n"
              "[Black \"COMP Hitech\"]\n"
              "[Annotator \"A Fan\"]\n"
              "1. c4 0-1\n"
              "\n");
    EXPECT_EQ(dir.read("advanced.pgn"),
              "[Event \"PAL/CSS Freestyle\"]\n"
              "[White \"Zacs\"]\n"
              "[Black \"Deep Blue\"]\n"
              "[Date \"????.??.??\"]\n"
              "1. e4 1-0\n"
              "\n");
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"),
              "; a database export\n"
              "\n"
              "[Event \"Simul\"]\n"
              "[Date \"1940.??.??\"]\n"
              "[White \"Genius\"]\n"
              "[Black \"Kasparov, Garry\"]\n"
              "1. f4 *\n");
}

TEST(Sorting, WarningsFollowTheReadingLinesInInputOrder) {
    sieve_dir dir;
    dir.write("in.pgn", "[Date \"1998.10\"]\n\n*\n\n[Date \"1998.1x.05\"]\n[Date \"1.2.3.4\"]\n\n*\n");
    const run_result r = dir.run({"in.pgn"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, reading_lines() +
                         "Warning: skipped illegal datetag of [Date \"1998.10\n"
                         "Warning: skipped illegal datetag of [Date \"1998.1x.05\n"
                         "Warning: skipped illegal datetag of [Date \"1.2.3.4\n");
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"),
              "[Date \"????.??.??\"]\n*\n\n[Date \"????.??.??\"]\n[Date \"????.??.??\"]\n*\n");
}

TEST(Sorting, RepairedNamesAreClassifiedButWrittenAsGiven) {
    sieve_dir dir;
    dir.write("computers.cfg", "MCHESS6\n");
    dir.write("humans.cfg", "SMITH\n");
    dir.write("in.pgn", "[White \"M\"]\n[Black \"Chess 6 - Smith\"]\n\n*\n");
    ASSERT_EQ(dir.run({"in.pgn"}).status, 0);
    EXPECT_EQ(dir.read("comp_vs_human.pgn"), "[White \"M\"]\n[Black \"Chess 6 - Smith\"]\n*\n");
}

TEST(Sorting, ShippedListsLoadAndSortTheExampleIntoAllFiveFiles) {
    sieve_dir dir(/*with_lists=*/false);
    copy_default_lists(dir);
    const run_result r = dir.run({GAMESIEVE_SOURCE_DIR "/examples/games.pgn"});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, reading_lines());
    std::size_t games = 0;
    for (const auto& [name, bytes] : dir.outputs()) {
        std::istringstream in(bytes);
        for (std::string line; std::getline(in, line);)
            games += line.starts_with("[Event ");
        EXPECT_GT(bytes.size(), 0u) << name;
    }
    EXPECT_EQ(games, 510u);

    // Known games of the example, each where its players put it.
    const auto holds = [&](const std::string& file, const std::string& white, const std::string& black) {
        return dir.read(file).value_or("").find("[White \"" + white + "\"]\n[Black \"" + black + "\"]\n") !=
               std::string::npos;
    };
    EXPECT_TRUE(holds("comp_vs_human.pgn", "Deep Blue", "Kasparov Garry"));  // IBM match, 1997
    EXPECT_TRUE(holds("comp_vs_human.pgn", "Deep Thought 2", "Bronstein, David I"));
    EXPECT_TRUE(holds("comp_vs_comp.pgn", "COMP Hitech", "COMP Deep Thought"));
    EXPECT_TRUE(holds("comp_vs_rest.pgn", "ZarkovX(C)", "Burger, Karl"));
    EXPECT_TRUE(holds("rest_vs_rest.pgn", "Botvinnik, Mikhail M", "Sorokin"));  // human and unlisted
    EXPECT_TRUE(holds("rest_vs_rest.pgn", "Winawer Simon", "Charousek, Rezso"));
    EXPECT_TRUE(holds("advanced.pgn", "Team A", "Team B"));          // a freestyle event
    EXPECT_TRUE(holds("advanced.pgn", "ZackS", "Kasparov, Garry"));  // a listed team
}

}  // namespace
}  // namespace gs::testing
