#include "classify/game.hpp"

#include <array>

#include "text/system_calls.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

constexpr std::array<std::string_view, 8> correspondence_markers = {"corr ", "Corr ", "corr.", "Corr.",
                                                                    "cr ",   "cr.",   "korr.", "Korr."};

constexpr int last_human_only_year = 1949;   // a dated game against a human before 1950
constexpr int last_no_computer_year = 1969;  // a dated game against a computer before 1970

constexpr std::string_view m_chess_6 = "M Chess 6";
constexpr std::string_view m_chess_4 = "M Chess 4";
constexpr std::string_view hiarcs_3 = "Hiarcs 3";
constexpr std::string_view junior = "Junior";

bool is_known_before(int year, int last) {
    return year != 0 && year <= last;
}

bool undetermined(const judgement& j) {
    return j.kind == player_class::unknown;
}

// Lets a bye take its opponent's kind, settles the players whose kind depends on the opponent, and routes.
void settle_pair(const game_header& header, const name_lists& lists, game_verdict& verdict) {
    judgement& w = verdict.white;
    judgement& b = verdict.black;
    if (w.kind == player_class::bye) w.kind = b.kind;
    if (b.kind == player_class::bye) b.kind = w.kind;
    if (w.kind == player_class::depends_on_opponent) resolve_by_opponent(w, b, header, lists);
    if (b.kind == player_class::depends_on_opponent) resolve_by_opponent(b, w, header, lists);
    verdict.output = route_game(w.kind, b.kind);
}

// The evidence that comes after the moves: a computer-only event makes the undetermined players programs.
void judge_by_event(const game_header& header, const name_lists& lists, const classify_options& options,
                    game_verdict& verdict) {
    if (!options.evidence.events || (!undetermined(verdict.white) && !undetermined(verdict.black))) return;
    if (!list_contains(header.event, list_of(lists, list_id::comp_events))) return;
    for (judgement* j : {&verdict.white, &verdict.black}) {
        if (undetermined(*j)) *j = {player_class::computer, judged_by::computer_event, list_id::comp_events};
    }
}

}  // namespace

player_names repaired_names(const game_header& header) {
    player_names names{header.white.name, header.black.name};
    if (names.white == "M") {
        std::string_view rest = names.black;
        if (consume_prefix(rest, "Chess 6 - ")) {
            names = {m_chess_6, rest};
        } else if (consume_prefix(rest, "Chess 4 - ")) {
            names = {m_chess_4, rest};
        }
    }
    if (starts_with(names.white, "Hiarcs3 486/50 Junior")) names = {hiarcs_3, junior};
    if (starts_with(names.white, "Junior 486/50 Hiarcs3")) names = {junior, hiarcs_3};
    return names;
}

bool is_correspondence_event(std::string_view event) {
    for (std::string_view marker : correspondence_markers) {
        if (contains(event, marker)) return true;
    }
    return false;
}

void resolve_by_opponent(judgement& self, judgement& other, const game_header& header,
                         const name_lists& lists) {
    using enum player_class;
    if (list_contains(header.event, list_of(lists, list_id::comp_events))) {
        self = {computer, judged_by::comp_event, list_id::comp_events};
    } else if (list_contains(header.event, list_of(lists, list_id::human_events))) {
        self = {human, judged_by::human_event, list_id::human_events};
    } else if (other.kind == human && is_known_before(header.year, last_human_only_year)) {
        self = {human, judged_by::era};
    } else if (other.kind == computer && is_known_before(header.year, last_no_computer_year)) {
        self = {human, judged_by::era};
    } else if (is_correspondence_event(trimmed_right(header.event))) {
        // The markers are looked for in the Event without its trailing blanks, as the event lists see it:
        // "Corr " alone is no correspondence event.
        self = {human, judged_by::correspondence};
    } else if (other.kind == computer) {
        self = {computer, judged_by::opponent};
    } else if (other.kind == depends_on_opponent) {
        self = {computer, judged_by::opponent};
        other = {computer, judged_by::opponent};
    } else {
        self = {unknown, judged_by::opponent};
    }
}

void classify_game(const game_header& header, const name_lists& lists, const classify_options& options,
                   classifier& scratch, game_verdict& verdict) {
    const player_names names = repaired_names(header);
    verdict.names = names;
    last_game_facts& last = scratch.last;
    const bool same_as_last = last.known && last.site == header.site && last.event == header.event;
    game_facts facts = same_as_last ? last.facts : facts_of(header);
    // Site and Event repeat from game to game as names do, so their answers are kept as well: for the
    // previous game's, and in the memo.
    const bool ask_events = facts.server == server_kind::other && !same_as_last;
    const memo_hashes hashes = memo_prefetch(
        scratch.memo, {names.white, names.black, facts.server, ask_events, header.site, header.event});
    if (ask_events) {
        facts.advanced_event = advanced_event_answer(header, [&](std::string_view text, int hash_of) {
            return memo_list_contains(scratch.memo, text, list_id::adv_events, lists,
                                      hash_of == 0 ? hashes.site : hashes.event);
        });
    }
    if (!same_as_last) {
        last.known = true;
        last.site.assign(header.site);
        last.event.assign(header.event);
        last.facts = facts;
    }
    const judgement white =
        memo_judge_name(scratch.memo, names.white, facts.server, lists, scratch.forms, hashes.white);
    verdict.white = settle_player(white, header.white, header, lists, options.player_tags, facts);
    const judgement black =
        memo_judge_name(scratch.memo, names.black, facts.server, lists, scratch.forms, hashes.black);
    verdict.black = settle_player(black, header.black, header, lists, options.player_tags, facts);
    verdict.moves = {};
    verdict.awaits_moves = false;

    const evidence_options& evidence = options.evidence;
    if (evidence.tags) {
        if (undetermined(verdict.white)) judge_by_tags(header.white, header, verdict.white);
        if (undetermined(verdict.black)) judge_by_tags(header.black, header, verdict.black);
    }
    // The moves can decide only an undetermined player, and not the output of a game with a team.
    if (evidence.moves && (undetermined(verdict.white) || undetermined(verdict.black)) &&
        verdict.white.kind != player_class::advanced_team &&
        verdict.black.kind != player_class::advanced_team) {
        verdict.awaits_moves = true;
        return;
    }
    judge_by_event(header, lists, options, verdict);
    settle_pair(header, lists, verdict);
}

void finish_game(const game_header& header, const name_lists& lists, const classify_options& options,
                 std::string_view movetext, game_verdict& verdict) {
    verdict.awaits_moves = false;
    verdict.moves = read_move_evidence(movetext);
    const std::array<bool, 2> program = engine_play(verdict.moves);
    judgement* const sides[2] = {&verdict.white, &verdict.black};
    for (std::size_t side = 0; side < 2; ++side) {
        if (undetermined(*sides[side]) && program[side])
            *sides[side] = {player_class::computer, judged_by::engine_output};
    }
    judge_by_event(header, lists, options, verdict);
    settle_pair(header, lists, verdict);
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
