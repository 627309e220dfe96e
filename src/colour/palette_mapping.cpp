#include "colour/palette_mapping.h"

#include "colour/oklab.h"

#include <absl/container/flat_hash_map.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tintor {
namespace {

std::vector<std::size_t> Nearest(std::span<const std::uint32_t> colours, std::span<const std::uint32_t> palette)
{
    std::vector<OkLab> labs;
    labs.reserve(palette.size());
    for (const std::uint32_t rgb : palette)
        labs.push_back(OkLabOf(rgb));
    // A colour often stands under several kinds: each is looked up once.
    absl::flat_hash_map<std::uint32_t, std::size_t> nearestOf;
    std::vector<std::size_t> match;
    match.reserve(colours.size());
    for (const std::uint32_t rgb : colours) {
        const auto [it, fresh] = nearestOf.emplace(rgb & 0xFFFFFF, 0);
        if (fresh) {
            const OkLab lab = OkLabOf(rgb);
            double bestDistance = SquaredDistance(lab, labs[0]);
            for (std::size_t i = 1; i < labs.size(); ++i)
                if (const double d = SquaredDistance(lab, labs[i]); d < bestDistance) {
                    it->second = i;
                    bestDistance = d;
                }
        }
        match.push_back(it->second);
    }
    return match;
}

// Indices 0..n-1 sorted by the lightness of each, ties in their own order.
std::vector<std::size_t> ByLightnessOrder(std::span<const double> lightness)
{
    std::vector<std::size_t> order(lightness.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(
        order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return lightness[x] < lightness[y]; });
    return order;
}

std::vector<std::size_t> ByLightness(std::span<const std::uint32_t> colours, std::span<const std::uint32_t> palette)
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
    std::vector<double> paletteLightness;
    for (const std::uint32_t rgb : palette)
        paletteLightness.push_back(OkLabOf(rgb).L);
    const std::vector<std::size_t> paletteOrder = ByLightnessOrder(paletteLightness);

    // A run of equal lightness takes the quantile of its middle.
    const std::vector<std::size_t> order = ByLightnessOrder(lightness);
    const double n = static_cast<double>(order.size()), m = static_cast<double>(palette.size());
    std::vector<std::size_t> slotOf(order.size());
    for (std::size_t begin = 0, end = 0; begin < order.size(); begin = end) {
        for (end = begin + 1; end < order.size() && lightness[order[end]] == lightness[order[begin]]; ++end) {}
        const double quantile = (static_cast<double>(begin) + static_cast<double>(end)) * 0.5 / n;
        const auto slot = std::min(static_cast<std::size_t>(quantile * m), palette.size() - 1);
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

std::vector<std::size_t> MatchToPalette(
    std::span<const std::uint32_t> colours, std::span<const std::uint32_t> palette, PaletteMatch match)
{
    if (palette.empty())
        return {};
    return match == PaletteMatch::Nearest ? Nearest(colours, palette) : ByLightness(colours, palette);
}

} // namespace tintor
