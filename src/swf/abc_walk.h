#pragma once

#include "swf/abc_instructions.h"
#include "swf/abc_places.h"
#include "swf/abc_records.h"
#include "swf/script_constants.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tintor {

// What code does with the values of one pool entry or one operand: how
// often they reached a colour argument and anything else, and a bit per
// ScriptUse whose colour they reached.
struct AbcUses {
    std::uint32_t colour = 0;
    std::uint32_t other = 0;
    std::uint32_t calls = 0;
    friend bool operator==(const AbcUses&, const AbcUses&) = default;
};

// A pushbyte or pushshort whose value reached a colour argument.
struct AbcOperandColour {
    AbcSource source = AbcSource::Byte;
    // Its operand's movie position and length.
    std::uint32_t pos = 0;
    std::uint8_t length = 0;
    // 0xRRGGBB.
    std::uint32_t colour = 0;
    AbcUses uses;
    friend bool operator==(const AbcOperandColour&, const AbcOperandColour&) = default;
};

// What walking one ABC file's method bodies found.
struct AbcWalkResult {
    // The pushes of each entry of the three number pools, by the index the
    // code names it by (index 0, the implicit entry, is never pushed).
    std::vector<AbcUses> ints;
    std::vector<AbcUses> uints;
    std::vector<AbcUses> doubles;
    std::vector<AbcOperandColour> operands;
    // Colour arguments that got a constant colour, and those that got a
    // value the walk could not follow: computed at run time, read from a
    // variable, out of 0 to 0xFFFFFF.
    std::uint32_t followedColours = 0;
    std::uint32_t unfollowedColours = 0;
    // A bit per ScriptUse that got such a value.
    std::uint32_t unfollowedUses = 0;
    // Method bodies whose code could not be stepped through: an opcode no
    // ABC file has, code cut short, a branch into an instruction. What they
    // push is not known, so no pool entry can be known to be used as a
    // colour alone.
    std::uint32_t unreadBodies = 0;
};

// Walks every method body of file, whose bytes are abc at movie position
// pos, modelling the stack through each straight run of code: a branch
// target, an exception handler and any instruction the model does not know
// clear it, and whatever it held then counts as used otherwise than as a
// colour.
AbcWalkResult WalkAbcFile(const AbcFile& file, std::span<const std::uint8_t> abc, std::uint32_t pos);

} // namespace tintor
