// The registry and the table against the plain chained map they replace, on
// movies of random scattered colours.
#include "colour/colour_table.h"
#include "swf/swf_file.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

#include <list>
#include <random>

namespace tintor {
namespace {

// The classic map, written as plainly as possible: 17 chains, a new key in
// front of its chain, positions appended.
class CReferenceRegistry {
public:
    void Add(ColorKey key, std::uint32_t pos)
    {
        auto& chain = m_chains[(key >> 4) % 17];
        for (auto& [k, positions] : chain)
            if (k == key) {
                positions.push_back(pos);
                return;
            }
        chain.push_front({key, PositionList{pos}});
    }
    std::vector<std::pair<ColorKey, PositionList>> Entries() const
    {
        std::vector<std::pair<ColorKey, PositionList>> entries;
        for (const auto& chain : m_chains)
            entries.insert(entries.end(), chain.begin(), chain.end());
        return entries;
    }

private:
    std::array<std::list<std::pair<ColorKey, PositionList>>, 17> m_chains;
};

std::vector<std::pair<ColorKey, PositionList>> EntriesOf(const CColorRegistry& registry)
{
    std::vector<std::pair<ColorKey, PositionList>> entries;
    registry.ForEach([&](ColorKey key, Positions positions) { entries.emplace_back(key, positions); });
    return entries;
}

// A movie of shapes and backgrounds whose colours come from a pool of
// scattered values, a third of them crowded into bucket 5, drawn with
// repeats; the reference is told every record in walk order.
struct RandomMovie {
    std::vector<std::uint8_t> bytes;
    CReferenceRegistry reference;
};

RandomMovie MakeMovie(std::mt19937& random, std::size_t poolSize, int shapes)
{
    std::vector<std::uint32_t> pool;
    while (pool.size() < poolSize) {
        const std::uint32_t c = random() & kColourMask;
        if (pool.size() % 3 != 0 || CColorRegistry::BucketOf(KIND_FILL | c) == 5)
            pool.push_back(c);
    }
    const auto pick = [&] { return pool[random() % pool.size()]; };
    RandomMovie movie;
    CMovieBuilder builder;
    for (int s = 0; s < shapes; ++s) {
        if (random() % 4 == 0) {
            const std::uint32_t c = pick();
            const std::uint8_t rgb[]
                = {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16)};
            movie.reference.Add(KIND_BG | c, builder.AddTag(9, rgb));
        }
        const bool rgba = random() % 2 == 0;
        const std::uint32_t fills = 1 + random() % 40, lines = random() % 5;
        CBitWriter w;
        w.WriteWord(static_cast<std::uint16_t>(s + 1));
        w.WriteRect({0, 100, 0, 100});
        std::vector<std::pair<ColorKey, std::uint32_t>> records; // offsets in the body
        w.WriteByte(static_cast<std::uint8_t>(fills));
        for (std::uint32_t i = 0; i < fills; ++i) {
            const std::uint32_t c = pick();
            w.WriteByte(0x00);
            records.emplace_back(KIND_FILL | c, static_cast<std::uint32_t>(w.Size()));
            w.WriteRgb(
                static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16));
            if (rgba)
                w.WriteByte(0x80);
        }
        w.WriteByte(static_cast<std::uint8_t>(lines));
        for (std::uint32_t i = 0; i < lines; ++i) {
            const std::uint32_t c = pick();
            w.WriteWord(20);
            records.emplace_back(KIND_LINE | c, static_cast<std::uint32_t>(w.Size()));
            w.WriteRgb(
                static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c >> 16));
            if (rgba)
                w.WriteByte(0xFF);
        }
        w.WriteBits(6, 4);
        w.WriteBits(3, 4);
        w.WriteBits(0, 6);
        const std::uint32_t body = builder.AddTag(rgba ? 32 : 2, w.Take(), true);
        for (const auto& [key, offset] : records)
            movie.reference.Add(key, body + offset);
    }
    movie.bytes = builder.Build();
    return movie;
}

TEST(RegistryPropertyTest, OrderAndPositionsMatchTheChainedMap)
{
    std::mt19937 random(20240611);
    // From a few colours, most of them repeated, to thousands, most of them once.
    for (const auto& [pool, shapes] : {std::pair{3, 5}, {40, 30}, {500, 60}, {20000, 400}}) {
        const RandomMovie movie = MakeMovie(random, static_cast<std::size_t>(pool), shapes);
        CRecordingSink sink;
        CSwfFile swf(sink);
        CMemoryInputFile file(movie.bytes, "random.swf");
        ASSERT_TRUE(swf.Load(file));
        const auto expected = movie.reference.Entries();
        ASSERT_EQ(EntriesOf(swf.Colors()), expected) << pool;
        for (const auto& [key, positions] : expected)
            ASSERT_EQ(PositionList(swf.Colors().PositionsOf(key)), positions);

        // The table, filled from it, walks each chain the other way round,
        // and a copy of it turns them round again.
        CColorTable table;
        table.ResetColorTable();
        table.FillColorTable(swf.Colors());
        std::vector<ColorKey> reversedChains;
        for (std::size_t i = 0; i < expected.size();) {
            std::size_t end = i;
            while (end < expected.size()
                && CColorRegistry::BucketOf(expected[end].first) == CColorRegistry::BucketOf(expected[i].first))
                ++end;
            for (std::size_t k = end; k-- > i;)
                reversedChains.push_back(expected[k].first);
            i = end;
        }
        EXPECT_EQ(table.Map().Keys(), reversedChains) << pool;
        const CColorTable copy(table);
        EXPECT_EQ(copy.Map().Keys(), swf.Colors().Keys()) << pool;
    }
}

TEST(RegistryPropertyTest, RecordsAddedAfterAReadKeepEveryOrder)
{
    // Readers exercised on their own read the registry between records.
    std::mt19937 random(7);
    CColorRegistry registry;
    CReferenceRegistry reference;
    for (std::uint32_t pos = 0; pos < 3000; ++pos) {
        const ColorKey key = (random() % 2 ? KIND_FILL : KIND_TEXT) | (random() % 60) << (random() % 3 * 8);
        registry.Add(key, pos);
        reference.Add(key, pos);
        if (random() % 500 == 0) {
            ASSERT_EQ(EntriesOf(registry), reference.Entries()) << pos;
        }
    }
    EXPECT_EQ(EntriesOf(registry), reference.Entries());
}

} // namespace
} // namespace tintor
