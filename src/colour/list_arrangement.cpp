#include "colour/list_arrangement.h"

#include "colour/colour_selection.h"
#include "colour/oklab.h"
#include "core/hex_digit.h"

#include <algorithm>
#include <array>
#include <cmath>

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

// The six digits "rrggbb" of a colour, as nibbles.
std::array<std::uint8_t, 6> Nibbles(std::uint32_t rgb)
{
    const std::uint32_t r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    return {static_cast<std::uint8_t>(r >> 4), static_cast<std::uint8_t>(r & 15), static_cast<std::uint8_t>(g >> 4),
        static_cast<std::uint8_t>(g & 15), static_cast<std::uint8_t>(b >> 4), static_cast<std::uint8_t>(b & 15)};
}

bool HasPart(const std::array<std::uint8_t, 6>& digits, std::string_view part)
{
    for (std::size_t at = 0; at + part.size() <= digits.size(); ++at) {
        std::size_t i = 0;
        while (i < part.size() && digits[at + i] == HexDigit(part[i]))
            ++i;
        if (i == part.size())
            return true;
    }
    return false;
}

// 0..65535 from 0..1, the ends kept.
std::uint32_t Scaled16(double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 65535.0)); }

std::uint32_t SortKeyOf(std::uint32_t rgb, ListSort sort)
{
    const OkLab lab = OkLabOf(rgb);
    const std::uint32_t lightness = Scaled16(lab.L);
    // Greys have no hue: they come before every hue.
    const std::uint32_t hue = IsGrey(lab) ? 0 : 1 + Scaled16(ToOkLch(lab).h / 360.0) * 65534 / 65535;
    return sort == ListSort::Hue ? hue << 16 | lightness : lightness << 16 | hue;
}

// Stable sort of rows by 32-bit keys: two counting passes of 16 bits.
void RadixSort(std::vector<std::uint32_t>& rows, std::vector<std::uint32_t>& keys)
{
    std::vector<std::uint32_t> rowsOut(rows.size()), keysOut(rows.size());
    for (const int shift : {0, 16}) {
        std::vector<std::uint32_t> next(std::size_t{1} << 16 | 1, 0);
        for (const std::uint32_t key : keys)
            ++next[((key >> shift) & 0xFFFF) + 1];
        for (std::size_t v = 1; v < next.size(); ++v)
            next[v] += next[v - 1];
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::uint32_t at = next[(keys[i] >> shift) & 0xFFFF]++;
            rowsOut[at] = rows[i];
            keysOut[at] = keys[i];
        }
        rows.swap(rowsOut);
        keys.swap(keysOut);
    }
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

bool HexMatches(std::uint32_t rgb, std::span<const std::string> parts)
{
    const auto digits = Nibbles(rgb);
    return std::all_of(parts.begin(), parts.end(), [&](const std::string& part) { return HasPart(digits, part); });
}

std::vector<std::uint32_t> FilterRows(
    std::span<const std::uint32_t> listOrder, const ListSource& source, const ListFilter& filter)
{
    if (filter.TakesAll())
        return {listOrder.begin(), listOrder.end()};
    std::vector<std::uint32_t> rows;
    if (filter.nothing)
        return rows;
    for (const std::uint32_t i : listOrder) {
        if (i >= source.keys.size() || i >= source.entries.size())
            continue;
        const std::uint32_t key = source.keys[i];
        if (filter.kinds != 0 && (key & filter.kinds) == 0)
            continue;
        if (filter.hexParts.empty() || HexMatches(RgbOf(source.entries[i]), filter.hexParts)
            || HexMatches(RgbOf(key), filter.hexParts))
            rows.push_back(i);
    }
    return rows;
}

void SortRows(std::vector<std::uint32_t>& rows, const ListSource& source, ListSort sort)
{
    if (sort == ListSort::ListOrder || rows.size() < 2)
        return;
    std::vector<std::uint32_t> keys(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::uint32_t i = rows[r];
        if (sort == ListSort::Places) {
            const std::size_t places = source.places ? source.places(i) : 0;
            // Most places first.
            keys[r] = ~static_cast<std::uint32_t>(std::min<std::size_t>(places, 0xFFFFFFFFu));
        } else
            keys[r] = SortKeyOf(RgbOf(i < source.entries.size() ? source.entries[i] : 0), sort);
    }
    RadixSort(rows, keys);
}

ListArrangement GroupRows(std::span<const std::uint32_t> rows, const ListSource& source, double within)
{
    ListArrangement grouped;
    std::vector<std::uint32_t> rgbs(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        rgbs[r] = rows[r] < source.entries.size() ? RgbOf(source.entries[rows[r]]) : 0;
    const std::vector<std::uint32_t> families = ColourFamilies(rgbs, within);
    const std::vector<FamilySummary> order = OrderFamilies(rgbs, families);
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
