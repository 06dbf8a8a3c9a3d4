// Cutting an input into chunks that can be sorted independently.
#pragma once

#include <cstddef>
#include <string_view>

namespace gs {

// The position of the last game start in bytes that a later non-tag line confirms: the start of a tag
// line whose previous non-blank line is a non-tag line, looking only at complete lines (those ending in
// a line feed). 0 when there is none, so that the bytes cannot be cut yet.
std::size_t find_last_game_start(std::string_view bytes);

}  // namespace gs
