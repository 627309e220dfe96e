#include "swf/colour_registry.h"

#include <algorithm>
#include <bit>

namespace tintor {

// The keys of one bucket numbered in the order they first come, with how
// many records each has: an open-addressed table of (key, number) pairs,
// probed linearly and kept at most half full. No key is 0 (every key has a
// kind), so 0 marks a free slot. One serves every bucket of a grouping, so
// its memory is made once.
class CKeyNumbering {
public:
    // Empty, with room from the start for every record to be a key of its
    // own, up to a bound that keeps a bucket of many repeats small: growing
    // costs a pass over the table that misses the cache at every key.
    void Reset(std::size_t records)
    {
        const std::size_t wanted = SizeFor(2 * std::min(records, kFirstMost));
        m_keys.clear();
        m_counts.clear();
        // Clearing costs as much as the table is large; a table four times
        // larger than needed is made anew.
        if (m_slots.size() < wanted || m_slots.size() > 4 * wanted)
            Resize(wanted);
        else
            std::fill(m_slots.begin(), m_slots.end(), Slot{});
    }

    // The key's number, the next one when it is new; counts n records of it.
    std::uint32_t Number(ColorKey key, std::uint32_t n = 1)
    {
        Slot* const slots = m_slots.data();
        const std::size_t mask = m_mask;
        std::size_t i = SlotOf(key);
        while (slots[i].key != key && slots[i].key != 0)
            i = (i + 1) & mask;
        if (slots[i].key == key) {
            m_counts[slots[i].number] += n;
            return slots[i].number;
        }
        const auto number = static_cast<std::uint32_t>(m_keys.size());
        m_keys.push_back(key);
        m_counts.push_back(n);
        slots[i] = {key, number};
        if (2 * m_keys.size() > m_slots.size())
            Resize(2 * m_slots.size());
        return number;
    }
    void Prefetch(ColorKey key) const { __builtin_prefetch(&m_slots[SlotOf(key)]); }
    std::span<const ColorKey> Keys() const { return m_keys; }
    std::vector<std::uint32_t>& Counts() { return m_counts; }

private:
    static constexpr std::size_t kFirstMost = std::size_t{1} << 20;
    struct Slot {
        ColorKey key = 0;
        std::uint32_t number = 0;
    };
    static std::size_t SizeFor(std::size_t slots) { return std::bit_ceil(std::max<std::size_t>(slots, 16)); }
    // Fibonacci hashing: the top bits of the key times 2^64 / phi.
    std::size_t SlotOf(ColorKey key) const
    {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> m_shift);
    }
    void Resize(std::size_t size)
    {
        m_slots.assign(SizeFor(size), Slot{});
        m_mask = m_slots.size() - 1;
        m_shift = 64 - std::countr_zero(m_slots.size());
        for (std::uint32_t number = 0; number < m_keys.size(); ++number) {
            std::size_t i = SlotOf(m_keys[number]);
            while (m_slots[i].key != 0)
                i = (i + 1) & m_mask;
            m_slots[i] = {m_keys[number], number};
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    int m_shift = 64;
    std::vector<ColorKey> m_keys;
    std::vector<std::uint32_t> m_counts;
};

void CColorRegistry::Clear()
{
    for (auto& records : m_pending)
        records.Clear();
    m_pendingCount = 0;
    m_grouped = Grouped{};
    m_index = {};
}

void CColorRegistry::Seal() const
{
    if (m_pendingCount == 0)
        return;
    const Grouped old = std::move(m_grouped);
    // There are at most as many keys as records; pages never written cost
    // nothing, so the key arrays are reserved at that bound.
    Grouped next;
    const std::size_t records = old.positions.size() + m_pendingCount;
    next.positions.reserve(records);
    next.keys.reserve(records);
    next.starts.reserve(records + 1);
    CKeyNumbering numbering;
    std::size_t oldBegin = 0;
    for (std::uint32_t b = 0; b < kBucketCount; ++b) {
        std::size_t oldEnd = oldBegin;
        while (oldEnd < old.keys.size() && BucketOf(old.keys[oldEnd]) == b)
            ++oldEnd;
        GroupBucket(b, old, oldBegin, oldEnd, next, numbering);
        oldBegin = oldEnd;
        m_pending[b].Clear();
    }
    m_pendingCount = 0;
    m_grouped = std::move(next);
    m_index = {};
}

void CColorRegistry::GroupBucket(std::uint32_t b, const Grouped& old, std::size_t oldBegin, std::size_t oldEnd,
    Grouped& next, CKeyNumbering& numbering) const
{
    CRecordChunks& added = m_pending[b];
    const std::size_t oldRecords = old.starts[oldEnd] - old.starts[oldBegin];
    const std::size_t records = oldRecords + added.Size();
    if (records == 0)
        return;

    // Number the bucket's keys in the order they were first registered; the
    // keys grouped before come first, oldest first (they are listed newest
    // first), so old key i is number oldEnd - 1 - i.
    numbering.Reset(records);
    for (std::size_t i = oldEnd; i-- > oldBegin;)
        numbering.Number(old.keys[i], old.starts[i + 1] - old.starts[i]);
    // Many keys make the table outgrow the cache: asking for the slot of a
    // record a few ahead lets those fetches overlap. Each record's key makes
    // way for its number, which the second pass needs.
    constexpr std::size_t kLookAhead = 16;
    added.ForEachChunk([&](std::span<Record> chunk) {
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            if (i + kLookAhead < chunk.size())
                numbering.Prefetch(chunk[i + kLookAhead].key);
            chunk[i].key = numbering.Number(chunk[i].key);
        }
    });

    // Newest first: key g of the bucket's n keys gets dense index
    // base + n - 1 - g, and its positions follow those of every later key.
    const std::span<const ColorKey> keys = numbering.Keys();
    const std::size_t n = keys.size();
    const std::size_t keyBase = next.keys.size();
    const std::size_t posBase = next.positions.size();
    next.keys.resize(keyBase + n);
    next.starts.resize(keyBase + n + 1);
    std::vector<std::uint32_t>& cursor = numbering.Counts(); // each group's next free slot
    std::uint32_t start = static_cast<std::uint32_t>(posBase);
    for (std::size_t g = n; g-- > 0;) {
        const std::size_t dense = keyBase + (n - 1 - g);
        next.keys[dense] = keys[g];
        const std::uint32_t count = cursor[g];
        cursor[g] = start;
        start += count;
        next.starts[dense + 1] = start;
    }
    next.positions.resize(posBase + records);
    for (std::size_t i = oldEnd; i-- > oldBegin;) {
        std::uint32_t& at = cursor[oldEnd - 1 - i];
        at = static_cast<std::uint32_t>(std::copy(old.positions.begin() + old.starts[i],
                                            old.positions.begin() + old.starts[i + 1], next.positions.begin() + at)
            - next.positions.begin());
    }
    added.ForEachChunk([&](std::span<Record> chunk) {
        for (const Record& rec : chunk)
            next.positions[cursor[rec.key]++] = rec.pos;
    });
}

std::vector<ColorKey> CColorRegistry::Keys() const
{
    const auto keys = DenseKeys();
    return {keys.begin(), keys.end()};
}

Positions CColorRegistry::PositionsAt(std::size_t index) const
{
    const Grouped& g = Sealed();
    return Positions(g.positions).subspan(g.starts[index], g.starts[index + 1] - g.starts[index]);
}

std::optional<std::size_t> CColorRegistry::IndexOf(ColorKey key) const
{
    const Grouped& g = Sealed();
    // Built at the first lookup: listing a movie's colours needs none.
    if (m_index.empty() && !g.keys.empty()) {
        m_index.reserve(g.keys.size());
        for (std::size_t i = 0; i < g.keys.size(); ++i)
            m_index.emplace(g.keys[i], static_cast<std::uint32_t>(i));
    }
    const auto it = m_index.find(key);
    if (it == m_index.end())
        return std::nullopt;
    return it->second;
}

Positions CColorRegistry::PositionsOf(ColorKey key) const
{
    const auto index = IndexOf(key);
    return index ? PositionsAt(*index) : Positions{};
}

} // namespace tintor
