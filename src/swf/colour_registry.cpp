#include "swf/colour_registry.h"

#include <algorithm>

namespace tintor {

void CColorRegistry::Add(ColorKey key, std::uint32_t pos)
{
    // Split by bucket as they come: each bucket is then grouped on its own,
    // with a lookup table a seventeenth of the size, which stays in cache.
    m_pending[BucketOf(key)].Append(Record{key, pos});
    ++m_pendingCount;
}

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
    std::size_t oldBegin = 0;
    for (std::uint32_t b = 0; b < kBucketCount; ++b) {
        std::size_t oldEnd = oldBegin;
        while (oldEnd < old.keys.size() && BucketOf(old.keys[oldEnd]) == b)
            ++oldEnd;
        GroupBucket(b, old, oldBegin, oldEnd, next);
        oldBegin = oldEnd;
        m_pending[b].Clear();
    }
    m_pendingCount = 0;
    m_grouped = std::move(next);
    m_index = {};
}

void CColorRegistry::GroupBucket(
    std::uint32_t b, const Grouped& old, std::size_t oldBegin, std::size_t oldEnd, Grouped& next) const
{
    const CRecordChunks& added = m_pending[b];
    const std::size_t oldRecords = old.starts[oldEnd] - old.starts[oldBegin];
    const std::size_t records = oldRecords + added.Size();
    if (records == 0)
        return;

    // Number the bucket's keys in the order they were first registered; the
    // keys grouped before come first, oldest first (they are listed newest
    // first).
    Scratch s;
    s.groupOf.reserve(records);
    // Room for every record to be a key of its own spares the map its
    // growth, up to a bound that keeps a movie of few colours small.
    constexpr std::size_t kMaxReserved = std::size_t{1} << 20;
    s.firstSeen.reserve(std::min(records, kMaxReserved));
    const auto see = [&](ColorKey key) {
        const auto [it, fresh] = s.firstSeen.try_emplace(key, static_cast<std::uint32_t>(s.keys.size()));
        if (fresh) {
            s.keys.push_back(key);
            s.counts.push_back(0);
        }
        ++s.counts[it->second];
        s.groupOf.push_back(it->second);
    };
    for (std::size_t i = oldEnd; i-- > oldBegin;)
        for (std::uint32_t n = old.starts[i]; n < old.starts[i + 1]; ++n)
            see(old.keys[i]);
    // Many keys make the map outgrow the cache: asking for the slot of a
    // record a few ahead lets those fetches overlap.
    constexpr std::size_t kLookAhead = 8;
    added.ForEachChunk([&](std::span<const Record> chunk) {
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            if (i + kLookAhead < chunk.size())
                s.firstSeen.prefetch(chunk[i + kLookAhead].key);
            see(chunk[i].key);
        }
    });

    // Newest first: key g of the bucket's n keys gets dense index
    // base + n - 1 - g, and its positions follow those of every later key.
    const std::size_t n = s.keys.size();
    const std::size_t keyBase = next.keys.size();
    const std::size_t posBase = next.positions.size();
    next.keys.resize(keyBase + n);
    next.starts.resize(keyBase + n + 1);
    std::vector<std::uint32_t>& cursor = s.counts; // each group's next free slot
    std::uint32_t start = static_cast<std::uint32_t>(posBase);
    for (std::size_t g = n; g-- > 0;) {
        const std::size_t dense = keyBase + (n - 1 - g);
        next.keys[dense] = s.keys[g];
        const std::uint32_t count = cursor[g];
        cursor[g] = start;
        start += count;
        next.starts[dense + 1] = start;
    }
    next.positions.resize(posBase + records);
    std::size_t r = 0;
    for (std::size_t i = oldEnd; i-- > oldBegin;)
        for (std::uint32_t p = old.starts[i]; p < old.starts[i + 1]; ++p)
            next.positions[cursor[s.groupOf[r++]]++] = old.positions[p];
    added.ForEachChunk([&](std::span<const Record> chunk) {
        for (const Record& rec : chunk)
            next.positions[cursor[s.groupOf[r++]]++] = rec.pos;
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
