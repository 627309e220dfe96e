// The document: the movie, its colour table, the history and the preview file.
#include "document/tintor_doc.h"

#include "colour/colour.h"
#include "colour/colour_script.h"
#include "core/file.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <new>
#include <set>
#include <string>
#include <system_error>

namespace tintor {

namespace {

// The hue and lightness bytes of a packed HLS value.
constexpr std::uint32_t kHueAndLightness = 0x00FF00FF;
// A private folder is named "tintor-PID-XXXXXX".
constexpr std::string_view kTempFolderPrefix = "tintor-";
constexpr std::size_t kTempFolderRandom = 6;

// Keeps what a load says, so that the document can tell in one message
// which file failed and why.
class CCollectingSink final : public IMessageSink {
public:
    void Show(std::string_view text) override
    {
        if (!m_text.empty())
            m_text += '\n';
        m_text += text;
    }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// The process that made a private folder, read from its name; nothing for
// any other name.
std::optional<pid_t> OwnerOfTempFolder(std::string_view name)
{
    if (!name.starts_with(kTempFolderPrefix))
        return std::nullopt;
    name.remove_prefix(kTempFolderPrefix.size());
    const std::size_t dash = name.find('-');
    if (dash == std::string_view::npos || name.size() - dash - 1 != kTempFolderRandom)
        return std::nullopt;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + dash, pid);
    if (error != std::errc{} || end != name.data() + dash || pid <= 0)
        return std::nullopt;
    return pid;
}

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

int CTintorDoc::RemoveStaleTempFolders()
{
    int removed = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(TempRoot(), error), end; !error && it != end; it.increment(error)) {
        const std::filesystem::path& folder = it->path();
        const auto owner = OwnerOfTempFolder(folder.filename().string());
        if (!owner || *owner == ::getpid())
            continue;
        struct stat st {};
        if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        // Only a process that no longer exists has no claim on it.
        if (::kill(*owner, 0) == 0 || errno != ESRCH)
            continue;
        std::error_code ignored;
        if (std::filesystem::remove_all(folder, ignored) > 0)
            ++removed;
    }
    return removed;
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
    const std::filesystem::path root = TempRoot();
    std::string pattern = (root
        / (std::string(kTempFolderPrefix) + std::to_string(::getpid()) + "-" + std::string(kTempFolderRandom, 'X')))
                              .string();
    // No signal may end the process between making the folder and listing it.
    CSignalHold hold;
    if (::mkdtemp(pattern.data()) == nullptr) {
        const std::error_code reason(errno, std::generic_category());
        m_messages.ShowFileFailure({FileFailure::Action::Save, "ERROR: can't make temp file in", root, reason, {}});
        return std::nullopt;
    }
    m_tempDir = pattern;
    m_tempPath = m_tempDir / std::string(kTempFileName);
    m_tempDirCleanup = CSignalCleanupEntry(m_tempDir, CSignalCleanupEntry::Kind::Folder);
    m_tempFileCleanup = CSignalCleanupEntry(*m_tempPath, CSignalCleanupEntry::Kind::File);
    return m_tempPath;
}

// --- The cycle ---------------------------------------------------------------

void CTintorDoc::UpdatePreview(bool forceAll)
{
    if (!HasMovie())
        return;
    const std::span<std::uint8_t> buffer = m_movie.Buffer();
    const CColorRegistry& colors = m_movie.Colors();
    const auto write = [&](ColorKey key, bool encoded, std::uint32_t entry, Positions positions) {
        if (!forceAll && !IsSelected(entry))
            return;
        const std::uint32_t c = m_colorTable.ColorOf(entry, 1);
        if (encoded) {
            // Some place stores it otherwise than as three bytes: the movie
            // writes each in its form, and a place may refuse the colour.
            std::size_t kept = 0;
            for (const std::uint32_t p : positions)
                kept += m_movie.WriteColour(p, RgbOf(c)) ? 0 : 1;
            if (kept != 0)
                m_kept[key] = KeptColour{key, RgbOf(c), kept};
            else
                m_kept.erase(key);
            return;
        }
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
    };
    const auto& table = m_colorTable.Map();
    const auto tableKeys = table.DenseKeys();
    if (std::equal(tableKeys.begin(), tableKeys.end(), colors.DenseKeys().begin(), colors.DenseKeys().end())) {
        // The table was filled from this registry: entry i is key i's.
        const auto entries = table.DenseValues();
        for (std::size_t i = 0; i < entries.size(); ++i)
            write(tableKeys[i], m_movie.HasEncodedPlacesAt(i), entries[i], colors.PositionsAt(i));
    } else {
        colors.ForEach([&](ColorKey key, Positions positions) {
            const std::uint32_t* entry = table.Find(key);
            if (entry == nullptr) {
                m_messages.Show("UpdatePreview: missing color");
                return;
            }
            write(key, m_movie.HasEncodedPlaces(key), *entry, positions);
        });
    }
    m_bitmaps.Update(m_movie, m_colorTable, forceAll, m_messages);
    if (m_previewFile) {
        if (const auto tempPath = GetTempFilePath())
            WritePreview(m_movie, *tempPath, "UpdatePreview: can't write the preview file");
    }
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
    // Every entry is selected or not on its own, so the table's dense order
    // does as well as its iteration order.
    const auto keys = m_colorTable.Map().DenseKeys();
    const auto entries = m_colorTable.Map().DenseValues();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if ((keys[i] & m_colorTable.KindFilter()) == 0)
            continue;
        if (isSelected(keys[i]))
            entries[i] |= kSelectedBit;
        else
            entries[i] &= ~kSelectedBit;
    }
    PushHistory();
}

void CTintorDoc::SelectBitmapsWhere(const std::function<bool(const BitmapEntry&)>& isSelected)
{
    ApplyEffects();
    for (std::size_t i = 0; i < m_bitmaps.Entries().size(); ++i)
        m_bitmaps.Select(i, isSelected(m_bitmaps.Entries()[i]));
    PushHistory();
}

void CTintorDoc::SelectMatching(const ColourSelection& selection, bool add)
{
    ApplyEffects();
    const CSelectionMatcher matcher(selection);
    const auto keys = m_colorTable.Map().DenseKeys();
    const auto entries = m_colorTable.Map().DenseValues();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if ((keys[i] & m_colorTable.KindFilter()) == 0)
            continue;
        const bool selected = !matcher.Excepts(keys[i])
            && ((add && IsSelected(entries[i])) || matcher.Takes(keys[i], RgbOf(entries[i])));
        entries[i] = selected ? entries[i] | kSelectedBit : entries[i] & ~kSelectedBit;
    }
    PushHistory();
}

void CTintorDoc::ApplyPending()
{
    UpdatePreview(false);
    PushHistory();
}

bool CTintorDoc::LoadTable(ColorScriptResult* result)
{
    if (!HasMovie())
        return false;
    ColorScriptResult read;
    // Cancelled, unreadable, not a script, or declined: nothing changed.
    if (!tintor::loadtable(m_colorTable, m_movie.Title(), m_dialogs, m_messages, &read))
        return false;
    if (result != nullptr)
        *result = read;
    // A script none of whose colours are here changes nothing either.
    if (read.applied == 0)
        return true;
    m_colorTable.ResetParameters();
    RefreshAll();
    PushHistory();
    return true;
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

std::size_t CTintorDoc::PlaceCount(ColorKey key) const { return m_movie.Colors().PositionsOf(key).size(); }

std::vector<KeptColour> CTintorDoc::KeptColours() const
{
    std::vector<KeptColour> kept;
    for (const auto& [key, colour] : m_kept)
        kept.push_back(colour);
    return kept;
}

std::size_t CTintorDoc::KeptPlaceCount() const
{
    std::size_t places = 0;
    for (const auto& [key, colour] : m_kept)
        places += colour.places;
    return places;
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

std::size_t CTintorDoc::MapSelectedToPalette(std::span<const std::uint32_t> palette, PaletteMatch match)
{
    if (!HasMovie() || palette.empty())
        return 0;
    ApplyEffects();
    const auto keys = m_colorTable.Map().DenseKeys();
    const auto entries = m_colorTable.Map().DenseValues();
    std::vector<std::size_t> selected;
    std::vector<std::uint32_t> colours;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if ((keys[i] & m_colorTable.KindFilter()) != 0 && IsSelected(entries[i])) {
            selected.push_back(i);
            colours.push_back(RgbOf(entries[i]));
        }
    const std::vector<std::size_t> matched = MatchToPalette(colours, palette, match);
    std::size_t changed = 0;
    for (std::size_t j = 0; j < selected.size(); ++j) {
        const std::uint32_t rgb = RgbOf(palette[matched[j]]);
        changed += rgb != colours[j];
        entries[selected[j]] = (entries[selected[j]] & ~kColourMask) | rgb;
    }
    UpdatePreview(false);
    if (m_colorView != nullptr) {
        m_colorView->SyncControls(m_colorTable);
        m_colorView->FillList(m_colorTable);
    }
    PushHistory();
    return changed;
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
    std::error_code error;
    if (!WriteWholeFile(*path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, &error)) {
        m_messages.ShowFileFailure({FileFailure::Action::Save, "ExportPalette: can't write", *path, error, {}});
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
    if (HasMovie()) {
        m_bitmaps.ApplyEffects(m_movie, m_colorTable, m_messages);
        m_colorTable.ApplyEffects(m_messages);
    }
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
    std::error_code error;
    auto file = CDiskInputFile::Open(path, error);
    if (!file) {
        m_messages.ShowFileFailure({FileFailure::Action::Open, "OnOpenDocument: can't open", path, error, {}});
        return false;
    }
    return OnOpenDocument(*file, path);
}

bool CTintorDoc::OnOpenDocument(IInputFile& file, const std::filesystem::path& path)
{
    const auto fail = [&](std::error_code code, std::string detail) {
        m_messages.ShowFileFailure(
            {FileFailure::Action::Open, "OnOpenDocument: can't open", path, code, std::move(detail)});
        return false;
    };
    const auto tempPath = m_previewFile ? GetTempFilePath() : std::nullopt;
    if (m_previewFile && !tempPath)
        return false;
    try {
        // Everything is built aside: until the end the document is untouched.
        CCollectingSink loadMessages;
        CSwfFile movie(loadMessages);
        if (!movie.Load(file, m_rule, m_afterMovie))
            return fail(file.Error(), loadMessages.Text());
        movie.SetMessageSink(m_messages);
        CColorTable table;
        table.ResetColorTable();
        table.FillColorTable(movie.Colors());
        CHistory history(kHistoryCapacity);
        history.Reset();
        history.Push(table);
        CMovieBitmaps bitmaps;
        bitmaps.Load(movie);
        std::filesystem::path pathName = path;
        // The movie is good even when its preview cannot be written: the
        // colours are still listed and can be changed and saved.
        if (tempPath)
            WritePreview(movie, *tempPath, "OnOpenDocument: can't write the preview file");

        // Nothing from here on can fail.
        m_movie = std::move(movie);
        m_colorTable = std::move(table);
        m_history = std::move(history);
        m_bitmaps = std::move(bitmaps);
        m_pathName = std::move(pathName);
        m_kept.clear();
        SetModifiedFlag(false);
        return true;
    } catch (const std::bad_alloc&) {
        return fail(std::make_error_code(std::errc::not_enough_memory), {});
    }
}

bool CTintorDoc::OnSaveDocument(const std::filesystem::path& path)
{
    // The movie goes to a temporary file beside the target that replaces it
    // only when complete; any failure leaves the old file as it was.
    std::error_code error;
    bool saved = false;
    try {
        auto out = CAtomicOutputFile::Create(path, CAtomicOutputFile::Durability::Durable, error);
        if (out) {
            saved = m_movie.Save(*out) && out->Commit();
            // Short of a system error, only memory for the compression runs out.
            error = out->Error() || !HasMovie() ? out->Error() : std::make_error_code(std::errc::not_enough_memory);
        }
    } catch (const std::bad_alloc&) {
        error = std::make_error_code(std::errc::not_enough_memory);
    }
    if (!saved) {
        m_messages.ShowFileFailure({FileFailure::Action::Save, "OnSaveDocument: can't save", path, error, {}});
        return false;
    }
    m_pathName = path;
    // Colour tables and palettes are offered under the name saved last.
    m_movie.SetTitle(TitleFromFileName(path.filename().string()));
    SetModifiedFlag(false);
    return true;
}

bool CTintorDoc::SaveMovie(IOutputFile& file) { return m_movie.Save(file); }

void CTintorDoc::WritePreview(CSwfFile& movie, const std::filesystem::path& tempPath, std::string_view failure)
{
    std::error_code error;
    if (!movie.SaveToPath(tempPath, &error))
        m_messages.ShowFileFailure({FileFailure::Action::Save, std::string(failure), tempPath, error, {}});
}

} // namespace tintor
