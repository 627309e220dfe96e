#pragma once

#include <absl/container/flat_hash_map.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

namespace tintor {

// The map behind the colour table. Its iteration order is part of the
// program's behaviour (it fixes the line order of saved colour scripts), so
// it is that of the classic chained map: 17 buckets chosen by
// (key >> 4) % 17, a new key goes to the front of its bucket's chain, and
// iteration walks buckets 0..16, each chain front to back; copying inserts in
// the source's order, which reverses every chain.
//
// Inside it is flat: keys and values in two dense arrays in insertion order,
// and a flag saying whether a bucket is walked from its newest key or from
// its oldest. Copies share the key array, which no map changes while another
// holds it, so a copy is one copy of the value array with the flag turned
// round, and copying between maps that share their keys (a table and its
// history) keeps what each has worked out. Which dense entries make up each
// bucket, and where each key lies, are worked out when first needed.
template <typename Value> class CKeyedMap {
public:
    static constexpr std::uint32_t kBucketCount = 17;

    static constexpr std::uint32_t BucketOf(std::uint32_t key) { return (key >> 4) % kBucketCount; }

    CKeyedMap() = default;
    CKeyedMap(const CKeyedMap& other) { CopyReversed(other); }
    CKeyedMap& operator=(const CKeyedMap& other)
    {
        if (this != &other)
            CopyReversed(other);
        return *this;
    }
    CKeyedMap(CKeyedMap&&) noexcept = default;
    CKeyedMap& operator=(CKeyedMap&&) noexcept = default;

    std::size_t Size() const { return m_values.size(); }
    bool Empty() const { return m_values.empty(); }

    Value* Find(std::uint32_t key)
    {
        const std::size_t i = IndexOf(key);
        return i == kNone ? nullptr : &m_values[i];
    }
    const Value* Find(std::uint32_t key) const
    {
        const std::size_t i = IndexOf(key);
        return i == kNone ? nullptr : &m_values[i];
    }

    // The value under key, inserted default-constructed at the front of its
    // bucket when the key is new.
    Value& FindOrInsert(std::uint32_t key)
    {
        if (const std::size_t i = IndexOf(key); i != kNone)
            return m_values[i];
        if (!m_newestFirst)
            MakeNewestFirst();
        m_index.emplace(key, static_cast<std::uint32_t>(m_values.size()));
        OwnKeys().push_back(key);
        m_values.emplace_back();
        m_orderValid = false;
        return m_values.back();
    }

    // Sets the value; an existing key keeps its place in the iteration order.
    void Set(std::uint32_t key, Value value) { FindOrInsert(key) = std::move(value); }

    // Replaces everything with the keys inserted one by one in the given
    // order, each mapped to itself, in one pass.
    void AssignKeys(std::span<const std::uint32_t> keys)
    {
        m_keys = std::make_shared<std::vector<std::uint32_t>>(keys.begin(), keys.end());
        m_values.assign(keys.begin(), keys.end());
        m_newestFirst = true;
        m_index.clear();
        m_indexValid = false;
        m_orderValid = false;
    }

    void Clear()
    {
        m_keys.reset();
        m_values.clear();
        m_index.clear();
        m_indexValid = true;
        m_order.clear();
        m_orderValid = false;
        m_newestFirst = true;
    }

    // The entries in insertion order: DenseKeys()[i] holds DenseValues()[i].
    std::span<const std::uint32_t> DenseKeys() const
    {
        return m_keys ? std::span<const std::uint32_t>(*m_keys) : std::span<const std::uint32_t>();
    }
    // The key array itself, for a holder that must see that the keys are
    // still the ones it took (no map changes an array another holds).
    std::shared_ptr<const std::vector<std::uint32_t>> SharedKeys() const { return m_keys; }

    // Whether other holds the same keys in the same places and order, so
    // that entries can be compared or copied index by index.
    bool SameLayout(const CKeyedMap& other) const
    {
        return m_keys == other.m_keys && m_newestFirst == other.m_newestFirst;
    }
    // Becomes other, iteration order included (a copy reverses it).
    void AssignExact(const CKeyedMap& other)
    {
        if (this == &other)
            return;
        CopyReversed(other);
        m_newestFirst = other.m_newestFirst;
    }
    // Whether the entry at dense index a comes before the one at b in the
    // iteration order, without working the order out.
    bool VisitsBefore(std::size_t a, std::size_t b) const
    {
        const auto keys = DenseKeys();
        const std::uint32_t bucketA = BucketOf(keys[a]), bucketB = BucketOf(keys[b]);
        if (bucketA != bucketB)
            return bucketA < bucketB;
        return m_newestFirst ? a > b : a < b;
    }
    // Dense indices in iteration order, worked out aside: the map's own
    // cache of the order costs as much again for as long as the map lives.
    std::vector<std::uint32_t> IterationOrder() const
    {
        const auto keys = DenseKeys();
        std::array<std::uint32_t, kBucketCount + 1> next{};
        for (const std::uint32_t key : keys)
            ++next[BucketOf(key) + 1];
        for (std::uint32_t b = 0; b < kBucketCount; ++b)
            next[b + 1] += next[b];
        std::vector<std::uint32_t> order(keys.size());
        const auto place = [&](std::size_t i) { order[next[BucketOf(keys[i])]++] = static_cast<std::uint32_t>(i); };
        if (m_newestFirst) {
            for (std::size_t i = keys.size(); i-- > 0;)
                place(i);
        } else {
            for (std::size_t i = 0; i < keys.size(); ++i)
                place(i);
        }
        return order;
    }
    std::span<const Value> DenseValues() const { return m_values; }
    std::span<Value> DenseValues() { return m_values; }

    // Calls f(key, value) for every entry in iteration order.
    template <typename F> void ForEach(F&& f) const
    {
        VisitInOrder([&, keys = DenseKeys()](std::uint32_t i) { f(keys[i], m_values[i]); });
    }
    template <typename F> void ForEach(F&& f)
    {
        VisitInOrder([&, keys = DenseKeys()](std::uint32_t i) { f(keys[i], m_values[i]); });
    }

    // Keys in iteration order.
    std::vector<std::uint32_t> Keys() const
    {
        std::vector<std::uint32_t> keys;
        keys.reserve(Size());
        ForEach([&](std::uint32_t key, const Value&) { keys.push_back(key); });
        return keys;
    }

private:
    static constexpr std::size_t kNone = SIZE_MAX;

    std::size_t IndexOf(std::uint32_t key) const
    {
        if (!m_indexValid) {
            const auto keys = DenseKeys();
            m_index.clear();
            m_index.reserve(keys.size());
            for (std::size_t i = 0; i < keys.size(); ++i)
                m_index.emplace(keys[i], static_cast<std::uint32_t>(i));
            m_indexValid = true;
        }
        const auto it = m_index.find(key);
        return it == m_index.end() ? kNone : it->second;
    }

    // Takes other's entries and flag turned round: other's iteration order
    // with every chain reversed, as inserting them one by one would give.
    void CopyReversed(const CKeyedMap& other)
    {
        if (m_keys != other.m_keys) {
            m_keys = other.m_keys;
            m_index.clear();
            m_indexValid = false;
            m_orderValid = false;
        }
        m_values = other.m_values;
        m_newestFirst = !other.m_newestFirst;
    }

    // A new key must come first in its bucket, which appending gives only
    // when buckets are walked newest first; reversing the dense arrays keeps
    // the iteration order and makes it so.
    void MakeNewestFirst()
    {
        std::vector<std::uint32_t>& keys = OwnKeys();
        std::reverse(keys.begin(), keys.end());
        std::reverse(m_values.begin(), m_values.end());
        m_newestFirst = true;
        m_indexValid = false;
        m_orderValid = false;
    }

    // Dense indices grouped by bucket, ascending within each.
    template <typename F> void VisitInOrder(F&& visit) const
    {
        if (!m_orderValid) {
            const auto keys = DenseKeys();
            std::array<std::uint32_t, kBucketCount + 1> next{};
            for (const std::uint32_t key : keys)
                ++next[BucketOf(key) + 1];
            for (std::uint32_t b = 0; b < kBucketCount; ++b)
                next[b + 1] += next[b];
            m_bucketStart = next;
            m_order.resize(keys.size());
            for (std::size_t i = 0; i < keys.size(); ++i)
                m_order[next[BucketOf(keys[i])]++] = static_cast<std::uint32_t>(i);
            m_orderValid = true;
        }
        for (std::uint32_t b = 0; b < kBucketCount; ++b) {
            const std::uint32_t begin = m_bucketStart[b], end = m_bucketStart[b + 1];
            if (m_newestFirst) {
                for (std::uint32_t i = end; i-- > begin;)
                    visit(m_order[i]);
            } else {
                for (std::uint32_t i = begin; i < end; ++i)
                    visit(m_order[i]);
            }
        }
    }

    // The keys, for this map alone to change once no other map shares them;
    // none while the map is empty.
    std::vector<std::uint32_t>& OwnKeys()
    {
        if (!m_keys)
            m_keys = std::make_shared<std::vector<std::uint32_t>>();
        else if (m_keys.use_count() > 1)
            m_keys = std::make_shared<std::vector<std::uint32_t>>(*m_keys);
        return *m_keys;
    }

    std::shared_ptr<std::vector<std::uint32_t>> m_keys;
    std::vector<Value> m_values;
    // Whether a bucket is walked from its most recently inserted key.
    bool m_newestFirst = true;
    // Caches of what the keys already say; rebuilt when first needed after a change.
    mutable absl::flat_hash_map<std::uint32_t, std::uint32_t> m_index;
    mutable bool m_indexValid = true;
    mutable std::vector<std::uint32_t> m_order;
    mutable std::array<std::uint32_t, kBucketCount + 1> m_bucketStart{};
    mutable bool m_orderValid = false;
};

} // namespace tintor
