#include "classify/player.hpp"

#include <array>

#include "text/text.hpp"

namespace gs {
namespace {

constexpr std::array<std::string_view, 2> computer_name_starts = {"COMP: ", "COMP "};
constexpr std::array<std::string_view, 2> computer_name_ends = {"(C)", "<COMPUTER>"};
constexpr std::string_view bye_name = "BYE";

constexpr std::array<std::string_view, 3> icc_event_starts = {"ICS", "ICC", "mmeics"};
constexpr std::array<std::string_view, 5> icc_site_starts = {"ICS", "ICC", "Internet Chess Club",
                                                             "chessclub.com", "mmeics"};
constexpr std::array<std::string_view, 2> fics_event_starts = {"FICS", "fics"};
constexpr std::array<std::string_view, 3> fics_site_starts = {"fics", "FICS", "freechess.org"};
constexpr std::array<std::string_view, 2> rated_site_words = {"rated", "Rated"};

template <std::size_t n>
bool starts_with_any(std::string_view text, const std::array<std::string_view, n>& prefixes) {
    for (std::string_view prefix : prefixes) {
        if (starts_with(text, prefix)) return true;
    }
    return false;
}

bool is_marked_computer(std::string_view upper) {
    for (std::string_view start : computer_name_starts) {
        if (starts_with(upper, start)) return true;
    }
    for (std::string_view end : computer_name_ends) {
        if (ends_with(upper, end)) return true;
    }
    return false;
}

struct look_up {
    list_id list;
    player_class kind;
};

// The server lists, in the order in which they are asked; the name is matched without its rating group.
constexpr std::array<look_up, 3> icc_look_ups = {{
    {list_id::computers_icc, player_class::computer},
    {list_id::humans_icc_titled, player_class::human},
    {list_id::humans_icc_rest, player_class::human},
}};
constexpr std::array<look_up, 2> fics_look_ups = {{
    {list_id::computers_fics, player_class::computer},
    {list_id::humans_fics, player_class::human},
}};
// The general lists for games from elsewhere, matched with the capitalised, punctuation-free name.
constexpr std::array<look_up, 3> general_look_ups = {{
    {list_id::computers, player_class::computer},
    {list_id::humans, player_class::human},
    {list_id::computers_when_opponent_is, player_class::depends_on_opponent},
}};

template <std::size_t n>
bool classify_by(std::string& text, const std::array<look_up, n>& rows, const name_lists& lists,
                 player_class& kind) {
    for (const look_up& row : rows) {
        if (list_contains(text, list_of(lists, row.list))) {
            kind = row.kind;
            return true;
        }
    }
    return false;
}

}  // namespace

server_kind detect_server_kind(std::string_view event, std::string_view site) {
    if (starts_with_any(event, icc_event_starts) || starts_with_any(site, icc_site_starts)) {
        return server_kind::icc;
    }
    if (starts_with_any(event, fics_event_starts) || starts_with_any(site, fics_site_starts)) {
        return server_kind::fics;
    }
    for (std::string_view word : rated_site_words) {
        if (contains(site, word)) return server_kind::icc;
    }
    return server_kind::other;
}

game_facts facts_of(const game_header& header) {
    return {detect_server_kind(header.event, header.site)};
}

void classify_player(player_slot& slot, game_header& header, const name_lists& lists) {
    game_facts facts = facts_of(header);
    classify_player(slot, header, lists, facts);
}

void classify_player(player_slot& slot, game_header& header, const name_lists& lists, game_facts& facts) {
    slot.upper = slot.name;
    upper_ascii(slot.upper);
    if (is_marked_computer(slot.upper)) {
        slot.kind = player_class::computer;
        return;
    }
    slot.stripped = slot.upper;
    strip_name_punctuation(slot.stripped);
    slot.unrated = slot.name;
    remove_rating_braces(slot.unrated);
    if (slot.stripped == bye_name) {
        slot.kind = player_class::bye;
        return;
    }

    player_class& kind = slot.kind;
    switch (facts.server) {
        case server_kind::icc:
            if (classify_by(slot.unrated, icc_look_ups, lists, kind)) return;
            break;
        case server_kind::fics:
            if (classify_by(slot.unrated, fics_look_ups, lists, kind)) return;
            break;
        case server_kind::other: {
            using enum game_facts::answer;
            if (facts.advanced_event == not_asked) {
                const name_list& advanced_events = list_of(lists, list_id::adv_events);
                const bool listed = list_contains(header.site, advanced_events) ||
                                    list_contains(header.event, advanced_events);
                facts.advanced_event = listed ? yes : no;
            }
            if (facts.advanced_event == yes ||
                list_contains(slot.name, list_of(lists, list_id::advanced_chess))) {
                kind = player_class::advanced_team;
                return;
            }
            if (classify_by(slot.stripped, general_look_ups, lists, kind)) return;
            break;
        }
    }
    kind = player_class::unknown;
}

}  // namespace gs
