#pragma once

#include "colour/oklab.h"
#include "swf/colour_key.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tintor {

// Colours picked by what they look like as well as by name. Distances are
// OKLab ΔE (colour/oklab.h).

// The tolerance of similar colours and of families when none is given.
inline constexpr double kDefaultWithin = 8.0;

// Hues from `from` to `to` degrees, both included; with from > to the range
// wraps through 0 (350..20 holds 355 and 10).
struct HueRange {
    double from = 0;
    double to = 360;

    bool Contains(double hue) const { return from <= to ? hue >= from && hue <= to : hue >= from || hue <= to; }
};

// "A..B" with A and B degrees from 0 to 360.
std::optional<HueRange> ParseHueRange(std::string_view text);

// What a selection takes: the union of every kind of choice, less `except`.
struct ColourSelection {
    bool all = false;
    std::uint32_t kinds = 0;         // every colour of these kinds
    std::vector<ColorKey> keys;      // these colours
    std::vector<std::uint32_t> near; // every colour within ΔE `within` of one of these
    double within = kDefaultWithin;  //   (red in the low byte)
    std::optional<HueRange> hues;    // every colour that is no grey, with its hue in range
    std::vector<ColorKey> except;    // never these, whatever else takes them

    // Whether anything besides `except` is asked for.
    bool TakesAnything() const { return all || kinds != 0 || !keys.empty() || !near.empty() || hues.has_value(); }
};

// A selection made ready to ask of many colours.
class CSelectionMatcher {
public:
    explicit CSelectionMatcher(const ColourSelection& selection);
    // Whether the selection takes key, whose colour now is rgb.
    bool Takes(ColorKey key, std::uint32_t rgb) const;
    bool Excepts(ColorKey key) const;
    // Takes for every key and entry (colour now in bits 0-23) side by side,
    // 1 or 0 each, worked out on every core: millions of colours' OKLab.
    std::vector<std::uint8_t> TakesEach(std::span<const ColorKey> keys, std::span<const std::uint32_t> entries) const;

private:
    // What the selection takes by the key alone, and by how the colour looks.
    bool TakesByName(ColorKey key) const;
    bool LooksMatter() const { return !m_near.empty() || m_selection.hues.has_value(); }
    bool TakesByLook(const OkLab& lab) const;
    // Whether the hue of a colour of no grey, by its a and b, lies in the range.
    bool InHues(double a, double b) const;

    ColourSelection m_selection; // keys and except sorted
    std::vector<OkLab> m_near;
    // The hue range as directions in the a-b plane, counterclockwise from
    // one to the other, and the degrees between them: a colour's hue is
    // then placed by two cross products rather than by an arctangent.
    double m_fromA = 1, m_fromB = 0, m_toA = 1, m_toB = 0;
    double m_hueWidth = 360;
    // Compared squared, in OKLab units.
    double m_withinSquared;
};

// The family of every colour: colours closer than ΔE `within` to some
// member of a family belong to it, linked step by step (single linkage);
// greys link only with greys, the others only with the others. Families are
// numbered from 1 in the order of their first colour in the list.
std::vector<std::uint32_t> ColourFamilies(std::span<const std::uint32_t> rgbs, double within);
// The same, given each colour's OKLab as OkLabsOf gives it.
std::vector<std::uint32_t> ColourFamilies(
    std::span<const std::uint32_t> rgbs, std::span<const OkLab> labs, double within);

struct FamilySummary {
    std::uint32_t family = 0;
    std::size_t members = 0;
    double lightness = 0;      // mean OKLab L of the members
    std::optional<double> hue; // hue of the members' mean a and b; none for a family of greys
};

// Every family of `families` (as ColourFamilies numbers them) in the order a
// list shows them: darkest mean lightness first, then by hue, greys before
// colours of the same lightness.
std::vector<FamilySummary> OrderFamilies(std::span<const std::uint32_t> rgbs, std::span<const std::uint32_t> families);
// The same, given each colour's OKLab.
std::vector<FamilySummary> OrderFamilies(std::span<const OkLab> labs, std::span<const std::uint32_t> families);

} // namespace tintor
