#include "lists/name_index.hpp"

#include <algorithm>
#include <array>
#include <map>
#include <queue>
#include <span>

namespace gs {
namespace {

constexpr std::uint64_t fnv_offset = 14695981039346656037ull;
constexpr std::uint64_t fnv_prime = 1099511628211ull;

std::uint64_t step(std::uint64_t hash, char c) {
    return (hash ^ static_cast<unsigned char>(c)) * fnv_prime;
}

std::uint64_t forward_hash(std::string_view text) {
    std::uint64_t hash = fnv_offset;
    for (char c : text)
        hash = step(hash, c);
    return hash;
}

std::uint64_t backward_hash(std::string_view text) {
    std::uint64_t hash = fnv_offset;
    for (std::size_t i = text.size(); i-- > 0;)
        hash = step(hash, text[i]);
    return hash;
}

// The two bytes at position at, as one number.
std::size_t pair_at(std::string_view text, std::size_t at) {
    return static_cast<std::size_t>(static_cast<unsigned char>(text[at])) << 8 |
           static_cast<unsigned char>(text[at + 1]);
}

std::size_t slot_of(const text_table& table, std::uint64_t hash) {
    return static_cast<std::size_t>(hash ^ (hash >> 29)) & (table.slots.size() - 1);
}

void size_table(text_table& table, std::size_t count) {
    if (count == 0) {
        table.slots.clear();
        table.filter.clear();
        return;
    }
    std::size_t size = 16;
    while (size < count * 2)
        size *= 2;
    table.slots.assign(size, {});
    table.filter.assign(size * 8 / 64, 0);  // size / 2 entries at most, sixteen bits each
}

// The two filter bits of hash, from bits of it that the slot position does not use alone.
std::array<std::size_t, 2> filter_bits(const text_table& table, std::uint64_t hash) {
    const std::size_t mask = table.filter.size() * 64 - 1;
    return {static_cast<std::size_t>(hash >> 7) & mask, static_cast<std::size_t>(hash >> 37) & mask};
}

bool filter_has(const text_table& table, std::uint64_t hash) {
    for (const std::size_t bit : filter_bits(table, hash)) {
        if ((table.filter[bit / 64] >> (bit % 64) & 1) == 0) return false;
    }
    return true;
}

void insert(text_table& table, std::uint64_t hash, std::uint32_t entry) {
    for (const std::size_t bit : filter_bits(table, hash))
        table.filter[bit / 64] |= std::uint64_t{1} << (bit % 64);
    std::size_t at = slot_of(table, hash);
    while (table.slots[at].used)
        at = (at + 1) & (table.slots.size() - 1);
    table.slots[at] = {hash, entry, true};
}

// True when an entry whose text equals text was inserted under this hash.
bool find(const text_table& table, const std::vector<name_entry>& entries, std::uint64_t hash,
          std::string_view text) {
    if (table.slots.empty() || !filter_has(table, hash)) return false;
    for (std::size_t at = slot_of(table, hash); table.slots[at].used;
         at = (at + 1) & (table.slots.size() - 1)) {
        const text_table::slot& slot = table.slots[at];
        if (slot.hash == hash && entries[slot.entry].text == text) return true;
    }
    return false;
}

// Fills the complete transition table: a node's move on a byte is its own edge, or else its failure
// node's move, which breadth-first order has already settled.
void build_dense_table(substring_automaton& automaton, const std::vector<std::string_view>& texts,
                       const std::vector<std::uint32_t>& order) {
    automaton.dense.clear();
    std::fill(std::begin(automaton.class_of), std::end(automaton.class_of), static_cast<unsigned char>(0));
    std::uint32_t classes = 1;
    for (std::string_view text : texts) {
        for (char c : text) {
            unsigned char& cls = automaton.class_of[static_cast<unsigned char>(c)];
            if (cls == 0) cls = static_cast<unsigned char>(classes++);
        }
    }
    automaton.class_count = classes;
    if (automaton.nodes.size() * classes > automaton.dense_limit) return;
    automaton.dense.assign(automaton.nodes.size() * classes, 0);
    // A cell holds the target's row offset, so the walk needs no multiplication.
    const auto cell = [&](std::uint32_t target) {
        const std::uint32_t row = target * classes;
        return automaton.nodes[target].accepts ? (row | accepting_bit) : row;
    };
    for (const substring_automaton::edge& e :
         std::span(automaton.edges).subspan(0, automaton.nodes[0].edge_count)) {
        automaton.dense[automaton.class_of[e.byte]] = cell(e.target);
    }
    for (std::uint32_t node : order) {
        const substring_automaton::node& n = automaton.nodes[node];
        std::copy_n(automaton.dense.begin() + static_cast<std::ptrdiff_t>(n.fail * classes), classes,
                    automaton.dense.begin() + static_cast<std::ptrdiff_t>(node * classes));
        for (std::uint32_t e = n.first_edge; e < n.first_edge + n.edge_count; ++e) {
            const substring_automaton::edge& edge = automaton.edges[e];
            automaton.dense[node * classes + automaton.class_of[edge.byte]] = cell(edge.target);
        }
    }
}

void build_automaton(substring_automaton& automaton, const std::vector<std::string_view>& texts) {
    // A trie with ordered children first, then flattened into sorted edge ranges.
    std::vector<std::map<unsigned char, std::uint32_t>> children(1);
    std::vector<bool> accepts(1, false);
    for (std::string_view text : texts) {
        std::uint32_t node = 0;
        for (char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            auto found = children[node].find(byte);
            if (found == children[node].end()) {
                const auto next = static_cast<std::uint32_t>(children.size());
                children[node][byte] = next;
                children.emplace_back();
                accepts.push_back(false);
                node = next;
            } else {
                node = found->second;
            }
        }
        accepts[node] = true;
    }
    automaton.nodes.assign(children.size(), {});
    automaton.edges.clear();
    for (std::size_t n = 0; n < children.size(); ++n) {
        automaton.nodes[n].first_edge = static_cast<std::uint32_t>(automaton.edges.size());
        automaton.nodes[n].edge_count = static_cast<std::uint32_t>(children[n].size());
        automaton.nodes[n].accepts = accepts[n];
        for (const auto& [byte, target] : children[n])
            automaton.edges.push_back({byte, target});
    }
    std::fill(std::begin(automaton.root_next), std::end(automaton.root_next), 0u);
    for (const auto& [byte, target] : children[0])
        automaton.root_next[byte] = target;

    // Failure links in breadth-first order; a node accepts when its failure target does.
    std::queue<std::uint32_t> pending;
    std::vector<std::uint32_t> order;  // every node but the root, in breadth-first order
    for (const auto& [byte, target] : children[0]) {
        automaton.nodes[target].fail = 0;
        pending.push(target);
        order.push_back(target);
    }
    while (!pending.empty()) {
        const std::uint32_t node = pending.front();
        pending.pop();
        for (const auto& [byte, target] : children[node]) {
            std::uint32_t fail = automaton.nodes[node].fail;
            while (fail != 0 && children[fail].count(byte) == 0)
                fail = automaton.nodes[fail].fail;
            const auto found = children[fail].find(byte);
            automaton.nodes[target].fail =
                found != children[fail].end() && found->second != target ? found->second : 0;
            if (automaton.nodes[automaton.nodes[target].fail].accepts) automaton.nodes[target].accepts = true;
            pending.push(target);
            order.push_back(target);
        }
    }
    build_dense_table(automaton, texts, order);
}

std::uint32_t child_of(const substring_automaton& automaton, std::uint32_t node, unsigned char byte) {
    if (node == 0) return automaton.root_next[byte];
    const substring_automaton::node& n = automaton.nodes[node];
    const auto begin = automaton.edges.begin() + n.first_edge;
    const auto end = begin + n.edge_count;
    const auto found = std::lower_bound(
        begin, end, byte, [](const substring_automaton::edge& e, unsigned char b) { return e.byte < b; });
    return found != end && found->byte == byte ? found->target : 0;
}

bool automaton_matches(const substring_automaton& automaton, std::string_view candidate) {
    if (automaton.nodes.size() <= 1) return false;
    if (!automaton.dense.empty()) {
        std::uint32_t node = 0;
        for (char c : candidate) {
            node = automaton.dense[node + automaton.class_of[static_cast<unsigned char>(c)]];
            if (node & accepting_bit) return true;
        }
        return false;
    }
    std::uint32_t node = 0;
    for (char c : candidate) {
        const auto byte = static_cast<unsigned char>(c);
        std::uint32_t next = child_of(automaton, node, byte);
        while (next == 0 && node != 0) {
            node = automaton.nodes[node].fail;
            next = child_of(automaton, node, byte);
        }
        node = next;
        if (automaton.nodes[node].accepts) return true;
    }
    return false;
}

}  // namespace

void build_name_index(name_index& index, const std::vector<name_entry>& entries, std::size_t dense_limit) {
    index = name_index{};
    index.inner.dense_limit = dense_limit;
    index.indexed_entries = entries.size();
    std::size_t exact = 0, prefixes = 0, suffixes = 0;
    std::vector<std::string_view> inner;
    for (const name_entry& entry : entries) {
        if (entry.text.size() > longest_indexed_text) return;
        const entry_kind kind = kind_of(entry);
        if (kind != entry_kind::exact && entry.text.empty()) {
            index.matches_everything = true;
            continue;
        }
        switch (kind) {
            case entry_kind::exact:
                ++exact;
                break;
            case entry_kind::inner:
                inner.push_back(entry.text);
                break;
            case entry_kind::prefix:
                ++prefixes;
                break;
            case entry_kind::suffix:
                ++suffixes;
                break;
        }
    }
    size_table(index.exact, exact);
    size_table(index.prefixes, prefixes);
    size_table(index.suffixes, suffixes);
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        const name_entry& entry = entries[i];
        if (entry.text.empty() && (entry.leading_star || entry.trailing_star)) continue;
        const std::size_t length = entry.text.size();
        switch (kind_of(entry)) {
            case entry_kind::exact:
                insert(index.exact, forward_hash(entry.text), i);
                index.longest_exact = std::max(index.longest_exact, length);
                if (length >= 2) index.exact_pairs.set(pair_at(entry.text, 0));
                break;
            case entry_kind::prefix:
                insert(index.prefixes, forward_hash(entry.text), i);
                index.prefix_lengths.set(length);
                index.longest_prefix = std::max(index.longest_prefix, length);
                if (length >= 2) index.prefix_pairs.set(pair_at(entry.text, 0));
                break;
            case entry_kind::suffix:
                insert(index.suffixes, backward_hash(entry.text), i);
                index.suffix_lengths.set(length);
                index.longest_suffix = std::max(index.longest_suffix, length);
                if (length >= 2) index.suffix_pairs.set(pair_at(entry.text, length - 2));
                break;
            case entry_kind::inner:
                break;  // in the automaton
        }
    }
    build_automaton(index.inner, inner);
    index.usable = true;
}

bool index_matches(const name_index& index, const std::vector<name_entry>& entries,
                   std::string_view candidate) {
    if (index.matches_everything) return true;
    const std::size_t size = candidate.size();
    // Only as many bytes at either end as the longest entry of a kind has can take part in a match.
    const bool has_pair = size >= 2;
    // Entries of two bytes or more can match only when the candidate's end pair is one of theirs.
    const bool exact_possible = !index.exact.slots.empty() && size <= index.longest_exact &&
                                (!has_pair || index.exact_pairs.test(pair_at(candidate, 0)));
    std::size_t prefix_reach = std::min(size, index.longest_prefix);
    if (has_pair && !index.prefix_pairs.test(pair_at(candidate, 0)))
        prefix_reach = std::min<std::size_t>(prefix_reach, 1);
    const std::size_t forward_reach = exact_possible ? size : prefix_reach;
    std::uint64_t hash = fnv_offset;
    for (std::size_t length = 1; length <= forward_reach; ++length) {
        hash = step(hash, candidate[length - 1]);
        if (length <= prefix_reach && index.prefix_lengths.test(length) &&
            find(index.prefixes, entries, hash, candidate.substr(0, length))) {
            return true;
        }
    }
    if (exact_possible && find(index.exact, entries, hash, candidate)) return true;

    std::size_t suffix_reach = std::min(size, index.longest_suffix);
    if (has_pair && !index.suffix_pairs.test(pair_at(candidate, size - 2)))
        suffix_reach = std::min<std::size_t>(suffix_reach, 1);
    hash = fnv_offset;
    for (std::size_t length = 1; length <= suffix_reach; ++length) {
        hash = step(hash, candidate[size - length]);
        if (index.suffix_lengths.test(length) &&
            find(index.suffixes, entries, hash, candidate.substr(size - length))) {
            return true;
        }
    }
    return automaton_matches(index.inner, candidate);
}

}  // namespace gs
