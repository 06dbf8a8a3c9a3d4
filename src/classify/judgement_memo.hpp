// A bounded table of name judgements, so that a name that recurs (real databases repeat their players
// thousands of times) pays for the list look-ups once; it keeps the advanced-event list's answers for Site
// and Event values too, which repeat as often.
//
// A judgement of a name depends only on the name and the game's server, a list's answer only on the
// text, and the lists are fixed for the run, so a kept answer is always right. The table starts small and
// doubles as it fills, up to a fixed number of slots and a fixed arena for the texts; when either is full
// at its largest it is emptied and fills again, so memory stays bounded and, once it has grown, nothing
// is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "classify/player.hpp"
#include "text/system_calls.hpp"

namespace gs {

inline constexpr std::size_t memo_slot_count = std::size_t{1} << 17;   // the most slots, a power of two
inline constexpr std::size_t memo_arena_bytes = std::size_t{1} << 21;  // the largest arena
inline constexpr std::size_t memo_first_slot_count = std::size_t{1} << 10;
inline constexpr std::size_t memo_first_arena_bytes = std::size_t{1} << 14;
inline constexpr std::size_t memo_longest_name = 255;  // longer names are judged every time
inline constexpr std::size_t memo_inline_text = 18;    // texts up to this long are kept in their slot

struct judgement_memo {
    // Two slots to a cache line. A text of up to memo_inline_text bytes, as most names are, is kept in
    // its slot, so that a look-up reads one cache line; a longer one is kept in the arena, which a
    // look-up reads only when the check agrees.
    struct slot {
        std::uint32_t check = 0;    // the high half of the text's hash
        std::uint32_t name_at = 0;  // where a long text is kept in the arena
        std::uint8_t name_size = 0;
        std::uint8_t space = 0;  // what the answer is to: a server's name judgement, or a list's look-up
        bool used = false;
        judgement value;
        char text[memo_inline_text] = {};
    };
    static_assert(sizeof(slot) == 32);
    slot* slots = nullptr;  // slot_count of them, in slot_memory
    mapped_block slot_memory;
    std::unique_ptr<char[]> arena;
    std::size_t slot_count = 0;  // of slots, a power of two
    std::size_t arena_capacity = 0;
    std::size_t arena_used = 0;
    std::size_t slots_used = 0;
};

// The texts that one game's classification looks up: the players' names on the game's server, and,
// when asked, Site and Event in the advanced-event list.
struct memo_queries {
    std::string_view white;
    std::string_view black;
    server_kind server = server_kind::other;
    bool ask_events = false;
    std::string_view site;
    std::string_view event;
};

// The hashes of a game's queries, computed once for the prefetch and the look-ups.
struct memo_hashes {
    std::uint64_t white = 0;
    std::uint64_t black = 0;
    std::uint64_t site = 0;
    std::uint64_t event = 0;
};

// Starts loading the places where the answers to a game's queries are kept and returns the queries'
// hashes for the look-ups. The table is larger than a core's cache, so each look-up would otherwise wait
// for memory on its own; this way they wait together. Changes nothing that can be seen.
memo_hashes memo_prefetch(const judgement_memo& memo, const memo_queries& queries);

// The judgement of name on server: the kept one, or judge_name's answer, which is then kept. hash, when
// given, is the name's hash from memo_prefetch for that server.
judgement memo_judge_name(judgement_memo& memo, std::string_view name, server_kind server,
                          const name_lists& lists, name_forms& forms);
judgement memo_judge_name(judgement_memo& memo, std::string_view name, server_kind server,
                          const name_lists& lists, name_forms& forms, std::uint64_t hash);

// Whether text is in the list: the kept answer, or list_contains's, which is then kept. hash is the
// text's hash from memo_prefetch for that list.
bool memo_list_contains(judgement_memo& memo, std::string_view text, list_id id, const name_lists& lists,
                        std::uint64_t hash);

}  // namespace gs
