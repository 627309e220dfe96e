// The document: the movie, its colour table, the history and the preview file.
#include "document/tintor_doc.h"

#include "colour/colour.h"
#include "colour/colour_script.h"
#include "core/file.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <system_error>

namespace tintor {

namespace {

// The hue and lightness bytes of a packed HLS value.
constexpr std::uint32_t kHueAndLightness = 0x00FF00FF;

// The folder under which the private preview folder is made: $TMPDIR when it
// is set, as every other tool on the system honours it, otherwise /tmp.
std::filesystem::path TempRoot()
{
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir != nullptr && *tmpdir != '\0')
        return tmpdir;
    return "/tmp";
}

} // namespace

CTintorDoc::CTintorDoc(IMessageSink& messages, IFileDialogs& dialogs)
    : m_messages(messages), m_dialogs(dialogs), m_movie(messages)
{
}

CTintorDoc::~CTintorDoc()
{
    if (m_tempDir.empty())
        return;
    // Also takes away anything a failed preview write left behind.
    std::error_code ignored;
    std::filesystem::remove_all(m_tempDir, ignored);
}

void CTintorDoc::AttachViews(IColorViewPort* colorView, IPreviewPort* preview)
{
    m_colorView = colorView;
    m_preview = preview;
}

bool CTintorDoc::HasMovie() const { return m_movie.HasMovie(); }

std::optional<std::filesystem::path> CTintorDoc::GetTempFilePath()
{
    if (m_tempPath)
        return m_tempPath;
    // A folder of our own (mode 0700) rather than a fixed name in the shared
    // temporary folder: two running instances never write the same preview,
    // and nobody else can plant a link where we write.
    std::string pattern = (TempRoot() / "tintor-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        m_messages.Show("ERROR: can't make temp file");
        return std::nullopt;
    }
    m_tempDir = pattern;
    m_tempPath = m_tempDir / std::string(kTempFileName);
    return m_tempPath;
}

// --- The cycle ---------------------------------------------------------------

void CTintorDoc::UpdatePreview(bool forceAll)
{
    if (!HasMovie())
        return;
    const std::span<std::uint8_t> buffer = m_movie.Buffer();
    const auto& table = m_colorTable.Map();
    m_movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        const std::uint32_t* entry = table.Find(key);
        if (entry == nullptr) {
            m_messages.Show("UpdatePreview: missing color");
            return;
        }
        if (!forceAll && !IsSelected(*entry))
            return;
        const std::uint32_t c = m_colorTable.GetColor(key, 1, m_messages);
        for (const std::uint32_t p : positions) {
            // The walk only registers records whose three bytes lie inside
            // the movie; checked again so a stray position cannot write
            // outside the buffer.
            if (p > buffer.size() || buffer.size() - p < 3)
                continue;
            buffer[p] = static_cast<std::uint8_t>(c & 0xFF);
            buffer[p + 1] = static_cast<std::uint8_t>((c >> 8) & 0xFF);
            buffer[p + 2] = static_cast<std::uint8_t>((c >> 16) & 0xFF);
        }
    });
    if (const auto tempPath = GetTempFilePath(); tempPath && !m_movie.SaveToPath(*tempPath))
        m_messages.Show("UpdatePreview: can't write the preview file " + tempPath->string());
    if (m_preview != nullptr) {
        m_preview->Stop();
        m_preview->Refresh();
    }
    SetModifiedFlag(true);
}

void CTintorDoc::RefreshAll()
{
    UpdatePreview(true);
    if (m_colorView != nullptr) {
        m_colorView->SyncControls(m_colorTable);
        m_colorView->FillList(m_colorTable);
    }
    if (m_preview != nullptr) {
        m_preview->Stop();
        m_preview->Refresh();
    }
}

void CTintorDoc::PushHistory() { m_history.Push(m_colorTable); }

void CTintorDoc::ResetHistory()
{
    m_history.Reset();
    PushHistory();
}

// --- Edits -------------------------------------------------------------------

void CTintorDoc::SelectWhere(const std::function<bool(ColorKey)>& isSelected)
{
    ApplyEffects();
    for (const ColorKey key : m_colorTable.Map().Keys())
        if ((key & m_colorTable.KindFilter()) != 0)
            Select(key, isSelected(key) ? 1 : 0);
    PushHistory();
}

void CTintorDoc::ApplyPending()
{
    UpdatePreview(false);
    PushHistory();
}

bool CTintorDoc::LoadTable()
{
    if (!HasMovie())
        return false;
    const bool loaded = loadtable();
    if (loaded) {
        m_colorTable.ResetParameters();
        RefreshAll();
    }
    // Also a cancelled or failed load is a step the user can undo past.
    PushHistory();
    return loaded;
}

std::optional<ColorKey> CTintorDoc::NearestColor(std::uint32_t rgb) const
{
    const CColor picked(RgbOf(rgb));
    std::int32_t best = kNearestLimit;
    std::optional<ColorKey> nearest;
    for (const ColorKey key : ListedKeys(m_colorTable)) {
        const std::int32_t d = picked.Distance(RgbOf(GetColor(key, 1)));
        if (d < best) {
            best = d;
            nearest = key;
        }
    }
    return nearest;
}

std::size_t CTintorDoc::PlaceCount(ColorKey key) const
{
    const PositionList* positions = m_movie.Colors().Find(key);
    return positions != nullptr ? positions->size() : 0;
}

void CTintorDoc::SetSelectedColor(std::uint32_t rgb)
{
    if (!HasMovie())
        return;
    ApplyEffects();
    m_colorTable.Map().ForEach([rgb](ColorKey, std::uint32_t& entry) {
        if (IsSelected(entry))
            entry = (entry & ~kColourMask) | RgbOf(rgb);
    });
    UpdatePreview(false);
    if (m_colorView != nullptr) {
        m_colorView->SyncControls(m_colorTable);
        m_colorView->FillList(m_colorTable);
    }
    PushHistory();
}

std::optional<std::uint32_t> CTintorDoc::FirstSelectedColor() const
{
    for (const ColorKey key : ListedKeys(m_colorTable))
        if (const std::uint32_t* entry = m_colorTable.Map().Find(key); entry != nullptr && IsSelected(*entry))
            return RgbOf(GetColor(key, 1));
    return std::nullopt;
}

std::vector<ColorMapLine> CTintorDoc::ApplyColorMap(std::span<const ColorMapLine> lines)
{
    if (!HasMovie())
        return {lines.begin(), lines.end()};
    ApplyEffects();
    std::vector<ColorMapLine> unmatched;
    for (const ColorMapLine& line : lines) {
        bool matched = false;
        for (const ColorKindInfo& kind : kColorKinds) {
            std::uint32_t* entry
                = (line.kinds & kind.kind) != 0 ? m_colorTable.Map().Find(kind.kind | RgbOf(line.from)) : nullptr;
            if (entry != nullptr) {
                *entry = (*entry & ~kColourMask) | RgbOf(line.to);
                matched = true;
            }
        }
        if (!matched)
            unmatched.push_back(line);
    }
    RefreshAll();
    PushHistory();
    return unmatched;
}

std::vector<PaletteColor> CTintorDoc::PaletteColors() const
{
    std::vector<PaletteColor> colors;
    std::set<std::uint32_t> seen;
    for (const ColorKey key : ListedKeys(m_colorTable)) {
        const PaletteColor color{KindOf(key), RgbOf(GetColor(key, 1))};
        if (seen.insert(color.kind | color.rgb).second)
            colors.push_back(color);
    }
    return colors;
}

bool CTintorDoc::ExportPalette()
{
    if (!HasMovie())
        return false;
    const auto path = m_dialogs.AskSaveFile(m_movie.Title(), kPaletteFilter, PaletteExtension(PaletteFormat::Gimp));
    if (!path)
        return false;
    const std::string extension = path->extension().string();
    const PaletteFormat format = PaletteFormatFromName(std::string_view(extension).substr(extension.empty() ? 0 : 1))
                                     .value_or(PaletteFormat::Gimp);
    const std::string bytes = WritePalette(format, m_movie.Title(), PaletteColors());
    if (!WriteWholeFile(*path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()})) {
        m_messages.Show("ExportPalette: can't write " + path->string());
        return false;
    }
    return true;
}

// --- The colour list's order --------------------------------------------------

std::uint32_t CTintorDoc::SortValue(ColorKey key) { return CColor(key).ToHls() & kHueAndLightness; }

std::vector<ColorKey> CTintorDoc::ListedKeys(const CColorTable& table)
{
    struct Row {
        std::uint32_t sortValue;
        ColorKey key;
    };
    std::vector<Row> rows;
    table.Map().ForEach([&](ColorKey key, std::uint32_t) {
        if ((key & table.KindFilter()) != 0)
            rows.push_back(Row{SortValue(key), key});
    });
    // The list is sorted by the text "%08x" of the sort value; fixed-width
    // lower-case hex orders exactly as the numbers do.
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.sortValue < b.sortValue; });
    std::vector<ColorKey> keys;
    keys.reserve(rows.size());
    for (const Row& row : rows)
        keys.push_back(row.key);
    return keys;
}

// --- Colour table operations ------------------------------------------------

void CTintorDoc::ResetColorTable() { m_colorTable.ResetColorTable(); }

void CTintorDoc::FillColorTable() { m_colorTable.FillColorTable(m_movie.Colors()); }

std::uint32_t CTintorDoc::GetColor(std::uint32_t key, int applyEffect) const
{
    return m_colorTable.GetColor(key, applyEffect, m_messages);
}

void CTintorDoc::Effect(std::string_view name, std::int32_t value) { m_colorTable.Effect(name, value, m_messages); }

void CTintorDoc::Select(std::uint32_t key, int selected) { m_colorTable.Select(key, selected, m_messages); }

void CTintorDoc::ApplyEffects()
{
    // The table does not know the movie; without one the pending effect stays.
    if (HasMovie())
        m_colorTable.ApplyEffects(m_messages);
}

bool CTintorDoc::loadtable() { return tintor::loadtable(m_colorTable, m_movie.Title(), m_dialogs, m_messages); }

bool CTintorDoc::savetable() { return tintor::savetable(m_colorTable, m_movie.Title(), m_dialogs, m_messages); }

// --- Commands ---------------------------------------------------------------

void CTintorDoc::OnEditUndo()
{
    m_history.Undo(m_colorTable);
    RefreshAll();
}

void CTintorDoc::OnEditRedo()
{
    m_history.Redo(m_colorTable);
    RefreshAll();
}

bool CTintorDoc::OnUpdateEditUndo() const { return m_history.GetUndoCount() != 0; }

bool CTintorDoc::OnUpdateEditRedo() const { return m_history.GetRedoCount() != 0; }

bool CTintorDoc::OnUpdateNeedMovie() const { return HasMovie(); }

bool CTintorDoc::OnUpdateNeedSelection() const
{
    // Runs at every selection change: one pass, without the list's sorting.
    bool any = false;
    m_colorTable.Map().ForEach([&](ColorKey key, std::uint32_t entry) {
        any = any || ((key & m_colorTable.KindFilter()) != 0 && IsSelected(entry));
    });
    return HasMovie() && any;
}

void CTintorDoc::OnTableLoad() { LoadTable(); }

void CTintorDoc::OnTableSave()
{
    if (HasMovie())
        savetable();
}

// --- Document life -----------------------------------------------------------

bool CTintorDoc::OnNewDocument()
{
    ResetColorTable();
    return true;
}

void CTintorDoc::DeleteContents()
{
    // The movie and the table are replaced by the open and new paths.
}

bool CTintorDoc::OnOpenDocument(const std::filesystem::path& path)
{
    // Both checks come before the movie is touched, so a file that cannot be
    // read at all, or a missing preview folder, leaves the document as it was.
    auto file = CDiskInputFile::Open(path);
    if (!file) {
        m_messages.Show("OnOpenDocument: can't open " + path.string());
        return false;
    }
    const auto tempPath = GetTempFilePath();
    if (!tempPath)
        return false;

    if (!m_movie.Load(*file, m_rule)) {
        // Load has said why. The history of the previous movie stays; with
        // no movie left there is nothing to save either.
        ResetColorTable();
        SetModifiedFlag(false);
        return false;
    }
    // The movie is good even when its preview cannot be written: the colours
    // are still listed and can be changed and saved.
    if (!m_movie.SaveToPath(*tempPath))
        m_messages.Show("OnOpenDocument: can't write the preview file " + tempPath->string());
    ResetColorTable();
    FillColorTable();
    ResetHistory();
    m_pathName = path;
    SetModifiedFlag(false);
    return true;
}

bool CTintorDoc::OnSaveDocument(const std::filesystem::path& path)
{
    // The movie goes to a temporary file beside the target that replaces it
    // only when complete; any failure leaves the old file as it was.
    auto out = CAtomicOutputFile::Create(path);
    const bool saved = out && m_movie.Save(*out) && out->Commit();
    if (!saved) {
        m_messages.Show("OnSaveDocument: can't save " + path.string());
        return false;
    }
    m_pathName = path;
    SetModifiedFlag(false);
    return true;
}

} // namespace tintor
