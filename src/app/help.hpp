// The help and version texts.
#pragma once

#include <string>

#include "text/console.hpp"

namespace gs {

// The directory of the lists installed with this program: share/gamesieve/lists beside the directory
// that holds the running executable, so it names the prefix actually installed to.
std::string installed_lists_dir(const char* argv0);

void print_help(console& con, const char* argv0);

// The installed lists directory when this program is installed, or where an installation to the
// configured prefix puts them.
std::string lists_dir_to_suggest(const char* argv0);
void print_version(console& con);

// Writes the usage text shown when gamesieve is started without an argument.
void print_usage(console& con);

}  // namespace gs
