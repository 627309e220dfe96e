#pragma once

#include <QDialog>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;
class QTextBrowser;
class QTreeWidget;

namespace tintor {

// One line of the list of keyboard shortcuts: the menu a command is in (or
// nothing for a command of no menu), the command and its keys.
struct ShortcutRow {
    QString section;
    QString command;
    QList<QKeySequence> keys;
};

// The keys of an action: its shortcuts, and any the window handles itself
// for it (a key held down).
using KeysOfAction = std::function<QList<QKeySequence>(const QAction&)>;

// Every command of the window that has a key, from its actions: those of
// the menus in menu order, then the others (window-wide keys of no menu).
std::vector<ShortcutRow> ShortcutRows(QMainWindow& window, const KeysOfAction& keysOf);

// A menu text as a list shows it: without its mnemonic ("開く(&O)..." and
// "&Open..." become "開く..." and "Open...") and without a key after a tab.
QString PlainCommandText(const QString& text);

// The guide to the window, docs/window.md installed with the program: where
// it is (empty when it is not found), and where it was looked for.
QString GuidePath();
QString GuideSearchDescription();

// Help > User guide: the guide rendered from its Markdown, links to the web
// opened in the browser.
class CGuideDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CGuideDialog(QWidget* parent = nullptr);
    QTextBrowser* Browser() const { return m_browser; }
    // Whether the guide was found and shown.
    bool HasGuide() const { return m_found; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void RetranslateUi();

    QTextBrowser* m_browser = nullptr;
    bool m_found = false;
};

// Help > Keyboard shortcuts: the rows under their menus, made anew from
// the actions whenever it is shown or the language changes.
class CShortcutsDialog final : public QDialog {
    Q_OBJECT
public:
    CShortcutsDialog(QMainWindow& window, KeysOfAction keysOf);
    QTreeWidget* Tree() const { return m_tree; }
    void Fill();

protected:
    void changeEvent(QEvent* event) override;

private:
    QMainWindow& m_window;
    KeysOfAction m_keysOf;
    QTreeWidget* m_tree = nullptr;
};

// The Help menu's guide and shortcut list, put before what the menu holds.
// Each window is made at its first use and kept.
class CHelpMenu final : public QObject {
    Q_OBJECT
public:
    CHelpMenu(QMainWindow& window, QMenu& menu, KeysOfAction keysOf);
    QAction* GuideAction() const { return m_guide; }
    QAction* ShortcutsAction() const { return m_shortcuts; }
    void ShowGuide();
    void ShowShortcuts();
    CGuideDialog* Guide() const { return m_guideDialog; }
    CShortcutsDialog* Shortcuts() const { return m_shortcutsDialog; }

protected:
    bool event(QEvent* event) override;

private:
    void RetranslateUi();

    QMainWindow& m_window;
    KeysOfAction m_keysOf;
    QAction* m_guide = nullptr;
    QAction* m_shortcuts = nullptr;
    QPointer<CGuideDialog> m_guideDialog;
    QPointer<CShortcutsDialog> m_shortcutsDialog;
};

} // namespace tintor
