#pragma once

#include "core/keyed_map.h"
#include "swf/colour_key.h"

#include <cstdint>
#include <vector>

namespace tintor {

// Positions of one colour's red byte in the movie buffer, in the order the
// walk met them.
using PositionList = std::vector<std::uint32_t>;
// Every colour record of a movie: ColorKey to its positions.
using CColorRegistry = CKeyedMap<PositionList>;

} // namespace tintor
