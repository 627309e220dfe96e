#pragma once

#include "swf/abc_places.h"
#include "swf/abc_records.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tintor {

// One place where an ABC block keeps a colour that its code draws with: a
// pool entry that pushint, pushuint or pushdouble name, or the operand of
// a pushbyte or pushshort.
struct AbcColourPlace {
    std::uint32_t pos = 0;
    std::uint8_t length = 0;
    AbcSource source = AbcSource::Int;
    // The colour as loaded, 0xRRGGBB.
    std::uint32_t colour = 0;
    // A bit per ScriptUse that takes it.
    std::uint32_t calls = 0;
    // False when the same number is also used otherwise than as a colour,
    // or not every use of the pool entry could be followed: the place then
    // keeps its value whatever colour is asked of it.
    bool exclusive = true;
    friend bool operator==(const AbcColourPlace&, const AbcColourPlace&) = default;
};

// The colours of one ABC block and how far its code could be followed.
struct AbcColours {
    // In the order of their positions.
    std::vector<AbcColourPlace> places;
    // Why the block could not be read to its end; nothing is taken from a
    // block the player would refuse.
    AbcFault fault = AbcFault::None;
    std::uint32_t faultPos = 0;
    // Colour arguments that got a constant, and those that got a value
    // computed at run time, read from a variable, or out of 0 to 0xFFFFFF.
    std::uint32_t followedColours = 0;
    std::uint32_t unfollowedColours = 0;
    // A bit per ScriptUse that got such a value.
    std::uint32_t unfollowedUses = 0;
    // Method bodies whose code could not be stepped through.
    std::uint32_t unreadBodies = 0;

    // Whether every colour call of the block was followed to a constant.
    bool Followed() const { return fault == AbcFault::None && unfollowedColours == 0 && unreadBodies == 0; }
    friend bool operator==(const AbcColours&, const AbcColours&) = default;
};

// The colours of the ABC file in abc, at movie position pos. A pool entry is
// a colour of the block only when every use of it in the block is a colour
// use: each ABC file has a pool of its own, which no other block's code can
// name.
AbcColours FindAbcColours(std::span<const std::uint8_t> abc, std::uint32_t pos);

} // namespace tintor
