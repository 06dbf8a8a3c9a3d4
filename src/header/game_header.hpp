// The record of the game being read: the captured tag values, both players, the held tag lines and the
// parts of the Date tag.
//
// One instance lives for the whole run and is overwritten game by game. Every text is a std::string that
// keeps its capacity when cleared, so after the first few games no game allocates memory, however many
// games follow; the held lines share one buffer for the same reason.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gs {

// The kind of a player, as classification decides it.
enum class player_class : int {
    unknown = 0,
    computer = 1,
    human = 2,
    depends_on_opponent = 3,
    bye = 4,
    advanced_team = 5,
};

struct player_slot {
    std::string name;      // the tag value as captured, possibly repaired before classification
    std::string upper;     // name in capitals
    std::string stripped;  // upper without blanks and name punctuation
    std::string unrated;   // name without its rating group in braces
    player_class kind = player_class::unknown;
};

// The game's tag lines in order of arrival, kept in one buffer: line i is
// text[starts[i] .. starts[i + 1]) with the last line running to the end of text.
struct held_lines {
    std::string text;
    std::vector<std::size_t> starts;
};

struct game_header {
    std::string event;
    player_slot white;
    player_slot black;
    std::string site;
    held_lines held;
    std::string event_date;  // YYYY.MM.DD taken from a server Event tag, or empty
    int year = 0;            // parts of the Date tag, 0 when unknown
    int month = 0;
    int day = 0;
};

// Empties every text and list of the header and zeroes every number and class, keeping the capacity.
void clear_game_header(game_header& header);

void hold_line(held_lines& held, std::string_view line);
std::size_t held_count(const held_lines& held);
std::string_view held_line(const held_lines& held, std::size_t index);

}  // namespace gs
