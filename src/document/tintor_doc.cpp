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
    // A preview still being written goes into the folder about to go.
    m_previewWriter.reset();
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

void CTintorDoc::WritePreviewAside(ITaskPoster* poster)
{
    FlushPreview();
    m_previewWriter.reset();
    m_poster = poster;
    if (poster == nullptr)
        return;
    // The report crosses to the document's thread; the document may be gone
    // by the time it arrives.
    m_previewWriter = std::make_unique<CPreviewWriter>(
        [this, poster, alive = std::weak_ptr<int>(m_alive)](const CPreviewWriter::Result& result) {
            poster->Post([this, alive, result] {
                if (alive.lock())
                    OnPreviewWritten(result);
            });
        });
}

void CTintorDoc::FlushPreview()
{
    if (m_previewWriter)
        m_previewWriter->Flush();
}

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
    bool changed = false;
    const auto write = [&](ColorKey key, bool encoded, std::uint32_t c, Positions positions) {
        if (encoded) {
            // Some place stores it otherwise than as three bytes: the movie
            // writes each in its form, and a place may refuse the colour.
            std::size_t kept = 0;
            std::size_t asNumbers = 0;
            for (const std::uint32_t p : positions) {
                const std::size_t size
                    = std::min(m_movie.PlaceSize(p), buffer.size() - std::min<std::size_t>(p, buffer.size()));
                const std::vector<std::uint8_t> before(
                    buffer.begin() + p, buffer.begin() + static_cast<std::ptrdiff_t>(p + size));
                if (!m_movie.WriteColour(p, RgbOf(c))) {
                    ++kept;
                    const EncodedPlace* place = m_movie.EncodedPlaceAt(p);
                    asNumbers += place != nullptr && place->keepsValue ? 1 : 0;
                }
                changed = changed || !std::equal(before.begin(), before.end(), buffer.begin() + p);
            }
            if (kept != 0)
                m_kept[key] = KeptColour{key, RgbOf(c), kept, asNumbers};
            else
                m_kept.erase(key);
            return;
        }
        const std::uint8_t red = static_cast<std::uint8_t>(c & 0xFF);
        const std::uint8_t green = static_cast<std::uint8_t>((c >> 8) & 0xFF);
        const std::uint8_t blue = static_cast<std::uint8_t>((c >> 16) & 0xFF);
        for (const std::uint32_t p : positions) {
            // The walk only registers records whose three bytes lie inside
            // the movie; checked again so a stray position cannot write
            // outside the buffer.
            if (p > buffer.size() || buffer.size() - p < 3)
                continue;
            std::uint8_t* bytes = buffer.data() + p;
            if (bytes[0] == red && bytes[1] == green && bytes[2] == blue)
                continue;
            bytes[0] = red;
            bytes[1] = green;
            bytes[2] = blue;
            changed = true;
        }
    };
    if (TableMirrorsRegistry()) {
        // The table was filled from this registry: entry i is key i's. The
        // colours are worked out first, on every core; the bytes are then
        // written in the registry's order, as a shared place needs.
        const auto entries = m_colorTable.Map().DenseValues();
        const auto tableKeys = m_colorTable.Map().DenseKeys();
        std::vector<std::uint32_t> colours(entries.size());
        m_colorTable.ColoursOf(entries, colours);
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (forceAll || IsSelected(entries[i]))
                write(tableKeys[i], m_movie.HasEncodedPlacesAt(i), colours[i], colors.PositionsAt(i));
    } else {
        const auto& table = m_colorTable.Map();
        colors.ForEach([&](ColorKey key, Positions positions) {
            const std::uint32_t* entry = table.Find(key);
            if (entry == nullptr) {
                m_messages.Show("UpdatePreview: missing color");
                return;
            }
            if (forceAll || IsSelected(*entry))
                write(key, m_movie.HasEncodedPlaces(key), m_colorTable.ColorOf(*entry, 1), positions);
        });
    }
    changed = m_bitmaps.Update(m_movie, m_colorTable, forceAll, m_messages) || changed;
    // Which state's colours the movie holds now, and so whether it is the
    // file as opened or saved.
    if (forceAll && ShowsRecordedColours())
        m_writtenState = m_history.CurrentId();
    else if (changed)
        m_writtenState.reset();
    m_modified = !(m_writtenState && m_savedState && *m_writtenState == *m_savedState);
    if (!changed && m_previewCurrent)
        return;
    if (m_previewFile) {
        if (const auto tempPath = GetTempFilePath())
            WritePreview(m_movie, *tempPath, "UpdatePreview: can't write the preview file");
    }
    if (m_preview != nullptr) {
        m_preview->Stop();
        if (!m_previewPending)
            m_preview->Refresh();
    }
}

void CTintorDoc::RefreshAll()
{
    UpdatePreview(true);
    if (m_colorView != nullptr) {
        m_colorView->SyncControls(m_colorTable);
        m_colorView->FillList(m_colorTable);
    }
}

void CTintorDoc::PushHistory() { m_history.Push(m_colorTable, BitmapsForHistory()); }

void CTintorDoc::ResetHistory()
{
    m_history.Reset();
    PushHistory();
}

void CTintorDoc::Record(bool step)
{
    if (step)
        m_history.Push(m_colorTable, BitmapsForHistory());
    else
        m_history.Amend(m_colorTable, BitmapsForHistory());
}

std::shared_ptr<const CBitmapStates> CTintorDoc::BitmapsForHistory() const
{
    std::vector<BitmapState> states = m_bitmaps.Snapshot();
    auto recorded = std::dynamic_pointer_cast<const CBitmapStates>(m_history.CurrentAttachment());
    if (recorded && recorded->States() == states)
        return recorded;
    return std::make_shared<const CBitmapStates>(std::move(states));
}

const std::vector<BitmapState>* CTintorDoc::RecordedBitmaps() const
{
    const auto* recorded = dynamic_cast<const CBitmapStates*>(m_history.CurrentAttachment().get());
    return recorded != nullptr ? &recorded->States() : nullptr;
}

void CTintorDoc::RestoreBitmaps()
{
    if (const auto* recorded = RecordedBitmaps())
        m_bitmaps.Restore(*recorded);
}

bool CTintorDoc::ImagesShowAsRecorded() const
{
    const auto* recorded = RecordedBitmaps();
    if (recorded == nullptr)
        return m_bitmaps.Entries().empty();
    return *recorded == m_bitmaps.Snapshot() && (EffectAsRecorded() || !m_bitmaps.AnySelected());
}

bool CTintorDoc::ShowsRecordedColours() const
{
    const CColorTable& recorded = m_history.Current();
    if (!recorded.Map().SameLayout(m_colorTable.Map()))
        return false;
    const auto live = m_colorTable.Map().DenseValues();
    const auto kept = recorded.Map().DenseValues();
    return std::equal(live.begin(), live.end(), kept.begin(), kept.end()) && (EffectAsRecorded() || !AnySelected())
        && ImagesShowAsRecorded();
}

bool CTintorDoc::EffectAsRecorded() const
{
    // Sliders at 0 change nothing in either space.
    const CColorTable::Parameters live = m_colorTable.GetParameters();
    const CColorTable::Parameters recorded = m_history.Current().GetParameters();
    return live == recorded || (live.Neutral() && recorded.Neutral());
}

bool CTintorDoc::PendingEffectShows() const { return !EffectAsRecorded() && AnySelected(); }

bool CTintorDoc::AnySelected() const
{
    const auto keys = m_colorTable.Map().DenseKeys();
    const auto entries = m_colorTable.Map().DenseValues();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (IsSelected(entries[i]) && (keys[i] & m_colorTable.KindFilter()) != 0)
            return true;
    return false;
}

std::size_t CTintorDoc::SelectedCount() const
{
    const auto keys = m_colorTable.Map().DenseKeys();
    const auto entries = m_colorTable.Map().DenseValues();
    std::size_t count = 0;
    for (std::size_t i = 0; i < entries.size(); ++i)
        count += IsSelected(entries[i]) && (keys[i] & m_colorTable.KindFilter()) != 0;
    for (const ColorKey key : m_lockedSelected)
        count += (key & m_colorTable.KindFilter()) != 0;
    return count;
}

bool CTintorDoc::PreviewMatchesList() const
{
    if (!HasMovie())
        return true;
    return m_writtenState && *m_writtenState == m_history.CurrentId()
        && (EffectAsRecorded() || (!AnySelected() && !m_bitmaps.AnySelected()));
}

bool CTintorDoc::TableMirrorsRegistry() const
{
    const auto tableKeys = m_colorTable.Map().DenseKeys();
    const auto registryKeys = m_movie.Colors().DenseKeys();
    return std::equal(tableKeys.begin(), tableKeys.end(), registryKeys.begin(), registryKeys.end());
}

std::uint32_t CTintorDoc::ColorAt(std::size_t index, int applyEffect) const
{
    return m_colorTable.ColorOf(m_colorTable.Map().DenseValues()[index], applyEffect);
}

std::size_t CTintorDoc::PlaceCountAt(std::size_t index) const
{
    return TableMirrorsRegistry() ? m_movie.Colors().PositionsAt(index).size() : PlaceCount(KeyAt(index));
}

std::vector<std::uint32_t> CTintorDoc::PlaceCounts() const
{
    const std::size_t n = m_colorTable.Map().DenseKeys().size();
    std::vector<std::uint32_t> counts(n);
    const bool mirrors = TableMirrorsRegistry();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t places = mirrors ? m_movie.Colors().PositionsAt(i).size() : PlaceCount(KeyAt(i));
        counts[i] = static_cast<std::uint32_t>(std::min<std::size_t>(places, UINT32_MAX));
    }
    return counts;
}

// --- Edits -------------------------------------------------------------------

void CTintorDoc::ChangeSelection(const std::function<void(CSelectionEdit&)>& change)
{
    // While the table holds the state on display but for the sliders,
    // folding the effect in changes a colour as shown only when the sliders
    // stand elsewhere than in that state; else it takes a full comparison.
    const bool asRecorded = m_history.Current().Map().SameLayout(m_colorTable.Map())
        && std::ranges::equal(m_history.Current().Map().DenseValues(), m_colorTable.Map().DenseValues());
    const bool folds = PendingEffectShows();
    const bool imagesFold = !ImagesShowAsRecorded();
    ApplyEffects();
    LockedSelectionIn();
    CSelectionEdit edit(m_colorTable);
    change(edit);
    LockedSelectionOut();
    Record(imagesFold || (asRecorded ? folds : !CColorTable::ShowSameColours(m_colorTable, m_history.Current())));
}

void CTintorDoc::SelectWhere(const std::function<bool(ColorKey)>& isSelected)
{
    ChangeSelection([&](CSelectionEdit& edit) {
        // Every entry is selected or not on its own, so the table's dense
        // order does as well as its iteration order.
        const auto keys = m_colorTable.Map().DenseKeys();
        for (std::size_t i = 0; i < keys.size(); ++i)
            if ((keys[i] & m_colorTable.KindFilter()) != 0)
                edit.Set(i, isSelected(keys[i]));
    });
}

void CTintorDoc::SelectBitmapsWhere(const std::function<bool(const BitmapEntry&)>& isSelected)
{
    // As with colours, only folding a pending effect in is a step.
    const bool folds = PendingEffectShows() || !ImagesShowAsRecorded();
    ApplyEffects();
    for (std::size_t i = 0; i < m_bitmaps.Entries().size(); ++i)
        m_bitmaps.Select(i, isSelected(m_bitmaps.Entries()[i]));
    Record(folds);
}

void CTintorDoc::SelectMatching(const ColourSelection& selection, bool add)
{
    ChangeSelection([&](CSelectionEdit& edit) {
        const CSelectionMatcher matcher(selection);
        const auto keys = m_colorTable.Map().DenseKeys();
        const auto entries = m_colorTable.Map().DenseValues();
        const std::vector<std::uint8_t> takes = matcher.TakesEach(keys, entries);
        for (std::size_t i = 0; i < keys.size(); ++i)
            if ((keys[i] & m_colorTable.KindFilter()) != 0 && !IsLocked(keys[i]))
                edit.Set(i, !matcher.Excepts(keys[i]) && ((add && edit.IsSelected(i)) || takes[i] != 0));
    });
}

void CTintorDoc::ApplyPending()
{
    // An Apply that changes no colour (the sliders at 0 in the other space,
    // the hue of greys turned) is no step and leaves the movie unmodified.
    if (HasMovie() && !(m_colorTable.GetParameters() == m_history.Current().GetParameters()))
        Record(!CColorTable::ShowSameColours(m_colorTable, m_history.Current()) || !ImagesShowAsRecorded());
    UpdatePreview(true);
}

bool CTintorDoc::LoadTable(ColorScriptResult* result)
{
    if (!HasMovie())
        return false;
    ColorScriptResult read;
    // Cancelled, unreadable, not a script, or declined: nothing changed.
    if (!tintor::loadtable(m_colorTable, m_movie.Title(), m_dialogs, m_messages, &read,
            [this](ColorKey key) { return IsLocked(key); }))
        return false;
    if (result != nullptr)
        *result = read;
    // A script none of whose colours are here changes nothing either.
    if (read.applied == 0)
        return true;
    m_colorTable.ResetParameters();
    // The pending effect on selected images is given up with the colours'.
    Record(!CColorTable::ShowSameColours(m_colorTable, m_history.Current()) || !ImagesShowAsRecorded());
    RefreshAll();
    return true;
}

std::optional<ColorKey> CTintorDoc::NearestColor(std::uint32_t rgb, VisionSimulation seen) const
{
    // One pass in the table's order; of equally near colours the one the
    // list shows first wins, as a walk in the list's order would find.
    const CColor picked(RgbOf(rgb));
    const auto keys = m_colorTable.Map().DenseKeys();
    std::int32_t best = kNearestLimit;
    std::optional<std::size_t> nearest;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if ((keys[i] & m_colorTable.KindFilter()) == 0)
            continue;
        const std::uint32_t shown = RgbOf(ColorAt(i, 1));
        const std::int32_t d = picked.Distance(seen == VisionSimulation::Normal ? shown : SimulateVision(seen, shown));
        if (d < best || (d == best && nearest && ListsBefore(m_colorTable, i, *nearest))) {
            best = d;
            nearest = i;
        }
    }
    return nearest ? std::optional<ColorKey>(keys[*nearest]) : std::nullopt;
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
    const bool imagesFold = !ImagesShowAsRecorded();
    ApplyEffects();
    for (std::uint32_t& entry : m_colorTable.Map().DenseValues())
        if (IsSelected(entry))
            entry = (entry & ~kColourMask) | RgbOf(rgb);
    Record(imagesFold || !CColorTable::ShowSameColours(m_colorTable, m_history.Current()));
    UpdatePreview(true);
    if (m_colorView != nullptr) {
        m_colorView->SyncControls(m_colorTable);
        m_colorView->FillList(m_colorTable);
    }
}

std::optional<std::uint32_t> CTintorDoc::FirstSelectedColor() const
{
    const auto keys = m_colorTable.Map().DenseKeys();
    const auto entries = m_colorTable.Map().DenseValues();
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (IsSelected(entries[i]) && (keys[i] & m_colorTable.KindFilter()) != 0
            && (!first || ListsBefore(m_colorTable, i, *first)))
            first = i;
    return first ? std::optional<std::uint32_t>(RgbOf(ColorAt(*first, 1))) : std::nullopt;
}

std::vector<ColorMapLine> CTintorDoc::ApplyColorMap(std::span<const ColorMapLine> lines)
{
    if (!HasMovie())
        return {lines.begin(), lines.end()};
    const bool imagesFold = !ImagesShowAsRecorded();
    ApplyEffects();
    std::vector<ColorMapLine> unmatched;
    for (const ColorMapLine& line : lines) {
        bool matched = false;
        for (const ColorKindInfo& kind : kColorKinds) {
            const ColorKey key = kind.kind | RgbOf(line.from);
            std::uint32_t* entry = (line.kinds & kind.kind) != 0 ? m_colorTable.Map().Find(key) : nullptr;
            if (entry != nullptr) {
                // Found, but a locked colour stays as it is.
                if (!IsLocked(key))
                    *entry = (*entry & ~kColourMask) | RgbOf(line.to);
                matched = true;
            }
        }
        if (!matched)
            unmatched.push_back(line);
    }
    Record(imagesFold || !CColorTable::ShowSameColours(m_colorTable, m_history.Current()));
    RefreshAll();
    return unmatched;
}

std::size_t CTintorDoc::MapSelectedToPalette(std::span<const std::uint32_t> palette, PaletteMatch match)
{
    if (!HasMovie() || palette.empty())
        return 0;
    return MapSelectedToPalette(CPaletteMatcher(palette, match));
}

std::size_t CTintorDoc::MapSelectedToPalette(const CPaletteMatcher& matcher)
{
    const auto palette = matcher.Colours();
    if (!HasMovie() || palette.empty())
        return 0;
    const bool imagesFold = !ImagesShowAsRecorded();
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
    const std::vector<std::size_t> matched = matcher.Match(colours);
    std::size_t changed = 0;
    for (std::size_t j = 0; j < selected.size(); ++j) {
        const std::uint32_t rgb = RgbOf(palette[matched[j]]);
        changed += rgb != colours[j];
        entries[selected[j]] = (entries[selected[j]] & ~kColourMask) | rgb;
    }
    Record(imagesFold || !CColorTable::ShowSameColours(m_colorTable, m_history.Current()));
    UpdatePreview(true);
    if (m_colorView != nullptr) {
        m_colorView->SyncControls(m_colorTable);
        m_colorView->FillList(m_colorTable);
    }
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
    const auto dense = table.Map().DenseKeys();
    std::vector<ColorKey> keys;
    for (const std::uint32_t index : ListOrder(table))
        keys.push_back(dense[index]);
    return keys;
}

std::vector<std::uint32_t> CTintorDoc::ListOrder(const CColorTable& table)
{
    // The list is sorted by the text "%08x" of the sort value; fixed-width
    // lower-case hex orders exactly as the numbers do. A sort value holds
    // only lightness and hue, 16 bits, so one counting pass over the entries
    // in the table's order sorts them, equal values in that order.
    const auto keys = table.Map().DenseKeys();
    std::vector<std::uint16_t> sortKeys(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
        sortKeys[i] = ShortSortValue(keys[i]);
    const std::vector<std::uint32_t> visits = table.Map().IterationOrder();
    std::vector<std::uint32_t> next(std::size_t{1} << 16 | 1, 0);
    std::size_t listed = 0;
    for (const std::uint32_t i : visits)
        if ((keys[i] & table.KindFilter()) != 0) {
            ++next[sortKeys[i] + 1u];
            ++listed;
        }
    for (std::size_t v = 1; v < next.size(); ++v)
        next[v] += next[v - 1];
    std::vector<std::uint32_t> order(listed);
    for (const std::uint32_t i : visits)
        if ((keys[i] & table.KindFilter()) != 0)
            order[next[sortKeys[i]]++] = i;
    return order;
}

std::uint16_t CTintorDoc::ShortSortValue(ColorKey key)
{
    const std::uint32_t v = SortValue(key);
    return static_cast<std::uint16_t>(((v >> 8) & 0xFF00) | (v & 0xFF));
}

bool CTintorDoc::ListsBefore(const CColorTable& table, std::size_t a, std::size_t b)
{
    const auto keys = table.Map().DenseKeys();
    const std::uint16_t va = ShortSortValue(keys[a]), vb = ShortSortValue(keys[b]);
    return va != vb ? va < vb : table.Map().VisitsBefore(a, b);
}

// --- Colour table operations ------------------------------------------------

void CTintorDoc::ResetColorTable() { m_colorTable.ResetColorTable(); }

void CTintorDoc::FillColorTable() { m_colorTable.FillColorTable(m_movie.Colors()); }

std::uint32_t CTintorDoc::GetColor(std::uint32_t key, int applyEffect) const
{
    return m_colorTable.GetColor(key, applyEffect, m_messages);
}

void CTintorDoc::Effect(std::string_view name, std::int32_t value) { m_colorTable.Effect(name, value, m_messages); }

void CTintorDoc::Select(std::uint32_t key, int selected)
{
    const ColorKey plain = key & ~kSelectedBit;
    if (!IsLocked(plain) || m_colorTable.Map().Find(plain) == nullptr)
        m_colorTable.Select(key, selected, m_messages);
    else if (selected != 0)
        m_lockedSelected.insert(plain);
    else
        m_lockedSelected.erase(plain);
}

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
    RestoreBitmaps();
    KeepLockedOutOfRestored();
    RefreshAll();
}

void CTintorDoc::OnEditRedo()
{
    m_history.Redo(m_colorTable);
    RestoreBitmaps();
    KeepLockedOutOfRestored();
    RefreshAll();
}

bool CTintorDoc::OnUpdateEditUndo() const { return m_history.GetUndoCount() != 0; }

bool CTintorDoc::OnUpdateEditRedo() const { return m_history.GetRedoCount() != 0; }

bool CTintorDoc::OnUpdateNeedMovie() const { return HasMovie(); }

bool CTintorDoc::OnUpdateNeedSelection() const
{
    // Runs at every selection change: one pass, without the list's sorting.
    return HasMovie() && AnySelected();
}

bool CTintorDoc::OnUpdateColourCommand() const { return HasMovie() && (AnySelected() || !m_bitmaps.AnySelected()); }

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
        CMovieBitmaps bitmaps;
        bitmaps.Load(movie);
        bitmaps.SetMovieName(path.string());
        history.Reset();
        history.Push(table, std::make_shared<const CBitmapStates>(bitmaps.Snapshot()));
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
        m_locked.clear();
        m_lockedSelected.clear();
        m_writtenState = m_savedState = m_history.CurrentId();
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
    m_bitmaps.SetMovieName(path.string());
    // Colour tables and palettes are offered under the name saved last.
    m_movie.SetTitle(TitleFromFileName(path.filename().string()));
    m_savedState = m_writtenState;
    SetModifiedFlag(false);
    return true;
}

bool CTintorDoc::SaveMovie(IOutputFile& file) { return m_movie.Save(file); }

void CTintorDoc::WritePreview(CSwfFile& movie, const std::filesystem::path& tempPath, std::string_view failure)
{
    if (m_previewWriter) {
        // The movie's bytes as they are now go aside; compressing and
        // writing them holds nobody up.
        m_previewJob = m_previewWriter->Write(movie.Image(), tempPath);
        m_previewFailure = failure;
        m_previewPending = true;
        m_previewCurrent = true;
        return;
    }
    std::error_code error;
    m_previewCurrent = movie.SaveToPath(tempPath, &error);
    if (!m_previewCurrent)
        m_messages.ShowFileFailure({FileFailure::Action::Save, std::string(failure), tempPath, error, {}});
}

void CTintorDoc::OnPreviewWritten(const CPreviewWriter::Result& result)
{
    // Only the newest write counts; an older one's file is replaced anyway.
    if (result.job != m_previewJob)
        return;
    m_previewPending = false;
    if (!result.ok) {
        m_previewCurrent = false;
        m_messages.ShowFileFailure({FileFailure::Action::Save, m_previewFailure, result.path, result.error, {}});
    }
    if (m_preview != nullptr)
        m_preview->Refresh();
}

} // namespace tintor
