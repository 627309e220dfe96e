#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tintor {

// The map behind the colour registry and the colour table. Its iteration
// order is part of the program's behaviour (it fixes the order in which the
// table is filled and the line order of saved colour scripts), so it keeps
// the classic layout: 17 buckets chosen by (key >> 4) % 17, a new key goes
// to the front of its bucket's chain, and iteration walks buckets 0..16, each
// chain front to back. Lookups go through a side index instead of walking a
// chain, so a movie with 200,000 colours costs the same per record as one
// with 200.
template <typename Value> class CKeyedMap {
public:
    static constexpr std::uint32_t kBucketCount = 17;

    static constexpr std::uint32_t BucketOf(std::uint32_t key) { return (key >> 4) % kBucketCount; }

    std::size_t Size() const { return m_nodes.size(); }
    bool Empty() const { return m_nodes.empty(); }

    Value* Find(std::uint32_t key)
    {
        const auto it = m_index.find(key);
        return it == m_index.end() ? nullptr : &m_nodes[it->second].value;
    }
    const Value* Find(std::uint32_t key) const
    {
        const auto it = m_index.find(key);
        return it == m_index.end() ? nullptr : &m_nodes[it->second].value;
    }

    // The value under key, inserted default-constructed at the front of its
    // bucket when the key is new.
    Value& FindOrInsert(std::uint32_t key)
    {
        const auto [it, inserted] = m_index.try_emplace(key, static_cast<std::uint32_t>(m_nodes.size()));
        if (!inserted)
            return m_nodes[it->second].value;
        Link(key, Value{});
        return m_nodes.back().value;
    }

    // Sets the value; an existing key keeps its place in the iteration order.
    void Set(std::uint32_t key, Value value) { FindOrInsert(key) = std::move(value); }

    void Clear()
    {
        m_nodes.clear();
        m_index.clear();
        m_heads.fill(kNone);
    }

    // Calls f(key, value) for every entry in iteration order.
    template <typename F> void ForEach(F&& f) const
    {
        for (std::uint32_t head : m_heads)
            for (std::uint32_t i = head; i != kNone; i = m_nodes[i].next)
                f(m_nodes[i].key, m_nodes[i].value);
    }
    template <typename F> void ForEach(F&& f)
    {
        for (std::uint32_t head : m_heads)
            for (std::uint32_t i = head; i != kNone; i = m_nodes[i].next)
                f(m_nodes[i].key, m_nodes[i].value);
    }

    // Keys in iteration order.
    std::vector<std::uint32_t> Keys() const
    {
        std::vector<std::uint32_t> keys;
        keys.reserve(m_nodes.size());
        ForEach([&](std::uint32_t key, const Value&) { keys.push_back(key); });
        return keys;
    }

private:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    struct Node {
        std::uint32_t key;
        std::uint32_t next;
        Value value;
    };

    void Link(std::uint32_t key, Value value)
    {
        const std::uint32_t bucket = BucketOf(key);
        m_nodes.push_back(Node{key, m_heads[bucket], std::move(value)});
        m_heads[bucket] = static_cast<std::uint32_t>(m_nodes.size() - 1);
    }

    std::vector<Node> m_nodes;
    std::array<std::uint32_t, kBucketCount> m_heads = MakeEmptyHeads();
    std::unordered_map<std::uint32_t, std::uint32_t> m_index;

    static constexpr std::array<std::uint32_t, kBucketCount> MakeEmptyHeads()
    {
        std::array<std::uint32_t, kBucketCount> heads{};
        heads.fill(kNone);
        return heads;
    }
};

} // namespace tintor
