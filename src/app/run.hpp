// One run of gamesieve: the command line, the lists, the inputs and the five outputs, start to end.
#pragma once

#include <cstdio>

#include "text/console.hpp"

namespace gs {

// Runs gamesieve with the given command line and returns the exit status: 0 after every input was
// sorted (or after --help, --version, or a clean --check-lists), 1 after the usage text or any error,
// whose messages are already on the console. Progress goes to status when that is a terminal. Never
// exits the process itself.
int run(int argc, const char* const* argv, console& con, std::FILE* status = stderr);

}  // namespace gs
