#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tintor {

// How colours are matched to the colours of a palette.
enum class PaletteMatch {
    // Each colour to the palette colour nearest by ΔE; of equally near
    // ones, the first in the palette's order.
    Nearest,
    // By rank: the colours and the palette both sorted by OKLab lightness,
    // each colour to the palette colour at the same quantile, so that light
    // things stay light and dark things dark. Equal colours, and colours of
    // equal lightness, share one palette colour.
    ByLightness,
};

// For every colour (red in the low byte), the index in palette of the
// colour it becomes. An empty palette matches nothing: the result is empty.
std::vector<std::size_t> MatchToPalette(
    std::span<const std::uint32_t> colours, std::span<const std::uint32_t> palette, PaletteMatch match);

} // namespace tintor
