#pragma once

#include "swf/abc_instructions.h"
#include "swf/abc_places.h"
#include "swf/abc_records.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tintor {

// The calls and properties whose arguments are colours, as the walk names
// them; a place's calls are a bit per entry.
inline constexpr std::string_view kAbcColourCalls[] = {
    "beginFill",
    "lineStyle",
    "beginGradientFill",
    "lineGradientStyle",
    "GlowFilter",
    "DropShadowFilter",
    "BevelFilter",
    "GradientGlowFilter",
    "GradientBevelFilter",
    "TextFormat",
    "textColor",
    "backgroundColor",
    "borderColor",
    "color",
};

// One instruction that pushes a number, and what became of the value.
struct AbcPush {
    AbcSource source = AbcSource::Int;
    // A pool entry's index as the code names it (from 1); for an operand,
    // its movie position and length.
    std::uint32_t index = 0;
    std::uint32_t pos = 0;
    std::uint8_t length = 0;
    // The colour (0xRRGGBB) the value is, when it is one at all: 0 to
    // 0xFFFFFF, written as both players read it alike.
    std::optional<std::uint32_t> colour;
    // How often it reached a colour argument, and anything else.
    std::uint32_t colourUses = 0;
    std::uint32_t otherUses = 0;
    // A bit per kAbcColourCalls entry whose colour it reached.
    std::uint32_t calls = 0;
    friend bool operator==(const AbcPush&, const AbcPush&) = default;
};

// What walking one ABC file's method bodies found.
struct AbcWalkResult {
    std::vector<AbcPush> pushes;
    // Colour arguments that got a constant colour, and those that got a
    // value the walk could not follow: computed at run time, read from a
    // variable, out of 0 to 0xFFFFFF.
    std::uint32_t followedColours = 0;
    std::uint32_t unfollowedColours = 0;
    // Method bodies whose code could not be stepped through: an opcode no
    // ABC file has, code cut short, a branch into an instruction, an index
    // past its pool. Their pushes are not known, so no pool entry can be
    // known to be used as a colour alone.
    std::uint32_t unreadBodies = 0;
};

// Walks every method body of file, whose bytes are abc at movie position
// pos, modelling the stack through each straight run of code: a branch
// target, an exception handler and any instruction the model does not know
// clear it, and whatever it held then counts as used otherwise than as a
// colour.
AbcWalkResult WalkAbcFile(const AbcFile& file, std::span<const std::uint8_t> abc, std::uint32_t pos);

} // namespace tintor
