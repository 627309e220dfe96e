#pragma once

#include "colour/colour_vision.h"
#include "colour/palette_mapping.h"
#include "window/qt_language.h"
#include "window/qt_recent_files.h"

#include <QMainWindow>

#include <array>
#include <filesystem>
#include <optional>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;

namespace tintor {

class CColorView;
class CHelpMenu;
class CTintorDoc;
class CTintorView;
class IFileDialogs;
class IFramePrompts;

// The main window: menus, accelerators, the tool bar, a splitter with the
// colour list on the left and the preview on the right, and a status bar
// that counts the colours listed and selected. It carries out the
// file commands on the one document and routes the others to the document
// or the colour view, each only while its enable rule allows it. It opens a
// movie dropped on it, and keeps its size, place and splitter in the
// settings from one run to the next.
class CMainFrame final : public QMainWindow {
    Q_OBJECT
public:
    enum class Command {
        FileOpen,
        FileSave,
        FileSaveAs,
        TableLoad,
        TableSave,
        AppExit,
        EditUndo,
        EditRedo,
        EditSelectAll,
        EditDeselect,
        ViewToolBar,
        ViewClassic,
        AppAbout,
        NextPane,
        PrevPane,
        EditSetColor,
        FileExportPalette,
        EditSelectBitmaps,
        EditSelectHues,
        EditMapPaletteNearest,
        EditMapPaletteLightness,
        ViewFamilies,
        ViewOriginal,
        Count
    };
    enum class OpenResult { Opened, Failed, Cancelled };

    static constexpr int kColorPaneWidth = 270;
    // Fits a 1280 × 800 screen, title bar and a desktop's panel included,
    // with the image strip, the notes under the list and Apply all in view.
    static constexpr QSize kDefaultSize{1120, 720};

    CMainFrame(
        CTintorDoc& doc, IFileDialogs& dialogs, IFramePrompts& prompts, CLanguage& language, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Start-up without a file: an empty, untitled document.
    void OnNewDocument();
    // Opens a movie into the document after asking to save unsaved changes.
    OpenResult OpenDocumentFile(const std::filesystem::path& path);
    // Save to the document's own file, or Save As when it has none.
    bool DoFileSave();
    bool DoSaveAs();
    // Asks to save a document with unsaved changes or unapplied work (see
    // HasUnsavedWork); Save applies that work before saving. False when the
    // user cancelled or the save failed.
    bool SaveModified();
    // Whether the movie has changes not saved, or the sliders or a change
    // folded into the colours hold work that Apply has not written yet.
    bool HasUnsavedWork() const;
    // Enable and check states of every command from the current state.
    void UpdateCommandUI();

    QAction* Action(Command command) const { return m_actions[static_cast<std::size_t>(command)]; }
    CColorView* ColorView() const { return m_colorView; }
    CTintorView* Preview() const { return m_preview; }
    QToolBar* ToolBar() const { return m_toolBar; }
    QSplitter* Splitter() const { return m_splitter; }
    QMenu* FileMenu() const { return m_fileMenu; }
    QMenu* LanguageMenu() const { return m_languageMenu; }
    QMenu* EditMenu() const { return m_editMenu; }
    QMenu* SimulateMenu() const { return m_simulateMenu; }
    // Help's guide and list of keyboard shortcuts.
    CHelpMenu* Help() const { return m_help; }
    // The View > Simulate item of a simulation.
    QAction* SimulationAction(VisionSimulation vision) const
    {
        return m_simulationActions[static_cast<std::size_t>(vision)];
    }
    // The document's title: its file name, or "無題".
    QString DocumentTitle() const;
    const CRecentFileList& RecentFiles() const { return m_recentFiles; }
    // What a tool-bar button's tip says: the command's tip and its key.
    static QString ToolBarTip(const QAction& action);
    // The window's place moved and its size shrunk as far as needed to lie
    // within the screen's available area.
    static QRect FitIntoScreen(const QRect& window, const QRect& available);
    // What the status bar says of the list, and of the colour picked last
    // (empty before any pick).
    QString ListStatus() const;
    QString PickStatus() const;
    // How long Show in preview shows its colour.
    static constexpr int kShowInPreviewMs = 1500;
    // The key held to see the original movie.
    static constexpr Qt::Key kOriginalKey = Qt::Key_Backslash;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateColorActions();
    void CreateMenus();
    void CreateLanguageMenu();
    // The selection tools and the colour-vision simulation (main_frame_tools.cpp).
    void CreateToolActions();
    void AddToolMenus();
    void RetranslateTools();
    void UpdateToolsUI();
    void OnEditSelectHues();
    void OnEditMapPalette(PaletteMatch match);
    void OnViewSimulate(VisionSimulation vision);
    void CreateToolBar();
    void CreateClient();
    void CreateStatusBar();
    // The status bar's counts and pick, and the preview's mark.
    void UpdateStatus();
    // Every text from the translation of the current language.
    void RetranslateUi();
    void RestoreWindowSettings();
    // Moves and shrinks the window, frame and all, into its screen's available area.
    void FitWindowIntoScreen();
    void SaveWindowSettings() const;
    void RebuildRecentMenu();
    // fileTitle is empty for an untitled document.
    void SetDocumentTitle(const QString& fileTitle);
    void InitialUpdateViews();
    bool IsFrameAccelerator(const QKeyEvent& key) const;

    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnOpenRecentFile(int index);
    void OnTableLoad();
    void OnTableSave();
    void OnEditUndo();
    void OnEditRedo();
    void OnEditSelectAll();
    void OnEditDeselect();
    void OnEditSetColor();
    void OnEditSelectBitmaps();
    // Before the first save of this movie whose size re-encoded images
    // change, the user is told so; false when the user cancelled the save.
    bool TellImageSizeChange();
    void OnFileExportPalette();
    void OnViewToolBar(bool visible);
    void OnViewClassic(bool classic);
    // nullopt: follow the system's language.
    void OnViewLanguage(std::optional<UiLanguage> language);
    void OnAppAbout();
    void OnSwitchPane();
    // Finding colours: grouping by family, the original movie while a
    // button or key is held, and one colour shown in the preview.
    void OnViewFamilies(bool grouped);
    void ShowOriginal(bool shown);
    void OnShowInPreview(std::uint32_t index);
    // Whether a key event is the hold key of the original movie, where it
    // is not typed into a text field.
    static bool IsOriginalKey(const QObject* watched, const QKeyEvent& key);

    CTintorDoc& m_doc;
    IFileDialogs& m_dialogs;
    IFramePrompts& m_prompts;
    CLanguage& m_language;
    std::array<QAction*, static_cast<std::size_t>(Command::Count)> m_actions{};
    QToolBar* m_toolBar = nullptr;
    QSplitter* m_splitter = nullptr;
    CColorView* m_colorView = nullptr;
    CTintorView* m_preview = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_tableMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_languageMenu = nullptr;
    QMenu* m_mapPaletteMenu = nullptr;
    QMenu* m_simulateMenu = nullptr;
    std::array<QAction*, 5> m_simulationActions{};
    QMenu* m_helpMenu = nullptr;
    CHelpMenu* m_help = nullptr;
    QLabel* m_listStatus = nullptr;
    QLabel* m_pickStatus = nullptr;
    QAction* m_systemLanguage = nullptr;
    QAction* m_recentPlaceholder = nullptr;
    QAction* m_recentEnd = nullptr;
    std::vector<QAction*> m_recentActions;
    CRecentFileList m_recentFiles;
    // The file name shown in the title; empty while untitled.
    QString m_fileTitle;
    bool m_fittedWhenShown = false;
    // Whether the movie open was told of its size changing.
    bool m_imageSizeTold = false;
    bool m_showingOriginal = false;
};

} // namespace tintor
