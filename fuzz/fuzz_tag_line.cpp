// Fuzz target: tag capture and date normalisation of one arbitrary tag line, after an arbitrary Event line
// (the input's first line) that may leave a server date for it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "header/game_header.hpp"
#include "header/tag_capture.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string warnings;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t feed = bytes.find('\n');
    gs::game_header header;
    std::string line(bytes.substr(0, feed));
    gs::handle_tag_line(line, header, warnings);
    if (feed != std::string_view::npos) {
        line.assign(bytes.substr(feed + 1));
        const bool date_line = line.starts_with("[Date ");
        gs::handle_tag_line(line, header, warnings);
        // A Date line stays a Date line, however its value is rewritten.
        if (date_line && !line.starts_with("[Date ")) std::abort();
    }
    // Every warning is one whole line.
    if (!warnings.empty() && !warnings.ends_with('\n')) std::abort();
    // A line that tag treatment keeps needs no copy: treating it must leave it as it was.
    const std::string original(bytes.substr(0, feed));
    if (gs::is_tag_line(original) && gs::tag_line_is_kept(original)) {
        std::string copy = original;
        gs::game_header other;
        gs::handle_tag_line(copy, other, warnings);
        if (copy != original) std::abort();
    }
    if (header.year < 0 || header.month < 0 || header.day < 0) std::abort();
    return 0;
}
