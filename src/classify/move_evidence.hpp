// Evidence from a game's moves: which side's moves carry a chess engine's search output.
//
// Match runners and GUIs write what the engine reported after each of its moves: a score with the search
// depth, usually with the time ("{+0.42/19 1.5s}", "{(e8g8 e2e3) +0.50/5 0}", "{+0,08/12 7}",
// "{[%eval 23,13] [%emt 0:00:28]}", "{d=28, sd=40, mt=57157, ..., wv=0.53}"), or the time alone when the
// engine reported nothing ("{1.9s}"); book moves are marked "{book}". People's games carry clocks
// ("[%clk 0:02:30]", "[%emt ...]") and, once analysed, evaluations without a depth ("[%eval 0.35]",
// "{+0.18}"): neither is engine play. Comments inside variations are an annotator's, not a player's, and
// are passed over.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace gs {

// The moves of one side and what their comments say.
struct side_moves {
    std::uint32_t moves = 0;   // moves of the game itself (not of its variations)
    std::uint32_t book = 0;    // of them, marked as from the opening book
    std::uint32_t engine = 0;  // of them, followed by engine search output
};

// Both sides' moves of one game, White first.
struct move_evidence {
    std::array<side_moves, 2> sides{};
};

// True when a comment's text (what lies between its braces) is engine search output.
bool is_engine_output(std::string_view comment);

// True when a comment's text is the opening book mark: "book", blanks around it allowed, or "book," and
// more fields ("book, mb=+0+0+0+0+0,").
bool is_book_mark(std::string_view comment);

// Reads a game's movetext (everything after its tag section) and counts each side's moves, book moves
// and moves with engine output. Move numbers tell whose move follows ("12." White, "12..." Black), so a
// game from a position with Black to move is read right; without them the sides alternate from White.
// When no comment is engine output or a book mark, the moves tell nothing and are not counted (all
// counts are 0). Never reads outside movetext, whatever it holds.
move_evidence read_move_evidence(std::string_view movetext);

// Which sides played like programs, White first: a side with engine output on at least half of its moves
// after the opening book; a side with it on a quarter, against a side that played so (a runner writes
// nothing for a move that an engine made at once, or when its time runs low); and a side whose every
// move, four at least, carries a runner's book mark against a side that played so or the same (a game
// cut short in the opening).
std::array<bool, 2> engine_play(const move_evidence& evidence);

}  // namespace gs
