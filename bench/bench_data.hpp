// Deterministic benchmark data: a PGN corpus scaled from real games, and full list files.
//
// Both are made from fixed name pools and a fixed pseudo-random sequence, so every run on every machine
// sees the same bytes. The corpus varies the players' names so that the full lists match a realistic share
// of them (programs, humans, server accounts, events), adds games from the two chess servers and from an
// advanced-chess event, and puts some games' moves on one line longer than 4095 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gs::bench {

// A small generator with a fixed sequence (splitmix64), independent of the standard library.
struct sequence {
    std::uint64_t state;
    std::uint64_t next();
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }
};

// The text of each of the twelve full list files, in load order, each with 5000 entries.
std::vector<std::string> full_list_files();

// Names that the corpus uses and the full lists hold, in the form a PGN tag carries them.
std::string computer_name(std::size_t i);  // e.g. "Prog 17 v3": matched by the prefix entry PROG17*
std::string human_name(std::size_t i);     // e.g. "Player, Name 17": matched by the exact entry PLAYER,NAME17
std::string icc_account(std::size_t i);
std::string fics_account(std::size_t i);

// Writes games to out until it holds at least target_bytes, cycling through the seed games with varied
// names. Returns the number of games written.
std::size_t write_corpus(const std::string& seed_pgn, std::size_t target_bytes, std::string& out);

}  // namespace gs::bench
