#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

// A palette made ready to match colours to, once for any number of movies:
// its colours, and what the match needs of them worked out (an index of its
// distinct colours for Nearest, its order by lightness for ByLightness).
// Matching changes nothing, so threads may share one.
class CPaletteMatcher {
public:
    CPaletteMatcher(std::span<const std::uint32_t> palette, PaletteMatch match);
    ~CPaletteMatcher();
    CPaletteMatcher(const CPaletteMatcher&) = delete;
    CPaletteMatcher& operator=(const CPaletteMatcher&) = delete;

    // For every colour (red in the low byte), the index in the palette of
    // the colour it becomes. An empty palette matches nothing: the result
    // is empty.
    std::vector<std::size_t> Match(std::span<const std::uint32_t> colours) const;
    std::span<const std::uint32_t> Colours() const { return m_palette; }

private:
    class CTree;

    std::vector<std::uint32_t> m_palette;
    PaletteMatch m_match;
    std::unique_ptr<const CTree> m_tree;
    std::vector<std::size_t> m_byLightness;
};

// The same for one set of colours.
std::vector<std::size_t> MatchToPalette(
    std::span<const std::uint32_t> colours, std::span<const std::uint32_t> palette, PaletteMatch match);

} // namespace tintor
