// The names that no list decided (--unlisted FILE): for the keeper of the lists, each such name with the
// games it played, what the evidence of those games said of it, and the kinds of its opponents, most
// games first.
//
// A sorter records the unlisted players of each game it routes (record_unlisted); the writer, in input
// order, counts them (count_unlisted); the run writes the file at its end (write_unlisted). A month of an
// online server holds millions of accounts, so the counting keeps a bounded number of names, the most
// frequent ones (Space-Saving: a new name takes the place of the least counted one and inherits its
// count as its error bound), and memory stays the same whatever the input.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "classify/game.hpp"
#include "header/game_header.hpp"

namespace gs {

// What the evidence of one game said of an unlisted player.
enum class unlisted_evidence : std::uint8_t {
    nothing,
    program_by_moves,  // engine output on its moves
    program_by_event,  // a computer-only event
    program_by_tag,    // a player tag (Type, Title "BOT", IsComp)
    human_by_title,    // a FIDE title or id
    human_by_tag,      // a player tag, or a lichess.org game without the BOT title
};
inline constexpr std::size_t unlisted_evidence_count = 6;

// The opponents' kinds that the file tells apart.
inline constexpr std::size_t opponent_kinds = 3;  // a computer, a human, anything else

// One unlisted player of one game, its name in the chunk's text.
struct unlisted_sighting {
    std::size_t name_at;
    std::size_t name_size;
    unlisted_evidence evidence;
    std::uint8_t opponent;  // 0 computer, 1 human, 2 anything else
    server_kind server;     // on a chess server, its account lists take the name without the rating
};

struct unlisted_chunk {
    std::vector<unlisted_sighting> sightings;
    std::string text;
};

void clear_unlisted(unlisted_chunk& chunk);

// Records the players of a routed game that no marker and no list decided.
void record_unlisted(const game_header& header, const game_verdict& verdict, unlisted_chunk& out);

// What the file says of one name.
struct unlisted_tally {
    std::string name;
    std::uint64_t games = 0;  // counted; at most error more than it played
    std::uint64_t error = 0;  // the count the name inherited when it took another's place
    std::array<std::uint32_t, unlisted_evidence_count> evidence{};
    std::array<std::uint32_t, opponent_kinds> opponents{};
    server_kind server = server_kind::other;  // of the game it was last seen in
    std::uint32_t heap_at = 0;
};

// The counting of unlisted names, of at most capacity names.
struct unlisted_names {
    std::size_t capacity = 100000;
    std::vector<unlisted_tally> tallies;  // reserved to capacity, so that the map's views stay valid
    std::unordered_map<std::string_view, std::uint32_t> index;
    std::vector<std::uint32_t> heap;  // tallies by count, least first
    std::uint64_t sightings = 0;
    bool replaced = false;  // a name has taken another's place: the least counts are estimates
};

// Starts the counting with room for capacity names.
void open_unlisted(unlisted_names& names, std::size_t capacity);

// Counts the sightings of a sorted chunk.
void count_unlisted(unlisted_names& names, const unlisted_chunk& chunk);

// The file's text: a comment on the counts, a header line, then one tab-separated line per name, most
// games first: the name, its games, what the evidence said, its opponents' kinds, the list that the
// evidence points to (where it said more of one kind than of the other; "-" otherwise), the name as an
// entry of that list (capitals without blanks and punctuation for a general list; the account name for a
// server's), and the count's error.
std::string unlisted_text(const unlisted_names& names);

// Writes text to path (through a temporary name beside it, renamed when the whole text is written), 0 or
// the system's error number.
int write_unlisted(const std::string& path, const std::string& text);

}  // namespace gs
