// Units of the run: outputs, the chunk cutter, compression detection and the command line.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <climits>

#include "app/options.hpp"
#include "io/input.hpp"
#include "io/outputs.hpp"
#include "sort/chunker.hpp"
#include "support/capture.hpp"
#include "support/memory_sort.hpp"

namespace gs {
namespace {

TEST(Outputs, AFailedCloseIsReportedOnceAndFailsTheRun) {
    testing::captured_console con;
    std::array<int, output_count> fds{};
    for (int& fd : fds)
        fd = ::memfd_create("output", 0);
    // A descriptor that is closed behind the outputs' back makes their close fail.
    ::close(fds[2]);
    outputs outs;
    attach_outputs(outs, fds, output_file_names);
    EXPECT_TRUE(write_output(outs, 0, "kept\n", con.con));
    EXPECT_FALSE(close_outputs(outs, con.con));
    EXPECT_EQ(con.text(), "Error: During writing file 'comp_vs_rest.pgn'\n");
    EXPECT_FALSE(close_outputs(outs, con.con));  // nothing is closed twice, nothing reported twice
    EXPECT_EQ(con.text(), "Error: During writing file 'comp_vs_rest.pgn'\n");
}

TEST(Outputs, AFailedWriteIsReportedOnce) {
    testing::captured_console con;
    std::array<int, output_count> fds{};
    for (int& fd : fds)
        fd = ::memfd_create("output", 0);
    ::close(fds[1]);
    fds[1] = ::open("/dev/full", O_WRONLY);
    outputs outs;
    attach_outputs(outs, fds, output_file_names);
    EXPECT_FALSE(write_output(outs, 1, "lost\n", con.con));
    EXPECT_FALSE(write_output(outs, 1, "lost\n", con.con));
    EXPECT_TRUE(write_output(outs, 0, "kept\n", con.con));
    EXPECT_FALSE(close_outputs(outs, con.con));
    EXPECT_EQ(con.text(), "Error: During writing file 'comp_vs_human.pgn'\n");
    EXPECT_EQ(output_paths("dir")[3], "dir/rest_vs_rest.pgn");
    EXPECT_EQ(output_paths("dir/")[4], "dir/advanced.pgn");
    EXPECT_EQ(output_paths("")[0], "comp_vs_comp.pgn");
}

// A chunk's pieces of an output are written with gathering writes of at most IOV_MAX pieces each.
TEST(Outputs, PiecesAreWrittenWholeAndInOrderHoweverManyThereAre) {
    testing::captured_console con;
    std::array<int, output_count> fds{};
    for (int& fd : fds)
        fd = ::memfd_create("output", 0);
    outputs outs;
    attach_outputs(outs, fds, output_file_names);
    std::string source, expected;
    for (int i = 0; i < 3 * IOV_MAX; ++i)
        source += std::to_string(i) + (i % 7 == 0 ? std::string(5000, '.') : "") + "\n";
    std::vector<iovec> pieces;
    std::size_t at = 0;
    for (std::size_t size = 0; at < source.size(); size = (size + 13) % 211) {
        const std::size_t take = std::min(size, source.size() - at);  // some pieces are empty
        pieces.push_back({source.data() + at, take});
        at += take;
    }
    ASSERT_GT(pieces.size(), std::size_t{2 * IOV_MAX});
    EXPECT_TRUE(write_output(outs, 2, pieces, con.con));
    std::string written(source.size() + 1, '\0');
    EXPECT_EQ(::pread(fds[2], written.data(), written.size(), 0), static_cast<ssize_t>(source.size()));
    written.resize(source.size());
    EXPECT_TRUE(written == source);
    EXPECT_TRUE(close_outputs(outs, con.con));
    EXPECT_EQ(con.text(), "");
}

// Games that take every path of the sorter: lines before the first game, warnings, rewritten tag lines,
// CR LF line ends, a long line with trailing blanks, and games for several outputs.
std::string games_of_every_kind() {
    const std::string games =
        "[Event \"ICC 5 0 u 10/23/98\"]\n[Site \"Internet Chess Club\"]\n[Date \"????.??.??\"]\n"
        "[White \"Fritz {2650}\"]\n[Black \"Smith\"]\n\n1. e4 e5 2. Nf3 *\n\n"
        "[Event \"Match \\\"1997\\\"\"]\r\n[Date \"1997-5-11\"]\r\n[White \"Deep Blue\"]\r\n"
        "[Black \"Kasparov, G\"]\r\n\r\n1. d4 d5 1/2-1/2\r\n\r\n"
        "[Event \"Blitz\"]\n[Date \"1998.1x.05\"]\n[White \"Genius\"]\n\n[Black \"Deep Blue 2\"]\n\n"
        "1. c4 " +
        std::string(400, 'x') + "  \n*\n\n";
    std::string all = "a line before any game\n";
    for (int i = 0; i < 60; ++i)
        all += games;
    return all;
}

// The outputs, the messages and the outcome are the same for any number of workers and any chunk size,
// and when an output fails, the run stops at the same chunk.
TEST(Pipeline, EveryWorkerCountGivesTheSameOutputsMessagesAndOutcome) {
    testing::captured_console out;
    name_lists lists;
    ASSERT_TRUE(add_list_lines("DEEPBLUE*\n", list_of(lists, list_id::computers), false, out.con));
    ASSERT_TRUE(add_list_lines("KASPAROV*\n", list_of(lists, list_id::humans), false, out.con));
    ASSERT_TRUE(
        add_list_lines("GENIUS\n", list_of(lists, list_id::computers_when_opponent_is), false, out.con));
    ASSERT_TRUE(add_list_lines("Fritz\n", list_of(lists, list_id::computers_icc), true, out.con));
    const std::string input = games_of_every_kind();
    const testing::memory_sort reference = testing::sort_in_memory(input, lists, {1, 1 << 20});
    EXPECT_TRUE(reference.ok && reference.closed);
    EXPECT_NE(reference.messages, "");
    for (std::size_t i = 0; i < output_count; ++i) {
        if (i != static_cast<std::size_t>(output_role::advanced)) {
            EXPECT_NE(reference.files[i], "") << output_file_names[i];
        }
    }
    for (const unsigned threads : {1u, 2u, 3u, 8u}) {
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{97}, std::size_t{4096}}) {
            const testing::memory_sort sorted = testing::sort_in_memory(input, lists, {threads, chunk});
            EXPECT_TRUE(sorted.ok && sorted.closed);
            EXPECT_TRUE(sorted.files == reference.files) << threads << " " << chunk;
            EXPECT_EQ(sorted.messages, reference.messages);
        }
    }

    const std::size_t human = static_cast<std::size_t>(output_role::comp_vs_human);
    const testing::memory_sort failed = testing::sort_in_memory(input, lists, {1, 2000}, {human});
    EXPECT_FALSE(failed.ok);
    EXPECT_FALSE(failed.closed);
    EXPECT_LT(failed.files[static_cast<std::size_t>(output_role::comp_vs_comp)].size(),
              reference.files[static_cast<std::size_t>(output_role::comp_vs_comp)].size());
    for (const unsigned threads : {2u, 3u}) {
        const testing::memory_sort sorted = testing::sort_in_memory(input, lists, {threads, 2000}, {human});
        EXPECT_FALSE(sorted.ok);
        EXPECT_TRUE(sorted.files == failed.files);
        EXPECT_EQ(sorted.messages, failed.messages);
    }
}

TEST(FindLastGameStart, ATagLineAfterANonTagLineConfirmedByCompleteLines) {
    struct row {
        const char* bytes;
        std::size_t expected;
    };
    const std::vector<row> rows = {
        {"", 0},
        {"[Event \"A\"]\n", 0},                           // the input's start is never a cut
        {"*\n[Event \"A\"]\n", 2},                        // a tag line after moves
        {"*\n\n \r\n[Event \"A\"]\n", 6},                 // blank lines between do not count
        {"*\n[Event \"A\"]\n[Site \"B\"]\n", 2},          // the section's first tag line
        {"*\n[Event \"A\"]\n\n[Site \"B\"]\n", 2},        // a blank line inside a section does not end it
        {"*\n[Event \"A\"]", 0},                          // an incomplete last line is not looked at
        {"*\n[Event \"A\"]\n*\n[Event \"B\"]\n*\n", 16},  // the last game start
        {"[Ev2 \"A\"]\n[Event \"B\"]\n", 10},             // a line of another shape is a non-tag line
        {"*\n[Event\t\"A\"]\n", 0},                       // not a tag line
        {"\n[Event \"A\"]\n", 0},                         // a blank first line is no non-tag line
        {"\n*\n[Event \"A\"]\n", 3},                      // the walk back reaches the first byte
    };
    for (const row& r : rows)
        EXPECT_EQ(find_last_game_start(r.bytes), r.expected) << r.bytes;
}

TEST(DetectCompression, ByMagicBytesOnly) {
    EXPECT_EQ(detect_compression("\x28\xB5\x2F\xFD..."), compression::zstd);
    EXPECT_EQ(detect_compression(std::string_view("\xFD"
                                                  "7zXZ\0..",
                                                  8)),
              compression::xz);
    EXPECT_EQ(detect_compression("\x1F\x8B\x08..."), compression::gzip);
    EXPECT_EQ(detect_compression("BZh91AY&SY...."), compression::bzip2);
    EXPECT_EQ(detect_compression("BZh9\x17\x72\x45\x38\x50\x90...."), compression::bzip2);
    for (const char* text : {"", "[Event", "\x28\xB5\x2F", "\x1F\x8B\x07", "BZh9",
                             "BZh0"
                             "1AY&SY",
                             "BZh91AY&SX"})
        EXPECT_EQ(detect_compression(text), compression::none) << text;
}

// Reads an input to its end.
std::string read_all(input_stream& input) {
    std::string bytes;
    char block[7];  // small, so that the head bytes and the rest arrive in several reads
    while (true) {
        const ssize_t n = read_input(input, block, sizeof block);
        if (n <= 0) break;
        bytes.append(block, static_cast<std::size_t>(n));
    }
    return bytes;
}

TEST(Input, AStreamOpenedAgainStartsAfresh) {
    char path[] = "/tmp/gamesieve-input-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string text = "[Event \"A fairly long first line\"]\n*\n";
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);
    input_stream input;
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(open_input(input, path), open_result::ok);
        EXPECT_EQ(input.format, compression::none);
        EXPECT_EQ(read_all(input), text) << round;
    }
    // Closing the input closes the file it opened.
    const int opened = input.fd;
    close_input(input);
    EXPECT_EQ(::fcntl(opened, F_GETFD), -1);
    ::unlink(path);
    EXPECT_EQ(open_input(input, "/nonexistent/x.pgn"), open_result::cannot_open);
    EXPECT_EQ(open_input(input, "/"), open_result::cannot_read);
}

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
}

}  // namespace
}  // namespace gs
