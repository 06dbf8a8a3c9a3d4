// The explanation report (--explain FILE): one tab-separated line per game saying who was judged what,
// by which rule or list entry, and where the game went. It is how a user finds the names to add to the
// lists.
#pragma once

#include <cstdio>
#include <string>

#include "classify/game.hpp"
#include "header/game_header.hpp"
#include "lists/list_files.hpp"

namespace gs {

// The report's first line, naming its columns. False when the write failed.
bool write_explain_header(std::FILE* file);

// Appends, after the game and line columns that the writer numbers: White, Black, White's kind and what
// decided it, Black's kind and what decided it, and the output file, tab-separated, with a newline. A tab
// or newline inside a name is shown as a blank so that the columns stay whole.
void explain_game(const game_header& header, const game_verdict& verdict, const name_lists& lists,
                  std::string& out);

// What decided a judgement, in words; a list rule names the file and its matching entry.
std::string describe_judgement(const judgement& j, std::string_view judged_name, const game_header& header,
                               const name_lists& lists);

}  // namespace gs
