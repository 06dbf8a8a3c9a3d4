#include "classify/judgement_text.hpp"

#include "header/tag_capture.hpp"

namespace gs {
namespace {

// "<file>: <entry>" for the first entry of the list that candidate matches.
std::string list_reason(list_id id, std::string_view candidate, const name_lists& lists) {
    const name_list& list = list_of(lists, id);
    std::string reason(list_files[static_cast<std::size_t>(id)].path);
    const std::optional<std::size_t> entry = list_find_entry(candidate, list);
    if (entry) {
        reason.append(": ");
        reason.append(shown_entry(list.entries[*entry]));
    }
    return reason;
}

}  // namespace

std::string_view kind_name(player_class kind) {
    switch (kind) {
        case player_class::computer:
            return "computer";
        case player_class::human:
            return "human";
        case player_class::advanced_team:
            return "advanced team";
        case player_class::bye:
            return "bye";
        case player_class::depends_on_opponent:
            return "depends on opponent";
        case player_class::unknown:
            break;
    }
    return "undetermined";
}

std::string describe_judgement(const judgement& j, std::string_view judged_name, const player_slot& slot,
                               const side_moves& moves, const game_header& header, const name_lists& lists) {
    switch (j.rule) {
        case judged_by::none:
            return "no rule";
        case judged_by::marker:
            return "name marker";
        case judged_by::player_tag:
            return "player tag";
        case judged_by::bye:
            return "bye: the opponent's kind";
        case judged_by::server_list:
        case judged_by::name_list:
            return list_reason(j.list, name_in_form(form_of(j.list), judged_name), lists);
        case judged_by::advanced_event: {
            const name_list& list = list_of(lists, list_id::adv_events);
            return list_reason(list_id::adv_events,
                               list_contains(header.site, list) ? header.site : header.event, lists);
        }
        case judged_by::comp_event:
            return "opponent rule: " + list_reason(list_id::comp_events, header.event, lists);
        case judged_by::human_event:
            return "opponent rule: " + list_reason(list_id::human_events, header.event, lists);
        case judged_by::era:
            return "opponent rule: year " + std::to_string(header.year);
        case judged_by::correspondence:
            return "opponent rule: correspondence event";
        case judged_by::opponent:
            return "opponent rule: the opponent's kind";
        case judged_by::title:
            if (slot.title != fide_title::none) return "title " + std::string(fide_title_text(slot.title));
            return "FIDE id";
        case judged_by::engine_output:
            if (moves.engine == 0) return "book marks on all " + std::to_string(moves.book) + " moves";
            return "engine output on " + std::to_string(moves.engine) + " of " +
                   std::to_string(moves.moves - moves.book) + " moves";
        case judged_by::computer_event:
            return "computer event \"" + std::string(header.event) + "\" (" +
                   list_reason(list_id::comp_events, header.event, lists) + ")";
    }
    return "no rule";
}

}  // namespace gs
