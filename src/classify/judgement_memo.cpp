#include "classify/judgement_memo.hpp"

#include <cstring>
#include <memory>
#include <new>

#include "text/text.hpp"

namespace gs {
namespace {

// The answer spaces: the three servers' name judgements, the two servers' account judgements by the
// unrated form, then one per list asked by text.
constexpr std::uint8_t server_space_count = 3;
constexpr std::uint8_t account_space_count = 2;

std::uint8_t space_of(server_kind server) {
    return static_cast<std::uint8_t>(server);
}
std::uint8_t account_space_of(server_kind server) {
    return static_cast<std::uint8_t>(server_space_count + (server == server_kind::icc ? 0 : 1));
}
std::uint8_t space_of(list_id id) {
    return static_cast<std::uint8_t>(server_space_count + account_space_count +
                                     static_cast<std::uint8_t>(id));
}

std::uint32_t load_half(const char* p) {
    std::uint32_t half;
    std::memcpy(&half, p, sizeof half);
    return half;
}

std::uint64_t mix(std::uint64_t hash, std::uint64_t word) {
    constexpr std::uint64_t multiplier = 0x9e3779b97f4a7c15ull;
    hash = (hash ^ word) * multiplier;
    return hash ^ (hash >> 29);
}

// A hash of the text and the space that reads eight bytes at a time (names are short, so a byte at a
// time would be a long chain of multiplications); the last word overlaps the one before it rather than
// reading past the text. The length takes part, so that the overlap cannot make two texts alike.
std::uint64_t hash_of(std::string_view text, std::uint8_t space) {
    const char* const p = text.data();
    const std::size_t size = text.size();
    std::uint64_t hash = mix(0x243f6a8885a308d3ull ^ space, size);
    if (size >= 8) {
        std::size_t at = 0;
        for (; at + 8 <= size; at += 8)
            hash = mix(hash, load_word(p + at));
        if (at < size) hash = mix(hash, load_word(p + size - 8));
    } else if (size >= 4) {
        hash = mix(hash, load_half(p) | std::uint64_t{load_half(p + size - 4)} << 32);
    } else if (size > 0) {
        const auto byte = [&](std::size_t i) { return std::uint64_t{static_cast<unsigned char>(p[i])}; };
        hash = mix(hash, byte(0) | byte(size / 2) << 8 | byte(size - 1) << 16);
    }
    return mix(hash, hash >> 32);
}

std::uint32_t check_of(std::uint64_t hash) {
    return static_cast<std::uint32_t>(hash >> 32);
}

std::size_t first_slot(const judgement_memo& memo, std::uint64_t hash) {
    return static_cast<std::size_t>(hash ^ (hash >> 31)) & (memo.slot_count - 1);
}

// Memory for count empty slots, mapped so that a large table lies in huge pages.
void place_slots(judgement_memo& memo, std::size_t count) {
    memo.slot_memory = map_zeroed(count * sizeof(judgement_memo::slot));
    if (memo.slot_memory.data == nullptr) {
        memo.slots = nullptr;  // the memo starts again from its first size on the next look-up
        throw std::bad_alloc();
    }
    memo.slots = static_cast<judgement_memo::slot*>(memo.slot_memory.data);
    std::uninitialized_value_construct_n(memo.slots, count);
    memo.slot_count = count;
}

void empty_memo(judgement_memo& memo) {
    if (memo.slots == nullptr) {
        place_slots(memo, memo_first_slot_count);
        memo.arena_capacity = memo_first_arena_bytes;
        memo.arena = std::make_unique_for_overwrite<char[]>(memo.arena_capacity);
    } else {
        std::fill_n(memo.slots, memo.slot_count, judgement_memo::slot{});
    }
    memo.arena_used = 0;
    memo.slots_used = 0;
}

// The text whose answer a used slot keeps.
std::string_view kept_text(const judgement_memo& memo, const judgement_memo::slot& slot) {
    const char* const at = slot.name_size <= memo_inline_text ? slot.text : memo.arena.get() + slot.name_at;
    return {at, slot.name_size};
}

// Doubles the slots, placing the kept answers anew.
void grow_slots(judgement_memo& memo) {
    const mapped_block old_memory = std::move(memo.slot_memory);
    const judgement_memo::slot* const old = memo.slots;
    const std::size_t old_count = memo.slot_count;
    place_slots(memo, 2 * old_count);
    for (std::size_t i = 0; i < old_count; ++i) {
        if (!old[i].used) continue;
        // A slot keeps only half of its hash: the whole one is worked out again from the kept text.
        const std::string_view text = kept_text(memo, old[i]);
        std::size_t at = first_slot(memo, hash_of(text, old[i].space));
        while (memo.slots[at].used)
            at = (at + 1) & (memo.slot_count - 1);
        memo.slots[at] = old[i];
    }
}

// Makes room for one more answer whose text has size bytes: the table grows while it may, and is emptied
// when it is full at its largest.
void make_room(judgement_memo& memo, std::size_t size) {
    if (memo.slots_used >= memo.slot_count / 4 * 3) {
        if (memo.slot_count < memo_slot_count) {
            grow_slots(memo);
        } else {
            empty_memo(memo);
        }
    }
    if (memo.arena_used + size > memo.arena_capacity) {
        if (memo.arena_capacity < memo_arena_bytes) {
            const std::size_t capacity =
                std::min(memo_arena_bytes, std::max(2 * memo.arena_capacity, memo.arena_used + size));
            auto bigger = std::make_unique_for_overwrite<char[]>(capacity);
            if (memo.arena_used > 0) std::memcpy(bigger.get(), memo.arena.get(), memo.arena_used);
            memo.arena = std::move(bigger);
            memo.arena_capacity = capacity;
        } else {
            empty_memo(memo);
        }
    }
}

// Starts loading the first slot that the text's answer may be in.
void prefetch_slot(const judgement_memo& memo, std::uint64_t hash) {
    __builtin_prefetch(&memo.slots[first_slot(memo, hash)], 0, 3);
}

// Starts loading the text kept in the first slot of hash, once that slot has arrived.
void prefetch_text(const judgement_memo& memo, std::uint64_t hash) {
    const judgement_memo::slot& slot = memo.slots[first_slot(memo, hash)];
    if (slot.used && slot.name_size > memo_inline_text)
        __builtin_prefetch(memo.arena.get() + slot.name_at, 0, 3);
}

// The kept answer for (text, space), or make's answer, which is then kept.
template <typename maker>
judgement remembered(judgement_memo& memo, std::string_view text, std::uint8_t space, std::uint64_t hash,
                     maker make) {
    if (text.size() > memo_longest_name) return make();
    if (memo.slots == nullptr) empty_memo(memo);
    std::size_t at = first_slot(memo, hash);
    for (; memo.slots[at].used; at = (at + 1) & (memo.slot_count - 1)) {
        const judgement_memo::slot& slot = memo.slots[at];
        if (slot.check == check_of(hash) && slot.space == space && slot.name_size == text.size() &&
            kept_text(memo, slot) == text) {
            return slot.value;
        }
    }
    const judgement value = make();
    const bool long_text = text.size() > memo_inline_text;
    // At most three quarters of the slots are used, so a probe always ends.
    make_room(memo, long_text ? text.size() : 0);
    at = first_slot(memo, hash);
    while (memo.slots[at].used)
        at = (at + 1) & (memo.slot_count - 1);
    judgement_memo::slot& slot = memo.slots[at];
    slot = {check_of(hash), 0, static_cast<std::uint8_t>(text.size()), space, true, value, {}};
    if (long_text) {
        slot.name_at = static_cast<std::uint32_t>(memo.arena_used);
        std::memcpy(memo.arena.get() + memo.arena_used, text.data(), text.size());
        memo.arena_used += text.size();
    } else if (!text.empty()) {
        std::memcpy(slot.text, text.data(), text.size());
    }
    ++memo.slots_used;
    return value;
}

}  // namespace

memo_hashes memo_prefetch(const judgement_memo& memo, const memo_queries& queries) {
    // A text too long to be kept is never looked up in the table, so its hash is not needed.
    const auto hash = [](std::string_view text, std::uint8_t space) {
        return text.size() > memo_longest_name ? 0 : hash_of(text, space);
    };
    memo_hashes hashes{hash(queries.white, space_of(queries.server)),
                       hash(queries.black, space_of(queries.server))};
    if (queries.ask_events) {
        hashes.site = hash(queries.site, space_of(list_id::adv_events));
        hashes.event = hash(queries.event, space_of(list_id::adv_events));
    }
    if (memo.slots == nullptr) return hashes;
    // The slots first, then, once they have arrived, the texts they keep.
    prefetch_slot(memo, hashes.white);
    prefetch_slot(memo, hashes.black);
    if (queries.ask_events) {
        prefetch_slot(memo, hashes.site);
        prefetch_slot(memo, hashes.event);
    }
    prefetch_text(memo, hashes.white);
    prefetch_text(memo, hashes.black);
    if (queries.ask_events) {
        prefetch_text(memo, hashes.site);
        prefetch_text(memo, hashes.event);
    }
    return hashes;
}

judgement memo_judge_name(judgement_memo& memo, std::string_view name, server_kind server,
                          const name_lists& lists, name_forms& forms, std::uint64_t hash) {
    if (server != server_kind::other && name.find('{') != std::string_view::npos) {
        // An account seen with many ratings is kept once, by its name without the rating group; the
        // rules that read the name as written come first, as in judge_name.
        if (judgement written; judge_written_name(name, written)) return written;
        const std::string_view unrated = unrated_name(name, forms);
        const std::uint8_t space = account_space_of(server);
        return remembered(memo, unrated, space, hash_of(unrated, space),
                          [&] { return judge_account(unrated, server, lists); });
    }
    return remembered(memo, name, space_of(server), hash,
                      [&] { return judge_name(name, server, lists, forms); });
}

judgement memo_judge_name(judgement_memo& memo, std::string_view name, server_kind server,
                          const name_lists& lists, name_forms& forms) {
    return memo_judge_name(memo, name, server, lists, forms, hash_of(name, space_of(server)));
}

bool memo_list_contains(judgement_memo& memo, std::string_view text, list_id id, const name_lists& lists,
                        std::uint64_t hash) {
    const judgement answer = remembered(memo, text, space_of(id), hash, [&] {
        return judgement{list_contains(text, list_of(lists, id)) ? player_class::computer
                                                                 : player_class::unknown};
    });
    return answer.kind == player_class::computer;
}

}  // namespace gs
