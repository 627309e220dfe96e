#pragma once

#include "swf/colour_key.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tintor {

// How the colour list is arranged: which of the listed colours it shows
// (what the search box asks for), in which order, and whether by family.
// Everything here is one pass (or a counting sort) over plain arrays, since
// the list may hold millions of colours.

enum class ListSort {
    ListOrder, // the table's order: HLS lightness, then hue
    Lightness, // OKLab lightness, then hue
    Hue,       // greys first, then by OKLCh hue; lightness within a hue
    Places,    // most places of the movie first
};

// What the search box asks for. Every colour part must be in the colour's
// "rrggbb"; when kinds are named, the colour must be of one of them.
struct ListFilter {
    std::vector<std::string> hexParts; // lower-case hex digits, 1 to 6 each
    std::uint32_t kinds = 0;           // 0: any kind
    bool nothing = false;              // a word named neither colour nor kind

    bool TakesAll() const { return hexParts.empty() && kinds == 0 && !nothing; }
};

// A name a kind goes by, in any language.
struct KindName {
    std::string_view name; // UTF-8
    ColorKind kind;
};

// Reads the search box: words split by spaces and commas. "#12ab" or a word
// of hex digits alone is a colour part; any other word names every kind of
// which it begins a name (case does not matter for ASCII letters); a word
// that does neither matches nothing.
ListFilter ParseListFilter(std::string_view text, std::span<const KindName> kindNames);

// Whether a colour (red in the low byte) written "rrggbb" holds every part.
bool HexMatches(std::uint32_t rgb, std::span<const std::string> parts);

// What the arrangement reads of the table, by dense index.
struct ListSource {
    std::span<const std::uint32_t> keys;    // the table's keys
    std::span<const std::uint32_t> entries; // the table's entries (colour now in bits 0-23)
    // How many places of the movie use the entry; needed only for Places.
    std::function<std::size_t(std::uint32_t index)> places;
};

// The rows of the list as dense indices, and where each family's row starts
// when grouped (empty otherwise).
struct ListArrangement {
    std::vector<std::uint32_t> rows;
    std::vector<std::uint32_t> groupStarts;
};

// The entries of listOrder that the filter takes, in listOrder's order. A
// colour matches by its colour now or by its colour in the movie as opened.
std::vector<std::uint32_t> FilterRows(
    std::span<const std::uint32_t> listOrder, const ListSource& source, const ListFilter& filter);

// Sorts rows (stable, so equal colours keep their order) by the colours the
// entries have now.
void SortRows(std::vector<std::uint32_t>& rows, const ListSource& source, ListSort sort);

// The rows grouped into colour families (ColourFamilies, within ΔE
// `within`): the families darkest first, then by hue, each family's members
// in the order they had in rows.
ListArrangement GroupRows(std::span<const std::uint32_t> rows, const ListSource& source, double within);

// Everything an arrangement is made from, owned, so that it can be made on
// another thread while the table goes on changing.
struct ListRequest {
    std::shared_ptr<const std::vector<std::uint32_t>> keys;      // the table's keys
    std::shared_ptr<const std::vector<std::uint32_t>> entries;   // a copy of its entries
    std::shared_ptr<const std::vector<std::uint32_t>> listOrder; // dense indices in the list's order
    // Places of each entry; needed only for ListSort::Places.
    std::shared_ptr<const std::vector<std::uint32_t>> places;
    ListFilter filter;
    ListSort sort = ListSort::ListOrder;
    bool grouped = false;
    double within = 8.0;

    // Whether the arrangement is the list's order filtered, and no more.
    bool FilterOnly() const { return sort == ListSort::ListOrder && !grouped; }
};

// The rows the request asks for: filtered, sorted and, when asked, grouped.
// Between the steps it asks stop, when given, whether the rows are still
// wanted; nothing comes back once they are not.
ListArrangement Arrange(const ListRequest& request, const std::function<bool()>& stop = {});

// Of colours (red in the low byte), the first nearest to rgb by squared RGB
// distance, when closer than limit.
struct NearestPick {
    std::size_t at = 0;
    std::int32_t distance = 0;
};
std::optional<NearestPick> NearestOf(std::span<const std::uint32_t> colours, std::uint32_t rgb, std::int32_t limit);

// The squared distance up to which a picked screen pixel counts as showing
// a colour of the list itself: a rounding step in each channel. Further
// off, the pixel may be a blend (translucency, an edge, a filter) and the
// pick is uncertain.
inline constexpr std::int32_t kExactPick = 3 * 2 * 2;

} // namespace tintor
