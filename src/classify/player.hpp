// Player classification: what kind of player one side of the current game is, and what decided it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "classify/player_class.hpp"
#include "header/game_header.hpp"
#include "lists/list_files.hpp"

namespace gs {

enum class server_kind : std::uint8_t { other, icc, fics };

// The chess server a game was played on, judged from its Event and Site values: the Internet Chess Club
// first, then the Free Internet Chess Server, then any Site that mentions a rated game (an Internet Chess
// Club habit); otherwise none of the two.
server_kind detect_server_kind(std::string_view event, std::string_view site);

// The rule that decided a player's kind; the last five are the opponent rules of game classification.
enum class judged_by : std::uint8_t {
    none,            // no rule applied: undetermined
    marker,          // a computer marker in the name
    player_tag,      // a Type, Title or IsComp tag (when player tags are enabled)
    bye,             // the name is a bye
    server_list,     // a server's account list; list tells which
    name_list,       // advanced_chess.cfg, computers.cfg, humans.cfg or computers_when_opponent_is.cfg
    advanced_event,  // the game's Site or Event is in adv_events.cfg
    comp_event,      // opponent rule: the Event is in comp_events.cfg
    human_event,     // opponent rule: the Event is in human_events.cfg
    era,             // opponent rule: the game's year
    correspondence,  // opponent rule: a correspondence event
    opponent,        // opponent rule: the opponent's kind
    // What the game says of a player that no marker and no list decided (--evidence):
    title,           // a FIDE title or FIDE id tag: human
    engine_output,   // engine search output on the player's moves: computer
    computer_event,  // the Event is in comp_events.cfg: computer
};

struct judgement {
    player_class kind = player_class::unknown;
    judged_by rule = judged_by::none;
    list_id list = list_id::humans;  // the list that matched, for server_list and name_list
};

// Scratch texts for the name forms that the list rules look up; reused game after game.
struct name_forms {
    std::string unrated;   // the name without its rating group in braces, trimmed at the right
    std::string stripped;  // the name in capitals without blanks and name punctuation
};

// True when the name, in capitals, starts with "COMP: " or "COMP ", or ends with "(C)" or "<COMPUTER>".
bool is_marked_computer(std::string_view name);

// True when the name in capitals without blanks and name punctuation is "BYE".
bool is_bye_name(std::string_view name);

// The kind of a player from its name and the game's server alone; the first rule that applies decides:
//  1. a computer marker in the name: computer;
//  2. the name without blanks and punctuation is "BYE": bye;
//  3. a server game's player by its account name without the rating group, only in that server's lists;
//     any other game's player by the name as written in advanced_chess.cfg, then by the capitalised,
//     punctuation-free name in computers.cfg, humans.cfg and computers_when_opponent_is.cfg;
//  4. otherwise unknown.
// Depends on nothing else, so an answer can be kept for the name; the advanced-event rule and the
// player-type tags are applied on top by settle_player. Name forms are built only when a rule needs them.
judgement judge_name(std::string_view name, server_kind server, const name_lists& lists, name_forms& forms);

// Rules 1 and 2 of judge_name, which read the name as written: true, with result set, when one applies.
bool judge_written_name(std::string_view name, judgement& result);

// Rule 3 of judge_name for a server game: the account name without its rating group (as unrated_name
// gives it) in that server's lists. The judgement of a server game's player whose name passes rules 1
// and 2 depends on that form alone, which so can be kept for every rating the name is seen with.
judgement judge_account(std::string_view unrated, server_kind server, const name_lists& lists);

// The account name without its rating group in braces, trimmed at the right; a name without a brace is
// only trimmed, with no copy.
std::string_view unrated_name(std::string_view name, name_forms& forms);

// What both players of a game share: the server, and, once asked, whether the game's Site or Event is an
// advanced-chess event. Worked out once per game, since neither changes between the two players.
struct game_facts {
    server_kind server = server_kind::other;
    enum class answer { not_asked, yes, no } advanced_event = answer::not_asked;
};

game_facts facts_of(const game_header& header);

// True when the game's Site or Event is listed in adv_events.cfg (asked once per game through facts).
bool is_advanced_event(const game_header& header, const name_lists& lists, game_facts& facts);

// The one rule of an advanced-chess game: its Site or its Event is in adv_events. listed(text, hash_of)
// answers whether text is in that list; hash_of is 0 for the Site and 1 for the Event, for a caller that
// keeps their hashes.
template <typename listed_fn>
game_facts::answer advanced_event_answer(const game_header& header, listed_fn&& listed) {
    return listed(header.site, 0) || listed(header.event, 1) ? game_facts::answer::yes
                                                             : game_facts::answer::no;
}

// Settles a player's kind from its name judgement: a marker decides; then, with player_tags, a flag tag
// of the slot (computer before human); then a bye; then, with player_tags, a player of a lichess.org game
// without the BOT title is human (lichess marks every program account so and lets no one else use an
// engine); then, for a game from neither server, a listed advanced-chess event makes the player an
// advanced-chess team; otherwise the name judgement stands.
judgement settle_player(const judgement& by_name, const player_slot& slot, const game_header& header,
                        const name_lists& lists, bool player_tags, game_facts& facts);

// What the tags say of a player that nothing else decided (the tags' evidence): a program's flag
// (WhiteType "program", WhiteTitle "BOT", WhiteIsComp "Yes"), then a person's: WhiteType "human", a FIDE
// title or a FIDE id, a lichess.org game without the BOT title. False, with j untouched, when they say
// nothing.
bool judge_by_tags(const player_slot& slot, const game_header& header, judgement& j);

}  // namespace gs
