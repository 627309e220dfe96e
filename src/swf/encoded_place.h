#pragma once

#include <array>
#include <cstdint>

namespace tintor {

// How a colour is stored at a place that is not three RGB bytes.
enum class PlaceForm : std::uint8_t {
    // A CXFORM whose add terms carry a tint's colour.
    Tint,
    // The same in a CXFORMWITHALPHA.
    TintWithAlpha,
    // Six hex digits of an HTML color attribute.
    HtmlHex,
    // A script's number constant, the colour as the integer 0xRRGGBB:
    // an ActionPush integer (type 7), 32 bits little-endian.
    ActionInteger,
    // An ActionPush double (type 6): 64 bits, the high 32-bit half first,
    // each half little-endian.
    ActionDouble,
    // An ABC variable-length integer (an int or uint pool entry, or an
    // operand) of `length` bytes: seven bits a byte, low bits first, the top
    // bit set on every byte but the last. A value is written in the place's
    // own length, with more bytes than it needs where it is short.
    AbcVarInt,
    // The operand of pushshort: the same encoding, read back as a signed
    // 16-bit number, so it holds colours up to 0x007fff.
    AbcShort,
    // The operand of pushbyte: one signed byte, colours up to 0x00007f.
    AbcByte,
    // An ABC double pool entry: 64 bits little-endian.
    AbcDouble,
};

// One such place, as the walk found it.
struct EncodedPlace {
    // The first byte of the colour transform, or the first hex digit, or
    // the first byte of a script constant's value.
    std::uint32_t pos = 0;
    // The colour as collected, red in the low byte: writing it back puts
    // the place's bytes back as they were loaded.
    std::uint32_t loaded = 0;
    PlaceForm form = PlaceForm::Tint;
    // HtmlHex: bit i set when digit i was an upper-case letter.
    std::uint8_t upperDigits = 0;
    // Tints: the red, green and blue add terms as loaded.
    std::array<std::int16_t, 3> add{};
    // Script constants -------------------------------------------------------
    // AbcVarInt and AbcShort: the encoding's length in bytes, 1 to 5.
    std::uint8_t length = 0;
    // Also used as a number: the place keeps the value it was loaded with,
    // whatever colour its key is given.
    bool keepsValue = false;
    // A bit per ScriptUse that the constant reaches.
    std::uint32_t uses = 0;
    // The place's bytes as loaded, the first in the low byte, which the
    // colour as loaded is written back as: a double's -0 stays -0, a long
    // encoding stays as long as it was.
    std::uint64_t raw = 0;

    friend bool operator==(const EncodedPlace&, const EncodedPlace&) = default;
};

} // namespace tintor
