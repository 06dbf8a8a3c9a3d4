// The kind of a player, as classification decides it.
#pragma once

#include <cstdint>

namespace gs {

enum class player_class : std::uint8_t {
    unknown = 0,
    computer = 1,
    human = 2,
    depends_on_opponent = 3,
    bye = 4,
    advanced_team = 5,
};

}  // namespace gs
