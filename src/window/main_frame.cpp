#include "window/main_frame.h"

#include "core/memory.h"
#include "document/tintor_doc.h"
#include "views/colour_view.h"
#include "views/preview_view.h"
#include "window/qt_frame_prompts.h"
#include "window/qt_help.h"
#include "window/qt_paths.h"
#include "window/qt_toolbar_icons.h"

#include <QAbstractItemView>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QWebEngineView>

#include <algorithm>

namespace tintor {

namespace {

constexpr auto kAppTitle = "Tintor";
constexpr int kRecentDisplayLength = 60;
// Beside the recent-file list, under the same organisation and application.
constexpr auto kOrganisation = "Reru Zuvidivi";
constexpr auto kApplication = "Tintor";
constexpr auto kClassicKey = "Settings/ClassicColours";
constexpr auto kGeometryKey = "Window/Geometry";
constexpr auto kStateKey = "Window/State";
constexpr auto kSplitterKey = "Window/Splitter";

struct CommandInfo {
    CMainFrame::Command command;
    const char* menuText;
    // The prompt, then after "\n" the tool tip; empty when the command has none.
    const char* commandString;
    std::initializer_list<QKeyCombination> keys;
};

// The texts are translated where they are shown, in the frame's context.

const CommandInfo kCommands[] = {
    {CMainFrame::Command::FileOpen, QT_TRANSLATE_NOOP("tintor::CMainFrame", "開く(&O)...\tCtrl+O"),
        QT_TRANSLATE_NOOP("tintor::CMainFrame", "既存のﾌｧｲﾙを開く\n開く"), {Qt::CTRL | Qt::Key_O}},
    {CMainFrame::Command::FileSave, QT_TRANSLATE_NOOP("tintor::CMainFrame", "上書き保存(&S)\tCtrl+S"),
        QT_TRANSLATE_NOOP("tintor::CMainFrame", "作業中のﾌｧｲﾙを上書きして保存\n保存"), {Qt::CTRL | Qt::Key_S}},
    {CMainFrame::Command::FileSaveAs, QT_TRANSLATE_NOOP("tintor::CMainFrame", "名前を付けて保存(&A)..."),
        QT_TRANSLATE_NOOP("tintor::CMainFrame", "作業中のﾌｧｲﾙを新しい名前で保存\n名前をつけて保存"),
        {Qt::CTRL | Qt::SHIFT | Qt::Key_S}},
    {CMainFrame::Command::TableLoad, QT_TRANSLATE_NOOP("tintor::CMainFrame", "開く(&O)..."), "", {}},
    {CMainFrame::Command::TableSave, QT_TRANSLATE_NOOP("tintor::CMainFrame", "保存(&S)..."), "", {}},
    {CMainFrame::Command::AppExit, QT_TRANSLATE_NOOP("tintor::CMainFrame", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"),
        QT_TRANSLATE_NOOP("tintor::CMainFrame", "ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示\n終了"), {Qt::CTRL | Qt::Key_Q}},
    {CMainFrame::Command::EditUndo, QT_TRANSLATE_NOOP("tintor::CMainFrame", "元に戻す(&U)\tCtrl+Z"),
        QT_TRANSLATE_NOOP("tintor::CMainFrame", "直前に行った動作を元に戻す\n元に戻す"),
        {Qt::CTRL | Qt::Key_Z, Qt::ALT | Qt::Key_Backspace}},
    {CMainFrame::Command::EditRedo, QT_TRANSLATE_NOOP("tintor::CMainFrame", "やり直す(&R)\tCtrl+Y"),
        QT_TRANSLATE_NOOP("tintor::CMainFrame", "アンドゥの取り消し\nやり直す"), {Qt::CTRL | Qt::Key_Y}},
    {CMainFrame::Command::EditSelectAll, QT_TRANSLATE_NOOP("tintor::CMainFrame", "すべて選択(&S)\tCtrl+A"),
        QT_TRANSLATE_NOOP("tintor::CMainFrame", "ﾌｧｲﾙ内のすべてを選択\nすべて選択"), {Qt::CTRL | Qt::Key_A}},
    {CMainFrame::Command::EditDeselect, QT_TRANSLATE_NOOP("tintor::CMainFrame", "選択解除(&N)\tCtrl+Shift+A"),
        QT_TRANSLATE_NOOP("tintor::CMainFrame", "選択解除\n選択解除"), {Qt::CTRL | Qt::SHIFT | Qt::Key_A}},
    {CMainFrame::Command::ViewToolBar, QT_TRANSLATE_NOOP("tintor::CMainFrame", "ﾂｰﾙ ﾊﾞｰ(&T)"),
        QT_TRANSLATE_NOOP("tintor::CMainFrame", "ﾂｰﾙ ﾊﾞｰの 表示/非表示\nﾂｰﾙ ﾊﾞｰの表示切り替え"), {}},
    {CMainFrame::Command::ViewClassic, QT_TRANSLATE_NOOP("tintor::CMainFrame", "従来の色だけを集める(&C)"),
        QT_TRANSLATE_NOOP("tintor::CMainFrame",
            "DefineShape4 などの新しい版のﾀｸﾞの色やフィルター・色合い・スクリプトの色を集めず、"
            "従来どおりの色だけを一覧にする\n"
            "従来の色だけを集める"),
        {}},
    {CMainFrame::Command::AppAbout, QT_TRANSLATE_NOOP("tintor::CMainFrame", "Tintor のﾊﾞｰｼﾞｮﾝ情報(&A)..."),
        QT_TRANSLATE_NOOP("tintor::CMainFrame", "ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示\nﾊﾞｰｼﾞｮﾝ情報"), {}},
    {CMainFrame::Command::ViewFamilies, QT_TRANSLATE_NOOP("tintor::CMainFrame", "色の系統ごとに並べる(&G)"),
        QT_TRANSLATE_NOOP("tintor::CMainFrame",
            "似た色 (ΔE 8 以内でつながる色) を一行ずつにまとめ、行の先頭のつまみでまとめて選べるようにする\n"
            "色の系統ごとに並べる"),
        {}},
    {CMainFrame::Command::ViewOriginal, QT_TRANSLATE_NOOP("tintor::CMainFrame", "元のムービー"),
        QT_TRANSLATE_NOOP("tintor::CMainFrame",
            "押している間、開いたときのままのムービーをプレビューに表示する\n元のムービー (押している間、または \\ "
            "キー)"),
        {}},
    {CMainFrame::Command::NextPane, "", QT_TRANSLATE_NOOP("tintor::CMainFrame", "次のｳｨﾝﾄﾞｳに切り替える\n次のﾍﾟｲﾝ"),
        {Qt::Key_F6}},
    {CMainFrame::Command::PrevPane, "", QT_TRANSLATE_NOOP("tintor::CMainFrame", "前のｳｨﾝﾄﾞｳに切り替える\n前のﾍﾟｲﾝ"),
        {Qt::SHIFT | Qt::Key_F6}},
};

QSettings Settings() { return QSettings(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)); }

// The wait cursor while something may take long, and a word in the status
// bar of what; the word is painted before the work starts.
class CBusyScope {
public:
    CBusyScope(QStatusBar* bar, const QString& what) : m_bar(bar)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_bar->showMessage(what);
        m_bar->repaint();
    }
    ~CBusyScope()
    {
        m_bar->clearMessage();
        QApplication::restoreOverrideCursor();
    }
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

private:
    QStatusBar* m_bar;
};

QString FileTitle(const std::filesystem::path& path) { return QFileInfo(ToQString(path)).fileName(); }

// "&1 /path/to/file.swf", shortened in the middle when long.
QString RecentMenuText(int index, const QString& file)
{
    QString shown = QDir::toNativeSeparators(file);
    if (shown.size() > kRecentDisplayLength)
        shown = shown.left(kRecentDisplayLength / 2 - 2) + QStringLiteral("...")
            + shown.right(kRecentDisplayLength / 2 - 1);
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown.replace(u'&', QStringLiteral("&&")));
}

// The one movie of a drag: a single local file named .swf.
std::optional<std::filesystem::path> DroppedMovie(const QMimeData* mime)
{
    if (mime == nullptr || !mime->hasUrls())
        return std::nullopt;
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return std::nullopt;
    const QString file = urls.front().toLocalFile();
    if (!file.endsWith(QStringLiteral(".swf"), Qt::CaseInsensitive))
        return std::nullopt;
    return ToPath(file);
}

} // namespace

CMainFrame::CMainFrame(
    CTintorDoc& doc, IFileDialogs& dialogs, IFramePrompts& prompts, CLanguage& language, QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_dialogs(dialogs), m_prompts(prompts), m_language(language)
{
    setWindowIcon(MakeApplicationIcon());
    if (Settings().value(QString::fromLatin1(kClassicKey), false).toBool())
        m_doc.SetCollectionRule(CollectionRule::Classic);
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateClient();
    CreateStatusBar();
    RetranslateUi();
    m_doc.AttachViews(m_colorView, m_preview);
    RestoreWindowSettings();
    setAcceptDrops(true);
    SetDocumentTitle(QString());
    // The colour list is where the work starts.
    m_colorView->List()->setFocus(Qt::OtherFocusReason);
    // The frame's accelerators come before any key handling of the panes,
    // the web page of the preview included: whatever widget of this window
    // takes the focus has its claims on them refused.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now))
            now->installEventFilter(this);
    });
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() { m_doc.AttachViews(nullptr, nullptr); }

void CMainFrame::CreateActions()
{
    for (const CommandInfo& info : kCommands) {
        auto* action = new QAction(this);
        QList<QKeySequence> keys;
        for (QKeyCombination key : info.keys)
            keys << QKeySequence(key);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        m_actions[static_cast<std::size_t>(info.command)] = action;
        addAction(action);
    }
    CreateColorActions();
    CreateToolActions();
    Action(Command::ViewToolBar)->setCheckable(true);
    Action(Command::ViewClassic)->setCheckable(true);
    Action(Command::ViewFamilies)->setCheckable(true);
    Action(Command::ViewOriginal)->setIcon(MakeToolIcon(ToolIcon::Original));
    Action(Command::FileOpen)->setIcon(MakeToolIcon(ToolIcon::Open));
    Action(Command::FileSave)->setIcon(MakeToolIcon(ToolIcon::Save));
    Action(Command::EditUndo)->setIcon(MakeToolIcon(ToolIcon::Undo));
    Action(Command::EditRedo)->setIcon(MakeToolIcon(ToolIcon::Redo));
    Action(Command::AppAbout)->setIcon(MakeToolIcon(ToolIcon::About));
    // Menus show their own texts; the icons belong to the tool bar.
    for (QAction* action : m_actions)
        action->setIconVisibleInMenu(false);

    const auto on = [this](Command command, void (CMainFrame::*handler)()) {
        connect(Action(command), &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    on(Command::FileOpen, &CMainFrame::OnFileOpen);
    on(Command::FileSave, &CMainFrame::OnFileSave);
    on(Command::FileSaveAs, &CMainFrame::OnFileSaveAs);
    on(Command::TableLoad, &CMainFrame::OnTableLoad);
    on(Command::TableSave, &CMainFrame::OnTableSave);
    on(Command::EditUndo, &CMainFrame::OnEditUndo);
    on(Command::EditRedo, &CMainFrame::OnEditRedo);
    on(Command::EditSelectAll, &CMainFrame::OnEditSelectAll);
    on(Command::EditDeselect, &CMainFrame::OnEditDeselect);
    on(Command::AppAbout, &CMainFrame::OnAppAbout);
    on(Command::NextPane, &CMainFrame::OnSwitchPane);
    on(Command::PrevPane, &CMainFrame::OnSwitchPane);
    on(Command::EditSetColor, &CMainFrame::OnEditSetColor);
    on(Command::FileExportPalette, &CMainFrame::OnFileExportPalette);
    on(Command::EditSelectBitmaps, &CMainFrame::OnEditSelectBitmaps);
    connect(Action(Command::AppExit), &QAction::triggered, this, &QWidget::close);
    connect(Action(Command::ViewToolBar), &QAction::triggered, this, [this](bool checked) { OnViewToolBar(checked); });
    connect(Action(Command::ViewClassic), &QAction::triggered, this, [this](bool checked) { OnViewClassic(checked); });
    connect(
        Action(Command::ViewFamilies), &QAction::triggered, this, [this](bool checked) { OnViewFamilies(checked); });
}

void CMainFrame::CreateColorActions()
{
    // Their texts come with the others' in RetranslateUi.
    for (Command command : {Command::EditSetColor, Command::FileExportPalette, Command::EditSelectBitmaps}) {
        auto* action = new QAction(this);
        action->setShortcutContext(Qt::WindowShortcut);
        m_actions[static_cast<std::size_t>(command)] = action;
        addAction(action);
    }
    Action(Command::EditSetColor)->setIcon(MakeToolIcon(ToolIcon::SetColor));
}

void CMainFrame::CreateMenus()
{
    m_fileMenu = menuBar()->addMenu(QString());
    m_fileMenu->addAction(Action(Command::FileOpen));
    m_fileMenu->addAction(Action(Command::FileSave));
    m_fileMenu->addAction(Action(Command::FileSaveAs));
    m_fileMenu->addSeparator();
    m_tableMenu = m_fileMenu->addMenu(QString());
    m_tableMenu->addAction(Action(Command::TableLoad));
    m_tableMenu->addAction(Action(Command::TableSave));
    m_fileMenu->addAction(Action(Command::FileExportPalette));
    m_fileMenu->addSeparator();
    m_recentPlaceholder = m_fileMenu->addAction(QString());
    m_recentPlaceholder->setEnabled(false);
    m_recentEnd = m_fileMenu->addSeparator();
    m_fileMenu->addAction(Action(Command::AppExit));

    m_editMenu = menuBar()->addMenu(QString());
    m_editMenu->addAction(Action(Command::EditUndo));
    m_editMenu->addAction(Action(Command::EditRedo));
    m_editMenu->addSeparator();
    m_editMenu->addAction(Action(Command::EditSelectAll));
    m_editMenu->addAction(Action(Command::EditDeselect));
    m_editMenu->addAction(Action(Command::EditSelectBitmaps));
    m_editMenu->addSeparator();
    m_editMenu->addAction(Action(Command::EditSetColor));

    m_viewMenu = menuBar()->addMenu(QString());
    m_viewMenu->addAction(Action(Command::ViewToolBar));
    m_viewMenu->addAction(Action(Command::ViewClassic));
    AddToolMenus();
    m_viewMenu->addAction(Action(Command::ViewFamilies));
    m_viewMenu->addSeparator();
    m_languageMenu = m_viewMenu->addMenu(QString());
    CreateLanguageMenu();

    m_helpMenu = menuBar()->addMenu(QString());
    m_helpMenu->addAction(Action(Command::AppAbout));
    // The list of shortcuts names the original movie's key too, which is
    // held down rather than pressed.
    m_help = new CHelpMenu(*this, *m_helpMenu, [this](const QAction& action) {
        QList<QKeySequence> keys = action.shortcuts();
        if (&action == Action(Command::ViewOriginal))
            keys << QKeySequence(kOriginalKey);
        return keys;
    });

    for (QMenu* menu : {m_fileMenu, m_editMenu, m_viewMenu})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
}

void CMainFrame::CreateLanguageMenu()
{
    auto* group = new QActionGroup(this);
    const std::optional<UiLanguage> chosen = CLanguage::Chosen();
    const auto add = [&](std::optional<UiLanguage> language) {
        QAction* action = m_languageMenu->addAction(QString());
        action->setCheckable(true);
        action->setChecked(chosen == language);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, language] { OnViewLanguage(language); });
        return action;
    };
    m_systemLanguage = add(std::nullopt);
    m_languageMenu->addSeparator();
    // Each language by its own name, whatever the window's language.
    add(UiLanguage::Japanese)->setText(QStringLiteral("日本語(&J)"));
    add(UiLanguage::English)->setText(QStringLiteral("English(&E)"));
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 15));
    m_toolBar->setMovable(true);
    m_toolBar->setFloatable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_toolBar->toggleViewAction()->setVisible(false);
    m_toolBar->addAction(Action(Command::FileOpen));
    m_toolBar->addAction(Action(Command::FileSave));
    m_toolBar->addSeparator();
    m_toolBar->addAction(Action(Command::EditUndo));
    m_toolBar->addAction(Action(Command::EditRedo));
    m_toolBar->addSeparator();
    m_toolBar->addAction(Action(Command::EditSetColor));
    m_toolBar->addAction(Action(Command::ViewOriginal));
    m_toolBar->addSeparator();
    m_toolBar->addAction(Action(Command::AppAbout));
    addToolBar(Qt::TopToolBarArea, m_toolBar);
    // The buttons' tips name their keys too.
    for (QAction* action : m_toolBar->actions())
        if (QWidget* button = m_toolBar->widgetForAction(action))
            button->installEventFilter(this);
    // The original movie shows while its button is held down, not on a click.
    if (auto* original = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(Action(Command::ViewOriginal)))) {
        original->setObjectName(QStringLiteral("originalButton"));
        connect(original, &QToolButton::pressed, this, [this] { ShowOriginal(true); });
        connect(original, &QToolButton::released, this, [this] { ShowOriginal(false); });
    }
    connect(m_toolBar, &QToolBar::visibilityChanged, this, &CMainFrame::UpdateCommandUI);
    // The window has no status bar, so the prompts have nowhere to go.
    setContextMenuPolicy(Qt::NoContextMenu);
}

void CMainFrame::CreateClient()
{
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_colorView = new CColorView(m_doc, m_splitter);
    m_preview = new CTintorView(m_doc, m_splitter);
    m_splitter->addWidget(m_colorView);
    m_splitter->addWidget(m_preview);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setChildrenCollapsible(false);
    setCentralWidget(m_splitter);
    connect(m_colorView, &CColorView::documentChanged, this, &CMainFrame::UpdateCommandUI);
    // A slider step changes no count, only whether the preview shows the list.
    connect(m_colorView, &CColorView::effectChanged, this, [this] {
        const bool matches = m_doc.PreviewMatchesList();
        m_preview->SetListMatches(matches);
        setWindowModified(m_doc.HasMovie() && (m_doc.IsModified() || !matches));
    });
    connect(m_preview, &CTintorView::colourPicked, m_colorView,
        [this](std::uint32_t rgb) { m_colorView->SelectNearest(rgb); });
    connect(m_preview, &CTintorView::similarColoursPicked, m_colorView,
        [this](std::uint32_t rgb) { m_colorView->SelectSimilarToPick(rgb); });
    connect(m_colorView, &CColorView::showInPreview, this, [this](std::uint32_t index) { OnShowInPreview(index); });
    m_viewMenu->insertMenu(Action(Command::ViewFamilies), m_preview->ZoomMenu());
}

void CMainFrame::CreateStatusBar()
{
    // The commands' prompts show on the left as the menus are walked.
    m_pickStatus = new QLabel(this);
    m_pickStatus->setObjectName(QStringLiteral("pickStatus"));
    m_pickStatus->setTextFormat(Qt::RichText);
    m_listStatus = new QLabel(this);
    m_listStatus->setObjectName(QStringLiteral("listStatus"));
    statusBar()->addPermanentWidget(m_pickStatus);
    statusBar()->addPermanentWidget(m_listStatus);
}

QString CMainFrame::ListStatus() const
{
    const QLocale locale;
    QString status = tr("色 %Ln 個 (選択 %1 個)", nullptr, m_colorView->Count())
                         .arg(locale.toString(static_cast<qulonglong>(m_doc.SelectedCount())));
    const auto& images = m_doc.GetBitmaps().Entries();
    if (!images.empty()) {
        const auto selected
            = std::count_if(images.begin(), images.end(), [](const BitmapEntry& e) { return e.selected; });
        status += QStringLiteral("  ")
            + tr("画像 %Ln 個 (選択 %1 個)", nullptr, static_cast<int>(images.size()))
                  .arg(locale.toString(static_cast<qlonglong>(selected)));
    }
    return status;
}

QString CMainFrame::PickStatus() const
{
    const auto picked = m_colorView->PickedColour();
    if (!picked)
        return QString();
    const auto hex = [](std::uint32_t rgb) {
        return QStringLiteral("#%1%2%3")
            .arg(rgb & 0xFF, 2, 16, QLatin1Char('0'))
            .arg((rgb >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
            .arg((rgb >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
    };
    const QString status = tr("取得した色 %1").arg(hex(*picked));
    switch (m_colorView->PickResult()) {
    case CColorView::PickFound::Exact:
        break;
    case CColorView::PickFound::Uncertain:
        // The screen shows a blend there: what the movie stores may be
        // another colour than the one found.
        return tr("%1 (不確か: 一覧のどの色とも一致しません。半透明や重なりの色かもしれません。近い色 %2)")
            .arg(status, hex(m_colorView->PickedListColour().value_or(0)));
    case CColorView::PickFound::NotNear:
        return tr("%1 (近い色は一覧にありません)").arg(status);
    }
    return status;
}

void CMainFrame::UpdateStatus()
{
    m_listStatus->setText(ListStatus());
    const QString pick = PickStatus();
    const auto picked = m_colorView->PickedColour();
    // The picked colour as a small swatch before its name.
    m_pickStatus->setText(!picked
            ? QString()
            : QStringLiteral("<span style=\"background:#%1\">&nbsp;&nbsp;&nbsp;&nbsp;</span> %2")
                  .arg(QStringLiteral("%1").arg((*picked & 0xFF) << 16 | (*picked & 0xFF00) | (*picked >> 16 & 0xFF), 6,
                           16, QLatin1Char('0')),
                      pick.toHtmlEscaped()));
    m_pickStatus->setVisible(!pick.isEmpty());
    m_preview->SetListMatches(m_doc.PreviewMatchesList());
}

void CMainFrame::RetranslateUi()
{
    for (const CommandInfo& info : kCommands) {
        QAction* action = Action(info.command);
        action->setText(*info.menuText ? tr(info.menuText) : QString());
        const QString commandString = *info.commandString ? tr(info.commandString) : QString();
        const qsizetype newline = commandString.indexOf(u'\n');
        action->setStatusTip(commandString.left(newline));
        action->setToolTip(newline >= 0 ? commandString.mid(newline + 1) : QString());
    }
    const auto texts = [this](Command command, const QString& text, const QString& prompt, const QString& tip) {
        Action(command)->setText(text);
        Action(command)->setStatusTip(prompt);
        Action(command)->setToolTip(tip);
    };
    texts(Command::EditSetColor, tr("色を指定(&C)…"), tr("選択した色をすべて、選んだひとつの色にする"), tr("色を指定"));
    texts(Command::FileExportPalette, tr("パレットを書き出す(&P)…"),
        tr("すべての色を、ほかのツールで使えるパレット ファイルに書き出す"), tr("パレットを書き出す"));
    texts(Command::EditSelectBitmaps, tr("すべての画像を選択(&B)"),
        tr("色を変えられる画像をすべて選択する (色の選択はそのまま)"), tr("すべての画像を選択"));
    m_fileMenu->setTitle(tr("ﾌｧｲﾙ(&F)"));
    m_tableMenu->setTitle(tr("カラーテーブル(&T)"));
    m_recentPlaceholder->setText(tr("最近使ったﾌｧｲﾙ"));
    m_editMenu->setTitle(tr("編集(&E)"));
    m_viewMenu->setTitle(tr("表示(&V)"));
    m_languageMenu->setTitle(tr("言語(&L)"));
    m_systemLanguage->setText(tr("システムの設定に従う(&S)"));
    m_helpMenu->setTitle(tr("ﾍﾙﾌﾟ(&H)"));
    m_toolBar->setWindowTitle(tr("ﾂｰﾙ ﾊﾞｰ"));
    RetranslateTools();
    RebuildRecentMenu();
    SetDocumentTitle(m_fileTitle);
    UpdateStatus();
}

void CMainFrame::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();
    QMainWindow::changeEvent(event);
}

QRect CMainFrame::FitIntoScreen(const QRect& window, const QRect& available)
{
    if (available.isEmpty())
        return window;
    QRect fitted(window.topLeft(),
        QSize(std::min(window.width(), available.width()), std::min(window.height(), available.height())));
    fitted.moveLeft(std::clamp(fitted.left(), available.left(), available.right() - fitted.width() + 1));
    fitted.moveTop(std::clamp(fitted.top(), available.top(), available.bottom() - fitted.height() + 1));
    return fitted;
}

QString CMainFrame::ToolBarTip(const QAction& action)
{
    const QKeySequence key = action.shortcut();
    if (key.isEmpty())
        return action.toolTip();
    return QStringLiteral("%1 (%2)").arg(action.toolTip(), key.toString(QKeySequence::NativeText));
}

void CMainFrame::RestoreWindowSettings()
{
    QSettings settings = Settings();
    if (!restoreGeometry(settings.value(QString::fromLatin1(kGeometryKey)).toByteArray()))
        resize(kDefaultSize);
    FitWindowIntoScreen();
    restoreState(settings.value(QString::fromLatin1(kStateKey)).toByteArray());
    if (!m_splitter->restoreState(settings.value(QString::fromLatin1(kSplitterKey)).toByteArray()))
        m_splitter->setSizes({kColorPaneWidth, width() - kColorPaneWidth});
}

void CMainFrame::FitWindowIntoScreen()
{
    // Saved on a larger screen, or too large for this one from the start.
    if (isMaximized() || isFullScreen())
        return;
    const QRect frame = frameGeometry();
    const QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect fitted = FitIntoScreen(frame, screen->availableGeometry());
    if (fitted == frame)
        return;
    // The window system's frame stays around the window, as wide as it was.
    const QRect inner = geometry();
    setGeometry(fitted.adjusted(inner.left() - frame.left(), inner.top() - frame.top(), inner.right() - frame.right(),
        inner.bottom() - frame.bottom()));
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Only once shown does the window know the frame around it.
    if (!m_fittedWhenShown) {
        m_fittedWhenShown = true;
        FitWindowIntoScreen();
    }
}

void CMainFrame::SaveWindowSettings() const
{
    QSettings settings = Settings();
    settings.setValue(QString::fromLatin1(kGeometryKey), saveGeometry());
    settings.setValue(QString::fromLatin1(kStateKey), saveState());
    settings.setValue(QString::fromLatin1(kSplitterKey), m_splitter->saveState());
}

void CMainFrame::OnNewDocument()
{
    m_doc.OnNewDocument();
    SetDocumentTitle(QString());
    InitialUpdateViews();
    UpdateCommandUI();
}

void CMainFrame::InitialUpdateViews()
{
    m_colorView->OnInitialUpdate();
    m_preview->OnInitialUpdate();
}

QString CMainFrame::DocumentTitle() const { return m_fileTitle.isEmpty() ? tr("無題") : m_fileTitle; }

void CMainFrame::SetDocumentTitle(const QString& fileTitle)
{
    m_fileTitle = fileTitle;
    // "[*]" becomes the platform's mark of unsaved changes while the window
    // is modified, and nothing otherwise.
    setWindowTitle(DocumentTitle() + QStringLiteral("[*] - ") + QString::fromLatin1(kAppTitle));
}

CMainFrame::OpenResult CMainFrame::OpenDocumentFile(const std::filesystem::path& path)
{
    if (!SaveModified())
        return OpenResult::Cancelled;
    const CBusyScope busy(statusBar(), tr("%1 を開いています…").arg(FileTitle(path)));
    // A failed open leaves the document as it was, and so the views, the
    // title and the list of files.
    if (!m_doc.OnOpenDocument(path))
        return OpenResult::Failed;
    m_imageSizeTold = false;
    SetDocumentTitle(FileTitle(path));
    m_recentFiles.Add(ToQString(path));
    RebuildRecentMenu();
    InitialUpdateViews();
    // What the movie before took is free now.
    ReturnFreedMemory();
    UpdateCommandUI();
    return OpenResult::Opened;
}

bool CMainFrame::HasUnsavedWork() const
{
    // Without a movie there is nothing that could be saved.
    return m_doc.HasMovie() && (m_doc.IsModified() || !m_doc.PreviewMatchesList());
}

bool CMainFrame::SaveModified()
{
    if (!HasUnsavedWork())
        return true;
    switch (m_prompts.AskSaveChanges(this, DocumentTitle())) {
    case IFramePrompts::SaveAnswer::Save:
        // What is saved is what the list shows.
        if (!m_doc.PreviewMatchesList())
            m_colorView->OnApply();
        return DoFileSave();
    case IFramePrompts::SaveAnswer::Discard:
        return true;
    case IFramePrompts::SaveAnswer::Cancel:
        break;
    }
    return false;
}

bool CMainFrame::DoFileSave()
{
    if (!m_doc.OnUpdateNeedMovie())
        return false;
    if (m_doc.GetPathName().empty())
        return DoSaveAs();
    if (!TellImageSizeChange())
        return false;
    const CBusyScope busy(statusBar(), tr("保存しています…"));
    const bool saved = m_doc.OnSaveDocument(m_doc.GetPathName());
    UpdateCommandUI();
    return saved;
}

bool CMainFrame::DoSaveAs()
{
    if (!m_doc.OnUpdateNeedMovie())
        return false;
    const std::string initial
        = m_doc.GetPathName().empty() ? DocumentTitle().toStdString() : m_doc.GetPathName().string();
    const auto target = m_dialogs.AskSaveFile(initial, CTintorDoc::kMovieFilter, "swf");
    if (!target || !TellImageSizeChange())
        return false;
    const CBusyScope busy(statusBar(), tr("保存しています…"));
    const bool saved = m_doc.OnSaveDocument(*target);
    if (saved) {
        SetDocumentTitle(FileTitle(*target));
        m_recentFiles.Add(ToQString(*target));
        RebuildRecentMenu();
    }
    UpdateCommandUI();
    return saved;
}

void CMainFrame::UpdateCommandUI()
{
    const bool movie = m_doc.OnUpdateNeedMovie();
    Action(Command::FileSave)->setEnabled(movie);
    Action(Command::FileSaveAs)->setEnabled(movie);
    Action(Command::TableLoad)->setEnabled(m_doc.OnUpdateColourCommand());
    Action(Command::TableSave)->setEnabled(movie);
    Action(Command::EditUndo)->setEnabled(m_doc.OnUpdateEditUndo());
    Action(Command::EditRedo)->setEnabled(m_doc.OnUpdateEditRedo());
    Action(Command::EditSetColor)->setEnabled(m_doc.OnUpdateNeedSelection());
    Action(Command::FileExportPalette)->setEnabled(movie);
    const auto& bitmaps = m_doc.GetBitmaps().Entries();
    Action(Command::EditSelectBitmaps)
        ->setEnabled(movie && std::any_of(bitmaps.begin(), bitmaps.end(), [](const BitmapEntry& e) {
            return e.description.Recolourable();
        }));
    Action(Command::ViewToolBar)->setChecked(!m_toolBar->isHidden());
    Action(Command::ViewClassic)->setChecked(m_doc.GetCollectionRule() == CollectionRule::Classic);
    UpdateToolsUI();
    Action(Command::ViewFamilies)->setChecked(m_colorView->Grouped());
    Action(Command::ViewOriginal)->setEnabled(movie);
    setWindowModified(HasUnsavedWork());
    UpdateStatus();
}

void CMainFrame::RebuildRecentMenu()
{
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    const QStringList& files = m_recentFiles.Files();
    m_recentPlaceholder->setVisible(files.isEmpty());
    for (int i = 0; i < files.size(); ++i) {
        auto* action = new QAction(RecentMenuText(i, files[i]), this);
        action->setStatusTip(tr("指定のﾌｧｲﾙを開く"));
        connect(action, &QAction::triggered, this, [this, i] { OnOpenRecentFile(i); });
        m_fileMenu->insertAction(m_recentEnd, action);
        m_recentActions.push_back(action);
    }
}

void CMainFrame::OnFileOpen()
{
    const auto path = m_dialogs.AskOpenFile("", CTintorDoc::kMovieFilter, "swf");
    if (path)
        OpenDocumentFile(*path);
}

void CMainFrame::OnOpenRecentFile(int index)
{
    const QStringList& files = m_recentFiles.Files();
    if (index < 0 || index >= files.size())
        return;
    const QString file = files[index];
    // A file that no longer opens leaves the list.
    if (OpenDocumentFile(ToPath(file)) == OpenResult::Failed) {
        m_recentFiles.Remove(file);
        RebuildRecentMenu();
    }
}

void CMainFrame::OnFileSave()
{
    if (m_doc.OnUpdateNeedMovie())
        DoFileSave();
}

void CMainFrame::OnFileSaveAs()
{
    if (m_doc.OnUpdateNeedMovie())
        DoSaveAs();
}

void CMainFrame::OnTableLoad()
{
    if (!m_doc.OnUpdateColourCommand())
        return;
    m_doc.OnTableLoad();
    UpdateCommandUI();
}

void CMainFrame::OnTableSave()
{
    if (!m_doc.OnUpdateNeedMovie())
        return;
    m_doc.OnTableSave();
    UpdateCommandUI();
}

void CMainFrame::OnEditUndo()
{
    if (!m_doc.OnUpdateEditUndo())
        return;
    m_doc.OnEditUndo();
    UpdateCommandUI();
}

void CMainFrame::OnEditRedo()
{
    if (!m_doc.OnUpdateEditRedo())
        return;
    m_doc.OnEditRedo();
    UpdateCommandUI();
}

void CMainFrame::OnEditSelectAll() { m_colorView->OnEditSelectAll(); }

void CMainFrame::OnEditDeselect() { m_colorView->OnEditDeselect(); }

void CMainFrame::OnEditSetColor()
{
    const auto first = m_doc.FirstSelectedColor();
    if (!m_doc.OnUpdateNeedSelection() || !first)
        return;
    const QColor initial(static_cast<int>(*first & 0xFF), static_cast<int>((*first >> 8) & 0xFF),
        static_cast<int>((*first >> 16) & 0xFF));
    const auto chosen = m_prompts.AskColor(this, initial);
    if (!chosen || !chosen->isValid())
        return;
    const QColor rgb = chosen->toRgb();
    m_doc.SetSelectedColor(static_cast<std::uint32_t>(rgb.red()) | static_cast<std::uint32_t>(rgb.green()) << 8
        | static_cast<std::uint32_t>(rgb.blue()) << 16);
    UpdateCommandUI();
}

void CMainFrame::OnEditSelectBitmaps()
{
    if (!Action(Command::EditSelectBitmaps)->isEnabled())
        return;
    m_colorView->OnEditSelectBitmaps();
    UpdateCommandUI();
}

bool CMainFrame::TellImageSizeChange()
{
    const CSwfFile& movie = m_doc.GetMovie();
    const std::size_t images = movie.ReplacedImageCount();
    const auto after = movie.SavedFileLength();
    if (m_imageSizeTold || images == 0 || (after && *after == movie.FileSize()))
        return true;
    const QLocale locale;
    const QString size = after ? locale.toString(static_cast<qulonglong>(*after)) : QStringLiteral("?");
    // Told once the user has gone on; a cancel asks again next time.
    m_imageSizeTold = m_prompts.ConfirmNotice(this,
        tr("%n 個の画像を作り直して保存するので、ムービーの大きさが変わります (展開したとき %1 バイト → %2 バイト)。"
           "ほかのタグはそのままです。",
            nullptr, static_cast<int>(images))
            .arg(locale.toString(static_cast<qulonglong>(movie.FileSize())), size));
    return m_imageSizeTold;
}

void CMainFrame::OnFileExportPalette()
{
    if (m_doc.OnUpdateNeedMovie())
        m_doc.ExportPalette();
}

void CMainFrame::OnViewToolBar(bool visible)
{
    m_toolBar->setVisible(visible);
    UpdateCommandUI();
}

void CMainFrame::OnViewClassic(bool classic)
{
    const CollectionRule rule = classic ? CollectionRule::Classic : CollectionRule::Extended;
    // The movie held is read again under the new rule, so its changes are
    // saved or given up first; a cancel keeps the rule as it was.
    if (rule == m_doc.GetCollectionRule() || !SaveModified()) {
        UpdateCommandUI();
        return;
    }
    m_doc.SetCollectionRule(rule);
    Settings().setValue(QString::fromLatin1(kClassicKey), classic);
    if (m_doc.HasMovie()) {
        const std::filesystem::path path = m_doc.GetPathName();
        const CBusyScope busy(statusBar(), tr("%1 を開いています…").arg(FileTitle(path)));
        if (m_doc.OnOpenDocument(path)) {
            InitialUpdateViews();
            ReturnFreedMemory();
        }
    }
    UpdateCommandUI();
}

void CMainFrame::OnViewLanguage(std::optional<UiLanguage> language)
{
    CLanguage::SetChosen(language);
    m_language.Use(CLanguage::Choose(std::nullopt, language));
}

void CMainFrame::OnAppAbout() { m_prompts.ShowAbout(this); }

void CMainFrame::OnViewFamilies(bool grouped)
{
    const CBusyScope busy(statusBar(), tr("色を並べ替えています…"));
    m_colorView->SetGrouped(grouped);
    UpdateCommandUI();
}

void CMainFrame::ShowOriginal(bool shown)
{
    if (shown == m_showingOriginal)
        return;
    m_showingOriginal = shown;
    // The preview keeps the original ready in a player of its own.
    m_preview->ShowOriginal(shown && m_doc.HasMovie());
}

void CMainFrame::OnShowInPreview(std::uint32_t index)
{
    if (!m_doc.HasMovie())
        return;
    const auto path = m_doc.WriteBesidePreview(m_doc.SignalImage(index), "__signal.swf");
    if (!path)
        return;
    if (!m_preview->ShowSignal(ToQString(*path), kShowInPreviewMs))
        statusBar()->showMessage(tr("プレビューがまだ表示できません"), 3000);
    std::error_code ignored;
    std::filesystem::remove(*path, ignored);
}

bool CMainFrame::IsOriginalKey(const QObject* watched, const QKeyEvent& key)
{
    // In the search box the key is a character like any other.
    return key.key() == kOriginalKey && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier
        && qobject_cast<const QLineEdit*>(watched) == nullptr;
}

void CMainFrame::OnSwitchPane()
{
    // With two panes the next and the previous one are the same.
    QWidget* focus = QApplication::focusWidget();
    if (focus && m_colorView->isAncestorOf(focus)) {
        // The keys belong to the page inside the preview, not its frame.
        QWidget* web = m_preview->findChild<QWebEngineView*>();
        (web ? web : m_preview)->setFocus(Qt::OtherFocusReason);
    } else
        m_colorView->List()->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    SaveWindowSettings();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (DroppedMovie(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CMainFrame::dragMoveEvent(QDragMoveEvent* event)
{
    if (DroppedMovie(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const auto movie = DroppedMovie(event->mimeData());
    if (!movie) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // Opened once the drop is over: the save question must not keep the
    // program the file came from waiting.
    QTimer::singleShot(0, this, [this, path = *movie] { OpenDocumentFile(path); });
}

bool CMainFrame::IsFrameAccelerator(const QKeyEvent& key) const
{
    const QKeySequence pressed(QKeyCombination(key.modifiers() & ~Qt::KeypadModifier, Qt::Key(key.key())));
    for (const QAction* action : m_actions)
        for (const QKeySequence& shortcut : action->shortcuts())
            if (shortcut == pressed)
                return true;
    return false;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* button = qobject_cast<QToolButton*>(watched);
        if (button && button->parentWidget() == m_toolBar && button->defaultAction()) {
            QToolTip::showText(
                static_cast<QHelpEvent*>(event)->globalPos(), ToolBarTip(*button->defaultAction()), button);
            return true;
        }
    }
    // Only widgets of this window are watched. Leaving the override
    // unaccepted lets the accelerator run instead of the focused widget's own
    // use of the key. A key press arrives only when its command is disabled:
    // the key is still the command's, so nothing else acts on it.
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease)
        && IsOriginalKey(watched, static_cast<const QKeyEvent&>(*event))) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if (!key.isAutoRepeat())
            ShowOriginal(type == QEvent::KeyPress);
        return true;
    }
    // Ctrl+A in the search box selects its text, as in any text field.
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) && watched == m_colorView->SearchBox()
        && static_cast<const QKeyEvent&>(*event).matches(QKeySequence::SelectAll))
        return QMainWindow::eventFilter(watched, event);
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress)
        && IsFrameAccelerator(static_cast<const QKeyEvent&>(*event)))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tintor
