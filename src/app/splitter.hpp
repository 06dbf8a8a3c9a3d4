// The game splitter: turns the stream of input lines into games.
//
// A game's tag lines are held back until its first other line, because a game can be routed only when all
// of its tags are known; then the held lines and every following line go to the output that the game's
// players select. Blank lines inside a tag section are dropped; every line loses its trailing blanks.
#pragma once

#include <string>
#include <string_view>

#include "app/outputs.hpp"
#include "header/game_header.hpp"
#include "lists/list_files.hpp"
#include "text/console.hpp"

namespace gs {

struct game_splitter {
    bool in_header = false;
    game_header header;
};

// True for a line of the shape '[', letters, spaces, '"'; what follows the quote is not examined.
bool is_tag_line(std::string_view line);

// Clears the game header and makes rest_vs_rest.pgn the current output.
void reset_game(game_splitter& splitter, outputs& outs);

// Handles one input line. A tag line is copied into tag_line to be rewritten and held; any other line is
// written from where it lies, without a copy. False when an output failed.
bool process_line(std::string_view line, std::string& tag_line, game_splitter& splitter,
                  const name_lists& lists, outputs& outs, console& out);

// At the end of the input, a tag section still held is classified, routed and written like any other, so
// the last game of a file that ends inside its tags is not lost. False when an output failed.
bool finish_input(game_splitter& splitter, const name_lists& lists, outputs& outs, console& out);

}  // namespace gs
