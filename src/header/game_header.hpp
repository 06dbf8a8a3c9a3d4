// The record of the game being read: the captured tag values, both players' names, the held tag lines and
// the parts of the Date tag.
//
// One instance lives for the whole run (one per worker) and is overwritten game by game. A captured value
// is a view: into the input, which stays in place until the game is written, when its line was kept as it
// stands, or into the header's own copy, when its line was rewritten. Every owned text is a std::string or
// vector that keeps its capacity when cleared, so after the first few games no game allocates memory,
// however many games follow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gs {

// The titles that FIDE awards to players, as a WhiteTitle or BlackTitle tag writes them.
enum class fide_title : std::uint8_t { none, gm, im, fm, cm, wgm, wim, wfm, wcm };

struct player_slot {
    std::string_view name;          // the tag value as captured (in the input, or in copy)
    std::string copy;               // the value taken from a rewritten line
    bool flagged_computer = false;  // a WhiteType "program", WhiteTitle "BOT" or WhiteIsComp "Yes" tag
    bool flagged_human = false;     // a WhiteType "human" tag
    bool fide_id = false;           // a WhiteFideId tag with a number other than 0
    fide_title title = fide_title::none;
};

// The game's tag lines in order of arrival. A line that tag treatment left as it was is held by its place
// in the input, which stays in place until the game is written; a rewritten line is kept in rewritten
// and held by its place there (an offset, since that buffer may move as it grows).
struct held_lines {
    struct piece {
        bool rewritten;     // the line is in rewritten, not in the input
        std::size_t begin;  // offset from input (or in rewritten)
        std::size_t size;
    };
    const char* input = nullptr;  // the start of the input that kept lines lie in
    std::string rewritten;
    std::vector<piece> pieces;
};

struct game_header {
    std::string_view event;  // in the input, or in event_copy
    player_slot white;
    player_slot black;
    std::string_view site;  // in the input, or in site_copy
    std::string event_copy;
    std::string site_copy;
    held_lines held;
    std::string event_date;  // YYYY.MM.DD taken from a server Event tag, or empty
    int year = 0;            // parts of the Date tag, 0 when unknown
    int month = 0;
    int day = 0;
};

// Empties every text and list of the header and zeroes every number and flag, keeping the capacity.
// A view is valid only as long as what it views: a header copied keeps viewing the original's copies.
void clear_game_header(game_header& header);

// Holds a line that lies in the input starting at held.input, which must stay in place until the held
// lines are written.
void hold_line(held_lines& held, std::string_view line);
// Holds a copy of a rewritten line.
void hold_rewritten_line(held_lines& held, std::string_view line);
std::size_t held_count(const held_lines& held);
std::string_view held_line(const held_lines& held, std::size_t index);

}  // namespace gs
