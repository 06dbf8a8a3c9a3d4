#include "header/tag_capture.hpp"

#include "header/dates.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

constexpr std::string_view escaped_quote = "\\\"";
constexpr std::string_view date_line_start = "[Date ";

}  // namespace

bool extract_tag_value(std::string_view line, std::string_view tag, std::string& out) {
    std::string_view rest = line;
    if (!consume_prefix(rest, "[") || !consume_prefix(rest, tag)) return false;
    while (rest.starts_with(' '))
        rest.remove_prefix(1);
    if (!consume_prefix(rest, "\"")) return false;
    out.assign(rest);
    strip_trailing_char(out, ']');
    strip_trailing_char(out, ' ');
    strip_trailing_char(out, '"');
    return true;
}

void handle_tag_line(std::string& line, game_header& header, console& out) {
    remove_all(line, escaped_quote);
    if (line.empty()) return;
    // A tag line carries one tag name, the letters after its '['; only a tag of that name can be read.
    std::size_t name_end = 1;
    while (name_end < line.size() && ((line[name_end] >= 'A' && line[name_end] <= 'Z') ||
                                      (line[name_end] >= 'a' && line[name_end] <= 'z'))) {
        ++name_end;
    }
    const std::string_view name = std::string_view(line).substr(1, name_end - 1);
    if (name == "White") {
        extract_tag_value(line, name, header.white.name);
    } else if (name == "Black") {
        extract_tag_value(line, name, header.black.name);
    } else if (name == "Site") {
        extract_tag_value(line, name, header.site);
    } else if (name == "Event") {
        if (extract_tag_value(line, name, header.event)) extract_event_date(line, header);
    } else if (name == "Date" && starts_with(line, date_line_start)) {
        treat_date_line(line, header, out);
    }
}

}  // namespace gs
