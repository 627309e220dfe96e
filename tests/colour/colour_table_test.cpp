#include "colour/colour_table.h"
#include "testkit/recording_sink.h"

#include "swf/colour_key.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

constexpr std::uint32_t kRedFill = KIND_FILL | 0x0000FF;
constexpr std::uint32_t kGreenFill = KIND_FILL | 0x00FF00; // bucket 1
constexpr std::uint32_t kBlueFill = KIND_FILL | 0xFF0000;  // bucket 1
constexpr std::uint32_t kWhiteBg = KIND_BG | 0xFFFFFF;
constexpr std::uint32_t kGreyLine = KIND_LINE | 0x808080;

CColorRegistry Registry(std::initializer_list<std::uint32_t> keys)
{
    CColorRegistry registry;
    std::uint32_t pos = 20;
    for (std::uint32_t key : keys)
        registry.Add(key, pos++);
    return registry;
}

CColorTable FilledTable(std::initializer_list<std::uint32_t> keys)
{
    CColorTable table;
    table.ResetColorTable();
    table.FillColorTable(Registry(keys));
    return table;
}

TEST(ColorTableTest, FillMapsEveryKeyToItselfReversingEachChainOfTheRegistry)
{
    const CColorRegistry registry = Registry({kWhiteBg, kRedFill, kGreenFill, kBlueFill});
    CColorTable table;
    table.ResetColorTable();
    table.FillColorTable(registry);
    // Filling is a copy in the registry's order, so each chain runs the
    // other way round: green and blue share bucket 1.
    ASSERT_EQ(registry.Keys(), (std::vector<std::uint32_t>{kBlueFill, kGreenFill, kWhiteBg, kRedFill}));
    EXPECT_EQ(table.Map().Keys(), (std::vector<std::uint32_t>{kGreenFill, kBlueFill, kWhiteBg, kRedFill}));
    ASSERT_NE(table.Map().Find(kWhiteBg), nullptr);
    EXPECT_EQ(*table.Map().Find(kWhiteBg), 0x80FFFFFFu);
    table.Map().ForEach([](std::uint32_t key, std::uint32_t value) { EXPECT_EQ(key, value); });
}

TEST(ColorTableTest, GetColorOfAMissingKeyWarnsAndReadsWhite)
{
    CColorTable table = FilledTable({kRedFill});
    CRecordingSink sink;
    EXPECT_EQ(table.GetColor(kGreenFill, 1, sink), 0x00FFFFFFu);
    EXPECT_EQ(sink.Messages(), std::vector<std::string>{"GetColor: missing color"});
}

TEST(ColorTableTest, GetColorIgnoresTheSelectionBitOfTheKeyAndOfUnselectedEntries)
{
    CColorTable table = FilledTable({kRedFill});
    CRecordingSink sink;
    table.Effect("H", 0, sink);
    table.Effect("V", 3, sink);
    // Unselected: stored value, no effect whatever the parameters.
    EXPECT_EQ(table.GetColor(kRedFill, 1, sink), kRedFill);
    EXPECT_EQ(table.GetColor(kRedFill | kSelectedBit, 1, sink), kRedFill);
    table.Select(kRedFill, 1, sink);
    EXPECT_EQ(table.GetColor(kRedFill | kSelectedBit, 0, sink), kRedFill);
    EXPECT_EQ(table.GetColor(kRedFill | kSelectedBit, 1, sink), table.GetColor(kRedFill, 1, sink));
    EXPECT_TRUE(sink.Messages().empty());
}

TEST(ColorTableTest, DefaultParametersLeaveASelectedColourUnchanged)
{
    CColorTable table = FilledTable({kRedFill});
    CRecordingSink sink;
    table.Select(kRedFill, 1, sink);
    EXPECT_EQ(*table.Map().Find(kRedFill), 0x110000FFu);
    EXPECT_EQ(table.GetColor(kRedFill, 1, sink), 0x100000FFu);
}

TEST(ColorTableTest, AMovedSliderRunsTheEffectAndKeepsTheKind)
{
    CColorTable table = FilledTable({kRedFill, kWhiteBg});
    CRecordingSink sink;
    table.Select(kRedFill, 1, sink);
    table.Select(kWhiteBg, 1, sink);
    table.Effect("H", 0, sink); // a full shift of -128 at S = V = 100
    EXPECT_EQ(table.GetColor(kRedFill, 1, sink), KIND_FILL | 0xF8FE00u);
    table.Effect("H", 100, sink);
    table.Effect("V", 0, sink);
    EXPECT_EQ(table.GetColor(kWhiteBg, 1, sink), KIND_BG | 0u);
    // Back at the defaults nothing moves.
    table.Effect("V", 100, sink);
    EXPECT_EQ(table.GetColor(kRedFill, 1, sink), kRedFill);
    // The unify flag alone is enough to leave the defaults.
    table.Effect("U", 1, sink);
    EXPECT_EQ(table.GetColor(kRedFill, 1, sink), KIND_FILL | 0x3F3FBEu);
    EXPECT_TRUE(sink.Messages().empty());
}

TEST(ColorTableTest, SliderZeroIsTheEffectsCentreSoHueAndSaturationLeaveGreys)
{
    // Slider N is the argument 128 + 1.28 N: 0 the effect's neutral point.
    EXPECT_EQ(CColorTable::EffectArgument(100), 128.0);
    CRecordingSink sink;
    for (const auto& [hue, saturation] : {std::pair{101, 100}, {0, 100}, {80, 40}}) {
        CColorTable table = FilledTable({});
        table.Effect("H", hue, sink);
        table.Effect("S", saturation, sink);
        // Every grey, the 24 levels HLS cannot carry exactly (33, 37, ..., 244) too.
        for (std::uint32_t c = 0; c < 256; ++c)
            EXPECT_EQ(table.ColorOf(KIND_FILL | kSelectedBit | c * 0x010101, 1), KIND_FILL | c * 0x010101) << hue;
        // A colour keeps its saturation and lightness bytes.
        if (saturation == 100) {
            EXPECT_EQ(CColor(table.ColorOf(kRedFill | kSelectedBit, 1)).ToHls() & 0xFFFF00, 0x7FFF00u) << hue;
        }
    }
}

TEST(ColorTableTest, EffectIsPickedByTheFirstUpperCaseLetter)
{
    CColorTable table;
    table.ResetColorTable();
    CRecordingSink sink;
    table.Effect("UniColor", 1, sink);
    table.Effect("Hue slider", 7, sink);
    table.Effect("S", -5, sink);
    table.Effect("V", 999, sink);
    EXPECT_EQ(table.Unify(), 1);
    EXPECT_EQ(table.Hue(), 7);
    EXPECT_EQ(table.Saturation(), -5);
    EXPECT_EQ(table.Value(), 999);
    EXPECT_TRUE(sink.Messages().empty());

    table.Effect("unicolor", 0, sink);
    table.Effect("", 0, sink);
    EXPECT_EQ(table.Unify(), 1);
    EXPECT_EQ(
        sink.Messages(), (std::vector<std::string>{"Effect: unknown message type", "Effect: unknown message type"}));
}

TEST(ColorTableTest, SelectSetsAndClearsOnlyTheSelectionBit)
{
    CColorTable table = FilledTable({kGreyLine});
    CRecordingSink sink;
    table.Select(kGreyLine, -1, sink);
    EXPECT_EQ(*table.Map().Find(kGreyLine), kGreyLine | kSelectedBit);
    table.Select(kGreyLine | kSelectedBit, 0, sink);
    EXPECT_EQ(*table.Map().Find(kGreyLine), kGreyLine);
    EXPECT_TRUE(sink.Messages().empty());
    table.Select(kRedFill, 1, sink);
    EXPECT_EQ(sink.Messages(), std::vector<std::string>{"Select: missing color"});
    EXPECT_EQ(table.Map().Size(), 1u);
}

TEST(ColorTableTest, ChangingTheSelectionWithoutSlidersNeverDriftsColours)
{
    CColorTable table = FilledTable({kRedFill, kGreenFill, kBlueFill, kWhiteBg, kGreyLine});
    const std::vector<std::uint32_t> keys = table.Map().Keys();
    CRecordingSink sink;
    // What the colour list does on every selection change, many times over.
    for (int round = 0; round < 20; ++round) {
        table.ApplyEffects(sink);
        for (std::size_t i = 0; i < keys.size(); ++i)
            table.Select(keys[i], static_cast<int>((i + round) % 2), sink);
    }
    table.ApplyEffects(sink);
    table.Map().ForEach([](std::uint32_t key, std::uint32_t value) { EXPECT_EQ(value & ~kSelectedBit, key); });
    EXPECT_TRUE(sink.Messages().empty());
}

TEST(ColorTableTest, ApplyEffectsFoldsAMovedSliderIntoSelectedEntries)
{
    CColorTable table = FilledTable({kRedFill, kGreenFill});
    CRecordingSink sink;
    table.Select(kRedFill, 1, sink);
    table.Effect("H", 0, sink);
    table.ApplyEffects(sink);
    EXPECT_EQ(*table.Map().Find(kRedFill), KIND_FILL | kSelectedBit | 0xF8FE00u);
    EXPECT_EQ(*table.Map().Find(kGreenFill), kGreenFill);
    EXPECT_TRUE(table.ParametersAreDefault());
    // Applied once: selecting again or applying again leaves it.
    table.ApplyEffects(sink);
    EXPECT_EQ(*table.Map().Find(kRedFill), KIND_FILL | kSelectedBit | 0xF8FE00u);
}

TEST(ColorTableTest, ApplyEffectsWithNothingSelectedOnlyResetsTheParameters)
{
    CColorTable table = FilledTable({kRedFill});
    CRecordingSink sink;
    table.Effect("S", 0, sink);
    table.Effect("U", 1, sink);
    table.ApplyEffects(sink);
    EXPECT_TRUE(table.ParametersAreDefault());
    EXPECT_EQ(*table.Map().Find(kRedFill), kRedFill);
}

TEST(ColorTableTest, CopyReversesEachChainAndACopyOfTheCopyRestoresIt)
{
    const CColorTable source = FilledTable({kWhiteBg, kRedFill, kGreenFill, kBlueFill});
    ASSERT_EQ(source.Map().Keys(), (std::vector<std::uint32_t>{kGreenFill, kBlueFill, kWhiteBg, kRedFill}));
    const CColorTable copy(source);
    EXPECT_EQ(copy.Map().Keys(), (std::vector<std::uint32_t>{kBlueFill, kGreenFill, kWhiteBg, kRedFill}));
    CColorTable again;
    again = copy;
    EXPECT_EQ(again.Map().Keys(), source.Map().Keys());
}

TEST(ColorTableTest, CopyReplacesEverythingTheTargetHeld)
{
    CColorTable source = FilledTable({kRedFill, kGreyLine});
    CRecordingSink sink;
    source.Select(kGreyLine, 1, sink);
    source.Effect("H", 42, sink);
    source.Effect("U", 3, sink);
    CColorTable target = FilledTable({kWhiteBg, kBlueFill});
    target = source;
    EXPECT_EQ(target.Map().Size(), 2u);
    EXPECT_EQ(target.Map().Find(kWhiteBg), nullptr);
    EXPECT_EQ(*target.Map().Find(kGreyLine), kGreyLine | kSelectedBit);
    EXPECT_EQ(target.Hue(), 42);
    EXPECT_EQ(target.Unify(), 3);
    EXPECT_EQ(target.Saturation(), 100);
}

TEST(ColorTableTest, ColoursOfManyEntriesAreWhatColorOfGivesEach)
{
    // Enough entries to be shared among threads, half of them selected.
    CColorTable table;
    table.ResetColorTable();
    std::vector<std::uint32_t> keys;
    for (std::uint32_t i = 0; i < 300000; ++i)
        keys.push_back(KIND_FILL | (i * 2654435761u & kColourMask));
    table.Map().AssignKeys(keys);
    for (std::size_t i = 0; i < keys.size(); i += 2)
        table.Map().DenseValues()[i] |= kSelectedBit;
    CRecordingSink sink;
    const struct {
        const char* name;
        int hue, saturation, value, unify, perceptual;
    } rows[] = {
        {"neutral", 100, 100, 100, 0, 0},
        {"HSV shift", 150, 60, 120, 0, 0},
        {"HSV unify", 30, 100, 100, 1, 0},
        {"OKLCh shift", 160, 80, 90, 0, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        table.Effect("H", row.hue, sink);
        table.Effect("S", row.saturation, sink);
        table.Effect("V", row.value, sink);
        table.Effect("U", row.unify, sink);
        table.Effect("P", row.perceptual, sink);
        const auto entries = table.Map().DenseValues();
        std::vector<std::uint32_t> colours(entries.size());
        table.ColoursOf(entries, colours);
        for (std::size_t i = 0; i < entries.size(); ++i)
            ASSERT_EQ(colours[i], table.ColorOf(entries[i], 1)) << i;
    }
}

} // namespace
} // namespace tintor
