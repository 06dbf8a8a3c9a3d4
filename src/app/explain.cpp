#include "app/explain.hpp"

#include "app/outputs.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

constexpr std::string_view explain_columns =
    "game\tline\twhite\tblack\twhite_kind\twhite_decided_by\tblack_kind\tblack_decided_by\toutput\n";

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

void append_cell(std::string& out, std::string_view text) {
    for (char c : text)
        out.push_back(c == '\t' || c == '\n' || c == '\r' ? ' ' : c);
}

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

// The form of the name that a list is matched with.
std::string name_form_for(list_id id, std::string_view name) {
    std::string form(name);
    switch (id) {
        case list_id::computers:
        case list_id::humans:
        case list_id::computers_when_opponent_is:
            upper_ascii(form);
            strip_name_punctuation(form);
            break;
        case list_id::advanced_chess:
            break;
        default:
            remove_rating_braces(form);
            break;
    }
    return form;
}

}  // namespace

bool write_explain_header(std::FILE* file) {
    return std::fwrite(explain_columns.data(), 1, explain_columns.size(), file) == explain_columns.size();
}

std::string describe_judgement(const judgement& j, std::string_view judged_name, const game_header& header,
                               const name_lists& lists) {
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
            return list_reason(j.list, name_form_for(j.list, judged_name), lists);
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
    }
    return "no rule";
}

void explain_game(const game_header& header, const game_verdict& verdict, const name_lists& lists,
                  std::string& out) {
    const player_names names = repaired_names(header);
    append_cell(out, header.white.name);
    out.push_back('\t');
    append_cell(out, header.black.name);
    out.push_back('\t');
    out.append(kind_name(verdict.white.kind));
    out.push_back('\t');
    append_cell(out, describe_judgement(verdict.white, names.white, header, lists));
    out.push_back('\t');
    out.append(kind_name(verdict.black.kind));
    out.push_back('\t');
    append_cell(out, describe_judgement(verdict.black, names.black, header, lists));
    out.push_back('\t');
    out.append(output_file_names[static_cast<std::size_t>(verdict.output)]);
    out.push_back('\n');
}

}  // namespace gs
