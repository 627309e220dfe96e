#pragma once

#include <cstdint>

namespace tintor {

// Primitive records of the movie format, as read. The engine reads them only
// to move past them; their values are kept so the readers are complete.

struct SwfRect {
    std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    friend bool operator==(const SwfRect&, const SwfRect&) = default;
};

struct SwfMatrix {
    std::int32_t scaleX = 0x10000, rotateSkew0 = 0, rotateSkew1 = 0, scaleY = 0x10000;
    std::int32_t translateX = 0, translateY = 0;
    friend bool operator==(const SwfMatrix&, const SwfMatrix&) = default;
};

struct SwfCxform {
    std::int16_t alphaMult = 256, alphaAdd = 0;
    std::int16_t redMult = 256, redAdd = 0;
    std::int16_t greenMult = 256, greenAdd = 0;
    std::int16_t blueMult = 256, blueAdd = 0;
    friend bool operator==(const SwfCxform&, const SwfCxform&) = default;
};

} // namespace tintor
