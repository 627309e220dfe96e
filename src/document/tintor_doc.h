#pragma once

#include "colour/colour_map.h"
#include "colour/colour_script.h"
#include "colour/colour_selection.h"
#include "colour/colour_table.h"
#include "colour/history.h"
#include "colour/palette.h"
#include "colour/palette_mapping.h"
#include "core/dialogs.h"
#include "core/file.h"
#include "core/messages.h"
#include "core/signal_cleanup.h"
#include "document/movie_bitmaps.h"
#include "swf/swf_file.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
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
    virtual void Stop() = 0;
    // Reloads the temporary preview file.
    virtual void Refresh() = 0;
};

// A colour whose places did not all take the colour the table gives it: a
// tint whose add terms have no room for that colour keeps its old terms.
struct KeptColour {
    ColorKey key = 0;
    std::uint32_t wanted = 0; // the colour it was to become, red in the low byte
    std::size_t places = 0;   // how many of its places kept their colour

    friend bool operator==(const KeptColour&, const KeptColour&) = default;
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
    void UpdatePreview(bool forceAll);
    void RefreshAll();
    void PushHistory();
    void ResetHistory();

    // --- Edits as the views and the command line make them ---------------
    // A change of the selection: the pending effect made permanent for the
    // colours selected so far, every listed colour selected exactly when
    // isSelected says so, and a history state.
    void SelectWhere(const std::function<bool(ColorKey)>& isSelected);
    // A selection change by what the colours look like: the pending effect
    // made permanent first, then every listed colour whose colour the
    // selection takes is selected, on top of the colours selected so far
    // when add is true; the colours it excepts end unselected either way.
    // One history state.
    void SelectMatching(const ColourSelection& selection, bool add);
    // Apply: the selected colours with the pending effect into the movie and
    // the preview, and a history state. The effect stays pending.
    void ApplyPending();
    // Loads a colour script that the user picks into the table; when a line
    // of it was used, the effect parameters go back to neutral, every colour
    // of the movie is rewritten and a history state follows. False when
    // nothing was loaded (no movie, cancelled, the file unreadable or not a
    // script, or the user declined a script of which some colours were not
    // found); nothing has changed then. What the script's lines did goes to
    // result, when given.
    bool LoadTable(ColorScriptResult* result = nullptr);
    // The listed colour that looks nearest to rgb (red in the low byte) as
    // the list shows it, pending effect included, at a squared distance below
    // kNearestLimit; of equally near ones, the first in the list's order.
    std::optional<ColorKey> NearestColor(std::uint32_t rgb) const;
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
    // the movie rewritten and one history state. The lines that matched no
    // colour come back, for the caller to report.
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
    // as Set to a colour writes, with one history state. A pending effect
    // ends first. How many colours changed; none without a movie or palette.
    std::size_t MapSelectedToPalette(std::span<const std::uint32_t> palette, PaletteMatch match);
    // The palette: every listed colour as the list shows it, in the list's
    // order, each kind and colour once.
    std::vector<PaletteColor> PaletteColors() const;
    // Asks for a file and writes the palette into it, in the format its
    // extension names (a GIMP palette for any other). False when cancelled,
    // without a movie or when the file could not be written (after saying so).
    bool ExportPalette();

    // --- The colour list's order ------------------------------------------
    // Lightness, then hue: the packed HLS value without its saturation byte.
    static std::uint32_t SortValue(ColorKey key);
    // The keys the colour list shows, in its order: the table's entries of
    // the kinds its filter lets through, by sort value, equal values in the
    // table's order.
    static std::vector<ColorKey> ListedKeys(const CColorTable& table);

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

    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true) { m_modified = modified; }
    // The path of the open (or last saved) file; empty when untitled.
    const std::filesystem::path& GetPathName() const { return m_pathName; }

private:
    // Writes movie to the preview file; says so, with the reason, when it cannot.
    void WritePreview(CSwfFile& movie, const std::filesystem::path& tempPath, std::string_view failure);

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
    bool m_modified = false;
    bool m_previewFile = true;
    CollectionRule m_rule = CollectionRule::Extended;
    AfterMovie m_afterMovie = AfterMovie::Keep;
};

} // namespace tintor
