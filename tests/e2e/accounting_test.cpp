// Nothing lost, nothing torn: real game files sorted with the default lists, every line accounted for.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "support/accounting.hpp"
#include "support/sieve_dir.hpp"

namespace gs::testing {
namespace {

accounting sort_and_account(const std::string& input) {
    sieve_dir dir(/*with_lists=*/false);
    copy_default_lists(dir);
    dir.write("in.pgn", input);
    const run_result r = dir.run({"in.pgn"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const auto outs = dir.outputs();
    EXPECT_EQ(outs.size(), 5u);
    return check_accounting(input, output_views(outs));
}

TEST(Accounting, ExampleGames) {
    const accounting a = sort_and_account(source_file("examples/games.pgn"));
    EXPECT_TRUE(a.ok) << a.fault;
    EXPECT_EQ(a.games, 510u);
}

TEST(Accounting, MasterGamesSample) {
    // 7,286 games with their DOS code-page bytes and trailing blanks, decompressed with xz.
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(
        ::popen("xz -dc '" GAMESIEVE_SOURCE_DIR "/bench/data/master-sample.pgn.xz'", "r"), ::pclose);
    ASSERT_TRUE(pipe);
    std::string input;
    char block[65536];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, pipe.get())) > 0;)
        input.append(block, n);
    ASSERT_GT(input.size(), 4'000'000u);
    const accounting a = sort_and_account(input);
    EXPECT_TRUE(a.ok) << a.fault;
    EXPECT_EQ(a.games, 7286u);
}

TEST(Accounting, OnlineGames) {
    const accounting a = sort_and_account(source_file("tests/data/online-games.pgn"));
    EXPECT_TRUE(a.ok) << a.fault;
    EXPECT_EQ(a.games, 100u);
}

TEST(Accounting, AwkwardFiles) {
    for (const char* name : {"bom", "empty", "headers", "linebreak-linux", "linebreak-mac",
                             "linebreak-windows", "misc", "missing-last-end-of-game", "redos-header",
                             "syntactic-error-1", "syntactic-error-2", "tag-name-token-collision"}) {
        const accounting a = sort_and_account(source_file(std::string("tests/data/edge/") + name + ".pgn"));
        EXPECT_TRUE(a.ok) << name << ": " << a.fault;
    }
}

// The checker itself must notice a lost, a torn and an altered game.
TEST(Accounting, CheckerFindsFaults) {
    const std::string input = "pre\n[Event \"A\"]\n\n1. e4 *\n\n[Event \"B\"]\n[Date \"1998\"]\n\n1. d4 *\n";
    const auto check = [&](std::string_view vs_vs, std::string_view rest) {
        return check_accounting(input, {"", "", vs_vs, rest, ""});
    };
    EXPECT_TRUE(
        check("[Event \"B\"]\n[Date \"1998.??.??\"]\n1. d4 *\n", "pre\n[Event \"A\"]\n1. e4 *\n\n").ok);
    EXPECT_FALSE(check("", "pre\n[Event \"A\"]\n1. e4 *\n\n").ok);
    EXPECT_FALSE(
        check("[Event \"B\"]\n[Date \"1998.??.??\"]\n", "pre\n[Event \"A\"]\n1. e4 *\n\n1. d4 *\n").ok);
    EXPECT_FALSE(
        check("[Event \"B\"]\n[Date \"1998.??.??\"]\n1. d4 *\n", "pre\n[Event \"X\"]\n1. e4 *\n\n").ok);
    EXPECT_FALSE(
        check("[Event \"B\"]\n[Date \"1998.??.??\"]\n1. d4 *\n", "[Event \"A\"]\n1. e4 *\n\npre\n").ok);
}

}  // namespace
}  // namespace gs::testing
