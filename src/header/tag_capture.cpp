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
    while (rest.starts_with(' ')) rest.remove_prefix(1);
    if (!consume_prefix(rest, "\"")) return false;
    out.assign(rest);
    strip_trailing_char(out, ']');
    strip_trailing_char(out, ' ');
    strip_trailing_char(out, '"');
    return true;
}

void handle_tag_line(std::string& line, game_header& header, console& out) {
    remove_all(line, escaped_quote);
    // A line carries one tag name, so at most one of these captures.
    const bool captured = extract_tag_value(line, "White", header.white.name) ||
                          extract_tag_value(line, "Black", header.black.name) ||
                          extract_tag_value(line, "Site", header.site);
    if (!captured && extract_tag_value(line, "Event", header.event)) extract_event_date(line, header);
    if (starts_with(line, date_line_start)) treat_date_line(line, header, out);
}

}  // namespace gs
