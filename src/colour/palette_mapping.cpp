#include "colour/palette_mapping.h"

#include "colour/oklab.h"

#include <absl/container/flat_hash_map.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace tintor {

// The palette's distinct colours in a k-d tree over OKLab, for the nearest
// of a million colours in a few dozen steps rather than a million. The tree
// is implicit: each range of points has its splitting point in the middle,
// the points before it on the lower side of its axis and those after it on
// the upper side.
class CPaletteMatcher::CTree {
public:
    explicit CTree(std::span<const std::uint32_t> palette)
    {
        // A colour given twice is found at its first place, as the scan of
        // the whole palette in order found it.
        absl::flat_hash_map<std::uint32_t, std::size_t> first;
        first.reserve(palette.size());
        for (std::size_t i = 0; i < palette.size(); ++i)
            if (first.emplace(palette[i] & 0xFFFFFF, i).second)
                m_points.push_back({OkLabOf(palette[i]), i});
        Build(0, m_points.size(), 0);
    }

    // The palette index of the colour nearest to lab; of equally near ones,
    // the first in the palette's order.
    std::size_t Nearest(const OkLab& lab) const
    {
        Search search{lab};
        Visit(0, m_points.size(), 0, search);
        return search.index;
    }

private:
    struct Point {
        OkLab lab;
        std::size_t index;
    };
    struct Search {
        OkLab lab;
        double distance = std::numeric_limits<double>::infinity();
        std::size_t index = 0;
    };
    // A range this short is looked through point by point.
    static constexpr std::size_t kLeaf = 8;

    static double Axis(const OkLab& lab, int axis) { return axis == 0 ? lab.L : axis == 1 ? lab.a : lab.b; }

    void Build(std::size_t begin, std::size_t end, int axis)
    {
        if (end - begin <= kLeaf)
            return;
        const std::size_t middle = begin + (end - begin) / 2;
        std::nth_element(m_points.begin() + static_cast<std::ptrdiff_t>(begin),
            m_points.begin() + static_cast<std::ptrdiff_t>(middle), m_points.begin() + static_cast<std::ptrdiff_t>(end),
            [axis](const Point& x, const Point& y) { return Axis(x.lab, axis) < Axis(y.lab, axis); });
        Build(begin, middle, (axis + 1) % 3);
        Build(middle + 1, end, (axis + 1) % 3);
    }

    static void Consider(const Point& point, Search& search)
    {
        // The very sum the scan of the whole palette compares, so that
        // every tie comes out as it did.
        const double d = SquaredDistance(search.lab, point.lab);
        if (d < search.distance || (d == search.distance && point.index < search.index)) {
            search.distance = d;
            search.index = point.index;
        }
    }

    void Visit(std::size_t begin, std::size_t end, int axis, Search& search) const
    {
        if (end - begin <= kLeaf) {
            for (std::size_t i = begin; i < end; ++i)
                Consider(m_points[i], search);
            return;
        }
        const std::size_t middle = begin + (end - begin) / 2;
        const Point& split = m_points[middle];
        const double offset = Axis(search.lab, axis) - Axis(split.lab, axis);
        const int next = (axis + 1) % 3;
        const bool lowerFirst = offset < 0;
        Visit(lowerFirst ? begin : middle + 1, lowerFirst ? middle : end, next, search);
        Consider(split, search);
        // Every point across the plane is at least this far: rounding keeps
        // that true of the computed sums too. Only an equal distance can
        // still hold an earlier palette colour, so only a greater one ends
        // the search there.
        if (offset * offset <= search.distance)
            Visit(lowerFirst ? middle + 1 : begin, lowerFirst ? end : middle, next, search);
    }

    std::vector<Point> m_points;
};

namespace {

// Indices 0..n-1 sorted by the lightness of each, ties in their own order.
std::vector<std::size_t> ByLightnessOrder(std::span<const double> lightness)
{
    std::vector<std::size_t> order(lightness.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(
        order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return lightness[x] < lightness[y]; });
    return order;
}

// The palette's indices from the darkest colour to the lightest.
std::vector<std::size_t> PaletteByLightness(std::span<const std::uint32_t> palette)
{
    std::vector<double> lightness;
    lightness.reserve(palette.size());
    for (const std::uint32_t rgb : palette)
        lightness.push_back(OkLabOf(rgb).L);
    return ByLightnessOrder(lightness);
}

std::vector<std::size_t> ByLightness(std::span<const std::uint32_t> colours, std::span<const std::size_t> paletteOrder)
{
    // The distinct colours, each ranked once however often it occurs.
    absl::flat_hash_map<std::uint32_t, std::size_t> distinctOf;
    std::vector<double> lightness;
    std::vector<std::size_t> distinct;
    distinct.reserve(colours.size());
    for (const std::uint32_t rgb : colours) {
        const auto [it, fresh] = distinctOf.emplace(rgb & 0xFFFFFF, lightness.size());
        if (fresh)
            lightness.push_back(OkLabOf(rgb).L);
        distinct.push_back(it->second);
    }
    // A run of equal lightness takes the quantile of its middle.
    const std::vector<std::size_t> order = ByLightnessOrder(lightness);
    const double n = static_cast<double>(order.size()), m = static_cast<double>(paletteOrder.size());
    std::vector<std::size_t> slotOf(order.size());
    for (std::size_t begin = 0, end = 0; begin < order.size(); begin = end) {
        for (end = begin + 1; end < order.size() && lightness[order[end]] == lightness[order[begin]]; ++end) {}
        const double quantile = (static_cast<double>(begin) + static_cast<double>(end)) * 0.5 / n;
        const auto slot = std::min(static_cast<std::size_t>(quantile * m), paletteOrder.size() - 1);
        for (std::size_t i = begin; i < end; ++i)
            slotOf[order[i]] = paletteOrder[slot];
    }
    std::vector<std::size_t> match;
    match.reserve(colours.size());
    for (const std::size_t d : distinct)
        match.push_back(slotOf[d]);
    return match;
}

} // namespace

CPaletteMatcher::CPaletteMatcher(std::span<const std::uint32_t> palette, PaletteMatch match)
    : m_palette(palette.begin(), palette.end()), m_match(match)
{
    if (match == PaletteMatch::Nearest)
        m_tree = std::make_unique<const CTree>(palette);
    else
        m_byLightness = PaletteByLightness(palette);
}

CPaletteMatcher::~CPaletteMatcher() = default;

std::vector<std::size_t> CPaletteMatcher::Match(std::span<const std::uint32_t> colours) const
{
    if (m_palette.empty())
        return {};
    if (m_match == PaletteMatch::ByLightness)
        return ByLightness(colours, m_byLightness);
    // A colour often stands under several kinds: each is looked up once.
    absl::flat_hash_map<std::uint32_t, std::size_t> nearestOf;
    std::vector<std::size_t> match;
    match.reserve(colours.size());
    for (const std::uint32_t rgb : colours) {
        const auto [it, fresh] = nearestOf.emplace(rgb & 0xFFFFFF, 0);
        if (fresh)
            it->second = m_tree->Nearest(OkLabOf(rgb));
        match.push_back(it->second);
    }
    return match;
}

std::vector<std::size_t> MatchToPalette(
    std::span<const std::uint32_t> colours, std::span<const std::uint32_t> palette, PaletteMatch match)
{
    return CPaletteMatcher(palette, match).Match(colours);
}

} // namespace tintor
