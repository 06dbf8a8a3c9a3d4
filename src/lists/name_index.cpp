#include "lists/name_index.hpp"

#include <algorithm>
#include <map>
#include <queue>

#include "lists/name_list.hpp"

namespace gs {
namespace {

constexpr std::uint64_t fnv_offset = 14695981039346656037ull;
constexpr std::uint64_t fnv_prime = 1099511628211ull;

std::uint64_t step(std::uint64_t hash, char c) {
    return (hash ^ static_cast<unsigned char>(c)) * fnv_prime;
}

std::uint64_t forward_hash(std::string_view text) {
    std::uint64_t hash = fnv_offset;
    for (char c : text) hash = step(hash, c);
    return hash;
}

std::uint64_t backward_hash(std::string_view text) {
    std::uint64_t hash = fnv_offset;
    for (std::size_t i = text.size(); i-- > 0;) hash = step(hash, text[i]);
    return hash;
}

std::size_t slot_of(const text_table& table, std::uint64_t hash) {
    return static_cast<std::size_t>(hash ^ (hash >> 29)) & (table.slots.size() - 1);
}

void size_table(text_table& table, std::size_t count) {
    if (count == 0) {
        table.slots.clear();
        return;
    }
    std::size_t size = 16;
    while (size < count * 2) size *= 2;
    table.slots.assign(size, {});
}

void insert(text_table& table, std::uint64_t hash, std::uint32_t entry) {
    std::size_t at = slot_of(table, hash);
    while (table.slots[at].used) at = (at + 1) & (table.slots.size() - 1);
    table.slots[at] = {hash, entry, true};
}

// True when an entry whose text equals text was inserted under this hash.
bool find(const text_table& table, const std::vector<name_entry>& entries, std::uint64_t hash,
          std::string_view text) {
    if (table.slots.empty()) return false;
    for (std::size_t at = slot_of(table, hash); table.slots[at].used; at = (at + 1) & (table.slots.size() - 1)) {
        const text_table::slot& slot = table.slots[at];
        if (slot.hash == hash && entries[slot.entry].text == text) return true;
    }
    return false;
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
        for (const auto& [byte, target] : children[n]) automaton.edges.push_back({byte, target});
    }
    std::fill(std::begin(automaton.root_next), std::end(automaton.root_next), 0u);
    for (const auto& [byte, target] : children[0]) automaton.root_next[byte] = target;

    // Failure links in breadth-first order; a node accepts when its failure target does.
    std::queue<std::uint32_t> pending;
    for (const auto& [byte, target] : children[0]) {
        automaton.nodes[target].fail = 0;
        pending.push(target);
    }
    while (!pending.empty()) {
        const std::uint32_t node = pending.front();
        pending.pop();
        for (const auto& [byte, target] : children[node]) {
            std::uint32_t fail = automaton.nodes[node].fail;
            while (fail != 0 && children[fail].count(byte) == 0) fail = automaton.nodes[fail].fail;
            const auto found = children[fail].find(byte);
            automaton.nodes[target].fail = found != children[fail].end() && found->second != target ? found->second : 0;
            if (automaton.nodes[automaton.nodes[target].fail].accepts) automaton.nodes[target].accepts = true;
            pending.push(target);
        }
    }
}

std::uint32_t child_of(const substring_automaton& automaton, std::uint32_t node, unsigned char byte) {
    if (node == 0) return automaton.root_next[byte];
    const substring_automaton::node& n = automaton.nodes[node];
    const auto begin = automaton.edges.begin() + n.first_edge;
    const auto end = begin + n.edge_count;
    const auto found = std::lower_bound(begin, end, byte,
                                        [](const substring_automaton::edge& e, unsigned char b) { return e.byte < b; });
    return found != end && found->byte == byte ? found->target : 0;
}

bool automaton_matches(const substring_automaton& automaton, std::string_view candidate) {
    if (automaton.nodes.size() <= 1) return false;
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

void build_name_index(name_index& index, const std::vector<name_entry>& entries) {
    index = name_index{};
    index.indexed_entries = entries.size();
    std::size_t exact = 0, prefixes = 0, suffixes = 0;
    std::vector<std::string_view> inner;
    for (const name_entry& entry : entries) {
        if (entry.text.size() > longest_indexed_text) return;
        if (!entry.leading_star && !entry.trailing_star) {
            ++exact;
        } else if (entry.text.empty()) {
            index.matches_everything = true;
        } else if (entry.leading_star && entry.trailing_star) {
            inner.push_back(entry.text);
        } else if (entry.trailing_star) {
            ++prefixes;
        } else {
            ++suffixes;
        }
    }
    size_table(index.exact, exact);
    size_table(index.prefixes, prefixes);
    size_table(index.suffixes, suffixes);
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        const name_entry& entry = entries[i];
        if (entry.text.empty() && (entry.leading_star || entry.trailing_star)) continue;
        if (!entry.leading_star && !entry.trailing_star) {
            insert(index.exact, forward_hash(entry.text), i);
        } else if (entry.trailing_star && !entry.leading_star) {
            insert(index.prefixes, forward_hash(entry.text), i);
            index.prefix_lengths.set(entry.text.size());
        } else if (entry.leading_star && !entry.trailing_star) {
            insert(index.suffixes, backward_hash(entry.text), i);
            index.suffix_lengths.set(entry.text.size());
        }
    }
    build_automaton(index.inner, inner);
    index.usable = true;
}

bool index_matches(const name_index& index, const std::vector<name_entry>& entries, std::string_view candidate) {
    if (index.matches_everything) return true;
    const std::size_t size = candidate.size();
    // No entry text is longer than longest_indexed_text, so only that many bytes at either end take part.
    const std::size_t reach = std::min(size, longest_indexed_text);
    const bool exact_possible = size <= longest_indexed_text && !index.exact.slots.empty();
    if (index.prefix_lengths.any() || exact_possible) {
        std::uint64_t hash = fnv_offset;
        for (std::size_t length = 1; length <= reach; ++length) {
            hash = step(hash, candidate[length - 1]);
            if (index.prefix_lengths.test(length) &&
                find(index.prefixes, entries, hash, candidate.substr(0, length))) {
                return true;
            }
        }
        if (exact_possible && find(index.exact, entries, hash, candidate)) return true;
    }
    if (index.suffix_lengths.any()) {
        std::uint64_t hash = fnv_offset;
        for (std::size_t length = 1; length <= reach; ++length) {
            hash = step(hash, candidate[size - length]);
            if (index.suffix_lengths.test(length) &&
                find(index.suffixes, entries, hash, candidate.substr(size - length))) {
                return true;
            }
        }
    }
    return automaton_matches(index.inner, candidate);
}

}  // namespace gs
