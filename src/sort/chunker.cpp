#include "sort/chunker.hpp"

#include <cstring>

#include "header/tag_capture.hpp"
#include "text/text.hpp"

namespace gs {

std::size_t find_last_game_start(std::string_view bytes) {
    const std::size_t last_feed = bytes.rfind('\n');
    if (last_feed == std::string_view::npos) return 0;
    // Walk the complete lines backwards. A tag line seen with only blank lines after it up to the current
    // line is the candidate; the first non-tag, non-blank line before it makes it a game start.
    std::size_t candidate = 0;
    bool have_candidate = false;
    std::size_t line_end = last_feed;  // the line feed that ends the current line
    while (true) {
        const std::size_t line_start = line_end == 0 ? 0 : [&] {
            const void* feed = memrchr(bytes.data(), '\n', line_end);
            return feed == nullptr
                       ? std::size_t{0}
                       : static_cast<std::size_t>(static_cast<const char*>(feed) - bytes.data()) + 1;
        }();
        const std::string_view line = trimmed_right(bytes.substr(line_start, line_end - line_start));
        if (!line.empty()) {
            if (is_tag_line(line)) {
                candidate = line_start;
                have_candidate = true;
            } else if (have_candidate) {
                return candidate;
            }
        }
        if (line_start == 0) return 0;
        line_end = line_start - 1;
    }
}

}  // namespace gs
