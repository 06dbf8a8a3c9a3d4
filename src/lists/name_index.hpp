// An index over a name list's entries that answers "does any entry match" in time that depends on the
// candidate's length, not on the number of entries.
//
// Exact, prefix and suffix entries live in open-addressing hash tables keyed by a byte hash; one pass over
// at most the first (or last) longest_indexed_text bytes of the candidate computes the hash of every prefix
// (or suffix), and only the lengths that some entry has are probed, and only when the candidate's first (or
// last) two bytes begin (or end) some entry. Entries with a star at both ends form an Aho-Corasick automaton,
// which finds any of them in one pass over the candidate. An entry with empty text and a star matches
// everything and is kept as a flag.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gs {

// One entry of a name list: its text and the two wildcard flags.
struct name_entry {
    std::string text;
    bool trailing_star = false;  // any characters may follow text
    bool leading_star = false;   // any characters may precede text
};

// The four kinds of entry that the stars make: the text itself, a prefix (trailing star), a suffix
// (leading star), or a text anywhere inside (both).
enum class entry_kind : std::uint8_t { exact, prefix, suffix, inner };

constexpr entry_kind kind_of(const name_entry& entry) {
    if (entry.leading_star) return entry.trailing_star ? entry_kind::inner : entry_kind::suffix;
    return entry.trailing_star ? entry_kind::prefix : entry_kind::exact;
}

// Texts of entries found by hash: each slot holds the hash and the entry's position, or is empty. A
// filter of two bits per text (sixteen bits per entry, so it stays in the cache where the slots do not)
// tells most hashes that no entry has without touching the slots: a candidate probes a table for each
// length that some entry has, and nearly every probe of a name that is in no list would otherwise wait
// for memory.
struct text_table {
    struct slot {
        std::uint64_t hash = 0;
        std::uint32_t entry = 0;
        bool used = false;
    };
    std::vector<slot> slots;            // a power of two in size, at most half full
    std::vector<std::uint64_t> filter;  // a power of two of bits, at least sixteen per entry
};

// Entry texts up to this length are indexed; a list with a longer text is searched entry by entry.
inline constexpr std::size_t longest_indexed_text = 255;
// The length bitsets have one bit per indexed length.
inline constexpr std::size_t length_bits = 256;
static_assert(longest_indexed_text < length_bits);

inline constexpr std::size_t dense_cell_limit = std::size_t{1} << 19;
inline constexpr std::uint32_t accepting_bit = 0x80000000u;

// Aho-Corasick automaton over the texts of the entries with two stars.
struct substring_automaton {
    struct edge {
        unsigned char byte;
        std::uint32_t target;
    };
    struct node {
        std::uint32_t first_edge = 0;  // edges[first_edge, first_edge + edge_count), sorted by byte
        std::uint32_t edge_count = 0;
        std::uint32_t fail = 0;
        bool accepts = false;  // some entry text ends here, or at a node on the failure chain
    };
    std::vector<node> nodes;  // node 0 is the root
    std::vector<edge> edges;
    std::uint32_t root_next[256] = {};  // the root's transitions, 0 where there is none

    // The same automaton as a complete transition table over byte classes (bytes that occur in no entry
    // text share class 0), one load per candidate byte; built when it stays within dense_limit cells.
    // A cell holds the target node's row offset (node times class_count), with accepting_bit set when
    // the target accepts.
    std::vector<std::uint32_t> dense;
    std::size_t dense_limit = dense_cell_limit;
    std::uint32_t class_count = 0;
    unsigned char class_of[256] = {};
};

struct name_index {
    std::size_t indexed_entries = 0;  // the entries this index was built from
    bool usable = false;              // false when an entry is too long to index
    bool matches_everything = false;
    text_table exact;
    text_table prefixes;
    text_table suffixes;
    std::bitset<length_bits> prefix_lengths;
    std::bitset<length_bits> suffix_lengths;
    // The first two bytes of every exact and prefix entry, and the last two of every suffix entry, of
    // those with two bytes or more: a candidate whose end pair is not among them needs no probe at all.
    std::bitset<65536> exact_pairs;
    std::bitset<65536> prefix_pairs;
    std::bitset<65536> suffix_pairs;
    std::size_t longest_exact = 0;  // no exact entry is longer, so no longer candidate can equal one
    std::size_t longest_prefix = 0;
    std::size_t longest_suffix = 0;
    substring_automaton inner;
};

// Builds the index of the entries; it is usable unless an entry text is longer than longest_indexed_text.
// The substring automaton gets its complete table when that has at most dense_limit cells.
void build_name_index(name_index& index, const std::vector<name_entry>& entries,
                      std::size_t dense_limit = dense_cell_limit);

// True when the candidate (already trimmed) matches any entry; the same answer as trying each entry.
bool index_matches(const name_index& index, const std::vector<name_entry>& entries,
                   std::string_view candidate);

}  // namespace gs
