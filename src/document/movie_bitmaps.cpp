#include "document/movie_bitmaps.h"

#include <new>
#include <string>

namespace tintor {

namespace {

std::span<const std::uint8_t> BodyOf(const CSwfFile& movie, const SwfImageRecord& record)
{
    return movie.Buffer().subspan(record.bodyOffset, record.bodyLength);
}

std::array<int, 5> EffectOf(const CColorTable& table)
{
    return {table.Hue(), table.Saturation(), table.Value(), table.Unify(), static_cast<int>(table.Space())};
}

} // namespace

void CMovieBitmaps::Load(const CSwfFile& movie)
{
    m_entries.clear();
    m_entries.reserve(movie.Images().size());
    for (const SwfImageRecord& record : movie.Images()) {
        BitmapEntry entry;
        entry.record = record;
        entry.description = CBitmapImage::Describe(record, BodyOf(movie, record));
        m_entries.push_back(std::move(entry));
    }
}

void CMovieBitmaps::Select(std::size_t index, bool selected)
{
    if (index < m_entries.size())
        m_entries[index].selected = selected && m_entries[index].description.Recolourable();
}

bool CMovieBitmaps::AnySelected() const
{
    for (const BitmapEntry& entry : m_entries)
        if (entry.selected)
            return true;
    return false;
}

std::shared_ptr<const CBitmapImage> CMovieBitmaps::Committed(const CSwfFile& movie, BitmapEntry& entry)
{
    if (entry.committed)
        return entry.committed;
    if (!entry.loaded) {
        std::string problem;
        entry.loaded = CBitmapImage::Decode(entry.record, BodyOf(movie, entry.record), &problem);
        if (!entry.loaded) {
            // It decoded when it was listed; should it not now, it is left alone.
            entry.description.problem = problem.empty() ? "corrupt image data" : problem;
            entry.selected = false;
        }
    }
    return entry.loaded;
}

std::shared_ptr<const CBitmapImage> CMovieBitmaps::WithEffect(
    const CSwfFile& movie, BitmapEntry& entry, const CColorTable& table, IMessageSink& messages)
{
    const auto committed = Committed(movie, entry);
    if (!committed || table.ParametersAreDefault())
        return committed;
    if (entry.shown && entry.shownFrom == committed && entry.shownEffect == EffectOf(table))
        return entry.shown;
    try {
        // Every colour through the arithmetic of a selected swatch of that colour.
        entry.shown = committed->Recoloured(
            [&table](std::uint32_t rgb) { return RgbOf(table.ColorOf(RgbOf(rgb) | kSelectedBit, 1)); });
        entry.shownFrom = committed;
        entry.shownEffect = EffectOf(table);
        return entry.shown;
    } catch (const std::bad_alloc&) {
        messages.Show("Bitmap " + std::to_string(entry.record.characterId) + ": not enough memory to re-encode it");
        return nullptr;
    }
}

bool CMovieBitmaps::Update(CSwfFile& movie, const CColorTable& table, bool forceAll, IMessageSink& messages)
{
    bool changed = false;
    const auto put = [&](std::size_t i, std::shared_ptr<const ByteBuffer> body) {
        // Bodies are shared, never copied: the same body is the same image.
        changed = changed || movie.ImageBody(i) != body;
        movie.SetImageBody(i, std::move(body));
    };
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        BitmapEntry& entry = m_entries[i];
        if (!entry.description.Recolourable() || (!forceAll && !entry.selected))
            continue;
        if (!entry.selected && !entry.committed) {
            put(i, nullptr); // as loaded
            continue;
        }
        const auto shown = entry.selected ? WithEffect(movie, entry, table, messages) : Committed(movie, entry);
        if (shown)
            put(i, shown->Body());
    }
    return changed;
}

void CMovieBitmaps::ApplyEffects(const CSwfFile& movie, const CColorTable& table, IMessageSink& messages)
{
    if (table.ParametersAreDefault())
        return;
    for (BitmapEntry& entry : m_entries) {
        if (!entry.selected)
            continue;
        if (auto image = WithEffect(movie, entry, table, messages))
            entry.committed = std::move(image);
        entry.shown.reset();
        entry.shownFrom.reset();
    }
}

std::vector<BitmapState> CMovieBitmaps::Snapshot() const
{
    std::vector<BitmapState> states;
    states.reserve(m_entries.size());
    for (const BitmapEntry& entry : m_entries)
        states.push_back({entry.committed, entry.selected});
    return states;
}

void CMovieBitmaps::Restore(const std::vector<BitmapState>& states)
{
    for (std::size_t i = 0; i < m_entries.size() && i < states.size(); ++i) {
        BitmapEntry& entry = m_entries[i];
        // An image that failed to decode since the state was taken stays unselected.
        entry.selected = states[i].selected && entry.description.Recolourable();
        entry.committed = states[i].committed;
        entry.shown.reset();
        entry.shownFrom.reset();
    }
}

} // namespace tintor
