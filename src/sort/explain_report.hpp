// The explanation report (--explain FILE): one tab-separated line per game saying who was judged what,
// by which rule or list entry, and where the game went. It is how a user finds the names to add to the
// lists.
//
// The whole report lives here: a sorter records each game's line as it classifies it (explain_game), the
// writer numbers the lines of each chunk in input order and writes them (write_explained), and the run
// opens and closes the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "classify/game.hpp"
#include "header/game_header.hpp"
#include "lists/list_files.hpp"
#include "text/failure.hpp"

namespace gs {

// One game's line of the report, without its first two fields (the game's number and the line where it
// starts), which only the writer can number; numbers here count from 1 within the chunk.
struct explained_game {
    std::uint64_t game;
    std::uint64_t line;
    std::size_t text_at;  // the rest of the report line, in the chunk's text
    std::size_t text_size;
};

// The report lines of one sorted chunk.
struct explained_chunk {
    std::vector<explained_game> games;
    std::string text;
};

void clear_explained(explained_chunk& chunk);

// Records the line of a classified game, the game-th of its chunk starting at its line-th line: White,
// Black, each player's kind and what decided it, and the output file, tab-separated. A tab or newline
// inside a name is shown as a blank so that the columns stay whole.
void explain_game(const game_header& header, const game_verdict& verdict, const name_lists& lists,
                  std::uint64_t game, std::uint64_t line, explained_chunk& out);

// The report file and the numbering of its lines, carried from chunk to chunk.
struct explain_report {
    int fd = -1;
    std::string path;
    std::string pending;  // lines not yet written: they go out in blocks
    bool failed = false;  // a write failed and was reported
    std::uint64_t games_written = 0;
    std::uint64_t lines_before = 0;  // lines of the current input before the chunk being written
    std::size_t current_input = 0;
    // With several inputs, a last column names the input of each game.
    std::vector<std::string> inputs;
};

// Takes fd, opened for the report that is to be at path (messages name path), and writes its first line,
// naming the columns; the report writes its lines in blocks and closes fd. False, with "Error: During
// writing file '<path>'" and the reason recorded, when the first line cannot be written. With more than one
// input, the report gains a last column, "input".
bool open_explain_report(explain_report& report, int fd, const std::string& path, failure_list& failures,
                         const std::vector<std::string>& inputs = {});

// Writes the lines of a chunk of the given input, which holds lines lines and games games, numbering
// them on from the chunks before it (lines count again from 1 in each input). False, with "Error: During
// writing file '<path>'" recorded once, when a write failed now or before.
bool write_explained(explain_report& report, const explained_chunk& chunk, std::size_t input,
                     std::uint64_t lines, std::uint64_t games, failure_list& failures);

// Flushes and closes the report. False when any write, the flush or the close failed (recorded once).
bool close_explain_report(explain_report& report, failure_list& failures);

}  // namespace gs
