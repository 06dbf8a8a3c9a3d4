// The sorter: the chunk cutter, the chunk sorter, and the pipeline that joins them.
#include <gtest/gtest.h>

#include <string>

#include "sort/chunk_sorter.hpp"
#include "sort/chunker.hpp"
#include "sort/pipeline.hpp"
#include "sort/unlisted_names.hpp"
#include "support/capture.hpp"
#include "support/memory_sort.hpp"

namespace gs {
namespace {

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
    name_lists lists;
    ASSERT_TRUE(add_list_lines("DEEPBLUE*\n", list_of(lists, list_id::computers), false));
    ASSERT_TRUE(add_list_lines("KASPAROV*\n", list_of(lists, list_id::humans), false));
    ASSERT_TRUE(add_list_lines("GENIUS\n", list_of(lists, list_id::computers_when_opponent_is), false));
    ASSERT_TRUE(add_list_lines("Fritz\n", list_of(lists, list_id::computers_icc), true));
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

// Each chunk is sorted on its own: a chunk that stopped inside a tag section (which the cutter never makes,
// but a caller might) leaves nothing behind for the next one.
TEST(SortChunk, EveryChunkStartsAfresh) {
    name_lists lists;
    chunk_sorter sorter;
    chunk_result result;
    const std::size_t rest = static_cast<std::size_t>(output_role::rest_vs_rest);
    const std::string_view first = "[Event \"A\"]\n";
    sort_chunk(first, false, lists, {}, sorter, result);
    EXPECT_EQ(output_text(result, first, rest), "");
    const std::string_view second = "text before any game\n";
    sort_chunk(second, true, lists, {}, sorter, result);
    EXPECT_EQ(output_text(result, second, rest), "text before any game\n");
    EXPECT_EQ(result.games[static_cast<std::size_t>(output_role::rest_vs_rest)], 0u);
    EXPECT_EQ(result.lines, 1u);
}

// A tag section is written in one piece while its lines are kept and follow each other; when one of them
// breaks the run (a rewritten line, a dropped blank line, a trimmed line), the lines before it must
// still come out, in order. Backslashes are found a chunk at a time: one in a movetext or in an earlier
// game must not make a later tag line rewritten, and every tag line with one must be.
TEST(SortChunk, TagSectionsThatBreakTheirRunKeepEveryLine) {
    struct row {
        std::string input;
        std::string output;
    };
    const std::string tags = "[Event \"E\"]\n[Site \"S\"]\n";
    const row rows[] = {
        {tags + "[Date \"1998.5.1\"]\n[White \"W\"]\n\n1. e4 *\n",
         tags + "[Date \"1998.05.01\"]\n[White \"W\"]\n1. e4 *\n"},
        {tags + "\n[White \"W\"]\n[Black \"B\"]\n\n*\n", tags + "[White \"W\"]\n[Black \"B\"]\n*\n"},
        {tags + "[White \"W\"]  \n[Black \"B\"]\n\n*\n", tags + "[White \"W\"]\n[Black \"B\"]\n*\n"},
        {tags + "[White \"W\\\"X\"]\n[Black \"B\"]\n\n*\n", tags + "[White \"WX\"]\n[Black \"B\"]\n*\n"},
        {"[Event \"A\"]\n\n{a \\ comment}\n*\n\n" + tags + "[White \"W\"]\n\n*\n",
         "[Event \"A\"]\n{a \\ comment}\n*\n\n" + tags + "[White \"W\"]\n*\n"},
        {"[Event \"A\\\"\"]\n[Site \"B\\\"\"]\n[Round \"1\"]\n[White \"C\\\"\"]\n\n*\n",
         "[Event \"A\"]\n[Site \"B\"]\n[Round \"1\"]\n[White \"C\"]\n*\n"},
        {tags + "[Round \"1\"]", tags + "[Round \"1\"]\n"},
    };
    name_lists lists;
    chunk_sorter sorter;
    chunk_result result;
    const std::size_t rest = static_cast<std::size_t>(output_role::rest_vs_rest);
    for (const row& r : rows) {
        sort_chunk(r.input, true, lists, {}, sorter, result);
        EXPECT_EQ(output_text(result, r.input, rest), r.output) << r.input;
    }
}

// Lines that sorting leaves as they are are written from the chunk, not copied; pieces that continue each
// other are joined, and none is empty.
TEST(SortChunk, UnchangedLinesAreNotCopied) {
    name_lists lists;
    const std::string tags = "[Event \"A\"]\n[White \"x\"]\n[Black \"y\"]\n";
    const std::string game = tags + "\n1. e4 *\n\n";
    std::string plain;
    for (int i = 0; i < 50; ++i)
        plain += game;
    std::string crlf;
    for (char c : plain)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string long_line = "1. e4 " + std::string(1000, 'x');
    const std::string trimmed = game + long_line + "  \n";

    chunk_sorter sorter;
    chunk_result result;
    const std::size_t rest = static_cast<std::size_t>(output_role::rest_vs_rest);
    const auto own_bytes = [&] {
        std::size_t own = 0;
        for (const std::vector<output_piece>& pieces : result.pieces) {
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                EXPECT_GT(pieces[i].size, 0u);
                if (pieces[i].own) own += pieces[i].size;
                if (i > 0 && pieces[i].own == pieces[i - 1].own) {
                    EXPECT_NE(pieces[i - 1].begin + pieces[i - 1].size, pieces[i].begin) << i;
                }
            }
        }
        return own;
    };
    sort_chunk(plain, true, lists, {}, sorter, result);
    EXPECT_EQ(own_bytes(), 0u);
    // The blank line after each tag section is dropped, so the first section is one piece and each
    // movetext runs on with the next game's tags.
    EXPECT_EQ(result.pieces[rest].size(), 50u + 1u);
    EXPECT_EQ(result.bytes[rest], plain.size() - 50);
    const std::string sorted = output_text(result, plain, rest);
    EXPECT_EQ(sorted.size(), result.bytes[rest]);

    sort_chunk(crlf, true, lists, {}, sorter, result);
    EXPECT_EQ(own_bytes(), sorted.size());  // every line lost its carriage return: all are copied
    EXPECT_EQ(output_text(result, crlf, rest), sorted);

    sort_chunk(trimmed, true, lists, {}, sorter, result);
    EXPECT_EQ(own_bytes(), 1u);  // a long line is written from the chunk; only its line feed is copied
    EXPECT_EQ(output_text(result, trimmed, rest), tags + "1. e4 *\n\n" + long_line + "\n");
}

// The unlisted names are counted in bounded memory: the most frequent names keep exact counts, and a
// name that takes the place of the least counted one inherits that count as its error.
TEST(UnlistedNames, TheMostFrequentNamesAreKeptInBoundedRoom) {
    unlisted_names names;
    open_unlisted(names, 3);
    unlisted_chunk chunk;
    const auto see = [&](std::string_view name, int times) {
        for (int i = 0; i < times; ++i) {
            chunk.sightings.push_back(
                {chunk.text.size(), name.size(), unlisted_evidence::nothing, 2, server_kind::other});
            chunk.text.append(name);
        }
    };
    see("often", 50);
    see("sometimes", 20);
    for (int n = 0; n < 10; ++n)
        see("once" + std::to_string(n), 1);
    see("sometimes", 5);
    count_unlisted(names, chunk);
    EXPECT_EQ(names.tallies.size(), 3u);
    EXPECT_EQ(names.sightings, 85u);
    const std::string text = unlisted_text(names);
    EXPECT_NE(text.find("\noften\t50\tnothing\tother 50\t-\tOFTEN\t0\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nsometimes\t25\t"), std::string::npos) << text;
    EXPECT_NE(text.find("a count of 10 or less is an estimate"), std::string::npos) << text;
    EXPECT_NE(text.find("\nonce9\t10\tnothing\tother 1\t-\tONCE9\t9\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace gs
