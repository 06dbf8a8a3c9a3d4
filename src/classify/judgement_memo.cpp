#include "classify/judgement_memo.hpp"

#include <cstring>

namespace gs {
namespace {

std::uint64_t hash_of(std::string_view name, server_kind server) {
    std::uint64_t hash = 14695981039346656037ull ^ static_cast<std::uint64_t>(server);
    for (char c : name)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

void empty_memo(judgement_memo& memo) {
    if (!memo.slots) {
        memo.slots = std::make_unique<judgement_memo::slot[]>(memo_slot_count);
        memo.arena = std::make_unique<char[]>(memo_arena_bytes);
    } else {
        std::fill_n(memo.slots.get(), memo_slot_count, judgement_memo::slot{});
    }
    memo.arena_used = 0;
    memo.slots_used = 0;
}

}  // namespace

judgement memo_judge_name(judgement_memo& memo, std::string_view name, server_kind server,
                          const name_lists& lists, name_forms& forms) {
    if (name.size() > memo_longest_name) return judge_name(name, server, lists, forms);
    if (!memo.slots) empty_memo(memo);
    const std::uint64_t hash = hash_of(name, server);
    constexpr std::size_t mask = memo_slot_count - 1;
    std::size_t at = static_cast<std::size_t>(hash ^ (hash >> 31)) & mask;
    for (; memo.slots[at].used; at = (at + 1) & mask) {
        const judgement_memo::slot& slot = memo.slots[at];
        if (slot.hash == hash && slot.server == server && slot.name_size == name.size() &&
            std::memcmp(memo.arena.get() + slot.name_at, name.data(), name.size()) == 0) {
            return slot.value;
        }
    }
    const judgement value = judge_name(name, server, lists, forms);
    // At most half the slots are used, so a probe always ends; a full table starts again empty.
    if (memo.slots_used >= memo_slot_count / 2 || memo.arena_used + name.size() > memo_arena_bytes) {
        empty_memo(memo);
        at = static_cast<std::size_t>(hash ^ (hash >> 31)) & mask;
    }
    if (!name.empty()) std::memcpy(memo.arena.get() + memo.arena_used, name.data(), name.size());
    memo.slots[at] = {hash, static_cast<std::uint32_t>(memo.arena_used), static_cast<std::uint16_t>(name.size()),
                      server, true, value};
    memo.arena_used += name.size();
    ++memo.slots_used;
    return value;
}

}  // namespace gs
