// Locks, and the selection tools of the window that take many colours at
// once: Select All, similar colours, hues, and mapping onto a palette file.
#include "document/tintor_doc.h"

#include "colour/palette_reader.h"
#include "core/file.h"

namespace tintor {

void CTintorDoc::SetLocked(ColorKey key, bool locked)
{
    if (locked == IsLocked(key))
        return;
    const std::uint32_t* entry = m_colorTable.Map().Find(key);
    // A selected colour leaves the table's selection, which is a change of
    // the selection like any other; an unlocked one the list shows
    // selected comes back into it the same way.
    const bool selectionMoves = locked ? entry != nullptr && IsSelected(*entry) : m_lockedSelected.contains(key);
    const auto apply = [&] {
        if (locked)
            m_locked.insert(key);
        else
            m_locked.erase(key);
    };
    if (selectionMoves)
        ChangeSelection([&](CSelectionEdit&) { apply(); });
    else
        apply();
}

bool CTintorDoc::IsShownSelected(std::size_t index) const
{
    const auto entries = m_colorTable.Map().DenseValues();
    if (index >= entries.size())
        return false;
    return IsSelected(entries[index]) || (!m_lockedSelected.empty() && m_lockedSelected.contains(KeyAt(index)));
}

void CTintorDoc::LockedSelectionIn()
{
    for (const ColorKey key : m_lockedSelected)
        if (std::uint32_t* entry = m_colorTable.Map().Find(key))
            *entry |= kSelectedBit;
}

bool CTintorDoc::LockedSelectionOut()
{
    m_lockedSelected.clear();
    for (const ColorKey key : m_locked)
        if (std::uint32_t* entry = m_colorTable.Map().Find(key); entry != nullptr && IsSelected(*entry)) {
            *entry &= ~kSelectedBit;
            m_lockedSelected.insert(key);
        }
    return !m_lockedSelected.empty();
}

void CTintorDoc::KeepLockedOutOfRestored()
{
    if (LockedSelectionOut())
        Record(false);
}

void CTintorDoc::SelectAllUnlocked(std::span<const std::uint32_t> indices)
{
    ChangeSelection([&](CSelectionEdit& edit) {
        if (m_locked.empty()) {
            edit.SetAll(indices, true);
            return;
        }
        for (const std::uint32_t index : indices)
            if (index < edit.Size() && !IsLocked(KeyAt(index)))
                edit.Set(index, true);
    });
}

void CTintorDoc::SelectSimilar(std::uint32_t rgb, double within)
{
    ColourSelection selection;
    selection.near.push_back(RgbOf(rgb));
    selection.within = within;
    SelectMatching(selection, true);
}

void CTintorDoc::SelectHues(const HueRange& range)
{
    ColourSelection selection;
    selection.hues = range;
    SelectMatching(selection, true);
}

std::optional<std::size_t> CTintorDoc::MapSelectedToPaletteFile(PaletteMatch match)
{
    if (!HasMovie())
        return std::nullopt;
    const auto path = m_dialogs.AskOpenFile("", kPaletteReadFilter, PaletteExtension(PaletteFormat::Gimp));
    if (!path)
        return std::nullopt;
    const auto refuse = [&](std::error_code code, std::string detail, std::vector<MessageText> parts = {}) {
        m_messages.ShowFileFailure({FileFailure::Action::Open, "MapSelectedToPalette: can't read", *path, code,
            std::move(detail), std::move(parts)});
        return std::nullopt;
    };
    std::error_code error;
    const auto bytes = ReadWholeFile(*path, &error);
    if (!bytes)
        return refuse(error, {});
    const ReadPaletteResult palette = ReadPalette(*bytes);
    if (palette.error)
        return refuse({}, palette.error->where.Text() + ": " + palette.error->reason.Text(),
            {palette.error->where, palette.error->reason});
    if (palette.colours.empty())
        return refuse({}, "no RGB colours in the palette");
    return MapSelectedToPalette(palette.colours, match);
}

} // namespace tintor
