// Cost of the colour arithmetic per colour, and of a whole table pass, with
// the squared distance as the baseline every figure is read against.
#include "colour/colour.h"
#include "colour/colour_script.h"
#include "colour/colour_selection.h"
#include "colour/colour_table.h"
#include "colour/history.h"
#include "colour/list_arrangement.h"
#include "swf/colour_key.h"
#include "testkit/bench_movies.h"
#include "testkit/recording_sink.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace tintor {
namespace {

std::vector<std::uint32_t> Colours(std::size_t n)
{
    std::vector<std::uint32_t> colours(n);
    std::uint32_t x = 0x9E3779B9;
    for (auto& c : colours) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = x & 0xFFFFFF;
    }
    return colours;
}

CColorTable SelectedTable(std::size_t n)
{
    CColorTable table;
    table.ResetColorTable();
    for (std::uint32_t c : Colours(n))
        table.Map().Set(KIND_FILL | c, KIND_FILL | kSelectedBit | c);
    return table;
}

void BM_Distance(benchmark::State& state)
{
    const auto colours = Colours(4096);
    for (auto _ : state)
        for (std::uint32_t c : colours)
            benchmark::DoNotOptimize(CColor(c).Distance(0x808080));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(colours.size()));
}
BENCHMARK(BM_Distance);

void BM_ToHls(benchmark::State& state)
{
    const auto colours = Colours(4096);
    for (auto _ : state)
        for (std::uint32_t c : colours)
            benchmark::DoNotOptimize(CColor(c).ToHls());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(colours.size()));
}
BENCHMARK(BM_ToHls);

void BM_ApplyEffect(benchmark::State& state)
{
    const auto colours = Colours(4096);
    for (auto _ : state)
        for (std::uint32_t c : colours)
            benchmark::DoNotOptimize(CColor(c).ApplyEffect(140.8, 128.0, 96.0, 0));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(colours.size()));
}
BENCHMARK(BM_ApplyEffect);

// One selection change of the colour list over a table of n selected entries:
// the defaults take the short way, a moved slider runs the effect per entry.
void BM_ApplyEffects(benchmark::State& state)
{
    const bool moved = state.range(1) != 0;
    CColorTable table = SelectedTable(static_cast<std::size_t>(state.range(0)));
    CRecordingSink sink;
    for (auto _ : state) {
        // Back to the original colours each time, or repeated effects would
        // drive every entry toward black, where the arithmetic stops early.
        table.Map().ForEach([](std::uint32_t key, std::uint32_t& value) { value = key | kSelectedBit; });
        if (moved)
            table.Effect("H", 120, sink);
        table.ApplyEffects(sink);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ApplyEffects)->Args({10000, 0})->Args({10000, 1});

void BM_WriteColorScript(benchmark::State& state)
{
    CColorTable table = SelectedTable(static_cast<std::size_t>(state.range(0)));
    CRecordingSink sink;
    table.Effect("V", 150, sink);
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteColorScript(table, sink));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteColorScript)->Arg(10000);

void BM_ReadColorScript(benchmark::State& state)
{
    CColorTable table = SelectedTable(static_cast<std::size_t>(state.range(0)));
    CRecordingSink sink;
    table.Effect("V", 150, sink);
    const std::string script = WriteColorScript(table, sink);
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(script.data()), script.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadColorScript(bytes, table, sink));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadColorScript)->Arg(10000);

// One history state of a table of n colours filled from a registry, against
// one copy of an array of n colours: a state should cost no more than that,
// into a ring of arrays as the history's is.
void BM_HistoryPush(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    CColorRegistry registry;
    std::uint32_t pos = 0;
    for (std::uint32_t c : Colours(n))
        registry.Add(KIND_FILL | c, pos += 4);
    CColorTable table;
    table.ResetColorTable();
    table.FillColorTable(registry);
    CHistory history(50);
    history.Reset();
    // Every slot has held a state of this movie before: the steady cost.
    for (int i = 0; i < 50; ++i)
        history.Push(table);
    for (auto _ : state) {
        history.Push(table);
        benchmark::ClobberMemory();
    }
    state.counters["colours"] = static_cast<double>(table.Map().Size());
}
BENCHMARK(BM_HistoryPush)->Arg(858000)->Unit(benchmark::kMicrosecond);

void BM_CopyColourArray(benchmark::State& state)
{
    const std::vector<std::uint32_t> source = Colours(static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint32_t> target(source.size());
    for (auto _ : state) {
        target = source;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyColourArray)->Arg(858000)->Unit(benchmark::kMicrosecond);

// The same copy into one of 50 arrays in turn, as the history's ring of
// states is written: the target is no longer in any cache.
void BM_CopyColourArrayIntoRing(benchmark::State& state)
{
    const std::vector<std::uint32_t> source = Colours(static_cast<std::size_t>(state.range(0)));
    std::vector<std::vector<std::uint32_t>> ring(50, std::vector<std::uint32_t>(source.size()));
    std::size_t next = 0;
    for (auto _ : state) {
        ring[next] = source;
        next = (next + 1) % ring.size();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyColourArrayIntoRing)->Arg(858000)->Unit(benchmark::kMicrosecond);

// Families of n distinct colours scattered over the whole colour cube, at the
// default tolerance.
void BM_ColourFamilies(benchmark::State& state)
{
    std::vector<std::uint32_t> colours(static_cast<std::size_t>(state.range(0)));
    for (std::uint32_t i = 0; i < colours.size(); ++i)
        colours[i] = ScatteredColour(i);
    for (auto _ : state)
        benchmark::DoNotOptimize(ColourFamilies(colours, kDefaultWithin));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ColourFamilies)->Arg(200000)->Arg(2000000)->Unit(benchmark::kMillisecond);

// The colour list arranged at n distinct colours: a search by part of a
// colour (0), by kind (1), the sorts by lightness (2), hue (3) and places
// (4), and the families (5). Read against BM_CopyColourArray: a pass over
// the array.
void BM_ArrangeList(benchmark::State& state)
{
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint32_t> keys(n);
    for (std::uint32_t i = 0; i < n; ++i)
        keys[i] = (i % 3 == 0 ? KIND_LINE : KIND_FILL) | ScatteredColour(i);
    std::vector<std::uint32_t> order(n);
    for (std::uint32_t i = 0; i < n; ++i)
        order[i] = i;
    const ListSource source{keys, keys, [](std::uint32_t i) { return std::size_t{i % 7}; }};
    const KindName names[] = {{"line", KIND_LINE}, {"fill", KIND_FILL}};
    const ListFilter byColour = ParseListFilter("#3f", names);
    const ListFilter byKind = ParseListFilter("line", names);
    for (auto _ : state) {
        switch (state.range(1)) {
        case 0:
            benchmark::DoNotOptimize(FilterRows(order, source, byColour));
            break;
        case 1:
            benchmark::DoNotOptimize(FilterRows(order, source, byKind));
            break;
        case 5:
            benchmark::DoNotOptimize(GroupRows(order, source, kDefaultWithin));
            break;
        default: {
            std::vector<std::uint32_t> rows = order;
            SortRows(rows, source, static_cast<ListSort>(state.range(1) - 1));
            benchmark::DoNotOptimize(rows);
        }
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ArrangeList)->ArgsProduct({{2000000}, {0, 1, 2, 3, 4, 5}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyColourArray)->Arg(2000000)->Unit(benchmark::kMicrosecond);

// One slider shift applied to n distinct selected colours, in HSV (0) and in
// OKLCh (1): the ratio of the two is what the perceptual space costs.
void BM_ShiftInSpace(benchmark::State& state)
{
    const auto n = static_cast<std::uint32_t>(state.range(0));
    CColorTable table;
    table.ResetColorTable();
    for (std::uint32_t i = 0; i < n; ++i)
        table.Map().Set(KIND_FILL | ScatteredColour(i), KIND_FILL | kSelectedBit | ScatteredColour(i));
    CRecordingSink sink;
    for (auto _ : state) {
        state.PauseTiming();
        table.Map().ForEach([](std::uint32_t key, std::uint32_t& value) { value = key | kSelectedBit; });
        table.Effect("P", static_cast<int>(state.range(1)), sink);
        table.Effect("H", 130, sink);
        table.Effect("S", 110, sink);
        table.Effect("V", 90, sink);
        state.ResumeTiming();
        table.ApplyEffects(sink);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ShiftInSpace)->Args({2000000, 0})->Args({2000000, 1})->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tintor
