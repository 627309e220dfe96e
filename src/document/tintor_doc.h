#pragma once

#include "colour/colour_map.h"
#include "colour/colour_script.h"
#include "colour/colour_selection.h"
#include "colour/colour_table.h"
#include "colour/colour_vision.h"
#include "colour/history.h"
#include "colour/palette.h"
#include "colour/palette_mapping.h"
#include "core/dialogs.h"
#include "core/file.h"
#include "core/messages.h"
#include "core/signal_cleanup.h"
#include "document/movie_bitmaps.h"
#include "document/preview_writer.h"
#include "swf/swf_file.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tintor {

// What the document needs of the colour list view.
class IColorViewPort {
public:
    virtual ~IColorViewPort() = default;
    // Sliders and the unify box to the table's parameters.
    virtual void SyncControls(const CColorTable& table) = 0;
    // Rebuilds the list from the table.
    virtual void FillList(const CColorTable& table) = 0;
};

// What the document needs of the preview view.
class IPreviewPort {
public:
    virtual ~IPreviewPort() = default;
    // What is on its way is out of date: a new preview file is coming.
    virtual void Stop() = 0;
    // Reloads the temporary preview file, which is complete now.
    virtual void Refresh() = 0;
};

// A colour whose places did not all take the colour the table gives it: a
// tint whose add terms have no room for that colour keeps its old terms, a
// script constant its value when its encoding has no room for it or the
// script also uses it as a number.
struct KeptColour {
    ColorKey key = 0;
    std::uint32_t wanted = 0;  // the colour it was to become, red in the low byte
    std::size_t places = 0;    // how many of its places kept their colour
    std::size_t asNumbers = 0; // how many of those because they are numbers too

    friend bool operator==(const KeptColour&, const KeptColour&) = default;
};

// Runs a task later on the thread that the document lives on. The window
// gives the document one, and the document then writes its preview files
// on a thread of their own and hears back through it.
class ITaskPoster {
public:
    virtual ~ITaskPoster() = default;
    virtual void Post(std::function<void()> task) = 0;
};

// What a change of the selection may do to the colour table: select and
// deselect entries, named by their dense index (their place in the table's
// DenseKeys).
class CSelectionEdit {
public:
    explicit CSelectionEdit(CColorTable& table) : m_entries(table.Map().DenseValues()) {}
    std::size_t Size() const { return m_entries.size(); }
    bool IsSelected(std::size_t index) const { return tintor::IsSelected(m_entries[index]); }
    void Set(std::size_t index, bool selected)
    {
        m_entries[index] = selected ? m_entries[index] | kSelectedBit : m_entries[index] & ~kSelectedBit;
    }
    // The entries at the indices, each named at most once.
    void SetAll(std::span<const std::uint32_t> indices, bool selected)
    {
        // Every entry (a whole list) in one pass in the table's own order
        // rather than jumping about in the list's.
        if (indices.size() == m_entries.size()) {
            for (std::uint32_t& entry : m_entries)
                entry = selected ? entry | kSelectedBit : entry & ~kSelectedBit;
            return;
        }
        for (const std::uint32_t index : indices)
            Set(index, selected);
    }
    // Every entry, listed or not, deselected.
    void Clear()
    {
        for (std::uint32_t& entry : m_entries)
            entry &= ~kSelectedBit;
    }

private:
    std::span<std::uint32_t> m_entries;
};

// The one document: the movie, its colour table, the undo history and the
// temporary preview file, and the whole colour-changing cycle on them.
class CTintorDoc {
public:
    static constexpr int kHistoryCapacity = 50;
    // Squared distance from which a listed colour no longer counts as near.
    static constexpr std::int32_t kNearestLimit = 1000;
    static constexpr std::string_view kTempFileName = "__tmpswf.swf";
    static constexpr std::string_view kMovieFilter = "Swf Files (*.swf)|*.swf|すべてのﾌｧｲﾙ (*.*)|*.*||";

    CTintorDoc(IMessageSink& messages, IFileDialogs& dialogs);
    // Removes the temporary preview file and its private folder.
    ~CTintorDoc();
    CTintorDoc(const CTintorDoc&) = delete;
    CTintorDoc& operator=(const CTintorDoc&) = delete;

    // The views; either may be null (no window).
    void AttachViews(IColorViewPort* colorView, IPreviewPort* preview);
    // Whether opening and applying write the preview file; a document that
    // nobody watches (tintor-cli) writes none.
    void SetPreviewFileWritten(bool written) { m_previewFile = written; }
    // From now on preview files are written on a thread of their own; the
    // preview hears through the poster when one is complete. Without a
    // poster (null) they are written at once, as before.
    void WritePreviewAside(ITaskPoster* poster);
    // Whether a preview file is still being written.
    bool PreviewPending() const { return m_previewPending; }
    // Waits until the preview files asked for are written.
    void FlushPreview();

    bool HasMovie() const;
    // The preview file's path in a private folder made at the first call;
    // nullopt (after "ERROR: can't make temp file") when it cannot be made.
    // The folder's name carries the process id, so that a later run can
    // tell a folder left behind by a process that has gone.
    std::optional<std::filesystem::path> GetTempFilePath();
    // Removes the private folders under the temporary folder that belong to
    // this user and to no running process; how many were removed.
    static int RemoveStaleTempFolders();
    CColorTable& GetColorTable() { return m_colorTable; }
    const CColorTable& GetColorTable() const { return m_colorTable; }
    const CSwfFile& GetMovie() const { return m_movie; }
    const CHistory& GetHistory() const { return m_history; }
    // Which colours the movies opened from now on list; the movie held
    // keeps the colours it was opened with.
    void SetCollectionRule(CollectionRule rule) { m_rule = rule; }
    // Whether the movies opened from now on keep the bytes after them; a
    // document whose movie is never saved (a palette's) need not read them.
    void SetAfterMovie(AfterMovie afterMovie) { m_afterMovie = afterMovie; }
    CollectionRule GetCollectionRule() const { return m_rule; }

    // --- The cycle ----------------------------------------------------------
    // Writes colours into the movie (the selected ones with the pending
    // effect; with forceAll every colour) and, when that changed a byte or
    // the preview file is behind, the preview file.
    void UpdatePreview(bool forceAll);
    // Every colour into the movie and the preview, then the colour view
    // from the table.
    void RefreshAll();
    // The table as a new history state, whatever changed.
    void PushHistory();
    void ResetHistory();

    // --- Edits as the views and the command line make them ---------------
    // Each that changes the colours shown is one history step; one that
    // changes only the selection goes with the state on display.
    //
    // A change of the selection: the pending effect made permanent for the
    // colours selected so far, then the change. A step only when folding the
    // effect in changed colours: when the sliders had moved since the state
    // on display and some colour was selected.
    void ChangeSelection(const std::function<void(CSelectionEdit&)>& change);
    // The same, every listed colour selected exactly when isSelected says so.
    void SelectWhere(const std::function<bool(ColorKey)>& isSelected);
    // A selection change by what the colours look like: the pending effect
    // made permanent first, then every listed colour whose colour the
    // selection takes is selected, on top of the colours selected so far
    // when add is true; the colours it excepts end unselected either way.
    // Locked colours are passed by.
    void SelectMatching(const ColourSelection& selection, bool add);
    // Apply: every colour as the list shows it, the selected ones with the
    // pending effect, into the movie and the preview. The effect stays
    // pending. A step when that shows colours or images otherwise than the
    // state on display; the movie is marked modified only when a byte changed.
    void ApplyPending();
    // Loads a colour script that the user picks into the table, locked
    // colours passed by; when a line of it was used, the effect parameters go back to neutral, every colour
    // of the movie is rewritten and, when that changed colours, a step is
    // taken. False when nothing was loaded (no movie, cancelled, the file
    // unreadable or not a script, or the user declined a script of which some
    // colours were not found); nothing has changed then. What the script's lines did goes to
    // result, when given.
    bool LoadTable(ColorScriptResult* result = nullptr);
    // The listed colour that looks nearest to rgb (red in the low byte) as
    // the list shows it, pending effect included, at a squared distance below
    // kNearestLimit; of equally near ones, the first in the list's order.
    // With a simulation, rgb is a colour as seen that way (a pixel of a
    // simulated preview), and the listed colours are compared as seen too.
    std::optional<ColorKey> NearestColor(std::uint32_t rgb, VisionSimulation seen = VisionSimulation::Normal) const;
    // How many places of the movie store the colour of key; 0 when none.
    std::size_t PlaceCount(ColorKey key) const;
    // The colours whose places do not all show their colour of the table,
    // as the last writes into the movie left them, by key; empty for most
    // movies, whose every place takes any colour.
    std::vector<KeptColour> KeptColours() const;
    // The places among them.
    std::size_t KeptPlaceCount() const;
    // Set to a colour: every selected colour becomes rgb (red in the low
    // byte), written into the movie and the preview as Apply writes, with one
    // history state. A pending effect ends first and the sliders go back to
    // neutral, so the colours are exactly the one chosen.
    void SetSelectedColor(std::uint32_t rgb);
    // The colour that the first selected colour of the list shows; nullopt
    // when none is selected.
    std::optional<std::uint32_t> FirstSelectedColor() const;
    // The changes of a colour map, each matched against the colours as the
    // movie has them (so two lines can swap colours), then every colour of
    // the movie rewritten and one history state; locked colours stay. The
    // lines that matched no colour come back, for the caller to report.
    std::vector<ColorMapLine> ApplyColorMap(std::span<const ColorMapLine> lines);
    // --- Bitmaps -------------------------------------------------------------
    // The images of the movie, listed after its colours.
    const CMovieBitmaps& GetBitmaps() const { return m_bitmaps; }
    // A change of which images are selected, as SelectWhere changes colours:
    // the pending effect made permanent first, then every image that can be
    // recoloured selected exactly when isSelected says so, and a history
    // state. The colours' selection stays.
    void SelectBitmapsWhere(const std::function<bool(const BitmapEntry&)>& isSelected);

    // Every selected colour becomes a colour of palette (red in the low
    // byte), matched as match says, written into the movie and the preview
    // as Set to a colour writes, a step when colours changed. A pending
    // effect ends first. How many colours changed; none without a movie or
    // palette.
    std::size_t MapSelectedToPalette(std::span<const std::uint32_t> palette, PaletteMatch match);
    // The same with a palette made ready once, for many movies.
    std::size_t MapSelectedToPalette(const CPaletteMatcher& palette);
    // How many colours the list shows selected, locked ones included.
    std::size_t SelectedCount() const;

    // --- Locks and the tools that select many colours at once -------------
    // A locked colour never changes: no effect, Set Colour, palette, colour
    // map or script reaches it. Select All, similar colours and hues pass it
    // by: they neither select nor deselect it, whatever it looks like. A
    // click still selects it and Deselect clears it as any other, but it is
    // selected for the list's eyes only: the table never has it selected,
    // so every edit of the selected colours passes it by on every path.
    // Locking a selected colour first makes the pending effect permanent, as
    // any change of the selection does, so it keeps what it shows. Locks
    // belong to the movie held: opening a movie (this one again too) clears
    // them. They are no part of the history, so undo leaves them as they are.
    void SetLocked(ColorKey key, bool locked);
    bool IsLocked(ColorKey key) const { return !m_locked.empty() && m_locked.contains(key); }
    std::size_t LockedCount() const { return m_locked.size(); }
    // Whether the list shows the entry at a dense index selected: selected
    // in the table, or a locked colour the user selected.
    bool IsShownSelected(std::size_t index) const;
    // Select All: the entries at the dense indices given selected, the
    // locked ones left as they were; a selection change as ChangeSelection.
    void SelectAllUnlocked(std::span<const std::uint32_t> indices);
    // Adds every colour within ΔE `within` of rgb (red in the low byte) to
    // the selection, as the colours show now.
    void SelectSimilar(std::uint32_t rgb, double within);
    // Adds every colour that is no grey and whose OKLCh hue lies in range.
    void SelectHues(const HueRange& range);
    // Asks for a palette file (GIMP, ASE, CSS or JSON) and maps the selected
    // colours onto it as MapSelectedToPalette does. A palette that cannot be
    // read, or holds no RGB colour, is refused with its reason and where it
    // lies (line or byte) and changes nothing. How many colours changed;
    // nullopt when cancelled or refused.
    std::optional<std::size_t> MapSelectedToPaletteFile(PaletteMatch match);
    // Whether the movie (and so the preview) shows every colour as the list
    // does: false while a pending effect or a change folded into the table
    // waits for Apply.
    bool PreviewMatchesList() const;
    // The entry at a dense index of the table: its key, its colour as
    // GetColor gives it, and how many places of the movie store the key.
    ColorKey KeyAt(std::size_t index) const { return m_colorTable.Map().DenseKeys()[index]; }
    std::uint32_t ColorAt(std::size_t index, int applyEffect) const;
    std::size_t PlaceCountAt(std::size_t index) const;
    // The same for every entry at once, by dense index: one pass, where
    // PlaceCountAt first compares the table with the movie's registry.
    std::vector<std::uint32_t> PlaceCounts() const;
    // The palette: every listed colour as the list shows it, in the list's
    // order, each kind and colour once.
    std::vector<PaletteColor> PaletteColors() const;
    // Asks for a file and writes the palette into it, in the format its
    // extension names (a GIMP palette for any other). False when cancelled,
    // without a movie or when the file could not be written (after saying so).
    bool ExportPalette();

    // --- Passing looks at the movie -----------------------------------------
    // Show in preview: the colour the entry at a dense index is drawn in,
    // and what every other colour becomes meanwhile (rgb, red in the low byte).
    static constexpr std::uint32_t kSignalColour = 0xFF00FF;
    static std::uint32_t Dimmed(std::uint32_t rgb);
    // A copy of the movie in which every colour's places hold what colourOf
    // gives for its key; the movie itself stays as it is. Images are those
    // the movie was opened with. Empty without a movie.
    CMovieImage RecolouredImage(const std::function<std::uint32_t(ColorKey)>& colourOf) const;
    // The copy in which the entry at a dense index shows in the signal
    // colour and every other colour, as the list shows it, dimmed.
    CMovieImage SignalImage(std::size_t index) const;
    // The movie as it was opened: every colour its own.
    CMovieImage OriginalImage() const;
    // Writes an image beside the preview file under name; its path, or
    // nullopt (after saying why) when it cannot be written.
    std::optional<std::filesystem::path> WriteBesidePreview(const CMovieImage& image, std::string_view name);

    // --- The colour list's order ------------------------------------------
    // Lightness, then hue: the packed HLS value without its saturation byte.
    static std::uint32_t SortValue(ColorKey key);
    // The keys the colour list shows, in its order: the table's entries of
    // the kinds its filter lets through, by sort value, equal values in the
    // table's order.
    static std::vector<ColorKey> ListedKeys(const CColorTable& table);
    // The same entries as dense indices of the table.
    static std::vector<std::uint32_t> ListOrder(const CColorTable& table);
    // Whether the list shows the entry at dense index a before the one at b.
    static bool ListsBefore(const CColorTable& table, std::size_t a, std::size_t b);

    // --- Colour table operations, on the document's table ----------------
    void ResetColorTable();
    void FillColorTable();
    std::uint32_t GetColor(std::uint32_t key, int applyEffect) const;
    void Effect(std::string_view name, std::int32_t value);
    void Select(std::uint32_t key, int selected);
    void ApplyEffects();
    bool loadtable();
    bool savetable();

    // --- Commands and their enable rules ----------------------------------
    void OnEditUndo();
    void OnEditRedo();
    bool OnUpdateEditUndo() const;
    bool OnUpdateEditRedo() const;
    bool OnUpdateNeedMovie() const;
    // Set to a colour needs a movie and a selected colour.
    bool OnUpdateNeedSelection() const;
    // Colour scripts and palettes change colours only: they need a movie and
    // are refused while images alone are selected, which they would not touch.
    bool OnUpdateColourCommand() const;
    void OnTableLoad();
    void OnTableSave();

    // --- Document life ------------------------------------------------------
    // A new, empty document: the colour table reset, the movie untouched.
    bool OnNewDocument();
    void DeleteContents();
    // Opens a movie file. The movie is loaded aside; only when everything
    // has succeeded do the movie, the table, the history, the preview and
    // the path name change. False (after one message naming the file and
    // saying why) on any failure; the document is then exactly as it was.
    bool OnOpenDocument(const std::filesystem::path& path);
    // The same for a file already open (standard input), named path.
    bool OnOpenDocument(IInputFile& file, const std::filesystem::path& path);
    // Saves the movie to path through a temporary file renamed over it. False
    // (after telling the user why) when anything failed; the file at path is
    // then as it was and the modified flag stays.
    bool OnSaveDocument(const std::filesystem::path& path);
    // Writes the movie to an open file (standard output); the path name and
    // the modified flag stay. False when the movie could not be written.
    bool SaveMovie(IOutputFile& file);

    // Whether the movie differs from the file it was opened from or last
    // saved to; undoing back to that state clears it.
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    // The path of the open (or last saved) file; empty when untitled.
    const std::filesystem::path& GetPathName() const { return m_pathName; }

private:
    // Writes movie to the preview file, at once or aside; says so, with the
    // reason, when it cannot.
    void WritePreview(CSwfFile& movie, const std::filesystem::path& tempPath, std::string_view failure);
    void OnPreviewWritten(const CPreviewWriter::Result& result);
    // The table and the images into the history: a new step, or in place of
    // the state on display.
    void Record(bool step);
    // The images' states for the history: the state on display's own when
    // they are the same, so that a step that leaves them alone shares them.
    std::shared_ptr<const CBitmapStates> BitmapsForHistory() const;
    // The images' states of the state on display; null when it holds none.
    const std::vector<BitmapState>* RecordedBitmaps() const;
    // The images back as the state on display holds them.
    void RestoreBitmaps();
    // Whether the table shows its colours, and the images theirs, as the
    // state on display does.
    bool ShowsRecordedColours() const;
    // Whether every image shows as in the state on display: the same
    // committed images, selected alike, and no pending effect on a selected
    // one that the state does not have.
    bool ImagesShowAsRecorded() const;
    // Whether the sliders stand as in the state on display, or at 0 in both.
    bool EffectAsRecorded() const;
    // Whether a pending effect shows on some selected colour, compared with
    // the state on display.
    bool PendingEffectShows() const;
    bool AnySelected() const;
    bool TableMirrorsRegistry() const;
    // The locked colours the user selected into the table's selection, for
    // a change of the selection to see, and out again after it; out reports
    // whether the table had any selected.
    void LockedSelectionIn();
    bool LockedSelectionOut();
    // After the history restored a state: locked colours it had selected
    // are selected for the list only, in the state on display too.
    void KeepLockedOutOfRestored();
    // The sort value in 16 bits: lightness, then hue.
    static std::uint16_t ShortSortValue(ColorKey key);

    IMessageSink& m_messages;
    IFileDialogs& m_dialogs;
    IColorViewPort* m_colorView = nullptr;
    IPreviewPort* m_preview = nullptr;
    CHistory m_history{kHistoryCapacity};
    CColorTable m_colorTable;
    CSwfFile m_movie;
    CMovieBitmaps m_bitmaps;
    std::filesystem::path m_tempDir;
    std::optional<std::filesystem::path> m_tempPath;
    // The folder and the preview in it, removed should a signal end the run.
    CSignalCleanupEntry m_tempDirCleanup;
    CSignalCleanupEntry m_tempFileCleanup;
    std::filesystem::path m_pathName;
    // Keys with places that kept their colour at the last write of the key.
    std::map<ColorKey, KeptColour> m_kept;
    std::unordered_set<ColorKey> m_locked;
    // The locked colours the list shows selected; never selected in the table.
    std::unordered_set<ColorKey> m_lockedSelected;
    bool m_modified = false;
    bool m_previewFile = true;
    CollectionRule m_rule = CollectionRule::Extended;
    AfterMovie m_afterMovie = AfterMovie::Keep;
    // The history state whose colours the movie holds, and the one the
    // file held when opened or saved; nothing when the movie holds colours
    // of no state (written outside the history's states).
    std::optional<std::uint64_t> m_writtenState;
    std::optional<std::uint64_t> m_savedState;
    // Whether the preview file holds the movie as it is.
    bool m_previewCurrent = false;
    bool m_previewPending = false;
    std::uint64_t m_previewJob = 0;
    std::string m_previewFailure;
    ITaskPoster* m_poster = nullptr;
    // Lets posted reports of written previews tell whether the document is still there.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    std::unique_ptr<CPreviewWriter> m_previewWriter;
};

} // namespace tintor
