#pragma once

#include <cstdint>

namespace tintor {

// A colour as the registry knows it: red in bits 0-7, green 8-15, blue 16-23
// (the byte order of the movie), one kind bit in 28-31. Alpha is never part
// of a key.
using ColorKey = std::uint32_t;

enum ColorKind : std::uint32_t {
    KIND_FILL = 0x10000000,
    KIND_TEXT = 0x20000000,
    KIND_LINE = 0x40000000,
    KIND_BG = 0x80000000,
};

constexpr std::uint32_t kKindMask = 0xF0000000;
constexpr std::uint32_t kColourMask = 0x00FFFFFF;
constexpr std::uint32_t kSelectedBit = 0x01000000;

} // namespace tintor
