#pragma once

#include <cstdint>
#include <vector>

namespace tintor {

// A colour for every index below 2^24, distinct for distinct indices and
// scattered over the whole colour cube, as the colours of real movies are.
std::uint32_t ScatteredColour(std::uint32_t i);

// A compressed movie of the given number of DefineShape tags with 100 solid
// fills each, every colour distinct and scattered.
std::vector<std::uint8_t> BuildManyColoursMovie(std::uint32_t shapes);

// A compressed movie of the given number of shapes of 4 fills, 2 lines and
// 2,000 edges each, as outlines traced from artwork are.
std::vector<std::uint8_t> BuildEdgeHeavyMovie(std::uint32_t shapes);

// A compressed movie of the given number of PlaceObject3 tags, each with a
// filter list (drop shadow, glow, bevel) and an opaque background, and as
// many PlaceObject2 tags tinting what they place, every colour scattered.
std::vector<std::uint8_t> BuildEffectsMovie(std::uint32_t places);

// A compressed movie of DoAction tags holding the given number of push
// values: calls to beginFill, lineStyle and setRGB with scattered colours
// and names from the constant pool, as compiled ActionScript 2 draws.
std::vector<std::uint8_t> BuildActionMovie(std::uint32_t pushes);

// A compressed movie of ActionScript 3 whose one DoABC block holds about the
// given number of instructions, in method bodies of about a thousand: fills
// and lines drawn with pool constants, sums kept in registers, and a branch
// in every few lines, with a thousand distinct colours.
std::vector<std::uint8_t> BuildAbcMovie(std::uint32_t instructions);

} // namespace tintor
