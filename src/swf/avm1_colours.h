#pragma once

#include "swf/encoded_place.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tintor {

// What the colour pass makes of one action block.
struct ActionBlockColours {
    // The number constants that reach a colour argument or a colour
    // property, each with its form, its uses and whether it is also used as
    // a number (keepsValue); colour and bytes as loaded are left to the
    // movie to read.
    std::vector<EncodedPlace> places;
    // A bit per name of kDrawingCalls that the block uses in a way the pass
    // cannot follow: a colour computed at run time or read from a variable,
    // a colour-transform or colour-matrix filter built of numbers, ...
    std::uint32_t unfollowed = 0;
    // False when the block cannot be read as the player would (an action
    // that runs past the block, a push value past its action, a constant
    // pool that lies, a branch into the middle of an action): then it
    // yields no place at all.
    bool readable = true;
};

// Finds the colour constants of the action block from start to end of
// movie by a stack simulation over its straight-line runs: each value
// remembers the push item it came from, and a value that reaches a colour
// argument of a known call (beginFill, lineStyle, setRGB, the filter and
// TextFormat constructors, the colours arrays of the gradient calls) or a
// colour property (textColor, backgroundColor, borderColor, color, rgb)
// makes its push item a colour place. Actions the model does not know, and
// branch targets, make it forget what it knew. Names are matched in any
// letter case before movie version 7, as the player does.
ActionBlockColours FindActionColours(
    std::span<const std::uint8_t> movie, std::size_t start, std::size_t end, std::uint8_t version);

} // namespace tintor
