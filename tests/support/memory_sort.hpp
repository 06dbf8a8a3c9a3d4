// Test helper: a whole sort of bytes in memory, through the parallel sorter, into five memory files.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "sort/pipeline.hpp"

namespace gs::testing {

struct memory_sort {
    std::array<std::string, output_count> files;  // what each output received
    std::string messages;                         // what the console received
    bool ok = false;                              // the sort's own answer
    bool closed = false;                          // closing the outputs succeeded
};

// Sorts input as one input stream with the pipeline settings (and the sort settings). Outputs whose index
// is in failing are the full device, so that writing to them fails.
memory_sort sort_in_memory(std::string_view input, const name_lists& lists, const pipeline_settings& pipeline,
                           std::initializer_list<std::size_t> failing = {},
                           const sort_settings& settings = {});

}  // namespace gs::testing
