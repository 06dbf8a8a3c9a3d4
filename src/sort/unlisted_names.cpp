#include "sort/unlisted_names.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "io/safe_open.hpp"
#include "text/system_calls.hpp"
#include "text/text.hpp"

namespace gs {
namespace {

constexpr std::array<std::string_view, unlisted_evidence_count> evidence_words = {
    "",
    "program by engine output",
    "program by computer event",
    "program by player tag",
    "human by title",
    "human by player tag",
};
constexpr std::array<std::string_view, opponent_kinds> opponent_words = {"computer", "human", "other"};

// Whether a judgement leaves the player unknown to the lists: no marker and no list decided it (the
// evidence, the player tags or nothing did), and it is a player (not a bye).
bool unlisted(const judgement& j) {
    switch (j.rule) {
        case judged_by::none:
        case judged_by::player_tag:
        case judged_by::title:
        case judged_by::engine_output:
        case judged_by::computer_event:
            return true;
        default:
            return false;
    }
}

unlisted_evidence evidence_of(const judgement& j) {
    switch (j.rule) {
        case judged_by::engine_output:
            return unlisted_evidence::program_by_moves;
        case judged_by::computer_event:
            return unlisted_evidence::program_by_event;
        case judged_by::player_tag:
            return j.kind == player_class::computer ? unlisted_evidence::program_by_tag
                                                    : unlisted_evidence::human_by_tag;
        case judged_by::title:
            return unlisted_evidence::human_by_title;
        default:
            return unlisted_evidence::nothing;
    }
}

std::uint8_t opponent_of(const judgement& j) {
    if (j.kind == player_class::computer) return 0;
    if (j.kind == player_class::human) return 1;
    return 2;
}

// The heap keeps the tallies by count, least first; at is a position in it.
void sift_down(unlisted_names& names, std::size_t at) {
    std::vector<std::uint32_t>& heap = names.heap;
    while (true) {
        std::size_t least = at;
        for (const std::size_t child : {2 * at + 1, 2 * at + 2}) {
            if (child < heap.size() && names.tallies[heap[child]].games < names.tallies[heap[least]].games)
                least = child;
        }
        if (least == at) return;
        std::swap(heap[at], heap[least]);
        names.tallies[heap[at]].heap_at = static_cast<std::uint32_t>(at);
        names.tallies[heap[least]].heap_at = static_cast<std::uint32_t>(least);
        at = least;
    }
}

void sift_up(unlisted_names& names, std::size_t at) {
    std::vector<std::uint32_t>& heap = names.heap;
    while (at > 0) {
        const std::size_t parent = (at - 1) / 2;
        if (names.tallies[heap[parent]].games <= names.tallies[heap[at]].games) return;
        std::swap(heap[at], heap[parent]);
        names.tallies[heap[at]].heap_at = static_cast<std::uint32_t>(at);
        names.tallies[heap[parent]].heap_at = static_cast<std::uint32_t>(parent);
        at = parent;
    }
}

// The tally of name, counted once more: its own, a new one while there is room, or else the least
// counted one's, which it takes over with that count as its error.
unlisted_tally& tally_of(unlisted_names& names, std::string_view name) {
    if (const auto found = names.index.find(name); found != names.index.end()) {
        unlisted_tally& t = names.tallies[found->second];
        ++t.games;
        sift_down(names, t.heap_at);
        return t;
    }
    if (names.tallies.size() < names.capacity) {
        const auto at = static_cast<std::uint32_t>(names.tallies.size());
        names.tallies.push_back({});
        unlisted_tally& t = names.tallies.back();
        t.name.assign(name);
        t.games = 1;
        names.index.emplace(t.name, at);
        t.heap_at = static_cast<std::uint32_t>(names.heap.size());
        names.heap.push_back(at);
        sift_up(names, t.heap_at);
        return t;
    }
    names.replaced = true;
    const std::uint32_t at = names.heap.front();
    unlisted_tally& t = names.tallies[at];
    names.index.erase(t.name);
    const std::uint64_t inherited = t.games;
    t = unlisted_tally{};
    t.name.assign(name);
    t.games = inherited + 1;
    t.error = inherited;
    t.heap_at = 0;
    names.index.emplace(t.name, at);
    sift_down(names, 0);
    return t;
}

// The list that the evidence points to: a program's or a person's of the name's server, when the
// evidence said more of one than of the other.
std::string_view list_for(const unlisted_tally& t) {
    using enum unlisted_evidence;
    const auto said = [&](unlisted_evidence kind) { return t.evidence[static_cast<std::size_t>(kind)]; };
    const std::uint64_t program = said(program_by_moves) + said(program_by_event) + said(program_by_tag);
    const std::uint64_t human = said(human_by_title) + said(human_by_tag);
    if (program == human) return "-";
    const bool is_program = program > human;
    switch (t.server) {
        case server_kind::icc:
            return is_program ? "computers_icc.cfg" : "humans_icc_rest.cfg";
        case server_kind::fics:
            return is_program ? "computers_fics.cfg" : "humans_fics.cfg";
        case server_kind::other:
            break;
    }
    return is_program ? "computers.cfg" : "humans.cfg";
}

std::string count_text(std::uint64_t n) {
    return std::to_string(n);
}

}  // namespace

void clear_unlisted(unlisted_chunk& chunk) {
    chunk.sightings.clear();
    chunk.text.clear();
}

void record_unlisted(const game_header& header, const game_verdict& verdict, unlisted_chunk& out) {
    const server_kind server = detect_server_kind(header.event, header.site);
    const auto record = [&](std::string_view name, const judgement& self, const judgement& other) {
        if (!unlisted(self) || name.empty()) return;
        out.sightings.push_back(
            {out.text.size(), name.size(), evidence_of(self), opponent_of(other), server});
        out.text.append(name);
    };
    const player_names& names = verdict.names;
    record(trimmed_right(names.white), verdict.white, verdict.black);
    record(trimmed_right(names.black), verdict.black, verdict.white);
}

void open_unlisted(unlisted_names& names, std::size_t capacity) {
    names = unlisted_names{};
    names.capacity = std::max<std::size_t>(1, capacity);
    names.tallies.reserve(names.capacity);
    names.heap.reserve(names.capacity);
}

void count_unlisted(unlisted_names& names, const unlisted_chunk& chunk) {
    for (const unlisted_sighting& s : chunk.sightings) {
        unlisted_tally& t = tally_of(names, std::string_view(chunk.text).substr(s.name_at, s.name_size));
        ++t.evidence[static_cast<std::size_t>(s.evidence)];
        ++t.opponents[s.opponent];
        t.server = s.server;
        ++names.sightings;
    }
}

std::string unlisted_text(const unlisted_names& names) {
    std::vector<const unlisted_tally*> order;
    order.reserve(names.tallies.size());
    for (const unlisted_tally& t : names.tallies)
        order.push_back(&t);
    std::sort(order.begin(), order.end(), [](const unlisted_tally* a, const unlisted_tally* b) {
        return a->games != b->games ? a->games > b->games : a->name < b->name;
    });
    std::string text = "# Players that no marker and no list decided: " + count_text(names.tallies.size()) +
                       " names, seen " + count_text(names.sightings) + " times, most games first.";
    if (names.replaced) {
        const std::uint64_t floor = names.tallies[names.heap.front()].games;
        text += " Only the " + count_text(names.capacity) + " most frequent names are kept: a count of " +
                count_text(floor) +
                " or less is an estimate, which may exceed the games played by the name's error.";
    }
    text += "\nname\tgames\tevidence\topponents\tlist\tentry\terror\n";
    name_forms forms;
    for (const unlisted_tally* t : order) {
        std::string evidence;
        for (std::size_t kind = 1; kind < unlisted_evidence_count; ++kind) {
            if (t->evidence[kind] == 0) continue;
            if (!evidence.empty()) evidence += ", ";
            evidence += std::string(evidence_words[kind]) + " in " + count_text(t->evidence[kind]) +
                        (t->evidence[kind] == 1 ? " game" : " games");
        }
        if (evidence.empty()) evidence = "nothing";
        std::string opponents;
        for (std::size_t kind = 0; kind < opponent_kinds; ++kind) {
            if (t->opponents[kind] == 0) continue;
            if (!opponents.empty()) opponents += ", ";
            opponents += std::string(opponent_words[kind]) + " " + count_text(t->opponents[kind]);
        }
        std::string entry;
        if (t->server != server_kind::other) {
            entry.assign(unrated_name(t->name, forms));
        } else {
            put_in_form(name_form::capitals, t->name, entry);
        }
        std::string name = t->name;
        for (std::string* cell : {&name, &entry})
            std::replace_if(
                cell->begin(), cell->end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
        text += name + "\t" + count_text(t->games) + "\t" + evidence + "\t" + opponents + "\t" +
                std::string(list_for(*t)) + "\t" + entry + "\t" + count_text(t->error) + "\n";
    }
    return text;
}

int write_unlisted(const std::string& path, const std::string& text) {
    return replace_file(path, text);
}

}  // namespace gs
