#include "app/splitter.hpp"

#include "classify/game.hpp"
#include "header/tag_capture.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

bool is_ascii_letter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Classifies the game whose tag section is complete, routes it and writes its held tag lines.
bool end_header(game_splitter& splitter, const name_lists& lists, outputs& outs, console& out) {
    game_header& header = splitter.header;
    classify_game(header, lists);
    outs.current = route_game(header.white.kind, header.black.kind);
    splitter.in_header = false;
    for (std::size_t i = 0; i < held_count(header.held); ++i) {
        if (!write_line(outs, held_line(header.held, i), out)) return false;
    }
    return true;
}

}  // namespace

bool is_tag_line(std::string_view line) {
    std::size_t i = 0;
    if (i >= line.size() || line[i] != '[') return false;
    ++i;
    while (i < line.size() && is_ascii_letter(line[i]))
        ++i;
    while (i < line.size() && line[i] == ' ')
        ++i;
    return i < line.size() && line[i] == '"';
}

void reset_game(game_splitter& splitter, outputs& outs) {
    clear_game_header(splitter.header);
    outs.current = output_role::rest_vs_rest;
}

bool process_line(std::string_view line, std::string& tag_line, game_splitter& splitter,
                  const name_lists& lists, outputs& outs, console& out) {
    line = trimmed_right(line);
    if (splitter.in_header && line.empty()) return true;
    if (is_tag_line(line)) {
        if (!splitter.in_header) {
            reset_game(splitter, outs);
            splitter.in_header = true;
        }
        tag_line.assign(line);
        handle_tag_line(tag_line, splitter.header, out);
        hold_line(splitter.header.held, tag_line);
        return true;
    }
    if (splitter.in_header && !end_header(splitter, lists, outs, out)) return false;
    return write_line(outs, line, out);
}

bool finish_input(game_splitter& splitter, const name_lists& lists, outputs& outs, console& out) {
    if (!splitter.in_header) return true;
    return end_header(splitter, lists, outs, out);
}

}  // namespace gs
