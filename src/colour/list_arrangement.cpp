#include "colour/list_arrangement.h"

#include "colour/colour_selection.h"
#include "colour/oklab.h"
#include "core/hex_digit.h"
#include "core/parallel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace tintor {
namespace {

bool IsSeparator(char c) { return c == ' ' || c == ',' || c == '\t' || c == '\n' || c == '\r'; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithFolded(std::string_view name, std::string_view word)
{
    if (word.size() > name.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (LowerAscii(name[i]) != LowerAscii(word[i]))
            return false;
    return true;
}

// A colour part of the search as a number: its digits and their value.
struct HexPart {
    std::uint32_t value = 0;
    int digits = 0;
};

std::vector<HexPart> HexPartsOf(std::span<const std::string> parts)
{
    std::vector<HexPart> compiled;
    for (const std::string& part : parts) {
        HexPart hex;
        for (const char c : part.substr(0, 6)) {
            hex.value = hex.value << 4 | static_cast<std::uint32_t>(HexDigit(c));
            ++hex.digits;
        }
        compiled.push_back(hex);
    }
    return compiled;
}

// Whether the colour written "rrggbb" holds every part somewhere: each
// place a part can stand is a shift of the colour's number.
bool HasParts(std::uint32_t rgb, std::span<const HexPart> parts)
{
    const std::uint32_t written = (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
    for (const HexPart& part : parts) {
        const std::uint32_t mask = (std::uint32_t{1} << (4 * part.digits)) - 1;
        bool found = false;
        for (int shift = 4 * (6 - part.digits); shift >= 0 && !found; shift -= 4)
            found = (written >> shift & mask) == part.value;
        if (!found)
            return false;
    }
    return true;
}

// Below this many colours a thread costs more than it saves.
constexpr std::size_t kColoursPerThread = std::size_t{1} << 15;

// The hue of a and b as a share of a turn, 0 <= share < 1, without the
// cost of atan2: an arctangent polynomial (Abramowitz and Stegun 4.4.49,
// off by at most 2e-8 radians), far finer than the 1/65535 of a turn the
// sort key keeps.
double HueTurns(double a, double b)
{
    constexpr double kCoefficients[] = {0.0028662257, -0.0161657367, 0.0429096138, -0.0752896400, 0.1065626393,
        -0.1420889944, 0.1999355085, -0.3333314528, 1.0};
    const double x = std::abs(a), y = std::abs(b);
    const double low = std::min(x, y), high = std::max(x, y);
    const double t = high > 0.0 ? low / high : 0.0;
    const double t2 = t * t;
    double angle = 0.0;
    for (const double c : kCoefficients)
        angle = angle * t2 + c;
    angle *= t;
    if (y > x)
        angle = std::numbers::pi / 2 - angle;
    if (a < 0.0)
        angle = std::numbers::pi - angle;
    double turns = angle / (2 * std::numbers::pi);
    if (b < 0.0)
        turns = 1.0 - turns;
    return turns >= 1.0 ? 0.0 : turns;
}

// 0..65535 from 0..1, the ends kept.
std::uint32_t Scaled16(double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 65535.0)); }

std::uint32_t SortKeyOf(const OkLab& lab, ListSort sort)
{
    const std::uint32_t lightness = Scaled16(lab.L);
    // Greys have no hue: they come before every hue.
    const std::uint32_t hue = IsGrey(lab) ? 0 : 1 + Scaled16(HueTurns(lab.a, lab.b)) * 65534 / 65535;
    return sort == ListSort::Hue ? hue << 16 | lightness : lightness << 16 | hue;
}

// Stable sort of rows by 32-bit keys: three counting passes of 11 bits
// over each key and its row packed into one number, few enough places to
// write to at once that the writes stay in the cache.
void RadixSort(std::vector<std::uint32_t>& rows, const std::vector<std::uint32_t>& keys)
{
    constexpr int kDigitBits = 11;
    constexpr std::size_t kDigits = std::size_t{1} << kDigitBits;
    std::vector<std::uint64_t> items(rows.size()), sorted(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        items[i] = std::uint64_t{keys[i]} << 32 | rows[i];
    for (int shift = 32; shift < 64; shift += kDigitBits) {
        std::vector<std::size_t> next(kDigits + 1, 0);
        for (const std::uint64_t item : items)
            ++next[((item >> shift) & (kDigits - 1)) + 1];
        for (std::size_t v = 1; v < next.size(); ++v)
            next[v] += next[v - 1];
        for (const std::uint64_t item : items)
            sorted[next[(item >> shift) & (kDigits - 1)]++] = item;
        items.swap(sorted);
    }
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<std::uint32_t>(items[i]);
}

} // namespace

ListFilter ParseListFilter(std::string_view text, std::span<const KindName> kindNames)
{
    ListFilter filter;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && IsSeparator(text[at]))
            ++at;
        std::size_t end = at;
        while (end < text.size() && !IsSeparator(text[end]))
            ++end;
        std::string_view word = text.substr(at, end - at);
        at = end;
        if (word.empty())
            continue;
        const bool marked = word.front() == '#';
        const std::string_view digits = marked ? word.substr(1) : word;
        const bool hex = std::all_of(digits.begin(), digits.end(), [](char c) { return HexDigit(c) >= 0; });
        if (hex && digits.size() <= 6 && (marked || !digits.empty())) {
            if (!digits.empty()) {
                std::string part;
                for (const char c : digits)
                    part += LowerAscii(c);
                filter.hexParts.push_back(std::move(part));
            }
            continue;
        }
        std::uint32_t kinds = 0;
        if (!marked)
            for (const KindName& name : kindNames)
                if (StartsWithFolded(name.name, word))
                    kinds |= name.kind;
        if (kinds == 0)
            filter.nothing = true;
        filter.kinds |= kinds;
    }
    return filter;
}

bool HexMatches(std::uint32_t rgb, std::span<const std::string> parts) { return HasParts(rgb, HexPartsOf(parts)); }

std::vector<std::uint32_t> FilterRows(
    std::span<const std::uint32_t> listOrder, const ListSource& source, const ListFilter& filter)
{
    if (filter.TakesAll())
        return {listOrder.begin(), listOrder.end()};
    std::vector<std::uint32_t> rows;
    if (filter.nothing)
        return rows;
    // Whether each entry matches, worked out in the table's order, where
    // neighbours lie side by side; the list's order, which jumps all over
    // the table, then reads only these flags.
    const std::vector<HexPart> parts = HexPartsOf(filter.hexParts);
    const std::size_t n = std::min(source.keys.size(), source.entries.size());
    std::vector<std::uint8_t> matches(n);
    ForEachShare(n, kColoursPerThread, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            const std::uint32_t key = source.keys[i];
            matches[i] = (filter.kinds == 0 || (key & filter.kinds) != 0)
                && (parts.empty() || HasParts(RgbOf(source.entries[i]), parts) || HasParts(RgbOf(key), parts));
        }
    });
    for (const std::uint32_t i : listOrder)
        if (i < n && matches[i])
            rows.push_back(i);
    return rows;
}

void SortRows(std::vector<std::uint32_t>& rows, const ListSource& source, ListSort sort)
{
    if (sort == ListSort::ListOrder || rows.size() < 2)
        return;
    std::vector<std::uint32_t> keys(rows.size());
    if (sort == ListSort::Places) {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const std::size_t places = source.places ? source.places(rows[r]) : 0;
            // Most places first.
            keys[r] = ~static_cast<std::uint32_t>(std::min<std::size_t>(places, 0xFFFFFFFFu));
        }
    } else {
        // The colours are gathered first: the rows jump all over the table,
        // and a loop that does nothing else keeps many reads on their way.
        for (std::size_t r = 0; r < rows.size(); ++r)
            keys[r] = rows[r] < source.entries.size() ? RgbOf(source.entries[rows[r]]) : 0;
        ForEachShare(keys.size(), kColoursPerThread, [&](std::size_t begin, std::size_t end) {
            // A chunk's colours converted in one tight loop, then keyed.
            constexpr std::size_t kChunk = 1024;
            std::array<OkLab, kChunk> labs{};
            for (std::size_t at = begin; at < end; at += kChunk) {
                const std::size_t count = std::min(kChunk, end - at);
                OkLabsOf(std::span<const std::uint32_t>(keys).subspan(at, count), labs);
                for (std::size_t j = 0; j < count; ++j)
                    keys[at + j] = SortKeyOf(labs[j], sort);
            }
        });
    }
    RadixSort(rows, keys);
}

ListArrangement GroupRows(std::span<const std::uint32_t> rows, const ListSource& source, double within)
{
    ListArrangement grouped;
    std::vector<std::uint32_t> rgbs(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        rgbs[r] = rows[r] < source.entries.size() ? RgbOf(source.entries[rows[r]]) : 0;
    std::vector<OkLab> labs(rgbs.size());
    OkLabsOf(rgbs, labs);
    const std::vector<std::uint32_t> families = ColourFamilies(rgbs, labs, within);
    const std::vector<FamilySummary> order = OrderFamilies(std::span<const OkLab>(labs), families);
    // Where each family's members go: a counting pass by the family's place in the order.
    std::vector<std::uint32_t> start(order.size() + 2, 0);
    std::vector<std::uint32_t> rank(order.size() + 1, 0);
    for (std::size_t k = 0; k < order.size(); ++k) {
        rank[order[k].family] = static_cast<std::uint32_t>(k);
        start[k + 1] = start[k] + static_cast<std::uint32_t>(order[k].members);
    }
    grouped.groupStarts.assign(start.begin(), start.begin() + static_cast<std::ptrdiff_t>(order.size()));
    grouped.rows.resize(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        grouped.rows[start[rank[families[r]]]++] = rows[r];
    return grouped;
}

ListArrangement Arrange(const ListRequest& request, const std::function<bool()>& stop)
{
    const auto stopped = [&stop] { return stop && stop(); };
    ListArrangement arrangement;
    if (!request.keys || !request.entries || !request.listOrder)
        return arrangement;
    const auto& places = request.places;
    const ListSource source{*request.keys, *request.entries,
        [&places](std::uint32_t i) -> std::size_t { return places && i < places->size() ? (*places)[i] : 0; }};
    std::vector<std::uint32_t> rows = FilterRows(*request.listOrder, source, request.filter);
    if (stopped())
        return arrangement;
    SortRows(rows, source, request.sort);
    if (stopped())
        return arrangement;
    if (request.grouped)
        return GroupRows(rows, source, request.within);
    arrangement.rows = std::move(rows);
    return arrangement;
}

std::optional<NearestPick> NearestOf(std::span<const std::uint32_t> colours, std::uint32_t rgb, std::int32_t limit)
{
    const auto distance = [](std::uint32_t x, std::uint32_t y) {
        std::int32_t sum = 0;
        for (const int shift : {0, 8, 16}) {
            const std::int32_t d
                = static_cast<std::int32_t>((x >> shift) & 0xFF) - static_cast<std::int32_t>((y >> shift) & 0xFF);
            sum += d * d;
        }
        return sum;
    };
    std::optional<NearestPick> best;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::int32_t d = distance(colours[i], rgb);
        if (d < limit && (!best || d < best->distance))
            best = NearestPick{i, d};
    }
    return best;
}

} // namespace tintor
