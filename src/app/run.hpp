// One run of gamesieve: the command line, the lists, the input and the five outputs, start to end.
#pragma once

#include "app/outputs.hpp"
#include "app/splitter.hpp"
#include "lists/list_files.hpp"
#include "text/console.hpp"
#include "text/line_reader.hpp"

namespace gs {

// Feeds every line of the input to the splitter, then writes a tag section still held at the end. False
// after a read error of the input (reported as "Error: During reading <path>") or a failed output.
bool sort_games(line_reader& input, const char* path, const name_lists& lists, game_splitter& splitter,
                outputs& outs, console& out);

// Writes the usage text.
void print_usage(console& out);

// Runs gamesieve with the given command line in the working directory and returns the exit status: 0
// after the whole input was sorted, 1 after the usage text or any error, whose messages are already on
// the console. Never exits the process itself.
int run(int argc, const char* const* argv, console& out);

}  // namespace gs
