#include "window/qt_help.h"

#include "views/data_folders.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace tintor {

namespace {

constexpr auto kDocsFolder = "docs";
constexpr auto kGuideFile = "window.md";
constexpr QSize kGuideSize(820, 640);

QString Tr(const char* text) { return QCoreApplication::translate("tintor::CHelpMenu", text); }

// The actions of a menu and of its submenus, in the order shown.
void CollectMenu(QMenu& menu, const QString& section, const KeysOfAction& keysOf, QSet<const QAction*>& seen,
    std::vector<ShortcutRow>& rows)
{
    for (QAction* action : menu.actions()) {
        if (QMenu* sub = action->menu()) {
            CollectMenu(*sub, section, keysOf, seen, rows);
            continue;
        }
        if (action->isSeparator() || seen.contains(action))
            continue;
        seen.insert(action);
        const QList<QKeySequence> keys = keysOf(*action);
        if (!keys.isEmpty())
            rows.push_back({section, PlainCommandText(action->text()), keys});
    }
}

} // namespace

QString PlainCommandText(const QString& text)
{
    QString plain = text.left(text.indexOf(u'\t'));
    // "(&O)" after a Japanese text goes whole; an "&" inside a word goes alone.
    static const QRegularExpression bracketed(QStringLiteral(R"(\(&[^&]\))"));
    plain.remove(bracketed);
    QString out;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (plain[i] == u'&' && i + 1 < plain.size())
            ++i;
        out += plain[i];
    }
    return out.trimmed();
}

std::vector<ShortcutRow> ShortcutRows(QMainWindow& window, const KeysOfAction& keysOf)
{
    std::vector<ShortcutRow> rows;
    QSet<const QAction*> seen;
    for (QAction* top : window.menuBar()->actions())
        if (QMenu* menu = top->menu())
            CollectMenu(*menu, PlainCommandText(menu->title()), keysOf, seen, rows);
    // Keys of no menu: the window's own, and those of the widgets in it.
    QList<QAction*> others = window.actions();
    for (QWidget* widget : window.findChildren<QWidget*>())
        if (!qobject_cast<QMenu*>(widget))
            others += widget->actions();
    for (QAction* action : others) {
        if (seen.contains(action))
            continue;
        seen.insert(action);
        const QList<QKeySequence> keys = keysOf(*action);
        if (keys.isEmpty())
            continue;
        // A command of no menu may have no text; its tip names it.
        const QString text = action->text().isEmpty() ? action->toolTip() : action->text();
        rows.push_back({QString(), PlainCommandText(text), keys});
    }
    return rows;
}

QString GuidePath()
{
    for (const QString& folder : DataFolders(QString::fromLatin1(kDocsFolder))) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(kGuideFile));
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

QString GuideSearchDescription() { return DataFolders(QString::fromLatin1(kDocsFolder)).join(QStringLiteral(", ")); }

// --- CGuideDialog ------------------------------------------------------------

CGuideDialog::CGuideDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("guide"));
    m_browser = new QTextBrowser(this);
    m_browser->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(kGuideSize);
    const QString path = GuidePath();
    m_found = !path.isEmpty();
    // The pictures beside the guide are found from its address.
    if (m_found)
        m_browser->setSource(QUrl::fromLocalFile(path), QTextDocument::MarkdownResource);
    RetranslateUi();
}

void CGuideDialog::RetranslateUi()
{
    setWindowTitle(Tr(QT_TRANSLATE_NOOP("tintor::CHelpMenu", "Tintor ユーザーガイド")));
    if (!m_found)
        m_browser->setPlainText(
            Tr(QT_TRANSLATE_NOOP("tintor::CHelpMenu", "ウィンドウのガイド (%1) が見つかりません。探した場所: %2"))
                .arg(QString::fromLatin1(kGuideFile), GuideSearchDescription()));
}

void CGuideDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();
    QDialog::changeEvent(event);
}

// --- CShortcutsDialog --------------------------------------------------------

CShortcutsDialog::CShortcutsDialog(QMainWindow& window, KeysOfAction keysOf)
    : QDialog(&window), m_window(window), m_keysOf(std::move(keysOf))
{
    setObjectName(QStringLiteral("shortcuts"));
    m_tree = new QTreeWidget(this);
    m_tree->setColumnCount(2);
    m_tree->setRootIsDecorated(false);
    m_tree->setSelectionMode(QAbstractItemView::NoSelection);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);
    resize(520, 560);
    Fill();
}

void CShortcutsDialog::Fill()
{
    setWindowTitle(Tr(QT_TRANSLATE_NOOP("tintor::CHelpMenu", "キーボード ショートカット")));
    m_tree->clear();
    m_tree->setHeaderLabels(
        {Tr(QT_TRANSLATE_NOOP("tintor::CHelpMenu", "コマンド")), Tr(QT_TRANSLATE_NOOP("tintor::CHelpMenu", "キー"))});
    QTreeWidgetItem* section = nullptr;
    QString sectionName;
    for (const ShortcutRow& row : ShortcutRows(m_window, m_keysOf)) {
        if (!section || row.section != sectionName) {
            sectionName = row.section;
            section = new QTreeWidgetItem(m_tree,
                {row.section.isEmpty() ? Tr(QT_TRANSLATE_NOOP("tintor::CHelpMenu", "ウィンドウ全体")) : row.section});
            QFont bold = section->font(0);
            bold.setBold(true);
            section->setFont(0, bold);
            section->setFirstColumnSpanned(true);
        }
        QStringList keys;
        for (const QKeySequence& key : row.keys)
            keys << key.toString(QKeySequence::NativeText);
        new QTreeWidgetItem(section, {row.command, keys.join(QStringLiteral(", "))});
    }
    m_tree->expandAll();
}

void CShortcutsDialog::changeEvent(QEvent* event)
{
    // The change comes once to this window itself and once through the
    // main window, after the main window has translated its actions.
    if (event->type() == QEvent::LanguageChange)
        Fill();
    QDialog::changeEvent(event);
}

// --- CHelpMenu ---------------------------------------------------------------

CHelpMenu::CHelpMenu(QMainWindow& window, QMenu& menu, KeysOfAction keysOf)
    : QObject(&window), m_window(window), m_keysOf(std::move(keysOf))
{
    QAction* before = menu.actions().isEmpty() ? nullptr : menu.actions().front();
    m_guide = new QAction(&window);
    m_guide->setObjectName(QStringLiteral("helpGuide"));
    m_guide->setShortcut(QKeySequence::HelpContents);
    m_guide->setShortcutContext(Qt::WindowShortcut);
    m_shortcuts = new QAction(&window);
    m_shortcuts->setObjectName(QStringLiteral("helpShortcuts"));
    menu.insertAction(before, m_guide);
    menu.insertAction(before, m_shortcuts);
    if (before)
        menu.insertSeparator(before);
    window.addAction(m_guide);
    connect(m_guide, &QAction::triggered, this, &CHelpMenu::ShowGuide);
    connect(m_shortcuts, &QAction::triggered, this, &CHelpMenu::ShowShortcuts);
    RetranslateUi();
}

void CHelpMenu::RetranslateUi()
{
    m_guide->setText(Tr(QT_TRANSLATE_NOOP("tintor::CHelpMenu", "ユーザーガイド(&G)")));
    m_guide->setStatusTip(Tr(QT_TRANSLATE_NOOP("tintor::CHelpMenu", "ウィンドウの使い方のガイドを開く")));
    m_shortcuts->setText(Tr(QT_TRANSLATE_NOOP("tintor::CHelpMenu", "キーボード ショートカット(&K)")));
    m_shortcuts->setStatusTip(Tr(QT_TRANSLATE_NOOP("tintor::CHelpMenu", "キーで使えるコマンドの一覧を表示")));
}

bool CHelpMenu::event(QEvent* event)
{
    // The window passes the change on to its children, this one too.
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();
    return QObject::event(event);
}

void CHelpMenu::ShowGuide()
{
    if (!m_guideDialog)
        m_guideDialog = new CGuideDialog(&m_window);
    m_guideDialog->show();
    m_guideDialog->raise();
    m_guideDialog->activateWindow();
}

void CHelpMenu::ShowShortcuts()
{
    if (!m_shortcutsDialog)
        m_shortcutsDialog = new CShortcutsDialog(m_window, m_keysOf);
    else
        m_shortcutsDialog->Fill();
    m_shortcutsDialog->show();
    m_shortcutsDialog->raise();
    m_shortcutsDialog->activateWindow();
}

} // namespace tintor
