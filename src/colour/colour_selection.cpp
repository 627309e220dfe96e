#include "colour/colour_selection.h"

#include "core/parallel.h"

#include <absl/container/flat_hash_map.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <numbers>
#include <numeric>

namespace tintor {
namespace {

// No two different 8-bit colours lie closer than about ΔE 0.007 (two
// yellows next to white); at or below this tolerance only equal colours are
// near each other, and the grid below would need cells finer than its keys
// can number.
constexpr double kFinestWithin = 1e-3;

// Below this many colours a thread costs more than it saves.
constexpr std::size_t kColoursPerThread = std::size_t{1} << 15;

std::optional<double> ParseDegrees(std::string_view text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || !(value >= 0.0 && value <= 360.0))
        return std::nullopt;
    return value;
}

class CDisjointSets {
public:
    explicit CDisjointSets(std::size_t n) : m_parent(n) { std::iota(m_parent.begin(), m_parent.end(), 0u); }

    std::uint32_t Find(std::uint32_t i)
    {
        while (m_parent[i] != i) {
            m_parent[i] = m_parent[m_parent[i]];
            i = m_parent[i];
        }
        return i;
    }
    void Join(std::uint32_t a, std::uint32_t b)
    {
        a = Find(a);
        b = Find(b);
        if (a != b)
            m_parent[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<std::uint32_t> m_parent;
};

// Cells of the grid are numbered by 21 bits per axis, packed into one key.
// Every coordinate of a colour plus 0.5 lies in 0..1.6, and a cell index is
// kept at least 2 away from either end, so that adding a neighbour's offset
// to a packed key never carries from one axis into the next.
constexpr int kAxisBits = 21;
constexpr std::int64_t kAxisLimit = (std::int64_t{1} << kAxisBits) - 3;

std::uint64_t AxisIndex(double v, double side)
{
    const double index = std::floor((v + 0.5) / side) + 2.0;
    return static_cast<std::uint64_t>(std::clamp(index, 2.0, static_cast<double>(kAxisLimit)));
}

std::uint64_t CellOf(const OkLab& lab, double side)
{
    return AxisIndex(lab.L, side) << (2 * kAxisBits) | AxisIndex(lab.a, side) << kAxisBits | AxisIndex(lab.b, side);
}

// The neighbours that can hold a colour within reach: up to two cells away
// on each axis, as reach is sqrt(3) sides. Only the half after the cell
// itself, as each pair of cells is looked at once.
std::vector<std::int64_t> ForwardOffsets()
{
    std::vector<std::int64_t> offsets;
    for (std::int64_t di = -2; di <= 2; ++di)
        for (std::int64_t dj = -2; dj <= 2; ++dj)
            for (std::int64_t dk = -2; dk <= 2; ++dk)
                if (di > 0 || (di == 0 && (dj > 0 || (dj == 0 && dk > 0))))
                    offsets.push_back(
                        di * (std::int64_t{1} << (2 * kAxisBits)) + dj * (std::int64_t{1} << kAxisBits) + dk);
    return offsets;
}

struct Cell {
    std::uint64_t key = 0;
    std::uint32_t begin = 0; // into the members ordered by cell
    std::uint32_t end = 0;
    OkLab low; // the members' bounding box
    OkLab high;
};

double SquaredDistanceToBox(const OkLab& p, const Cell& cell)
{
    const auto gap = [](double v, double low, double high) { return std::max({low - v, 0.0, v - high}); };
    const double dL = gap(p.L, cell.low.L, cell.high.L), da = gap(p.a, cell.low.a, cell.high.a),
                 db = gap(p.b, cell.low.b, cell.high.b);
    return dL * dL + da * da + db * db;
}

// Joins every two members closer than reach, step by step. The colours go
// into a grid of cells with sides of reach / sqrt(3): any two colours in one
// cell are within reach, so each cell is joined at once, and two cells need
// only one close pair between them, looked for only while they are apart.
void JoinNear(std::span<const OkLab> labs, std::span<const std::uint32_t> members, double reach, CDisjointSets& sets)
{
    if (members.empty())
        return;
    const double side = reach / std::numbers::sqrt3 * (1.0 - 1e-9);
    const double reachSquared = reach * reach;
    // The members by cell, counted into place (the cells are few, the
    // members millions), each cell's in their own order; and their colours
    // in the same order, so that the colours of a cell lie side by side.
    std::vector<Cell> cells;
    absl::flat_hash_map<std::uint64_t, std::uint32_t> cellAt;
    std::vector<std::uint32_t> cellOf(members.size());
    for (std::size_t k = 0; k < members.size(); ++k) {
        const std::uint64_t key = CellOf(labs[members[k]], side);
        const auto [found, fresh] = cellAt.try_emplace(key, static_cast<std::uint32_t>(cells.size()));
        if (fresh)
            cells.push_back(Cell{key, 0, 0, {}, {}});
        cellOf[k] = found->second;
        ++cells[found->second].end;
    }
    std::uint32_t next = 0;
    for (Cell& cell : cells) {
        cell.begin = next;
        next += cell.end;
        cell.end = cell.begin;
    }
    std::vector<std::uint32_t> order(members.size());
    std::vector<OkLab> points(members.size());
    for (std::size_t k = 0; k < members.size(); ++k) {
        Cell& cell = cells[cellOf[k]];
        order[cell.end] = members[k];
        points[cell.end] = labs[members[k]];
        ++cell.end;
    }
    for (Cell& cell : cells) {
        cell.low = cell.high = points[cell.begin];
        for (std::uint32_t x = cell.begin; x < cell.end; ++x) {
            const OkLab& p = points[x];
            cell.low = {std::min(cell.low.L, p.L), std::min(cell.low.a, p.a), std::min(cell.low.b, p.b)};
            cell.high = {std::max(cell.high.L, p.L), std::max(cell.high.a, p.a), std::max(cell.high.b, p.b)};
            sets.Join(order[cell.begin], order[x]);
        }
    }

    const std::vector<std::int64_t> offsets = ForwardOffsets();
    for (const Cell& cell : cells) {
        const std::uint32_t first = order[cell.begin];
        for (const std::int64_t offset : offsets) {
            const auto found = cellAt.find(cell.key + static_cast<std::uint64_t>(offset));
            if (found == cellAt.end())
                continue;
            const Cell& other = cells[found->second];
            if (sets.Find(first) == sets.Find(order[other.begin]))
                continue;
            const auto joined = [&] {
                for (std::uint32_t x = cell.begin; x < cell.end; ++x) {
                    if (SquaredDistanceToBox(points[x], other) >= reachSquared)
                        continue;
                    for (std::uint32_t y = other.begin; y < other.end; ++y)
                        if (SquaredDistance(points[x], points[y]) < reachSquared)
                            return true;
                }
                return false;
            };
            if (joined())
                sets.Join(first, order[other.begin]);
        }
    }
}

} // namespace

std::optional<HueRange> ParseHueRange(std::string_view text)
{
    const std::size_t dots = text.find("..");
    if (dots == std::string_view::npos)
        return std::nullopt;
    const auto from = ParseDegrees(text.substr(0, dots));
    const auto to = ParseDegrees(text.substr(dots + 2));
    if (!from || !to)
        return std::nullopt;
    return HueRange{*from, *to};
}

CSelectionMatcher::CSelectionMatcher(const ColourSelection& selection)
    : m_selection(selection), m_withinSquared((selection.within / 100.0) * (selection.within / 100.0))
{
    std::sort(m_selection.keys.begin(), m_selection.keys.end());
    std::sort(m_selection.except.begin(), m_selection.except.end());
    for (const std::uint32_t rgb : selection.near)
        m_near.push_back(OkLabOf(rgb));
    if (const auto& hues = selection.hues) {
        const double radians = std::numbers::pi / 180.0;
        m_fromA = std::cos(hues->from * radians);
        m_fromB = std::sin(hues->from * radians);
        m_toA = std::cos(hues->to * radians);
        m_toB = std::sin(hues->to * radians);
        m_hueWidth = hues->from <= hues->to ? hues->to - hues->from : 360.0 - hues->from + hues->to;
    }
}

bool CSelectionMatcher::InHues(double a, double b) const
{
    if (m_hueWidth >= 360.0)
        return true;
    // Positive when the colour lies counterclockwise of the range's start,
    // and when the range's end lies counterclockwise of the colour.
    const double afterFrom = m_fromA * b - m_fromB * a;
    const double beforeTo = a * m_toB - b * m_toA;
    if (m_hueWidth > 180.0)
        return !(afterFrom < 0.0 && beforeTo < 0.0);
    // A range of no width holds its one hue, not the opposite one too.
    return afterFrom >= 0.0 && beforeTo >= 0.0 && (m_hueWidth > 0.0 || m_fromA * a + m_fromB * b > 0.0);
}

bool CSelectionMatcher::Excepts(ColorKey key) const
{
    return std::binary_search(m_selection.except.begin(), m_selection.except.end(), key);
}

bool CSelectionMatcher::TakesByName(ColorKey key) const
{
    return m_selection.all || (key & m_selection.kinds) != 0
        || std::binary_search(m_selection.keys.begin(), m_selection.keys.end(), key);
}

bool CSelectionMatcher::TakesByLook(const OkLab& lab) const
{
    for (const OkLab& centre : m_near)
        if (SquaredDistance(lab, centre) <= m_withinSquared)
            return true;
    return m_selection.hues && !IsGrey(lab) && InHues(lab.a, lab.b);
}

bool CSelectionMatcher::Takes(ColorKey key, std::uint32_t rgb) const
{
    if (Excepts(key))
        return false;
    if (TakesByName(key))
        return true;
    return LooksMatter() && TakesByLook(OkLabOf(rgb));
}

std::vector<std::uint8_t> CSelectionMatcher::TakesEach(
    std::span<const ColorKey> keys, std::span<const std::uint32_t> entries) const
{
    const std::size_t n = std::min(keys.size(), entries.size());
    std::vector<std::uint8_t> takes(n);
    ForEachShare(n, kColoursPerThread, [&](std::size_t begin, std::size_t end) {
        // A chunk's colours converted in one tight loop, then judged.
        constexpr std::size_t kChunk = 1024;
        std::array<std::uint32_t, kChunk> colours{};
        std::array<OkLab, kChunk> labs{};
        for (std::size_t at = begin; at < end; at += kChunk) {
            const std::size_t count = std::min(kChunk, end - at);
            if (LooksMatter()) {
                for (std::size_t j = 0; j < count; ++j)
                    colours[j] = RgbOf(entries[at + j]);
                OkLabsOf(std::span(colours).first(count), labs);
            }
            for (std::size_t j = 0; j < count; ++j) {
                const ColorKey key = keys[at + j];
                takes[at + j] = !Excepts(key) && (TakesByName(key) || (LooksMatter() && TakesByLook(labs[j])));
            }
        }
    });
    return takes;
}

std::vector<std::uint32_t> ColourFamilies(std::span<const std::uint32_t> rgbs, double within)
{
    std::vector<OkLab> labs;
    if (within > kFinestWithin) {
        labs.resize(rgbs.size());
        OkLabsOf(rgbs, labs);
    }
    return ColourFamilies(rgbs, labs, within);
}

std::vector<std::uint32_t> ColourFamilies(
    std::span<const std::uint32_t> rgbs, std::span<const OkLab> labs, double within)
{
    CDisjointSets sets(rgbs.size());
    if (within > kFinestWithin && labs.size() == rgbs.size()) {
        std::vector<std::uint32_t> greys, others;
        for (std::uint32_t i = 0; i < rgbs.size(); ++i)
            (IsGrey(labs[i]) ? greys : others).push_back(i);
        JoinNear(labs, greys, within / 100.0, sets);
        JoinNear(labs, others, within / 100.0, sets);
    } else if (within > 0.0) {
        absl::flat_hash_map<std::uint32_t, std::uint32_t> first;
        for (std::uint32_t i = 0; i < rgbs.size(); ++i)
            sets.Join(first.emplace(rgbs[i] & kColourMask, i).first->second, i);
    }

    std::vector<std::uint32_t> family(rgbs.size());
    std::vector<std::uint32_t> numberOf(rgbs.size(), 0);
    std::uint32_t next = 0;
    for (std::uint32_t i = 0; i < rgbs.size(); ++i) {
        std::uint32_t& number = numberOf[sets.Find(i)];
        if (number == 0)
            number = ++next;
        family[i] = number;
    }
    return family;
}

std::vector<FamilySummary> OrderFamilies(std::span<const std::uint32_t> rgbs, std::span<const std::uint32_t> families)
{
    std::vector<OkLab> labs(rgbs.size());
    OkLabsOf(rgbs, labs);
    return OrderFamilies(std::span<const OkLab>(labs), families);
}

std::vector<FamilySummary> OrderFamilies(std::span<const OkLab> labs, std::span<const std::uint32_t> families)
{
    struct Sums {
        std::size_t members = 0;
        double L = 0, a = 0, b = 0;
        bool grey = false;
    };
    std::vector<Sums> sums;
    for (std::size_t i = 0; i < labs.size() && i < families.size(); ++i) {
        if (families[i] == 0)
            continue;
        if (families[i] > sums.size())
            sums.resize(families[i]);
        Sums& sum = sums[families[i] - 1];
        const OkLab& lab = labs[i];
        if (sum.members++ == 0)
            sum.grey = IsGrey(lab);
        sum.L += lab.L;
        sum.a += lab.a;
        sum.b += lab.b;
    }
    std::vector<FamilySummary> order;
    for (std::size_t f = 0; f < sums.size(); ++f) {
        const Sums& sum = sums[f];
        if (sum.members == 0)
            continue;
        const double n = static_cast<double>(sum.members);
        FamilySummary summary{static_cast<std::uint32_t>(f + 1), sum.members, sum.L / n, std::nullopt};
        if (!sum.grey)
            summary.hue = ToOkLch({0.0, sum.a / n, sum.b / n}).h;
        order.push_back(summary);
    }
    std::stable_sort(order.begin(), order.end(), [](const FamilySummary& x, const FamilySummary& y) {
        if (x.lightness != y.lightness)
            return x.lightness < y.lightness;
        return x.hue.value_or(-1.0) < y.hue.value_or(-1.0);
    });
    return order;
}

} // namespace tintor
