#include "classify/game.hpp"

#include <array>

#include "classify/player.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

constexpr std::array<std::string_view, 8> correspondence_markers = {"corr ", "Corr ", "corr.", "Corr.",
                                                                    "cr ",   "cr.",   "korr.", "Korr."};

constexpr int last_human_only_year = 1949;   // a dated game against a human before 1950
constexpr int last_no_computer_year = 1969;  // a dated game against a computer before 1970

bool is_known_before(int year, int last) {
    return year != 0 && year <= last;
}

}  // namespace

void repair_known_names(game_header& header) {
    std::string& white = header.white.name;
    std::string& black = header.black.name;
    if (white == "M") {
        std::string_view rest = black;
        if (consume_prefix(rest, "Chess 6 - ")) {
            white = "M Chess 6";
            black.erase(0, black.size() - rest.size());
        } else if (consume_prefix(rest, "Chess 4 - ")) {
            white = "M Chess 4";
            black.erase(0, black.size() - rest.size());
        }
    }
    if (starts_with(white, "Hiarcs3 486/50 Junior")) {
        white = "Hiarcs 3";
        black = "Junior";
    }
    if (starts_with(white, "Junior 486/50 Hiarcs3")) {
        white = "Junior";
        black = "Hiarcs 3";
    }
}

bool is_correspondence_event(std::string_view event) {
    for (std::string_view marker : correspondence_markers) {
        if (contains(event, marker)) return true;
    }
    return false;
}

void resolve_by_opponent(player_slot& self, player_slot& other, game_header& header,
                         const name_lists& lists) {
    if (list_contains(header.event, list_of(lists, list_id::comp_events))) {
        self.kind = player_class::computer;
    } else if (list_contains(header.event, list_of(lists, list_id::human_events))) {
        self.kind = player_class::human;
    } else if (other.kind == player_class::human && is_known_before(header.year, last_human_only_year)) {
        self.kind = player_class::human;
    } else if (other.kind == player_class::computer && is_known_before(header.year, last_no_computer_year)) {
        self.kind = player_class::human;
    } else if (is_correspondence_event(header.event)) {
        self.kind = player_class::human;
    } else if (other.kind == player_class::computer) {
        self.kind = player_class::computer;
    } else if (other.kind == player_class::depends_on_opponent) {
        self.kind = player_class::computer;
        other.kind = player_class::computer;
    } else {
        self.kind = player_class::unknown;
    }
}

void classify_game(game_header& header, const name_lists& lists) {
    repair_known_names(header);
    game_facts facts = facts_of(header);
    classify_player(header.white, header, lists, facts);
    classify_player(header.black, header, lists, facts);
    if (header.white.kind == player_class::bye) header.white.kind = header.black.kind;
    if (header.black.kind == player_class::bye) header.black.kind = header.white.kind;
    if (header.white.kind == player_class::depends_on_opponent) {
        resolve_by_opponent(header.white, header.black, header, lists);
    }
    if (header.black.kind == player_class::depends_on_opponent) {
        resolve_by_opponent(header.black, header.white, header, lists);
    }
}

output_role route_game(player_class white, player_class black) {
    using enum player_class;
    if (white == advanced_team || black == advanced_team) return output_role::advanced;
    if (white == computer && black == computer) return output_role::comp_vs_comp;
    if ((white == computer && black == human) || (white == human && black == computer)) {
        return output_role::comp_vs_human;
    }
    if ((white == computer && black == unknown) || (white == unknown && black == computer)) {
        return output_role::comp_vs_rest;
    }
    return output_role::rest_vs_rest;
}

}  // namespace gs
