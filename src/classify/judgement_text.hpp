// A judgement in words: the name of a player's kind, and the rule or list entry that decided it. The
// explanation report shows them, so a user can see which entry to change.
#pragma once

#include <string>
#include <string_view>

#include "classify/move_evidence.hpp"
#include "classify/player.hpp"
#include "header/game_header.hpp"
#include "lists/list_files.hpp"

namespace gs {

// "computer", "human", "advanced team", "bye", "depends on opponent" or "undetermined".
std::string_view kind_name(player_class kind);

// What decided a judgement of the player named judged_name (as classification read it), whose slot and
// moves are given: a rule, a list's file and the first of its entries that the name, in that list's form,
// matches, or the evidence ("engine output on 41 of 43 moves", "title GM").
std::string describe_judgement(const judgement& j, std::string_view judged_name, const player_slot& slot,
                               const side_moves& moves, const game_header& header, const name_lists& lists);

}  // namespace gs
