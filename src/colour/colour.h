#pragma once

#include <array>
#include <cstdint>

namespace tintor {

// Colour arithmetic on one 32-bit value: red in bits 0-7, green 8-15, blue
// 16-23; bits 24-31 are ignored. The results are bit-exact IEEE double
// arithmetic in a fixed order of operations.
class CColor {
public:
    constexpr explicit CColor(std::uint32_t value = 0) : m_value(value) {}
    constexpr std::uint32_t Value() const { return m_value; }

    // Squared distance over red, green and blue, 0..195075.
    std::int32_t Distance(std::uint32_t other) const;
    // Packed HLS: hue byte in bits 0-7, saturation 8-15, lightness 16-23.
    std::uint32_t ToHls() const;
    // This value read as packed HLS, back to a colour.
    std::uint32_t ToRgb() const;
    // Shifts (or, with unify, sets) hue and saturation and moves lightness;
    // arguments nominally 0..256, each changing nothing at 128. A colour
    // whose hue, saturation and lightness the effect leaves (a grey whose
    // hue alone turns, for one) comes back exactly as it was.
    std::uint32_t ApplyEffect(double hue, double saturation, double value, int unify) const;

private:
    std::uint32_t m_value;
};

// One effect worked out for every colour at once: since each of hue,
// saturation and lightness moves on its own, the effect is three tables of
// 256 bytes, and a colour costs its way to HLS and back.
class CColorEffect {
public:
    CColorEffect(double hue, double saturation, double value, int unify);
    // What CColor(colour).ApplyEffect with the same arguments gives.
    std::uint32_t Apply(std::uint32_t colour) const;

private:
    std::array<std::uint8_t, 256> m_hue;
    std::array<std::uint8_t, 256> m_saturation;
    std::array<std::uint8_t, 256> m_lightness;
};

} // namespace tintor
