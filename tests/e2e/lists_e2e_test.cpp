// The twelve list files as the run loads them: progress lines, fatal errors, and their effect on sorting.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

std::string reading_up_to(const std::string& last) {
    const std::string all = reading_lines();
    const std::string line = "Reading " + last + "...\n";
    return all.substr(0, all.find(line) + line.size());
}

TEST(ListFiles, FatalListErrorEndsTheRunBeforeAnyOutput) {
    struct bad_list {
        std::string file, bytes, message;
    };
    const std::string long_name(100, 'L');
    const std::vector<bad_list> cases = {
        // The specified message, then where it is.
        {"computers.cfg", "OK\n" + long_name + "\n",
         "Error: name too long\nname was: " + long_name + "\n  computers.cfg line 2\n"},
        {"humans_fics.cfg", "a b " + long_name + "\n",
         "Error: name too long\nname was: " + long_name + "\n  humans_fics.cfg line 1\n"},
        {"comp_events.cfg", "# c\nA\n\nWMCCC [1-\n", "Don't understandWMCCC [1-\n  comp_events.cfg line 4\n"},
        {"adv_events.cfg", "[a-z][a-z][a-z]\n",
         "Error: maximum in list reached\nmaximum of the list is: 5000\n  adv_events.cfg line 1\n"},
    };
    for (const bad_list& c : cases) {
        sieve_dir dir;
        dir.write(c.file, c.bytes);
        dir.write("in.pgn", "[Event \"E\"]\n*\n");
        const run_result r = dir.run({"in.pgn"});
        EXPECT_EQ(r.status, 1) << c.file;
        EXPECT_EQ(r.out, reading_up_to(c.file) + c.message) << c.file;
        EXPECT_TRUE(dir.outputs().empty()) << c.file;
    }
}

TEST(ListFiles, MissingOrUnreadableListIsAnOpeningError) {
    sieve_dir dir;
    std::filesystem::remove(dir.path() + "/computers_icc.cfg");
    dir.write("in.pgn", "");
    run_result r = dir.run({"in.pgn"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, reading_up_to("computers_icc.cfg") +
                         "Error: During opening computers_icc.cfg\n  No such file or directory\n");

    std::filesystem::create_directory(dir.path() + "/computers_icc.cfg");
    r = dir.run({"in.pgn"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, reading_up_to("computers_icc.cfg") +
                         "Error: During opening computers_icc.cfg\n  Is a directory\n");
    EXPECT_TRUE(dir.outputs().empty());
}

TEST(ListFiles, LongWordModeLinesAreReadWhole) {
    sieve_dir dir;
    // One line of 2000 accounts is far longer than 4095 bytes; the last account must stay whole.
    std::string accounts;
    for (int i = 0; i < 2000; ++i)
        accounts += "account" + std::to_string(i) + " ";
    dir.write("computers_fics.cfg", accounts + "Engine\n");
    dir.write("humans_fics.cfg", "Person");
    dir.write("in.pgn", "[Event \"FICS rated\"]\n[White \"Engine {2400}\"]\n[Black \"Person\"]\n\n1. e4 *\n");
    ASSERT_EQ(dir.run({"in.pgn"}).status, 0);
    EXPECT_EQ(dir.read("comp_vs_human.pgn"),
              "[Event \"FICS rated\"]\n[White \"Engine {2400}\"]\n[Black \"Person\"]\n1. e4 *\n");
}

TEST(ListFiles, CommentsRangesAndByteOrderMark) {
    sieve_dir dir;
    dir.write("computers.cfg",
              "\xEF\xBB\xBF"
              "# programs\nTSCP[1-3]\n #NOTACOMMENT\n");
    dir.write("in.pgn",
              "[White \"TSCP 2\"]\n[Black \"tscp-3\"]\n\n*\n\n"
              "[White \"#NOTACOMMENT\"]\n[Black \"TSCP4\"]\n\n*\n");
    ASSERT_EQ(dir.run({"in.pgn"}).status, 0);
    EXPECT_EQ(dir.read("comp_vs_comp.pgn"), "[White \"TSCP 2\"]\n[Black \"tscp-3\"]\n*\n\n");
    EXPECT_EQ(dir.read("rest_vs_rest.pgn"), "[White \"#NOTACOMMENT\"]\n[Black \"TSCP4\"]\n*\n");
}

TEST(ListFiles, BlankLineMakesEmptyNamesMatch) {
    sieve_dir dir;
    dir.write("computers.cfg", "DEEPBLUE\n\n");
    dir.write("in.pgn", "[White \"Deep Blue\"]\n\n*\n");
    ASSERT_EQ(dir.run({"in.pgn"}).status, 0);
    EXPECT_EQ(dir.read("comp_vs_comp.pgn"), "[White \"Deep Blue\"]\n*\n");
}

}  // namespace
}  // namespace gs::testing
