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
        // A line that tag treatment keeps needs no copy: treating it must leave it as it was, warn of
        // nothing, and capture the same.
        gs::game_header kept = header;
        if (gs::capture_if_kept(line, kept)) {
            gs::game_header treated = header;
            std::string copy = line;
            std::string more;
            gs::handle_tag_line(copy, treated, more);
            if (copy != line || !more.empty()) std::abort();
            if (kept.white.name != treated.white.name || kept.black.name != treated.black.name ||
                kept.site != treated.site || kept.event != treated.event || kept.year != treated.year ||
                kept.month != treated.month || kept.day != treated.day ||
                kept.white.flagged_computer != treated.white.flagged_computer ||
                kept.white.flagged_human != treated.white.flagged_human ||
                kept.black.flagged_computer != treated.black.flagged_computer ||
                kept.black.flagged_human != treated.black.flagged_human) {
                std::abort();
            }
        }
        const bool date_line = line.starts_with("[Date ");
        gs::handle_tag_line(line, header, warnings);
        // A Date line stays a Date line, however its value is rewritten.
        if (date_line && !line.starts_with("[Date ")) std::abort();
    }
    // Every warning is one whole line.
    if (!warnings.empty() && !warnings.ends_with('\n')) std::abort();
    if (header.year < 0 || header.month < 0 || header.day < 0) std::abort();
    return 0;
}
