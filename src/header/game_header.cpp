#include "header/game_header.hpp"

namespace gs {
namespace {

void clear_slot(player_slot& slot) {
    slot.name = {};
    slot.flagged_computer = false;
    slot.flagged_human = false;
    slot.fide_id = false;
    slot.title = fide_title::none;
}

}  // namespace

void clear_game_header(game_header& header) {
    header.event = {};
    clear_slot(header.white);
    clear_slot(header.black);
    header.site = {};
    header.held.rewritten.clear();
    header.held.pieces.clear();
    header.event_date.clear();
    header.year = 0;
    header.month = 0;
    header.day = 0;
}

void hold_line(held_lines& held, std::string_view line) {
    held.pieces.push_back({false, static_cast<std::size_t>(line.data() - held.input), line.size()});
}

void hold_rewritten_line(held_lines& held, std::string_view line) {
    held.pieces.push_back({true, held.rewritten.size(), line.size()});
    held.rewritten.append(line);
}

std::size_t held_count(const held_lines& held) {
    return held.pieces.size();
}

std::string_view held_line(const held_lines& held, std::size_t index) {
    const held_lines::piece& piece = held.pieces[index];
    if (piece.rewritten) return std::string_view(held.rewritten).substr(piece.begin, piece.size);
    return {held.input + piece.begin, piece.size};
}

}  // namespace gs
