// The accounting property of a run: nothing lost, nothing torn.
//
// From the input and the five outputs of one run (into outputs that were empty), it checks that every
// input line reaches exactly one output, trimmed at the right, except blank lines inside tag sections;
// that tag lines differ from the input only where the tool rewrites them (escaped quotes, Date tags,
// server Event dates); that the lines of one game (its tag section up to the next tag section) all land
// in the same file, in order, and the lines before the first game in rest_vs_rest.pgn; and so that the
// outputs hold as many tag sections as the input.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "classify/game.hpp"

namespace gs::testing {

struct accounting {
    bool ok = true;
    std::string fault;  // the first fault found, for the failure message
    std::size_t games = 0;
    std::size_t lines = 0;
};

// outputs in the order of output_file_names.
accounting check_accounting(std::string_view input,
                            const std::array<std::string_view, output_count>& outputs);

}  // namespace gs::testing
