// Search, sort, families and picks of the colour list, on small tables
// whose every result is known.
#include "colour/list_arrangement.h"
#include "colour/oklab.h"

#include <gtest/gtest.h>

#include <memory>
#include <numeric>

namespace tintor {
namespace {

const KindName kNames[] = {
    {"fill", KIND_FILL}, {"filter", KIND_FILTER}, {"line", KIND_LINE}, {"bg", KIND_BG},
    {"\xe7\xb7\x9a", KIND_LINE}, // 線
};

TEST(ListArrangementTest, SearchTextReadsAsColourPartsAndKinds)
{
    const struct {
        const char* text;
        std::vector<std::string> parts;
        std::uint32_t kinds;
        bool nothing;
    } rows[] = {
        {"", {}, 0, false},
        {"  #FF00 ", {"ff00"}, 0, false},
        {"c0ffee", {"c0ffee"}, 0, false},
        {"#", {}, 0, false},
        {"fil", {}, KIND_FILL | KIND_FILTER, false},
        {"LINE, #12", {"12"}, KIND_LINE, false},
        {"\xe7\xb7\x9a", {}, KIND_LINE, false},
        {"bg line", {}, KIND_BG | KIND_LINE, false},
        {"1234567", {}, 0, true},
        {"#line", {}, 0, true},
        {"purple", {}, 0, true},
    };
    for (const auto& row : rows) {
        const ListFilter filter = ParseListFilter(row.text, kNames);
        EXPECT_EQ(filter.hexParts, row.parts) << row.text;
        EXPECT_EQ(filter.kinds, row.kinds) << row.text;
        EXPECT_EQ(filter.nothing, row.nothing) << row.text;
    }
}

TEST(ListArrangementTest, FilterTakesColourNowOrAsOpenedAndKinds)
{
    // rrggbb of 0x563412 (red in the low byte) reads "123456".
    const std::vector<std::uint32_t> keys
        = {KIND_FILL | 0x563412, KIND_LINE | 0x563412, KIND_FILL | 0x0000FF, KIND_BG | 0xFFFFFF};
    // The blue fill has become #abcdef since.
    const std::vector<std::uint32_t> entries = {keys[0], keys[1], KIND_FILL | 0xEFCDAB, keys[3]};
    const ListSource source{keys, entries, {}};
    const std::vector<std::uint32_t> order = {3, 2, 1, 0};
    const struct {
        const char* text;
        std::vector<std::uint32_t> rows;
    } cases[] = {
        {"", {3, 2, 1, 0}},
        {"3456", {1, 0}},
        {"#123456 line", {1}},
        {"cdef", {2}},   // now
        {"ff0000", {2}}, // as opened
        {"ff", {3, 2}},
        {"12 ff", {}},
        {"bg", {3}},
        {"nonsense", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FilterRows(order, source, ParseListFilter(c.text, kNames)), c.rows) << c.text;
}

TEST(ListArrangementTest, SortsAreStableAndOrderAsNamed)
{
    // Black, dark blue, mid grey, red, green, white.
    const std::vector<std::uint32_t> keys = {KIND_FILL | 0xFFFFFF, KIND_FILL | 0x0000FF, KIND_FILL | 0x808080,
        KIND_FILL | 0x00FF00, KIND_FILL | 0x000000, KIND_LINE | 0x800000, KIND_LINE | 0x808080};
    const std::vector<std::size_t> places = {1, 5, 2, 5, 0, 9, 2};
    const ListSource source{keys, keys, [&](std::uint32_t i) { return places[i]; }};
    const struct {
        ListSort sort;
        std::vector<std::uint32_t> rows;
    } cases[] = {
        {ListSort::ListOrder, {0, 1, 2, 3, 4, 5, 6}},
        // OKLab L: black 0, navy .27, grey .60 (twice), red .63, green .87, white 1.
        {ListSort::Lightness, {4, 5, 2, 6, 1, 3, 0}},
        // Greys by lightness, then red 29°, green 142°, blue 264°.
        {ListSort::Hue, {4, 2, 6, 0, 1, 3, 5}},
        {ListSort::Places, {5, 1, 3, 2, 6, 0, 4}},
    };
    for (const auto& c : cases) {
        std::vector<std::uint32_t> rows(keys.size());
        std::iota(rows.begin(), rows.end(), 0u);
        SortRows(rows, source, c.sort);
        EXPECT_EQ(rows, c.rows) << static_cast<int>(c.sort);
    }
}

TEST(ListArrangementTest, HueSortFollowsTheHueOnAnyNumberOfColours)
{
    // Enough colours for every core to take a share; greys first, then
    // each colour's OKLCh hue never falls by more than the key keeps.
    std::vector<std::uint32_t> keys(1 << 17);
    for (std::uint32_t i = 0; i < keys.size(); ++i)
        keys[i] = KIND_FILL | (i * 0x9E3779B1u >> 8);
    const ListSource source{keys, keys, {}};
    std::vector<std::uint32_t> rows(keys.size());
    std::iota(rows.begin(), rows.end(), 0u);
    SortRows(rows, source, ListSort::Hue);
    const auto hueOf = [&](std::uint32_t row) {
        const OkLab lab = OkLabOf(RgbOf(keys[row]));
        return IsGrey(lab) ? -1.0 : ToOkLch(lab).h;
    };
    std::size_t falls = 0;
    for (std::size_t r = 1; r < rows.size(); ++r)
        falls += hueOf(rows[r]) < hueOf(rows[r - 1]) - 360.0 / 65535;
    EXPECT_EQ(falls, 0u);
}

TEST(ListArrangementTest, ArrangeIsFilterSortAndFamiliesUntilStopped)
{
    auto keys = std::make_shared<std::vector<std::uint32_t>>();
    for (std::uint32_t i = 0; i < 500; ++i)
        keys->push_back((i % 2 ? KIND_FILL : KIND_LINE) | (i * 0x9E3779B1u >> 8));
    auto order = std::make_shared<std::vector<std::uint32_t>>(keys->size());
    std::iota(order->rbegin(), order->rend(), 0u);
    ListRequest request;
    request.keys = keys;
    request.entries = keys;
    request.listOrder = order;
    request.filter = ParseListFilter("line", kNames);
    const ListSource source{*keys, *keys, {}};
    const std::vector<std::uint32_t> filtered = FilterRows(*order, source, request.filter);
    for (const ListSort sort : {ListSort::ListOrder, ListSort::Hue, ListSort::Lightness})
        for (const bool grouped : {false, true}) {
            request.sort = sort;
            request.grouped = grouped;
            std::vector<std::uint32_t> rows = filtered;
            SortRows(rows, source, sort);
            const ListArrangement expected
                = grouped ? GroupRows(rows, source, request.within) : ListArrangement{rows, {}};
            const ListArrangement made = Arrange(request);
            EXPECT_EQ(made.rows, expected.rows) << static_cast<int>(sort) << grouped;
            EXPECT_EQ(made.groupStarts, expected.groupStarts) << static_cast<int>(sort) << grouped;
            EXPECT_TRUE(Arrange(request, [] { return true; }).rows.empty());
        }
}

TEST(ListArrangementTest, FamiliesMakeRowsDarkestFirstMembersInListOrder)
{
    // Two reds close together, a white, two near-blacks, a lone blue.
    const std::vector<std::uint32_t> keys = {KIND_FILL | 0x0000F0, KIND_FILL | 0xFFFFFF, KIND_FILL | 0x000000,
        KIND_FILL | 0x0000FF, KIND_FILL | 0xFF0000, KIND_LINE | 0x010101};
    const ListSource source{keys, keys, {}};
    const std::vector<std::uint32_t> rows = {0, 1, 2, 3, 4, 5};
    const ListArrangement grouped = GroupRows(rows, source, 8.0);
    EXPECT_EQ(grouped.rows, (std::vector<std::uint32_t>{2, 5, 4, 0, 3, 1}));
    EXPECT_EQ(grouped.groupStarts, (std::vector<std::uint32_t>{0, 2, 3, 5}));
    EXPECT_TRUE(GroupRows({}, source, 8.0).groupStarts.empty());
}

TEST(ListArrangementTest, NearestIsFirstOfEqualAndNoneBeyondLimit)
{
    const std::vector<std::uint32_t> colours = {0x000000, 0x101010, 0x0F1111, 0x101010};
    const struct {
        std::uint32_t picked;
        std::int32_t limit;
        std::optional<std::size_t> at;
        std::int32_t distance;
    } cases[] = {
        {0x101010, 1000, 1, 0},
        {0x111111, 1000, 1, 3},
        {0x0E1111, 1000, 2, 1},
        {0x030303, 1000, 0, 27},
        {0x808080, 1000, std::nullopt, 0},
        {0x000000, 0, std::nullopt, 0},
    };
    for (const auto& c : cases) {
        const auto nearest = NearestOf(colours, c.picked, c.limit);
        ASSERT_EQ(nearest.has_value(), c.at.has_value()) << std::hex << c.picked;
        if (nearest) {
            EXPECT_EQ(nearest->at, *c.at) << std::hex << c.picked;
            EXPECT_EQ(nearest->distance, c.distance) << std::hex << c.picked;
        }
    }
}

} // namespace
} // namespace tintor
