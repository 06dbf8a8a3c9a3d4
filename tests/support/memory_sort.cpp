#include "support/memory_sort.hpp"

#include "app/say.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "support/capture.hpp"

namespace gs::testing {
namespace {

std::string contents(int fd) {
    std::string bytes;
    char block[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, block, sizeof block, at);
        if (n <= 0) break;
        bytes.append(block, static_cast<std::size_t>(n));
        at += n;
    }
    return bytes;
}

}  // namespace

memory_sort sort_in_memory(std::string_view input, const name_lists& lists, const pipeline_settings& pipeline,
                           std::initializer_list<std::size_t> failing, const sort_settings& settings) {
    std::array<int, output_count> files{}, handed{};
    for (std::size_t i = 0; i < output_count; ++i) {
        const bool fails = std::find(failing.begin(), failing.end(), i) != failing.end();
        files[i] = ::memfd_create("output", 0);
        handed[i] = fails ? ::open("/dev/full", O_WRONLY | O_CLOEXEC) : ::dup(files[i]);
        if (files[i] < 0 || handed[i] < 0) std::abort();
    }
    outputs outs;
    attach_outputs(outs, handed, output_file_names);
    std::vector<input_stream> inputs(1);
    open_memory_input(inputs[0], input, "input");
    run_counts counts;
    captured_console con;
    memory_sort result;
    pipeline_settings warning = pipeline;
    warning.warn = [&](std::string_view text) { print_text(con.con, text); };
    failure_list failures;
    result.ok = sort_inputs(inputs, lists, settings, warning, outs, failures, nullptr, counts, {});
    result.closed = close_outputs(outs, failures);
    print_failures(con.con, failures);
    for (std::size_t i = 0; i < output_count; ++i) {
        result.files[i] = contents(files[i]);
        ::close(files[i]);
    }
    result.messages = con.text();
    return result;
}

}  // namespace gs::testing
