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
};

// One such place, as the walk found it.
struct EncodedPlace {
    // The first byte of the colour transform, or the first hex digit.
    std::uint32_t pos = 0;
    // The colour as collected, red in the low byte: writing it back puts
    // the place's bytes back as they were loaded.
    std::uint32_t loaded = 0;
    PlaceForm form = PlaceForm::Tint;
    // HtmlHex: bit i set when digit i was an upper-case letter.
    std::uint8_t upperDigits = 0;
    // Tints: the red, green and blue add terms as loaded.
    std::array<std::int16_t, 3> add{};

    friend bool operator==(const EncodedPlace&, const EncodedPlace&) = default;
};

} // namespace tintor
