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
constexpr std::string_view lichess_site = "lichess.org";

template <std::size_t n>
bool starts_with_any(std::string_view text, const std::array<std::string_view, n>& prefixes) {
    for (std::string_view prefix : prefixes) {
        if (starts_with(text, prefix)) return true;
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

// Every list of a group is matched in the one name form that the group's look-up builds.
template <std::size_t n>
constexpr bool all_in_form(const std::array<look_up, n>& rows, name_form form) {
    for (const look_up& row : rows) {
        if (form_of(row.list) != form) return false;
    }
    return true;
}
static_assert(all_in_form(icc_look_ups, name_form::account));
static_assert(all_in_form(fics_look_ups, name_form::account));
static_assert(all_in_form(general_look_ups, name_form::capitals));
static_assert(form_of(list_id::advanced_chess) == name_form::as_written);
static_assert(form_of(list_id::adv_events) == name_form::as_written);

// Sets result from the first of the lists that the text matches; leaves it alone when none does.
template <std::size_t n>
void judge_by(std::string_view text, const std::array<look_up, n>& rows, const name_lists& lists,
              judged_by rule, judgement& result) {
    for (const look_up& row : rows) {
        if (list_contains(text, list_of(lists, row.list))) {
            result = {row.kind, rule, row.list};
            return;
        }
    }
}

// lichess marks every program's account with the BOT title and lets no one else use an engine.
bool is_lichess_game(const game_header& header) {
    return contains(header.site, lichess_site);
}

}  // namespace

std::string_view unrated_name(std::string_view name, name_forms& forms) {
    if (name.find('{') == std::string_view::npos) return trimmed_right(name);
    put_in_form(name_form::account, name, forms.unrated);
    return forms.unrated;
}

judgement judge_account(std::string_view unrated, server_kind server, const name_lists& lists) {
    judgement result;
    if (server == server_kind::icc) judge_by(unrated, icc_look_ups, lists, judged_by::server_list, result);
    if (server == server_kind::fics) judge_by(unrated, fics_look_ups, lists, judged_by::server_list, result);
    return result;
}

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

bool is_marked_computer(std::string_view name) {
    for (std::string_view start : computer_name_starts) {
        if (name.size() >= start.size() && equals_ignoring_case(name.substr(0, start.size()), start))
            return true;
    }
    for (std::string_view end : computer_name_ends) {
        if (name.size() >= end.size() && equals_ignoring_case(name.substr(name.size() - end.size()), end)) {
            return true;
        }
    }
    return false;
}

bool is_bye_name(std::string_view name) {
    std::size_t matched = 0;
    for (char c : name) {
        if (is_name_punctuation(c)) continue;
        if (matched == bye_name.size() || upper_ascii(c) != bye_name[matched]) return false;
        ++matched;
    }
    return matched == bye_name.size();
}

bool judge_written_name(std::string_view name, judgement& result) {
    if (is_marked_computer(name)) {
        result = {player_class::computer, judged_by::marker, list_id::humans};
    } else if (is_bye_name(name)) {
        result = {player_class::bye, judged_by::bye, list_id::humans};
    } else {
        return false;
    }
    return true;
}

judgement judge_name(std::string_view name, server_kind server, const name_lists& lists, name_forms& forms) {
    judgement result;
    if (judge_written_name(name, result)) return result;
    switch (server) {
        case server_kind::icc:
        case server_kind::fics:
            return judge_account(unrated_name(name, forms), server, lists);
        case server_kind::other:
            if (list_contains(name, list_of(lists, list_id::advanced_chess))) {
                return {player_class::advanced_team, judged_by::name_list, list_id::advanced_chess};
            }
            put_in_form(name_form::capitals, name, forms.stripped);
            judge_by(forms.stripped, general_look_ups, lists, judged_by::name_list, result);
            break;
    }
    return result;
}

game_facts facts_of(const game_header& header) {
    return {detect_server_kind(header.event, header.site)};
}

bool is_advanced_event(const game_header& header, const name_lists& lists, game_facts& facts) {
    using enum game_facts::answer;
    if (facts.advanced_event == not_asked) {
        const name_list& advanced_events = list_of(lists, list_id::adv_events);
        facts.advanced_event = advanced_event_answer(
            header, [&](std::string_view text, int) { return list_contains(text, advanced_events); });
    }
    return facts.advanced_event == yes;
}

judgement settle_player(const judgement& by_name, const player_slot& slot, const game_header& header,
                        const name_lists& lists, bool player_tags, game_facts& facts) {
    if (by_name.rule == judged_by::marker) return by_name;
    if (player_tags && slot.flagged_computer) return {player_class::computer, judged_by::player_tag};
    if (player_tags && slot.flagged_human) return {player_class::human, judged_by::player_tag};
    if (by_name.rule == judged_by::bye) return by_name;
    if (player_tags && is_lichess_game(header)) return {player_class::human, judged_by::player_tag};
    if (facts.server == server_kind::other && is_advanced_event(header, lists, facts)) {
        return {player_class::advanced_team, judged_by::advanced_event, list_id::adv_events};
    }
    return by_name;
}

bool judge_by_tags(const player_slot& slot, const game_header& header, judgement& j) {
    using enum player_class;
    if (slot.flagged_computer) {
        j = {computer, judged_by::player_tag};
    } else if (slot.flagged_human) {
        j = {human, judged_by::player_tag};
    } else if (slot.title != fide_title::none || slot.fide_id) {
        j = {human, judged_by::title};
    } else if (is_lichess_game(header)) {
        j = {human, judged_by::player_tag};
    } else {
        return false;
    }
    return true;
}

}  // namespace gs
