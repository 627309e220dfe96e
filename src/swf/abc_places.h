#pragma once

#include "swf/encoded_place.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tintor {

// Where a number that ActionScript 3 code pushes is stored: an entry of one
// of the three number pools, or the operand of the instruction itself.
enum class AbcSource : std::uint8_t {
    // s32, 1 to 5 bytes.
    Int,
    // u32, 1 to 5 bytes.
    Uint,
    // 8 bytes, little-endian.
    Double,
    // pushbyte's operand: one byte, sign-extended.
    Byte,
    // pushshort's operand: a variable-length number of 1 to 5 bytes whose
    // low 16 bits are sign-extended.
    Short,
};

// The form a colour place of the source is written in.
PlaceForm AbcFormOf(AbcSource source);

// The colour (0xRRGGBB) that the bytes of a place hold, when they hold one:
// a value of 0 to 0xFFFFFF. bytes are exactly the place's.
std::optional<std::uint32_t> AbcColourOf(AbcSource source, std::span<const std::uint8_t> bytes);

// Writes the colour (0xRRGGBB) into the bytes of a place, in their own
// length. False, with the bytes untouched, when it does not fit there.
bool WriteAbcColour(AbcSource source, std::span<std::uint8_t> bytes, std::uint32_t colour);

// Whether the colour fits a place of the source and length.
bool AbcColourFits(AbcSource source, std::size_t length, std::uint32_t colour);

} // namespace tintor
