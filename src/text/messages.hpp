// The message prefixes that several parts of the tool print, each defined once.
#pragma once

#include <string_view>

namespace gs {

// "Error: During opening <path>": a list file or an input that cannot be opened or read at all.
inline constexpr std::string_view msg_during_opening = "Error: During opening ";
// "Error: During reading <path>": a list file or an input that failed part-way.
inline constexpr std::string_view msg_during_reading = "Error: During reading ";

}  // namespace gs
