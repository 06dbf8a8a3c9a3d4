// The run from start to end: command line, messages, exit statuses and the files it creates.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

const std::string nothing_kept =
    "Error: nothing of this run was kept: every output is as it was before the run\n";

const std::string usage_text =
    "Usage: gamesieve <pgnfile>\n"
    "\n"
    "Comments and bug reports are welcome in the gamesieve issue tracker.\n"
    "Version 1.01, okt 2003\n"
    "\n"
    "Parses a pgnfile and output the following\n"
    "comp-vs-comp.pgn\n"
    "comp-vs-human.pgn\n"
    "comp-vs-rest.pgn\n"
    "rest-vs-rest.pgn\n";

const std::string one_game = "[Event \"E\"]\n[White \"A\"]\n\n1. e4 *\n";

// Each message is out as soon as it is made, not when the run ends: while the run waits for more of a
// pipe, the lines about the lists are already in the file that standard output goes to.
TEST(Run, MessagesAreOutWhileTheRunStillWaits) {
    sieve_dir dir;
    dir.write("g.pgn", one_game + "\n");
    ASSERT_EQ(::mkfifo((dir.path() + "/in.fifo").c_str(), 0644), 0);
    ASSERT_EQ(dir.shell("\"$GAMESIEVE\" - < in.fifo > out.txt & pid=$!; exec 3> in.fifo; cat g.pgn >&3; "
                        "sleep 0.5; cp out.txt early.txt; exec 3>&-; wait $pid"),
              0);
    const std::string early = dir.read("early.txt").value_or("");
    EXPECT_NE(early.find("Reading humans.cfg...\n"), std::string::npos) << early;
    EXPECT_NE(early.find("Reading humans_fics.cfg...\n"), std::string::npos) << early;
}

TEST(Run, MissingArgumentPrintsUsageBeforeReadingLists) {
    sieve_dir dir(/*with_lists=*/false);
    const run_result r = dir.run({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, usage_text);
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(dir.outputs().empty());
}

TEST(Run, EveryInputIsOpenedBeforeAnyOutputIsCreated) {
    sieve_dir dir;
    dir.write("in.pgn", one_game);
    const run_result r = dir.run({"in.pgn", "extra", "more"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, reading_lines() + "Error: During opening extra\n  No such file or directory\n");
    EXPECT_TRUE(dir.outputs().empty());
}

TEST(Run, MissingInputIsReportedAfterTheListsAndCreatesNoOutput) {
    sieve_dir dir;
    const run_result r = dir.run({"no such.pgn"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, reading_lines() + "Error: During opening no such.pgn\n  No such file or directory\n");
    EXPECT_TRUE(dir.outputs().empty());
}

TEST(Run, DirectoryAsInputIsAnOpeningError) {
    sieve_dir dir;
    std::filesystem::create_directory(dir.path() + "/games");
    const run_result r = dir.run({"games"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, reading_lines() + "Error: During opening games\n  Is a directory\n");
    EXPECT_TRUE(dir.outputs().empty());
}

TEST(Run, EmptyInputCreatesFiveEmptyOutputs) {
    sieve_dir dir;
    dir.write("in.pgn", "");
    const run_result r = dir.run({"in.pgn"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, reading_lines());
    EXPECT_EQ(r.err, "");
    const auto outs = dir.outputs();
    ASSERT_EQ(outs.size(), 5u);
    for (const auto& [name, bytes] : outs)
        EXPECT_EQ(bytes, "") << name;
}

TEST(Run, OutputsAreAppendedToOnEveryRun) {
    sieve_dir dir;
    dir.write("in.pgn", one_game);
    dir.write("rest_vs_rest.pgn", "kept\n");
    ASSERT_EQ(dir.run({"in.pgn"}).status, 0);
    ASSERT_EQ(dir.run({"--again", "in.pgn"}).status, 0);
    const std::string game = "[Event \"E\"]\n[White \"A\"]\n1. e4 *\n";
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), "kept\n" + game + game);
}

TEST(Run, OutputThatCannotBeCreatedIsReported) {
    sieve_dir dir;
    dir.write("in.pgn", one_game);
    std::filesystem::create_directory(dir.path() + "/comp_vs_rest.pgn");
    const run_result r = dir.run({"in.pgn"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, reading_lines() +
                         "Error: During creating or opening file 'comp_vs_rest.pgn'\n  Is a directory\n" +
                         nothing_kept);
    // The outputs opened before it are removed again: none is created.
    EXPECT_FALSE(dir.exists("comp_vs_comp.pgn"));
    EXPECT_FALSE(dir.exists("rest_vs_rest.pgn"));
}

TEST(Run, WriteFailureIsAnErrorAndNothingIsKept) {
    sieve_dir dir;
    std::filesystem::create_symlink("/dev/full", dir.path() + "/rest_vs_rest.pgn");
    dir.write("computers.cfg", "DEEPBLUE\n");
    dir.write("in.pgn",
              "[White \"Deep Blue\"]\n[Black \"Deep Blue\"]\n\n1. e4 *\n\n"
              "[White \"Somebody\"]\n\n1. d4 *\n\n"
              "[White \"Deep Blue\"]\n[Black \"Deep Blue\"]\n\n1. c4 *\n");
    const run_result r = dir.run({"in.pgn"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              reading_lines() + "Error: During writing file 'rest_vs_rest.pgn'\n  No space left on device\n" +
                  "Warning: 'rest_vs_rest.pgn' is not a regular file, so what was written to it stays\n" +
                  nothing_kept);
    // The other files lose what the run gave them: comp_vs_comp.pgn, which it created, is gone.
    EXPECT_FALSE(dir.exists("comp_vs_comp.pgn"));
}

TEST(Run, FullStandardOutputFailsTheRun) {
    sieve_dir dir;
    dir.write("in.pgn", one_game);
    const run_result r = dir.run({"/dev/null"});  // sanity: succeeds when stdout works
    EXPECT_EQ(r.status, 0);
    const int status =
        std::system(("cd '" + dir.path() + "' && " GAMESIEVE_BINARY " in.pgn > /dev/full").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

TEST(Run, InputThroughAPipe) {
    sieve_dir dir;
    std::string games;
    for (int i = 0; i < 3000; ++i)
        games += one_game + "\n";
    const run_result r = dir.run({"/dev/stdin"}, games);
    EXPECT_EQ(r.status, 0);
    std::string expected;
    for (int i = 0; i < 3000; ++i)
        expected += "[Event \"E\"]\n[White \"A\"]\n1. e4 *\n\n";
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), expected);
}

TEST(Run, ByteOrderMarkIsSkipped) {
    sieve_dir dir;
    dir.write("computers.cfg", "FRITZ\n");
    dir.write("in.pgn", "\xEF\xBB\xBF[White \"Fritz\"]\r\n[Black \"Fritz\"]\r\n\r\n1. e4 *\r\n");
    ASSERT_EQ(dir.run({"in.pgn"}).status, 0);
    EXPECT_EQ(dir.read("comp_vs_comp.pgn"), "[White \"Fritz\"]\n[Black \"Fritz\"]\n1. e4 *\n");
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), "");
}

TEST(Run, ByteOrderMarkOnlyCountsAtTheStart) {
    sieve_dir dir;
    dir.write("in.pgn", "x\n\xEF\xBB\xBF[White \"A\"]\n");
    ASSERT_EQ(dir.run({"in.pgn"}).status, 0);
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), "x\n\xEF\xBB\xBF[White \"A\"]\n");
}

}  // namespace
}  // namespace gs::testing
