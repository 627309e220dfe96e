#include "core/keyed_map.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

TEST(KeyedMapTest, IteratesBucketsInOrderNewestKeyFirstWithinABucket)
{
    // White background (bucket 6), red fill (16), green fill (1), blue fill (1).
    CKeyedMap<int> map;
    map.Set(0x80FFFFFF, 1);
    map.Set(0x100000FF, 2);
    map.Set(0x1000FF00, 3);
    map.Set(0x10FF0000, 4);
    EXPECT_EQ(map.Keys(), (std::vector<std::uint32_t>{0x10FF0000, 0x1000FF00, 0x80FFFFFF, 0x100000FF}));
}

TEST(KeyedMapTest, ReplacingAValueKeepsItsPlace)
{
    CKeyedMap<int> map;
    map.Set(0x11, 1);  // bucket 1
    map.Set(0x121, 2); // bucket (0x12 % 17) = 1, in front
    map.Set(0x11, 9);
    EXPECT_EQ(map.Keys(), (std::vector<std::uint32_t>{0x121, 0x11}));
    EXPECT_EQ(*map.Find(0x11), 9);
    EXPECT_EQ(map.Size(), 2u);
}

TEST(KeyedMapTest, BucketUsesTheUnsignedKey)
{
    EXPECT_EQ(CKeyedMap<int>::BucketOf(0x80FFFFFF), 6u);
    EXPECT_EQ(CKeyedMap<int>::BucketOf(0x100000FF), 16u);
    EXPECT_EQ(CKeyedMap<int>::BucketOf(0x10FF0000), 1u);
}

TEST(KeyedMapTest, ClearForgetsEveryKeyAndStartsAfresh)
{
    CKeyedMap<int> map;
    for (std::uint32_t k = 0; k < 1000; ++k)
        map.Set(k * 16, static_cast<int>(k));
    map.Clear();
    EXPECT_TRUE(map.Empty());
    EXPECT_EQ(map.Find(16), nullptr);
    map.Set(16, 5);
    EXPECT_EQ(map.Keys(), std::vector<std::uint32_t>{16});
}

TEST(KeyedMapTest, ManyKeysKeepTheChainOrder)
{
    // Keys 0x10, 0x120, 0x230 ... all fall into bucket 1; the last one added comes first.
    CKeyedMap<int> map;
    std::vector<std::uint32_t> expected;
    for (std::uint32_t i = 0; i < 50; ++i) {
        const std::uint32_t key = (1 + 17 * i) << 4;
        map.Set(key, 0);
        expected.insert(expected.begin(), key);
    }
    EXPECT_EQ(map.Keys(), expected);
}

TEST(KeyedMapTest, CopiesShareNoChangeOfKeys)
{
    // A copy shares the key array of its source; a key added to either,
    // which also turns a copy's dense arrays round, must leave the other
    // as it was.
    CKeyedMap<int> map;
    map.Set(0x10, 1);
    map.Set(0x120, 2); // same bucket, in front
    CKeyedMap<int> copy = map;
    copy.Set(0x230, 3);
    map.Set(0x20, 4);
    EXPECT_EQ(map.Keys(), (std::vector<std::uint32_t>{0x120, 0x10, 0x20}));
    EXPECT_EQ(copy.Keys(), (std::vector<std::uint32_t>{0x230, 0x10, 0x120}));
    EXPECT_EQ(map.Find(0x230), nullptr);
    EXPECT_EQ(copy.Find(0x20), nullptr);
    EXPECT_EQ(*copy.Find(0x120), 2);
    map = copy;
    EXPECT_EQ(map.Keys(), (std::vector<std::uint32_t>{0x120, 0x10, 0x230}));
    EXPECT_EQ(*map.Find(0x230), 3);
}

TEST(KeyedMapTest, OrderWorkedOutAsideIsTheIterationOrder)
{
    // Maps filled in one pass, grown key by key (which turns the arrays
    // round), copied (which reverses every chain) and copied exactly.
    std::vector<std::uint32_t> keys;
    for (std::uint32_t i = 0; i < 300; ++i)
        keys.push_back(0x10000000 | (i * 2654435761u & 0xFFFFFF));
    CKeyedMap<int> filled;
    filled.AssignKeys(keys);
    CKeyedMap<int> grown = filled;
    grown.Set(0x20ABCDEF, 1);
    CKeyedMap<int> exact;
    exact.AssignExact(grown);
    const CKeyedMap<int> copied = grown;
    const struct {
        const char* name;
        const CKeyedMap<int>& map;
    } rows[] = {{"filled", filled}, {"grown", grown}, {"exact", exact}, {"copied", copied}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto dense = row.map.DenseKeys();
        std::vector<std::uint32_t> aside;
        for (const std::uint32_t i : row.map.IterationOrder())
            aside.push_back(dense[i]);
        const std::vector<std::uint32_t> order = row.map.Keys();
        EXPECT_EQ(aside, order);
        // VisitsBefore agrees with the order for every neighbouring pair.
        const auto indices = row.map.IterationOrder();
        for (std::size_t n = 0; n + 1 < indices.size(); ++n)
            ASSERT_TRUE(row.map.VisitsBefore(indices[n], indices[n + 1])) << n;
    }
    EXPECT_TRUE(exact.SameLayout(grown));
    EXPECT_FALSE(copied.SameLayout(grown)); // the same keys, walked the other way
    EXPECT_EQ(exact.Keys(), grown.Keys());
}

} // namespace
} // namespace tintor
