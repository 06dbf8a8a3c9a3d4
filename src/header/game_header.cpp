#include "header/game_header.hpp"

namespace gs {
namespace {

void clear_slot(player_slot& slot) {
    slot.name.clear();
    slot.upper.clear();
    slot.stripped.clear();
    slot.unrated.clear();
    slot.kind = player_class::unknown;
}

}  // namespace

void clear_game_header(game_header& header) {
    header.event.clear();
    clear_slot(header.white);
    clear_slot(header.black);
    header.site.clear();
    header.held.text.clear();
    header.held.starts.clear();
    header.event_date.clear();
    header.year = 0;
    header.month = 0;
    header.day = 0;
}

void hold_line(held_lines& held, std::string_view line) {
    held.starts.push_back(held.text.size());
    held.text.append(line);
}

std::size_t held_count(const held_lines& held) {
    return held.starts.size();
}

std::string_view held_line(const held_lines& held, std::size_t index) {
    const std::size_t begin = held.starts[index];
    const std::size_t end = index + 1 < held.starts.size() ? held.starts[index + 1] : held.text.size();
    return std::string_view(held.text).substr(begin, end - begin);
}

}  // namespace gs
