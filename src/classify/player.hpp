// Player classification: what kind of player one side of the current game is.
#pragma once

#include <string_view>

#include "header/game_header.hpp"
#include "lists/list_files.hpp"

namespace gs {

enum class server_kind { other, icc, fics };

// The chess server a game was played on, judged from its Event and Site values: the Internet Chess Club
// first, then the Free Internet Chess Server, then any Site that mentions a rated game (an Internet Chess
// Club habit); otherwise none of the two.
server_kind detect_server_kind(std::string_view event, std::string_view site);

// What both players of a game share: the server, and, once asked, whether the game's Site or Event is an
// advanced-chess event. Worked out once per game, since neither changes between the two players.
struct game_facts {
    server_kind server = server_kind::other;
    enum class answer { not_asked, yes, no } advanced_event = answer::not_asked;
};

game_facts facts_of(const game_header& header);

// Fills the slot's name forms (as far as the rules below reach) and sets its kind; the first rule that
// applies decides:
//  1. the capitalised name starts with "COMP: " or "COMP ", or ends with "(C)" or "<COMPUTER>": computer;
//  2. the name without blanks and punctuation is "BYE": bye;
//  3. the lists: a server game's players by their account name without the rating group, only in that
//     server's lists; any other game's first by its Site and Event in adv_events.cfg and by the name as
//     written in advanced_chess.cfg, then by the capitalised, punctuation-free name in computers.cfg,
//     humans.cfg and computers_when_opponent_is.cfg;
//  4. otherwise unknown.
// The list look-ups trim the texts they are given at the right, the header's Site and Event included.
void classify_player(player_slot& slot, game_header& header, const name_lists& lists, game_facts& facts);
void classify_player(player_slot& slot, game_header& header, const name_lists& lists);

}  // namespace gs
