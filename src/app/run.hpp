// One run of gamesieve: the command line, the lists, the input and the five outputs, start to end.
#pragma once

#include "text/console.hpp"

namespace gs {

// Writes the usage text.
void print_usage(console& out);

// Runs gamesieve with the given command line in the working directory and returns the exit status: 0
// after the whole input was sorted, 1 after the usage text or any error, whose messages are already on
// the console. Never exits the process itself.
int run(int argc, const char* const* argv, console& out);

}  // namespace gs
