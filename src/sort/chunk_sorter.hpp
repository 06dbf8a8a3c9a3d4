// The sorter of one chunk of input: the game splitter and the lean line path.
//
// A chunk holds whole lines of one input and starts where the splitter's state is known: at the input's
// start or at a game start (a tag line whose previous non-blank line is not a tag line). So any chunk can
// be sorted on its own, by any worker, and the results joined in input order are those of sorting the
// whole input line by line.
//
// A game's tag lines are held back until its first other line, because a game can be routed only when
// all of its tags are known; then the held lines and every following line go to the output that the
// game's players select. When the evidence of the moves is asked for and may decide a player, the game
// is held back whole and routed at its end. Blank lines inside a tag section are dropped; every line loses
// its trailing blanks and carriage returns.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "classify/game.hpp"
#include "header/game_header.hpp"
#include "lists/list_files.hpp"
#include "sort/explain_report.hpp"
#include "sort/unlisted_names.hpp"

namespace gs {

// A piece of an output's bytes: a stretch of the chunk itself, which most lines leave as they are and
// which so is written from where it lies, with no copy; or a stretch of the result's own bytes, where the
// lines that sorting changed are kept.
struct output_piece {
    bool own;
    std::size_t begin;  // offset in the chunk, or in own
    std::size_t size;   // never 0
};

// Where the lines of a game that awaits its moves gather until it is routed: after the five outputs.
inline constexpr std::size_t held_back = output_count;

// What sorting a chunk produced: the pieces of each output in order, the console messages (date
// warnings), and the counts that the summary and the explanation report need. The pieces and bytes of
// held_back are empty once a chunk is sorted.
struct chunk_result {
    std::array<std::vector<output_piece>, output_count + 1> pieces;
    std::array<std::uint64_t, output_count + 1> bytes{};  // of each output's pieces
    std::string own;
    std::array<std::uint64_t, output_count> games{};
    std::string messages;
    std::uint64_t lines = 0;    // lines of the chunk
    explained_chunk explained;  // filled when explaining
    unlisted_chunk unlisted;    // filled when the unlisted names are asked for
};

void clear_chunk_result(chunk_result& result);

// The bytes of one output of a sorted chunk, gathered from its pieces (for tests and checks: the writer
// writes the pieces where they lie).
std::string output_text(const chunk_result& result, std::string_view chunk, std::size_t index);

// The state of one sorter, kept from chunk to chunk so that its buffers are reused.
struct chunk_sorter {
    bool in_header = false;
    std::size_t current = static_cast<std::size_t>(output_role::rest_vs_rest);  // an output, or held_back
    // A game whose players its moves may decide: its lines are held back from where its movetext begins
    // until the game ends (the next game's first tag line, or the chunk's end).
    bool awaiting_moves = false;
    const char* movetext_begin = nullptr;
    game_header header;
    classifier scratch;
    game_verdict verdict;
    std::string tag_line;  // a tag line being rewritten
    // The tag section as it stands in the input, while every line of it is kept unchanged and they follow
    // each other with no line between: then it is written in one piece, and its lines are not held one
    // by one until the run breaks.
    const char* section_begin = nullptr;
    const char* section_end = nullptr;
    bool section_whole = false;
    // Where the chunk ends, and its first backslash at or after the lines read so far (or its end; null
    // until the first search).
    const char* chunk_end = nullptr;
    const char* next_backslash = nullptr;
    std::uint64_t games = 0;
    std::uint64_t game_line = 0;
};

struct sort_settings {
    classify_options classify;
    bool explain = false;   // every game's verdict is recorded for the explanation report
    bool unlisted = false;  // every game's players that no list decided are recorded
};

// Sorts the lines of bytes into result (cleared first), whose pieces then refer to bytes, which must
// stay in place until they are written. bytes must start at an input's start or at a game
// start; its last line may lack its newline only when ends_input. When ends_input, a tag section still
// held at the end is classified, routed and written, so the last game of an input that ends inside its
// tags is not lost.
void sort_chunk(std::string_view bytes, bool ends_input, const name_lists& lists,
                const sort_settings& settings, chunk_sorter& sorter, chunk_result& result);

}  // namespace gs
