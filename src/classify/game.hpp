// Game classification and routing: both players' kinds settled against each other, and the output file
// that the pair selects.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "classify/judgement_memo.hpp"
#include "classify/move_evidence.hpp"
#include "classify/player.hpp"
#include "header/game_header.hpp"
#include "lists/list_files.hpp"

namespace gs {

// The five outputs, in the order in which they are opened and closed.
enum class output_role : std::size_t {
    comp_vs_comp,
    comp_vs_human,
    comp_vs_rest,
    rest_vs_rest,
    advanced,
};
inline constexpr std::size_t output_count = 5;

// The file of each output, in the order of output_role.
inline constexpr std::array<std::string_view, output_count> output_file_names = {
    "comp_vs_comp.pgn", "comp_vs_human.pgn", "comp_vs_rest.pgn", "rest_vs_rest.pgn", "advanced.pgn",
};

// What the game itself may tell of a player that no marker and no list decided.
struct evidence_options {
    bool moves = false;   // engine search output on at least half of the player's moves: a program
    bool events = false;  // an Event in comp_events.cfg: a program
    bool tags = false;    // a FIDE title or id: a human; the player tags of --player-tags as well
};

// What a game's classification may use besides its header and the lists.
struct classify_options {
    bool player_tags = false;  // the Type, Title and IsComp tags decide a player's kind
    evidence_options evidence;
};

// The facts of the last game a sorter classified, by its Site and Event: three games in four repeat the
// previous game's Site, and most its Event as well, so their answers are kept for the next game.
struct last_game_facts {
    bool known = false;
    std::string site;
    std::string event;
    game_facts facts;
};

// The scratch state of one sorter: name forms, the memo of name judgements and the last game's facts.
struct classifier {
    name_forms forms;
    judgement_memo memo;
    last_game_facts last;
};

// The players' names as classification reads them: the captured names, with the pairs that some
// collections entered wrongly read as meant. "M" against "Chess 6 - X" (or "Chess 4 - X") is "M Chess 6"
// against X, and the two Hiarcs-Junior games of 486/50 machines name both programs in White's tag. The
// header is not changed: the tags are written as they were.
struct player_names {
    std::string_view white;
    std::string_view black;
};
player_names repaired_names(const game_header& header);

struct game_verdict {
    judgement white;
    judgement black;
    output_role output = output_role::rest_vs_rest;
    bool awaits_moves = false;  // classify_game stopped before the moves: finish_game routes the game
    move_evidence moves;        // what the moves said, when they were read
    player_names names;         // the names as judged (views into the header): for the reports
};

// Classifies White then Black, lets a bye take its opponent's kind, settles the players whose kind
// depends on their opponent, and routes the game. Reads the header and the lists only. With evidence
// from the moves, a game whose undetermined player they could decide is not finished: awaits_moves is
// set, and the caller reads the moves and calls finish_game.
void classify_game(const game_header& header, const name_lists& lists, const classify_options& options,
                   classifier& scratch, game_verdict& verdict);

// Finishes a game that awaited its moves, whose movetext (everything after its tag section) is given.
void finish_game(const game_header& header, const name_lists& lists, const classify_options& options,
                 std::string_view movetext, game_verdict& verdict);

// Settles self, whose kind depends on the opponent: listed computer or human events first, then the era
// (no computer played a human-only event before 1950, nor a computer before 1970, as far as these games
// go), then correspondence play, and otherwise the opponent's kind. Two such players make two computers.
void resolve_by_opponent(judgement& self, judgement& other, const game_header& header,
                         const name_lists& lists);

// True when the Event value names correspondence play ("corr ", "Corr.", "cr ", "Korr." and the like).
bool is_correspondence_event(std::string_view event);

// The output for the pair of kinds: an advanced-chess team on either side, then two computers, then a
// computer against a human, then a computer against an undetermined player; everything else is the rest.
output_role route_game(player_class white, player_class black);

}  // namespace gs
