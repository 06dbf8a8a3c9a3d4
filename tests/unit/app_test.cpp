// The command line.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include "app/options.hpp"
#include "app/progress.hpp"

namespace gs {
namespace {

TEST(ParseOptions, OptionsAndInputsInAnyOrder) {
    std::string error;
    const char* argv[] = {"gamesieve", "a.pgn",          "-s", "--lists",       "L",         "-",
                          "-j3",       "--output-dir=O", "-q", "--player-tags", "--explain", "e.tsv",
                          "--",        "-b.pgn"};
    const std::optional<run_options> o = parse_options(14, argv, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->inputs, (std::vector<std::string>{"a.pgn", "-", "-b.pgn"}));
    EXPECT_EQ(o->lists_dir, "L");
    EXPECT_EQ(o->output_dir, "O");
    EXPECT_EQ(o->explain_path, "e.tsv");
    EXPECT_EQ(o->threads, 3u);
    EXPECT_TRUE(o->summary && o->quiet && o->player_tags);
    EXPECT_FALSE(o->help || o->version || o->check_lists);
    // Parsing again starts afresh, also after a parse that stopped inside a cluster of short options.
    const char* again[] = {"gamesieve", "--check-lists"};
    const std::optional<run_options> p = parse_options(2, again, error);
    ASSERT_TRUE(p);
    EXPECT_TRUE(p->check_lists);
    EXPECT_TRUE(p->inputs.empty());
    EXPECT_FALSE(p->summary);
    const char* broken[] = {"gamesieve", "b.pgn", "-sxq", "c.pgn"};
    EXPECT_FALSE(parse_options(4, broken, error));
    EXPECT_EQ(error, "Error: unknown option '-x' (see gamesieve --help)");
    const char* after[] = {"gamesieve", "d.pgn", "-j2"};
    const std::optional<run_options> q = parse_options(3, after, error);
    ASSERT_TRUE(q) << error;
    EXPECT_EQ(q->inputs, std::vector<std::string>{"d.pgn"});
    EXPECT_EQ(q->threads, 2u);
    EXPECT_FALSE(q->summary || q->quiet);
    EXPECT_FALSE(q->evidence.moves || q->evidence.events || q->evidence.tags);
    // --evidence alone turns every kind on; with a value, the kinds named.
    const char* all[] = {"gamesieve", "--evidence", "--unlisted", "u.tsv", "e.pgn"};
    const std::optional<run_options> r = parse_options(5, all, error);
    ASSERT_TRUE(r) << error;
    EXPECT_TRUE(r->evidence.moves && r->evidence.events && r->evidence.tags);
    EXPECT_EQ(r->unlisted_path, "u.tsv");
    const char* some[] = {"gamesieve", "--evidence=tags,moves", "e.pgn"};
    const std::optional<run_options> t = parse_options(3, some, error);
    ASSERT_TRUE(t) << error;
    EXPECT_TRUE(t->evidence.moves && t->evidence.tags && !t->evidence.events);
    const char* wrong[] = {"gamesieve", "--evidence=moves,names", "e.pgn"};
    EXPECT_FALSE(parse_options(3, wrong, error));
    EXPECT_EQ(
        error,
        "Error: --evidence takes moves, events and tags (comma-separated), not 'moves,names' (see gamesieve "
        "--help)");
}

// A refused option is reported once, by the tool's own message: getopt prints nothing beside it.
TEST(ParseOptions, MistakesAreReportedOnlyThroughTheMessage) {
    const int saved = ::dup(STDERR_FILENO);
    const int sink = ::memfd_create("stderr", 0);
    ASSERT_GE(saved, 0);
    ASSERT_GE(sink, 0);
    ::dup2(sink, STDERR_FILENO);
    std::string error;
    const char* unknown[] = {"gamesieve", "-x", "a.pgn"};
    const bool unknown_parsed = parse_options(3, unknown, error).has_value();
    const std::string unknown_error = error;
    const char* missing[] = {"gamesieve", "a.pgn", "--lists"};
    const bool missing_parsed = parse_options(3, missing, error).has_value();
    const char* long_unknown[] = {"gamesieve", "--frobnicate=3"};
    const bool long_parsed = parse_options(2, long_unknown, error).has_value();
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    EXPECT_FALSE(unknown_parsed || missing_parsed || long_parsed);
    EXPECT_EQ(unknown_error, "Error: unknown option '-x' (see gamesieve --help)");
    EXPECT_EQ(error, "Error: unknown option '--frobnicate' (see gamesieve --help)");
    EXPECT_EQ(::lseek(sink, 0, SEEK_END), 0) << "getopt wrote to standard error";
    ::close(sink);
}

// The progress line at several widths: a narrow terminal loses MB/s, then the bytes, then the time, and
// keeps the share done and the time left; nothing is ever as wide as the terminal.
TEST(ProgressLine, NarrowTerminalsKeepTheShareAndTheTimeLeft) {
    struct drawn {
        unsigned width;
        std::uint64_t raw_total;
        const char* line;
    };
    const std::vector<drawn> lines = {
        {80, 400, " 25% 12.5 MB sorted, 6.2 MB/s, 2.0 s, 6 s left"},
        {0, 400, " 25% 12.5 MB sorted, 6.2 MB/s, 2.0 s, 6 s left"},
        {45, 400, " 25% 12.5 MB sorted, 2.0 s, 6 s left"},
        {30, 400, " 25%, 2.0 s, 6 s left"},
        {20, 400, " 25%, 6 s left"},
        {10, 400, " 25%, 6 s"},
        {80, 0, "12.5 MB sorted, 6.2 MB/s, 2.0 s"},
        {20, 0, "12.5 MB sorted"},
        {12, 0, "12.5 MB sor"},
        {80, 50, "12.5 MB sorted, 6.2 MB/s, 2.0 s"},  // more done than the total: no share
    };
    for (const drawn& d : lines)
        EXPECT_EQ(progress_line(12'500'000, 2.0, 100, d.raw_total, d.width), d.line) << d.width;
}

}  // namespace
}  // namespace gs
