#include "document/movie_bitmaps.h"

#include <string>

namespace tintor {

namespace {

std::array<int, 5> EffectOf(const CColorTable& table)
{
    return {table.Hue(), table.Saturation(), table.Value(), table.Unify(), static_cast<int>(table.Space())};
}

} // namespace

BitmapSource SourceOf(const CSwfFile& movie, const SwfImageRecord& record)
{
    return {record, movie.Buffer().subspan(record.bodyOffset, record.bodyLength), movie.JpegTables()};
}

ColourChange ImageChangeOf(const CColorTable& table)
{
    return [parameters = table.GetParameters()]() -> RecolourFn {
        // A table of no colours holds the effect: its arithmetic is a
        // selected swatch's, and its caches last as long as one recolouring.
        auto effect = std::make_shared<CColorTable>();
        effect->SetParameters(parameters);
        const bool hsv = parameters.space == EffectSpace::Hsv;
        return [effect, hsv](std::uint32_t rgb) {
            return RgbOf(effect->ColorOf((hsv ? GreyForEffect(rgb) : rgb) | kSelectedBit, 1));
        };
    };
}

void CMovieBitmaps::Load(const CSwfFile& movie)
{
    m_entries.clear();
    m_entries.reserve(movie.Images().size());
    for (const SwfImageRecord& record : movie.Images()) {
        BitmapEntry entry;
        entry.record = record;
        entry.description = CBitmapImage::Describe(SourceOf(movie, record));
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

std::shared_ptr<const CBitmapImage> CMovieBitmaps::WithEffect(
    const CSwfFile& movie, BitmapEntry& entry, const CColorTable& table, IMessageSink& messages)
{
    if (table.ParametersAreDefault())
        return entry.committed;
    const std::array<int, 5> effect = EffectOf(table);
    if (entry.shown && entry.shownFrom == entry.committed && entry.shownEffect == effect)
        return entry.shown;
    if (!entry.failure.empty() && entry.failedFrom == entry.committed && entry.failedEffect == effect)
        return nullptr;
    std::string problem;
    auto image = CBitmapImage::Recolour(SourceOf(movie, entry.record), entry.committed, ImageChangeOf(table), problem);
    if (!image) {
        entry.failure = problem.empty() ? std::string(kNoMemoryProblem) : problem;
        entry.failedFrom = entry.committed;
        entry.failedEffect = effect;
        const std::string& name = m_movieName.empty() ? movie.Title() : m_movieName;
        messages.Show((name.empty() ? std::string() : name + ": ") + "bitmap "
            + std::to_string(entry.record.characterId) + " could not be re-encoded: " + entry.failure);
        return nullptr;
    }
    entry.failure.clear();
    entry.failedFrom.reset();
    entry.shown = std::move(image);
    entry.shownFrom = entry.committed;
    entry.shownEffect = effect;
    return entry.shown;
}

bool CMovieBitmaps::Update(CSwfFile& movie, const CColorTable& table, bool forceAll, IMessageSink& messages)
{
    bool changed = false;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        BitmapEntry& entry = m_entries[i];
        if (!entry.description.Recolourable() || (!forceAll && !entry.selected))
            continue;
        std::shared_ptr<const CBitmapImage> shown = entry.committed;
        if (entry.selected && !table.ParametersAreDefault()) {
            shown = WithEffect(movie, entry, table, messages);
            if (!shown)
                continue; // said, and left as the movie shows it
        }
        // Bodies are shared, never copied: the same body is the same image.
        std::shared_ptr<const ByteBuffer> body = shown ? shown->Body() : nullptr;
        changed = changed || movie.ImageBody(i) != body;
        movie.SetImageBody(i, std::move(body));
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
        entry.selected = states[i].selected && entry.description.Recolourable();
        entry.committed = states[i].committed;
        entry.shown.reset();
        entry.shownFrom.reset();
        entry.failure.clear();
        entry.failedFrom.reset();
    }
}

} // namespace tintor
