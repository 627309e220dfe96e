// Selection by appearance, colour families and palette matching, on colours
// planned so that each result is known.
#include "colour/colour_selection.h"
#include "colour/oklab.h"
#include "colour/palette_mapping.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace tintor {
namespace {

TEST(ColourSelectionTest, HueRangesParseAndWrap)
{
    const struct {
        const char* text;
        bool valid;
        double in, out; // a hue inside and one outside
    } rows[] = {
        {"10..20", true, 15, 25},
        {"350..20", true, 5, 30},
        {"350..20", true, 355, 340},
        {"0..360", true, 359.9, -1},
        {"12.5..12.5", true, 12.5, 12.6},
        {"..20", false, 0, 0},
        {"10..", false, 0, 0},
        {"10..361", false, 0, 0},
        {"-5..20", false, 0, 0},
        {"10-20", false, 0, 0},
        {"10..20x", false, 0, 0},
    };
    for (const auto& row : rows) {
        const auto range = ParseHueRange(row.text);
        ASSERT_EQ(range.has_value(), row.valid) << row.text;
        if (range) {
            EXPECT_TRUE(range->Contains(row.in)) << row.text;
            EXPECT_FALSE(range->Contains(row.out)) << row.text;
        }
    }
}

TEST(ColourSelectionTest, EachChoiceTakesItsColoursAndExceptWins)
{
    // Red's OKLCh hue is 29.2, blue's 264.1; #dc1818 lies ΔE 6.8 from red.
    const std::uint32_t red = 0x0000FF, redder = 0x1818DC, blue = 0xFF0000, grey = 0x808080;
    ColourSelection similar;
    similar.near = {red};
    ColourSelection narrow = similar;
    narrow.within = 5;
    ColourSelection hues;
    hues.hues = HueRange{20, 40};
    ColourSelection wrapping;
    wrapping.hues = HueRange{250, 30};
    ColourSelection except = similar;
    except.except = {KIND_LINE | redder};
    ColourSelection byKind;
    byKind.kinds = KIND_TEXT;
    byKind.keys = {KIND_BG | blue};
    const struct {
        const char* name;
        const ColourSelection& selection;
        ColorKey key;
        bool taken;
    } rows[] = {
        {"the colour itself", similar, KIND_FILL | red, true},
        {"within 8", similar, KIND_LINE | redder, true},
        {"not within 5", narrow, KIND_LINE | redder, false},
        {"far", similar, KIND_FILL | blue, false},
        {"hue in range", hues, KIND_FILL | red, true},
        {"hue out of range", hues, KIND_FILL | blue, false},
        {"a grey has no hue", wrapping, KIND_FILL | grey, false},
        {"wrapped range, past 0", wrapping, KIND_FILL | red, true},
        {"wrapped range, before 360", wrapping, KIND_FILL | blue, true},
        {"except", except, KIND_LINE | redder, false},
        {"except names one kind only", except, KIND_FILL | redder, true},
        {"by kind", byKind, KIND_TEXT | grey, true},
        {"by key", byKind, KIND_BG | blue, true},
        {"key of another kind", byKind, KIND_FILL | blue, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CSelectionMatcher(row.selection).Takes(row.key, RgbOf(row.key)), row.taken) << row.name;
}

// Millions of colours are judged side by side on every core, hues by the
// direction of a and b rather than by an angle: the same answer as asking
// colour by colour, with the hue in degrees.
TEST(ColourSelectionTest, TakesEachAgreesWithOneByOne)
{
    std::mt19937 random(27);
    std::vector<ColorKey> keys(100000);
    for (ColorKey& key : keys)
        key = (random() % 2 ? KIND_FILL : KIND_LINE) | (random() & 0xFFFFFF);
    // The entries: each colour changed since, but for every third.
    std::vector<std::uint32_t> entries(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        entries[i] = i % 3 == 0 ? keys[i] : (keys[i] & ~0xFFFFFFu) | (random() & 0xFFFFFF);
    std::vector<ColourSelection> selections;
    for (const HueRange range : {HueRange{20, 40}, HueRange{330, 30}, HueRange{0, 360}, HueRange{90, 270},
             HueRange{100, 100}, HueRange{181, 180}, HueRange{10, 200}}) {
        ColourSelection hues;
        hues.hues = range;
        selections.push_back(hues);
    }
    ColourSelection mixed;
    mixed.near = {0x0000FF, 0x00FF00};
    mixed.kinds = KIND_LINE;
    mixed.keys = {keys[5], keys[6]};
    mixed.except = {keys[7], keys[9]};
    selections.push_back(mixed);
    ColourSelection byName;
    byName.keys = {keys[1]};
    selections.push_back(byName);
    for (const ColourSelection& selection : selections) {
        const CSelectionMatcher matcher(selection);
        const std::vector<std::uint8_t> takes = matcher.TakesEach(keys, entries);
        ASSERT_EQ(takes.size(), keys.size());
        std::size_t taken = 0, differ = 0;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            bool expected = matcher.Takes(keys[i], RgbOf(entries[i]));
            if (selection.hues) {
                const OkLab lab = OkLabOf(RgbOf(entries[i]));
                expected = !IsGrey(lab) && selection.hues->Contains(ToOkLch(lab).h);
            }
            taken += takes[i];
            differ += (takes[i] != 0) != expected;
        }
        const double from = selection.hues ? selection.hues->from : -1;
        EXPECT_EQ(differ, 0u) << from;
        // Each selection takes some and leaves some, but for all hues and
        // the one hue no random colour has.
        if (!selection.hues || selection.hues->from != selection.hues->to) {
            EXPECT_GT(taken, 0u) << from;
        }
        if (!selection.hues || selection.hues->to - selection.hues->from != 360) {
            EXPECT_LT(taken, keys.size()) << from;
        }
    }
}

// Single linkage by brute force: every pair compared.
std::vector<std::uint32_t> FamiliesByAllPairs(const std::vector<std::uint32_t>& rgbs, double within)
{
    std::vector<std::uint32_t> parent(rgbs.size());
    std::iota(parent.begin(), parent.end(), 0u);
    const auto find = [&](std::uint32_t i) {
        while (parent[i] != i)
            i = parent[i];
        return i;
    };
    std::vector<OkLab> labs;
    for (const std::uint32_t rgb : rgbs)
        labs.push_back(OkLabOf(rgb));
    for (std::uint32_t i = 0; i < rgbs.size(); ++i)
        for (std::uint32_t j = i + 1; j < rgbs.size(); ++j) {
            const OkLab &x = labs[i], &y = labs[j];
            if (IsGrey(x) == IsGrey(y) && DeltaE(x, y) < within)
                parent[std::max(find(i), find(j))] = std::min(find(i), find(j));
        }
    std::vector<std::uint32_t> number(rgbs.size(), 0), family;
    std::uint32_t next = 0;
    for (std::uint32_t i = 0; i < rgbs.size(); ++i) {
        std::uint32_t& n = number[find(i)];
        family.push_back(n == 0 ? (n = ++next) : n);
    }
    return family;
}

TEST(ColourFamiliesTest, PlannedColoursLinkStepByStep)
{
    // Three reds ΔE 4.9 apart link although the outer two are 9.6 apart;
    // the blue stands alone; the grey and the slightly warm grey next to it
    // are greys, the pale pink is not, though it is ΔE 3.5 from the second.
    const std::vector<std::uint32_t> rgbs
        = {0x0000FF, 0xFF0000, 0x1414E6, 0x808080, 0x2828CD, 0x80808A, 0x8080A0, 0x0000FF};
    EXPECT_EQ(ColourFamilies(rgbs, 8), (std::vector<std::uint32_t>{1, 2, 1, 3, 1, 3, 4, 1}));
    EXPECT_EQ(ColourFamilies(rgbs, 8), FamiliesByAllPairs(rgbs, 8));
    // With no tolerance, only equal colours share a family.
    EXPECT_EQ(ColourFamilies(rgbs, 1e-4), (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 1}));
    EXPECT_EQ(ColourFamilies(rgbs, 0), (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(ColourFamiliesTest, GridAgreesWithAllPairs)
{
    std::mt19937 random(21);
    std::vector<std::uint32_t> rgbs(1500);
    for (auto& rgb : rgbs)
        rgb = random() & 0xFFFFFF;
    // Clusters around a few colours, so that families of many members form.
    for (std::size_t i = 0; i < 500; ++i)
        rgbs[i] = (0x406080 + (random() % 24) * 0x010000 + (random() % 24) * 0x0100 + random() % 24) & 0xFFFFFF;
    for (const double within : {0.5, 3.0, 8.0, 20.0, 60.0})
        EXPECT_EQ(ColourFamilies(rgbs, within), FamiliesByAllPairs(rgbs, within)) << within;
}

TEST(ColourFamiliesTest, OrderedByMeanLightnessThenHue)
{
    // Families: 1 light red (twice), 2 dark blue, 3 white.
    const std::vector<std::uint32_t> rgbs = {0x8080FF, 0x400000, 0xFFFFFF, 0x8080FF};
    const std::vector<std::uint32_t> families = {1, 2, 3, 1};
    const auto order = OrderFamilies(rgbs, families);
    ASSERT_EQ(order.size(), 3u);
    EXPECT_EQ(order[0].family, 2u);
    EXPECT_EQ(order[1].family, 1u);
    EXPECT_EQ(order[1].members, 2u);
    EXPECT_EQ(order[2].family, 3u);
    EXPECT_FALSE(order[2].hue);
    EXPECT_NEAR(*order[1].hue, OkLchOf(0x8080FF).h, 1e-9);
}

TEST(PaletteMatchTest, NearestAndByLightness)
{
    const std::uint32_t black = 0x000000, white = 0xFFFFFF, red = 0x0000FF, darkRed = 0x000080, grey = 0x808080;
    const struct {
        const char* name;
        std::vector<std::uint32_t> colours, palette;
        PaletteMatch match;
        std::vector<std::size_t> expected;
    } rows[] = {
        {"nearest", {0x101010, 0xEEEEEE, darkRed}, {black, white, red}, PaletteMatch::Nearest, {0, 1, 2}},
        {"of equally near, the first", {grey, red}, {red, grey, red, grey}, PaletteMatch::Nearest, {1, 0}},
        // Ranks: black 0, dark red 1, grey 2, white 3 of 4, to a palette of
        // two sorted as white (1), black (0).
        {"by lightness", {white, grey, black, darkRed}, {white, black}, PaletteMatch::ByLightness, {0, 0, 1, 1}},
        // The same colour twice is one colour of the ranking: three colours
        // onto three palette colours, in order of lightness.
        {"equal colours rank once", {red, white, red, black}, {grey, 0x202020, 0xF0F0F0}, PaletteMatch::ByLightness,
            {0, 2, 0, 1}},
        {"one colour takes the middle", {black}, {black, grey, white}, PaletteMatch::ByLightness, {1}},
        {"a palette tie keeps the palette's order", {black, white}, {grey, grey}, PaletteMatch::ByLightness, {0, 1}},
        {"empty palette", {black}, {}, PaletteMatch::Nearest, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(MatchToPalette(row.colours, row.palette, row.match), row.expected) << row.name;
}

// The nearest palette colour as a scan of the whole palette finds it.
std::vector<std::size_t> NearestByScan(std::span<const std::uint32_t> colours, std::span<const std::uint32_t> palette)
{
    std::vector<std::size_t> match;
    for (const std::uint32_t rgb : colours) {
        std::size_t best = 0;
        for (std::size_t i = 1; i < palette.size(); ++i)
            if (SquaredDistance(OkLabOf(rgb), OkLabOf(palette[i]))
                < SquaredDistance(OkLabOf(rgb), OkLabOf(palette[best])))
                best = i;
        match.push_back(best);
    }
    return match;
}

TEST(PaletteMatchTest, NearestAgreesWithAScanOfTheWholePaletteTiesIncluded)
{
    std::mt19937 random(5);
    const auto colour = [&] { return static_cast<std::uint32_t>(random() & 0xFFFFFF); };
    for (const std::size_t size : {1u, 2u, 8u, 9u, 17u, 300u, 4000u}) {
        // Drawn from fewer colours than the palette holds, so that colours
        // come again and again in it; greys and near neighbours too.
        std::vector<std::uint32_t> drawn(size / 3 + 1);
        for (std::size_t i = 0; i < drawn.size(); ++i)
            drawn[i] = i % 4 == 0 ? (random() % 256) * 0x010101 : i % 4 == 1 ? (drawn[i - 1] ^ 1) : colour();
        std::vector<std::uint32_t> palette(size);
        for (auto& rgb : palette)
            rgb = drawn[random() % drawn.size()];
        std::vector<std::uint32_t> colours(1500);
        for (std::size_t i = 0; i < colours.size(); ++i)
            colours[i] = i % 3 == 0 ? palette[random() % size] : i % 3 == 1 ? (random() % 256) * 0x010101 : colour();
        EXPECT_EQ(MatchToPalette(colours, palette, PaletteMatch::Nearest), NearestByScan(colours, palette)) << size;
    }
}

} // namespace
} // namespace tintor
