#pragma once

#include "core/byte_buffer.h"
#include "swf/colour_key.h"

#include <absl/container/flat_hash_map.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tintor {

class CKeyNumbering;

// Positions of one colour's red byte in the movie buffer, in the order the
// walk met them, as a list of its own.
using PositionList = std::vector<std::uint32_t>;

// The same positions where the registry keeps them; a caller that wants to
// keep them takes them as a PositionList.
struct Positions : std::span<const std::uint32_t> {
    using std::span<const std::uint32_t>::span;
    Positions(std::span<const std::uint32_t> positions) : span(positions) {}
    operator PositionList() const { return {begin(), end()}; }
};

// Every colour record of a movie: ColorKey to its positions.
//
// The order in which keys are visited is part of the program's behaviour: it
// is the order of the colour table and of saved colour scripts. It is that of
// the classic chained map of 17 buckets, (key >> 4) % 17, each new key at the
// front of its bucket's chain: buckets 0 to 16, and within a bucket the key
// first registered last comes first.
//
// The walk only appends records; the first read groups them, so a colour
// record costs the same whether the movie has 200 colours or millions. Once
// grouped, keys are numbered in visiting order (the dense index), and the
// positions of all keys lie in one array, each key's in walk order.
class CColorRegistry {
public:
    static constexpr std::uint32_t kBucketCount = 17;
    static constexpr std::uint32_t BucketOf(ColorKey key) { return (key >> 4) % kBucketCount; }

    CColorRegistry() = default;
    CColorRegistry(CColorRegistry&&) noexcept = default;
    CColorRegistry& operator=(CColorRegistry&&) noexcept = default;

    // Registers one colour record; positions of a key stay in call order.
    // Split by bucket as they come: each bucket is then grouped on its own,
    // with a lookup table a seventeenth of the size, which stays in cache.
    void Add(ColorKey key, std::uint32_t pos)
    {
        m_pending[BucketOf(key)].Append(Record{key, pos});
        ++m_pendingCount;
    }
    // Groups what was added; reads do it themselves when needed.
    void Seal() const;
    void Clear();

    std::size_t Size() const { return Sealed().keys.size(); }
    bool Empty() const { return Size() == 0; }
    // Number of colour records over all keys.
    std::size_t RecordCount() const { return Sealed().positions.size(); }

    // Keys in visiting order; KeyAt(i) has dense index i.
    std::span<const ColorKey> DenseKeys() const { return Sealed().keys; }
    std::vector<ColorKey> Keys() const;
    ColorKey KeyAt(std::size_t index) const { return Sealed().keys[index]; }
    Positions PositionsAt(std::size_t index) const;

    std::optional<std::size_t> IndexOf(ColorKey key) const;
    // The key's positions; empty when the movie has no such key.
    Positions PositionsOf(ColorKey key) const;

    // Calls f(key, positions) for every key in visiting order.
    template <typename F> void ForEach(F&& f) const
    {
        const Grouped& g = Sealed();
        for (std::size_t i = 0; i < g.keys.size(); ++i)
            f(g.keys[i], Positions(Positions(g.positions).subspan(g.starts[i], g.starts[i + 1] - g.starts[i])));
    }

private:
    struct Record {
        // The key; while its bucket is grouped, the key's number there.
        ColorKey key;
        std::uint32_t pos;
    };
    // Records of one bucket in walk order, in chunks that never move, so the
    // walk's appends cost the same at any size and waste at most a chunk.
    class CRecordChunks {
    public:
        void Append(Record r)
        {
            if (m_next == m_end)
                AddChunk();
            *m_next++ = r;
        }
        std::size_t Size() const { return m_full + (m_chunks.empty() ? 0 : m_chunks.back().size - (m_end - m_next)); }
        // Calls f(records) for each chunk, in order.
        template <typename F> void ForEachChunk(F&& f)
        {
            for (std::size_t c = 0; c < m_chunks.size(); ++c) {
                const Chunk& chunk = m_chunks[c];
                f(std::span<Record>(
                    chunk.records.get(), c + 1 == m_chunks.size() ? chunk.size - (m_end - m_next) : chunk.size));
            }
        }
        void Clear()
        {
            m_chunks.clear();
            m_full = 0;
            m_next = m_end = nullptr;
        }

    private:
        // Chunks grow with what the bucket already holds, up to a bound, so
        // a movie of few colours stays small and one of millions makes few
        // allocations.
        static constexpr std::size_t kFirstChunk = 1024;
        static constexpr std::size_t kLargestChunk = std::size_t{1} << 18;
        struct Chunk {
            std::unique_ptr<Record[]> records;
            std::size_t size;
        };
        // Out of line: the walk's appends stay a compare and a store.
        [[gnu::noinline]] void AddChunk()
        {
            const std::size_t size = m_chunks.empty() ? kFirstChunk : std::min(2 * m_chunks.back().size, kLargestChunk);
            if (!m_chunks.empty())
                m_full += m_chunks.back().size;
            // Not zeroed: pages of a chunk that no record reaches are never
            // touched.
            m_chunks.push_back({std::make_unique_for_overwrite<Record[]>(size), size});
            m_next = m_chunks.back().records.get();
            m_end = m_next + size;
        }

        std::vector<Chunk> m_chunks;
        // Records in every chunk but the last.
        std::size_t m_full = 0;
        // Where the next record goes, and the end of the last chunk.
        Record* m_next = nullptr;
        Record* m_end = nullptr;
    };

    // Arrays that grouping fills whole: grown without being zeroed first.
    template <typename T> using Filled = std::vector<T, CDefaultInitAllocator<T>>;
    struct Grouped {
        Filled<ColorKey> keys;
        // Key i's positions are positions[starts[i] .. starts[i + 1]).
        Filled<std::uint32_t> starts{0};
        Filled<std::uint32_t> positions;
    };

    const Grouped& Sealed() const
    {
        if (m_pendingCount != 0)
            Seal();
        return m_grouped;
    }
    // Appends bucket b's keys and positions to next: the keys grouped so far
    // (in old), then the records added since, numbered with the scratch
    // table that every bucket shares.
    void GroupBucket(std::uint32_t b, const Grouped& old, std::size_t oldBegin, std::size_t oldEnd, Grouped& next,
        CKeyNumbering& numbering) const;

    // Grouping and the lookup index are worked out when first needed, so
    // both live in mutable members: neither changes what the registry holds.
    mutable std::array<CRecordChunks, kBucketCount> m_pending;
    mutable std::size_t m_pendingCount = 0;
    mutable Grouped m_grouped;
    mutable absl::flat_hash_map<ColorKey, std::uint32_t> m_index;
};

} // namespace tintor
