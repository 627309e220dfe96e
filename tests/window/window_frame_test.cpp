// The main window: start-up state, commands and their enable rules through
// menus and accelerators, opening and saving, the save question, the tool
// bar and the recent-file list across a restart.
#include "scripted_prompts.h"
#include "window_test_support.h"

#include "colour/colour_script.h"
#include "colour/oklab.h"
#include "colour/palette.h"
#include "core/file.h"
#include "core/messages.h"
#include "document/tintor_doc.h"
#include "swf/colour_key.h"
#include "testkit/image_bodies.h"
#include "testkit/recording_sink.h"
#include "views/bitmap_strip.h"
#include "views/colour_list_view.h"
#include "views/colour_view.h"
#include "views/colour_view_delegate.h"
#include "views/preview_environment.h"
#include "views/preview_view.h"
#include "window/main_frame.h"
#include "window/qt_file_dialogs.h"
#include "window/qt_help.h"
#include "window/qt_message_sink.h"
#include "window/qt_paths.h"
#include "window/qt_recent_files.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QSettings>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QWebEngineView>
#include <QWindow>

#include <memory>

namespace tintor::test {
namespace {

using Command = CMainFrame::Command;

// One run of the program: document, frame and its two panes, on screen.
struct CFrameSession {
    CRecordingSink messages;
    CScriptedDialogs dialogs;
    CScriptedPrompts prompts;
    CLanguage language;
    std::unique_ptr<CTintorDoc> doc = std::make_unique<CTintorDoc>(messages, dialogs);
    std::unique_ptr<CMainFrame> frame = std::make_unique<CMainFrame>(*doc, dialogs, prompts, language);

    CFrameSession()
    {
        frame->OnNewDocument();
        frame->show();
        QApplication::setActiveWindow(frame.get());
    }
    ~CFrameSession()
    {
        frame.reset();
        doc.reset();
    }

    bool Enabled(Command command) const { return frame->Action(command)->isEnabled(); }
    // The title as the window system shows it, with the mark of unsaved changes.
    QString Caption() const { return frame->windowHandle()->title(); }
    void Keys(QKeyCombination keys)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : frame.get(), keys.key(), keys.keyboardModifiers());
    }
    void OpenWithDialog(const std::filesystem::path& path)
    {
        dialogs.answers.push_back(path);
        Keys(Qt::CTRL | Qt::Key_O);
    }
    void ClickRow(int row)
    {
        QAbstractItemView* list = frame->ColorView()->List();
        QTest::mouseClick(
            list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualRect(list->model()->index(row, 0)).center());
    }
    int UndoCount() const { return doc->GetHistory().GetUndoCount(); }
    int SelectedCount() const { return static_cast<int>(doc->SelectedCount()); }
};

} // namespace

class CMainFrameTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::filesystem::path m_sample;
    std::filesystem::path m_garbage;

    std::filesystem::path Path(const QString& name) const
    {
        return std::filesystem::path(m_dir.filePath(name).toStdString());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        // The recent-file list goes to a folder of this run, not the user's settings.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
        m_sample = Path(QStringLiteral("sample.swf"));
        QVERIFY(WriteFile(m_sample, BuildSampleMovie()));
        m_garbage = Path(QStringLiteral("garbage.swf"));
        QVERIFY(WriteFile(m_garbage, {'N', 'O', 'T', ' ', 'A', ' ', 'M', 'O', 'V', 'I', 'E'}));
    }

    void init() { QSettings(QStringLiteral("Reru Zuvidivi"), QStringLiteral("Tintor")).clear(); }

    void startsUntitledWithFileCommandsGreyed()
    {
        CFrameSession s;
        QVERIFY(QTest::qWaitForWindowExposed(s.frame.get()));
        QCOMPARE(s.Caption(), QStringLiteral("無題 - Tintor"));
        QCOMPARE(QApplication::focusWidget(), s.frame->ColorView()->List());
        for (Command c : {Command::FileSave, Command::FileSaveAs, Command::TableLoad, Command::TableSave,
                 Command::EditUndo, Command::EditRedo, Command::EditSetColor, Command::FileExportPalette})
            QVERIFY(!s.Enabled(c));
        for (Command c :
            {Command::FileOpen, Command::EditSelectAll, Command::EditDeselect, Command::AppAbout, Command::AppExit})
            QVERIFY(s.Enabled(c));
        QCOMPARE(s.frame->ColorView()->Count(), 0);
        QCOMPARE(s.frame->Preview()->CurrentTarget(), QUrl(QStringLiteral("about:blank")));
        QVERIFY(s.frame->Preview()->Notice().contains(QStringLiteral("ドロップ")));
        QCOMPARE(s.frame->Splitter()->widget(0), s.frame->ColorView());
        QCOMPARE(s.frame->Splitter()->widget(1), s.frame->Preview());
        QCOMPARE(s.frame->Splitter()->sizes().front(), CMainFrame::kColorPaneWidth);
        QVERIFY(s.frame->findChild<QStatusBar*>()->isVisible());
        QCOMPARE(s.frame->ListStatus(), QStringLiteral("色 0 個 (選択 0 個)"));

        QStringList menus;
        for (QAction* menu : s.frame->menuBar()->actions())
            menus << menu->text();
        QCOMPARE(menus, (QStringList{"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"}));
        QStringList file;
        for (QAction* item : s.frame->FileMenu()->actions())
            file << (item->isSeparator() ? QStringLiteral("-") : item->text());
        QCOMPARE(file,
            (QStringList{"開く(&O)...\tCtrl+O", "上書き保存(&S)\tCtrl+S", "名前を付けて保存(&A)...", "-",
                "カラーテーブル(&T)", "パレットを書き出す(&P)…", "-", "最近使ったﾌｧｲﾙ", "-", "ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
        QCOMPARE(s.frame->Action(Command::EditUndo)->shortcuts(),
            (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}));

        // Tool bar: Open, Save, |, Undo, Redo, |, Set Colour, Original, |, About, with the short texts as tips.
        QStringList tips;
        for (QAction* button : s.frame->ToolBar()->actions())
            tips << (button->isSeparator() ? QStringLiteral("|") : button->toolTip());
        QCOMPARE(tips,
            (QStringList{"開く", "保存", "|", "元に戻す", "やり直す", "|", "色を指定",
                "元のムービー (押している間、または \\ キー)", "|", "ﾊﾞｰｼﾞｮﾝ情報"}));
        // The buttons' tips name their keys.
        QWidget* open = s.frame->ToolBar()->widgetForAction(s.frame->Action(Command::FileOpen));
        QHelpEvent help(QEvent::ToolTip, open->rect().center(), open->mapToGlobal(open->rect().center()));
        QApplication::sendEvent(open, &help);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("開く (Ctrl+O)"));
        QCOMPARE(s.frame->ToolBar()->iconSize(), QSize(16, 15));
    }

    void setColourStartsAtTheFirstSelectedColourAndIsOneStep()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        QVERIFY(!s.Enabled(Command::EditSetColor));
        s.ClickRow(0);
        const std::uint32_t key = s.frame->ColorView()->KeyAt(0);
        const int steps = s.UndoCount();
        s.prompts.colour = QColor(0x12, 0x34, 0x56);
        s.frame->Action(Command::EditSetColor)->trigger();
        QCOMPARE(s.prompts.colourAskedWith, QColor(key & 0xFF, (key >> 8) & 0xFF, (key >> 16) & 0xFF));
        QCOMPARE(RgbOf(s.doc->GetColor(key, 0)), Rgb(0x12, 0x34, 0x56));
        QCOMPARE(s.UndoCount(), steps + 1);
        s.Keys(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(s.doc->GetColor(key, 0), key);
    }

    void greyedCommandsDoNothingThroughTheirKeys()
    {
        CFrameSession s;
        s.Keys(Qt::CTRL | Qt::Key_S);
        s.frame->Action(Command::FileSaveAs)->trigger();
        s.frame->Action(Command::TableSave)->trigger();
        s.frame->Action(Command::TableLoad)->trigger();
        QCOMPARE(s.dialogs.asked, 0);
        s.Keys(Qt::CTRL | Qt::Key_Z);
        s.Keys(Qt::ALT | Qt::Key_Backspace);
        s.Keys(Qt::CTRL | Qt::Key_Y);
        QCOMPARE(s.UndoCount(), 0);
        QVERIFY(s.messages.Messages().empty());
        // Nor does a focused widget get the key instead.
        auto* greedy = new QLineEdit(s.frame->Preview());
        greedy->show();
        greedy->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), greedy);
        QTest::keyClicks(greedy, QStringLiteral("typed"));
        s.Keys(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(greedy->text(), QStringLiteral("typed"));
    }

    void openingFillsTheListAndNamesTheWindow()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        QCOMPARE(s.dialogs.asked, 1);
        QCOMPARE(s.Caption(), QStringLiteral("sample.swf - Tintor"));
        QCOMPARE(static_cast<std::size_t>(s.frame->ColorView()->Count()), s.doc->GetColorTable().Map().Size());
        QVERIFY(s.frame->ColorView()->Count() > 0);
        for (Command c : {Command::FileSave, Command::FileSaveAs, Command::TableLoad, Command::TableSave})
            QVERIFY(s.Enabled(c));
        QVERIFY(!s.Enabled(Command::EditUndo));
        QCOMPARE(s.frame->RecentFiles().Files().size(), 1);
        QVERIFY(s.frame->Preview()->CurrentTarget().isLocalFile());
        QCOMPARE(s.frame->Preview()->Notice(), QString());

        // A file that is not a movie: told, and the title and the list of files stay.
        s.OpenWithDialog(m_garbage);
        QVERIFY(!s.messages.Messages().empty());
        QCOMPARE(s.Caption(), QStringLiteral("sample.swf - Tintor"));
        QCOMPARE(s.frame->RecentFiles().Files().size(), 1);
    }

    void aFailedOpenLeavesTheMovieOnDisplayAndWorking()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        s.ClickRow(0);
        s.frame->ColorView()->ValueSlider()->setValue(20);
        QTest::mouseClick(s.frame->ColorView()->ApplyButton(), Qt::LeftButton);
        const int count = s.frame->ColorView()->Count();
        const int undo = s.UndoCount();
        const QUrl preview = s.frame->Preview()->CurrentTarget();
        const auto buffer = s.doc->GetMovie().Buffer();
        const std::vector<std::uint8_t> applied(buffer.begin(), buffer.end());

        s.OpenWithDialog(m_garbage);
        QCOMPARE(s.messages.Messages(),
            std::vector<std::string>{"OnOpenDocument: can't open " + m_garbage.string()
                + ": ERROR: Illegal Header - not a Shockwave Flash File"});
        QCOMPARE(s.Caption(), QStringLiteral("sample.swf* - Tintor"));
        QCOMPARE(s.frame->ColorView()->Count(), count);
        QCOMPARE(s.SelectedCount(), 1);
        QCOMPARE(s.frame->ColorView()->ValueSlider()->value(), 20);
        QCOMPARE(s.frame->Preview()->CurrentTarget(), preview);
        QVERIFY(s.doc->IsModified());
        for (Command c :
            {Command::FileSave, Command::FileSaveAs, Command::TableLoad, Command::TableSave, Command::EditUndo})
            QVERIFY(s.Enabled(c));

        // Undo still reaches the movie's bytes, and it still saves.
        s.Keys(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(s.UndoCount(), undo - 1);
        const auto undone = s.doc->GetMovie().Buffer();
        QVERIFY(!std::equal(undone.begin(), undone.end(), applied.begin(), applied.end()));
        s.prompts.answer = IFramePrompts::SaveAnswer::Discard;
    }

    void fileErrorsAreWordedAsTheDesktopDoes()
    {
        const QString noSuchFile
            = QString::fromLocal8Bit(std::make_error_code(std::errc::no_such_file_or_directory).message());
        const struct {
            FileFailure failure;
            QString text;
        } rows[] = {
            {{FileFailure::Action::Open, "OnOpenDocument: can't open", "/movies/a.swf",
                 std::make_error_code(std::errc::no_such_file_or_directory), {}},
                QStringLiteral("ファイル “/movies/a.swf” を開けませんでした。\n") + noSuchFile},
            {{FileFailure::Action::Open, "", "/movies/pipe.swf", FileErrc::Fifo, {}},
                QStringLiteral("ファイル “/movies/pipe.swf” を開けませんでした。\n名前付きパイプ (FIFO) "
                               "で、ファイルではありません")},
            // The core's own reasons, in the window's words, one a line.
            {{FileFailure::Action::Open, "", "/movies/b.swf", {}, "ERROR: file size is too short"},
                QStringLiteral("ファイル “/movies/b.swf” を開けませんでした。\nヘッダーに書かれたファイル "
                               "サイズが小さすぎます。")},
            {{FileFailure::Action::Open, "", "/movies/c.swf",
                 std::make_error_code(std::errc::no_such_file_or_directory),
                 "ERROR: Can't read the header of file\nsomething new"},
                QStringLiteral(
                    "ファイル “/movies/c.swf” を開けませんでした。\nファイルのヘッダーを読めません。\nsomething new\n")
                    + noSuchFile},
        };
        for (const auto& row : rows)
            QCOMPARE(CQtMessageSink::FileFailureText(row.failure), row.text);
        const FileFailure save{
            FileFailure::Action::Save, "", "/read-only/c.swf", std::make_error_code(std::errc::permission_denied), {}};
        QVERIFY(CQtMessageSink::FileFailureText(save).startsWith(
            QStringLiteral("ファイル “/read-only/c.swf” を保存できませんでした。\n")));
        // The script question adds the counts to the colour model's words.
        QVERIFY(CQtMessageSink::ScriptMismatchDetails({"/t/s.iro", 2, 3, ""})
                    .startsWith(QStringLiteral("“/t/s.iro” の行のうち、使った行: 2、見つからない行: 3。")));
    }

    void changesEnableUndoAndTheKeysUndoAndRedo()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        s.ClickRow(0);
        QVERIFY(!s.Enabled(Command::EditUndo)); // a selection is no step
        QVERIFY(!s.Enabled(Command::EditRedo));
        QSlider* value = s.frame->ColorView()->ValueSlider();
        value->setValue(40);
        QTest::mouseClick(s.frame->ColorView()->ApplyButton(), Qt::LeftButton);
        QVERIFY(s.doc->IsModified());
        QCOMPARE(s.Caption(), QStringLiteral("sample.swf* - Tintor"));
        QCOMPARE(s.UndoCount(), 1);
        s.Keys(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(s.UndoCount(), 0);
        QVERIFY(s.Enabled(Command::EditRedo));
        QCOMPARE(value->value(), 100);
        QCOMPARE(s.SelectedCount(), 1);
        // Back at the movie as opened: no longer modified.
        QVERIFY(!s.doc->IsModified());
        QCOMPARE(s.Caption(), QStringLiteral("sample.swf - Tintor"));
        QVERIFY(!s.Enabled(Command::EditUndo));
        s.Keys(Qt::ALT | Qt::Key_Backspace);
        QCOMPARE(s.SelectedCount(), 1);
        s.Keys(Qt::CTRL | Qt::Key_Y);
        QCOMPARE(s.UndoCount(), 1);
        QVERIFY(s.doc->IsModified());
        QCOMPARE(value->value(), 40);
        QCOMPARE(s.frame->ColorView()->ValueLabel()->text(), QStringLiteral("-60"));
        QVERIFY(!s.Enabled(Command::EditRedo));
    }

    void f6SwitchesPanes()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        QVERIFY(QTest::qWaitForWindowExposed(s.frame.get()));
        s.Keys(Qt::Key_F6);
        QTRY_VERIFY(QApplication::focusWidget() && s.frame->Preview()->isAncestorOf(QApplication::focusWidget()));
        s.Keys(Qt::SHIFT | Qt::Key_F6);
        QCOMPARE(QApplication::focusWidget(), s.frame->ColorView()->List());
        s.Keys(Qt::SHIFT | Qt::Key_F6);
        QVERIFY(s.frame->Preview()->isAncestorOf(QApplication::focusWidget()));
    }

    void formMnemonicsWinOverMenusWhileTheFormHasTheFocus()
    {
        CFrameSession s;
        QVERIFY(QTest::qWaitForWindowExposed(s.frame.get()));
        CColorView* view = s.frame->ColorView();
        view->List()->setFocus();
        for (int round = 0; round < 2; ++round) {
            s.Keys(Qt::ALT | Qt::Key_V);
            QCOMPARE(QApplication::focusWidget(), view->ValueSlider());
            s.Keys(Qt::ALT | Qt::Key_H);
            QCOMPARE(QApplication::focusWidget(), view->HueSlider());
            s.Keys(Qt::ALT | Qt::Key_S);
            QCOMPARE(QApplication::focusWidget(), view->SaturationSlider());
        }
        // Pressed again, the same key still goes to the form, not to the
        // "表示(&V)" menu that shares it.
        s.Keys(Qt::ALT | Qt::Key_V);
        s.Keys(Qt::ALT | Qt::Key_V);
        QCOMPARE(QApplication::focusWidget(), view->ValueSlider());
        QVERIFY(!s.frame->menuBar()->activeAction());
    }

    void acceleratorsWinOverTheFocusedPane()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        // A widget in the preview pane that wants Ctrl+A and Ctrl+Z for itself,
        // as a web page may.
        auto* greedy = new QLineEdit(QStringLiteral("text"), s.frame->Preview());
        greedy->show();
        greedy->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), greedy);
        s.Keys(Qt::CTRL | Qt::Key_A);
        QCOMPARE(s.SelectedCount(), s.frame->ColorView()->Count());
        QVERIFY(!greedy->hasSelectedText());
        s.Keys(Qt::CTRL | Qt::SHIFT | Qt::Key_A);
        QCOMPARE(s.SelectedCount(), 0);
        s.Keys(Qt::CTRL | Qt::Key_A);
        s.frame->ColorView()->ValueSlider()->setValue(0);
        s.frame->ColorView()->ApplyButton()->click();
        QCOMPARE(s.UndoCount(), 1);
        greedy->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), greedy);
        s.Keys(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(s.UndoCount(), 0);
        QCOMPARE(greedy->text(), QStringLiteral("text"));
    }

    void colourTablesCarryChangesToAnotherMovie()
    {
        const std::filesystem::path script = Path(QStringLiteral("colours.iro"));
        std::uint32_t changedKey = 0;
        std::uint32_t changedTo = 0;
        {
            CFrameSession s;
            s.OpenWithDialog(m_sample);
            s.ClickRow(0);
            changedKey = s.frame->ColorView()->KeyAt(0);
            s.frame->ColorView()->HueSlider()->setValue(170);
            s.frame->ColorView()->SaturationSlider()->setValue(30);
            s.frame->ColorView()->ValueSlider()->setValue(130); // the darkest colour may be a grey
            s.ClickRow(1);                                      // makes the change permanent
            changedTo = *s.doc->GetColorTable().Map().Find(changedKey) & kColourMask;
            QVERIFY(changedTo != (changedKey & kColourMask));
            s.dialogs.answers.push_back(script);
            s.frame->Action(Command::TableSave)->trigger();
            QVERIFY(std::filesystem::exists(script));
        }
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        const int undo = s.UndoCount();
        s.dialogs.answers.push_back(script);
        s.frame->Action(Command::TableLoad)->trigger();
        QCOMPARE(*s.doc->GetColorTable().Map().Find(changedKey) & kColourMask, changedTo);
        QVERIFY(s.doc->IsModified());
        QCOMPARE(s.UndoCount(), undo + 1);
        QVERIFY(s.Enabled(Command::EditUndo));
        QCOMPARE(s.frame->ColorView()->Count(), static_cast<int>(s.doc->GetColorTable().Map().Size()));
        // Cancelling the dialog changes nothing, and so is no step; nor is
        // a file that is not a script, which is refused by its name.
        s.frame->Action(Command::TableLoad)->trigger();
        s.dialogs.answers.push_back(m_sample);
        s.frame->Action(Command::TableLoad)->trigger();
        QCOMPARE(s.UndoCount(), undo + 1);
        QCOMPARE(s.messages.Messages().size(), std::size_t{1});
        QVERIFY(s.messages.Messages().front().find(m_sample.string() + ": not a colour script") != std::string::npos);
        s.prompts.answer = IFramePrompts::SaveAnswer::Discard;
    }

    void aColourPickedInThePreviewIsSelected()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        QVERIFY(!s.Enabled(Command::EditUndo));
        const std::uint32_t red = Rgb(0xE6, 0x39, 0x46); // the sample's first shape
        emit s.frame->Preview()->colourPicked(Rgb(0xE6 - 5, 0x39 + 5, 0x46));
        QCOMPARE(s.SelectedCount(), 1);
        CColorView* view = s.frame->ColorView();
        int picked = 0;
        while (picked < view->Count() && !view->IsRowSelected(picked))
            ++picked;
        QCOMPARE(view->KeyAt(picked), red | KIND_FILL);
        // A selection is no step.
        QVERIFY(!s.Enabled(Command::EditUndo));
    }

    void theStatusBarCountsAndThePreviewSaysWhatItShows()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        CColorView* view = s.frame->ColorView();
        const QString count = QString::number(view->Count());
        QCOMPARE(s.frame->ListStatus(), QStringLiteral("色 %1 個 (選択 0 個)").arg(count));
        QCOMPARE(s.frame->findChild<QLabel*>(QStringLiteral("listStatus"))->text(), s.frame->ListStatus());
        // A movie on its way says so over the pane.
        QCOMPARE(s.frame->Preview()->Badge(), QStringLiteral("ムービーを読み込み中…"));

        s.Keys(Qt::CTRL | Qt::Key_A);
        QCOMPARE(s.frame->ListStatus(), QStringLiteral("色 %1 個 (選択 %1 個)").arg(count));
        QCOMPARE(s.frame->PickStatus(), QString());
        // A pixel that shows a listed colour is sure; one only near a listed
        // colour is a blend and uncertain; one near none says so.
        const struct {
            std::uint32_t picked;
            QString status;
        } picks[] = {
            {Rgb(0xE6, 0x39, 0x46), QStringLiteral("取得した色 #e63946")},
            {Rgb(0xE1, 0x3E, 0x46),
                QStringLiteral("取得した色 #e13e46 (不確か: 一覧のどの色とも一致しません。"
                               "半透明や重なりの色かもしれません。近い色 #e63946)")},
            {Rgb(0x00, 0xFF, 0x00), QStringLiteral("取得した色 #00ff00 (近い色は一覧にありません)")},
        };
        for (const auto& pick : picks) {
            emit s.frame->Preview()->colourPicked(pick.picked);
            QCOMPARE(s.frame->PickStatus(), pick.status);
        }
        QVERIFY(s.frame->findChild<QLabel*>(QStringLiteral("pickStatus"))->text().contains(QStringLiteral("#00ff00")));
        // View > group by family arranges the list and shows its check.
        for (const bool grouped : {true, false}) {
            s.frame->Action(Command::ViewFamilies)->trigger();
            QCOMPARE(view->Grouped(), grouped);
            QCOMPARE(s.frame->Action(Command::ViewFamilies)->isChecked(), grouped);
        }

        // A slider moved marks the frame until Apply shows the new colours.
        QTRY_COMPARE_WITH_TIMEOUT(s.frame->Preview()->Badge(), QString(), 120000);
        view->HueSlider()->setValue(150);
        QCOMPARE(s.frame->Preview()->Badge(), QStringLiteral("一覧の色はまだ適用されていません (適用で反映)"));
        view->ApplyButton()->click();
        QCOMPARE(s.frame->Preview()->Badge(), QStringLiteral("プレビューを更新中…"));
        QTRY_COMPARE_WITH_TIMEOUT(s.frame->Preview()->Badge(), QString(), 60000);

        // Held down, the tool-bar button (or the key) shows the movie as opened.
        auto* original = s.frame->findChild<QToolButton*>(QStringLiteral("originalButton"));
        QVERIFY(original && original->isEnabled());
        QTest::mousePress(original, Qt::LeftButton);
        QCOMPARE(s.frame->Preview()->Badge(), QStringLiteral("元のムービー (開いたときのまま)"));
        QTest::mouseRelease(original, Qt::LeftButton);
        QVERIFY(!s.frame->Preview()->ShowingAside());
        QTRY_COMPARE_WITH_TIMEOUT(s.frame->Preview()->Badge(), QString(), 60000);
        view->List()->setFocus();
        QTest::keyPress(view->List(), Qt::Key_Backslash);
        QVERIFY(s.frame->Preview()->ShowingAside());
        QTest::keyRelease(view->List(), Qt::Key_Backslash);
        QVERIFY(!s.frame->Preview()->ShowingAside());
        QTRY_COMPARE_WITH_TIMEOUT(s.frame->Preview()->Badge(), QString(), 60000);
        // Show in preview, for a moment, then the preview again; its file is gone.
        emit view->showInPreview(0);
        QCOMPARE(s.frame->Preview()->Badge(), QStringLiteral("この色を探しています…"));
        QTRY_COMPARE_WITH_TIMEOUT(s.frame->Preview()->Badge(), QStringLiteral("この色をマゼンタで示しています"), 60000);
        QVERIFY(!std::filesystem::exists(s.doc->GetTempFilePath()->parent_path() / "__signal.swf"));
        QTRY_VERIFY_WITH_TIMEOUT(!s.frame->Preview()->ShowingAside(), 60000);
        QTRY_COMPARE_WITH_TIMEOUT(s.frame->Preview()->Badge(), QString(), 60000);

        // The commands' prompts show in the status bar.
        s.frame->Action(Command::FileOpen)->showStatusText();
        QCOMPARE(s.frame->statusBar()->currentMessage(), QStringLiteral("既存のﾌｧｲﾙを開く"));
        s.prompts.answer = IFramePrompts::SaveAnswer::Discard;
    }

    void fileDialogFiltersInQtForm()
    {
        const struct {
            std::string_view filter;
            QStringList names;
        } rows[] = {
            {CTintorDoc::kMovieFilter, {QStringLiteral("SWF ファイル (*.swf)"), QStringLiteral("すべてのﾌｧｲﾙ (*)")}},
            {kColorScriptFilter, {QStringLiteral("カラーテーブル (*.iro)"), QStringLiteral("すべてのﾌｧｲﾙ (*)")}},
            {kPaletteFilter,
                {QStringLiteral("GIMP パレット (*.gpl)"), QStringLiteral("CSS (*.css)"),
                    QStringLiteral("JSON (*.json)"), QStringLiteral("Adobe スウォッチ交換 (*.ase)")}},
            {"Pictures|*.png;*.jpg||ignored|*.x", {QStringLiteral("Pictures (*.png *.jpg)")}},
            {"", {}},
        };
        for (const auto& row : rows)
            QCOMPARE(CQtFileDialogs::ToNameFilters(row.filter), row.names);
        // "All files" shows every file, also one without a dot in its name.
        CQtFileDialogs dialogs;
        const auto dialog
            = dialogs.CreateDialog(false, m_dir.path(), "", CTintorDoc::kMovieFilter, CTintorDoc::kMovieFilter);
        const QString allFiles = dialog->nameFilters().back();
        const qsizetype open = allFiles.lastIndexOf(u'(');
        const QStringList all = allFiles.mid(open + 1, allFiles.size() - open - 2).split(u' ');
        QVERIFY(QDir::match(all, QStringLiteral("README")));
        QVERIFY(QDir::match(all, QStringLiteral("a.swf")));
        // Colour tables have dialogs of their own.
        QCOMPARE(CQtFileDialogs::DialogTitle(false, "swf"), QStringLiteral("開く"));
        QCOMPARE(CQtFileDialogs::DialogTitle(true, "swf"), QStringLiteral("名前を付けて保存"));
        QCOMPARE(CQtFileDialogs::DialogTitle(false, "iro"), QStringLiteral("カラーテーブルを開く"));
        QCOMPARE(CQtFileDialogs::DialogTitle(true, ".iro"), QStringLiteral("カラーテーブルを保存"));
        QCOMPARE(CQtFileDialogs::DialogTitle(true, "gpl"), QStringLiteral("パレットを書き出す"));
        // The extension that a saved file's name takes from the filter chosen.
        const QStringList palettes = CQtFileDialogs::ToNameFilters(kPaletteFilter);
        QCOMPARE(CQtFileDialogs::SuffixOf(palettes[3]), QStringLiteral("ase"));
        QCOMPARE(CQtFileDialogs::SuffixOf(QStringLiteral("Pictures (*.png *.jpg)")), QStringLiteral("png"));
        QCOMPARE(CQtFileDialogs::SuffixOf(QStringLiteral("すべてのﾌｧｲﾙ (*)")), QString());
    }

    void fileDialogsStartInTheMoviesFolderAndNeverInTheKernels()
    {
        const QString missing = m_dir.filePath(QStringLiteral("missing"));
        const struct {
            QString path;
            bool pseudo;
        } places[] = {
            {QStringLiteral("/proc/self/fd"), true},
            {QStringLiteral("/sys/kernel"), true},
            {QStringLiteral("/dev/../dev"), true},
            {QStringLiteral("/"), false},
            {m_dir.path(), false},
        };
        for (const auto& place : places)
            QVERIFY2(CQtFileDialogs::IsPseudoFileSystem(place.path) == place.pseudo, qPrintable(place.path));
        QCOMPARE(
            CQtFileDialogs::StartFolder({QStringLiteral("/proc"), missing, QString(), m_dir.path()}), m_dir.path());
        QCOMPARE(CQtFileDialogs::StartFolder({QStringLiteral("/sys")}), QDir::homePath());

        // The movie's folder first, then those of the recent movies.
        CRecentFileList recent;
        recent.Add(QStringLiteral("/proc/recent.swf"));
        CQtFileDialogs dialogs;
        std::filesystem::path movie;
        dialogs.SetMovieSource([&movie] { return movie; });
        QCOMPARE(dialogs.StartFolderCandidates(""), QStringList{QStringLiteral("/proc")});
        movie = m_sample;
        QCOMPARE(dialogs.StartFolderCandidates(""), (QStringList{m_dir.path(), QStringLiteral("/proc")}));
        QCOMPARE(dialogs.StartFolderCandidates("/elsewhere/a.swf").front(), QStringLiteral("/elsewhere"));

        // Qt's own memory of the last folder, which any Qt program may have
        // left in the kernel's files, is never where a dialog starts.
        QSettings qt(QSettings::UserScope, QStringLiteral("QtProject"));
        qt.setValue(QStringLiteral("FileDialog/lastVisited"), QUrl::fromLocalFile(QStringLiteral("/proc")).toString());
        qt.sync();
        for (const bool save : {false, true}) {
            const auto dialog = dialogs.CreateDialog(save, m_dir.path(), "sample.swf", CTintorDoc::kMovieFilter, "swf");
            QCOMPARE(dialog->directory().absolutePath(), m_dir.path());
            // Only a saved name takes the extension: an opened one is taken as typed.
            QCOMPARE(dialog->defaultSuffix(), save ? QStringLiteral("swf") : QString());
            // The dialog tells a file's type by its name, without reading it:
            // reading some of the kernel's files (/proc/kmsg) never ends.
            const auto picture = Path(QStringLiteral("picture"));
            QVERIFY(WriteFile(picture, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'}));
            const QString type = dialog->iconProvider()->type(QFileInfo(ToQString(picture)));
            QVERIFY2(!type.contains(QStringLiteral("PNG")), qPrintable(type));
        }
    }

    void aDroppedMovieIsOpenedAfterTheSaveQuestion()
    {
        // A drag coming in, and when it is taken and asked for, its drop.
        const auto drag = [](QWidget& target, const QList<QUrl>& urls, QEvent::Type until) {
            QMimeData mime;
            mime.setUrls(urls);
            const QPoint at = target.rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&target, &enter);
            if (until == QEvent::DragEnter || !enter.isAccepted())
                return enter.isAccepted();
            QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&target, &drop);
            return drop.isAccepted();
        };
        const QUrl sample = QUrl::fromLocalFile(QString::fromStdString(m_sample.string()));
        const QUrl other = QUrl::fromLocalFile(QString::fromStdString(Path(QStringLiteral("other.swf")).string()));
        QVERIFY(WriteFile(Path(QStringLiteral("other.swf")), BuildSampleMovie(true)));
        CFrameSession s;
        // One local .swf only: not a picture, not two movies, not a web address.
        QVERIFY(
            !drag(*s.frame, {QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("picture.png")))}, QEvent::DragEnter));
        QVERIFY(!drag(*s.frame, {sample, other}, QEvent::DragEnter));
        QVERIFY(!drag(*s.frame, {QUrl(QStringLiteral("https://example.com/a.swf"))}, QEvent::DragEnter));
        QVERIFY(drag(*s.frame, {sample}, QEvent::Drop));
        QTRY_COMPARE(s.Caption(), QStringLiteral("sample.swf - Tintor"));
        QVERIFY(s.frame->ColorView()->Count() > 0);

        // Over the panes a drag falls through to the window: the preview's
        // page would otherwise go to the file itself.
        QTRY_VERIFY(s.frame->Preview()->findChild<QWebEngineView*>()->focusProxy() != nullptr);
        for (QWidget* pane : {static_cast<QWidget*>(s.frame->Preview()), static_cast<QWidget*>(s.frame->ColorView())})
            for (QWidget* widget : pane->findChildren<QWidget*>())
                QVERIFY2(!widget->acceptDrops(), widget->metaObject()->className());

        // With changes, the drop asks first; a cancel keeps the movie open.
        s.ClickRow(0);
        s.frame->ColorView()->ValueSlider()->setValue(30);
        QTest::mouseClick(s.frame->ColorView()->ApplyButton(), Qt::LeftButton);
        s.prompts.answer = IFramePrompts::SaveAnswer::Cancel;
        QVERIFY(drag(*s.frame, {other}, QEvent::Drop));
        QTRY_COMPARE(s.prompts.saveAsked, 1);
        QCOMPARE(s.Caption(), QStringLiteral("sample.swf* - Tintor"));
        s.prompts.answer = IFramePrompts::SaveAnswer::Discard;
        QVERIFY(drag(*s.frame, {other}, QEvent::Drop));
        QTRY_COMPARE(s.Caption(), QStringLiteral("other.swf - Tintor"));
    }

    void saveAsAndExitHaveKeysAndSaveAsRenamesWhatIsOffered()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        const auto renamed = Path(QStringLiteral("renamed.swf"));
        s.dialogs.answers.push_back(renamed);
        s.Keys(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
        QVERIFY(std::filesystem::exists(renamed));
        QCOMPARE(s.Caption(), QStringLiteral("renamed.swf - Tintor"));
        // Colour tables and palettes are offered under the new name.
        for (const Command c : {Command::TableSave, Command::FileExportPalette}) {
            s.dialogs.lastInitialName.clear();
            s.frame->Action(c)->trigger();
            QCOMPARE(s.dialogs.lastInitialName, std::string("renamed"));
        }
        // Every item of a menu has an access key of its own.
        for (QAction* title : s.frame->menuBar()->actions()) {
            QSet<QKeySequence> keys;
            for (QAction* item : title->menu()->actions()) {
                // The recent-file list's placeholder is never enabled.
                if (item->isSeparator() || item->text() == QStringLiteral("最近使ったﾌｧｲﾙ")
                    || item->menu() == s.frame->LanguageMenu())
                    continue;
                const QKeySequence key = QKeySequence::mnemonic(item->text());
                QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(item->text()));
                keys.insert(key);
            }
        }
        s.Keys(Qt::CTRL | Qt::Key_Q);
        QTRY_VERIFY(!s.frame->isVisible());
    }

    void helpOpensTheGuideAndListsEveryKey()
    {
        CFrameSession s;
        // F1 opens the guide beside the program, pictures and all.
        s.Keys(Qt::Key_F1);
        CGuideDialog* guide = s.frame->Help()->Guide();
        QVERIFY(guide && guide->isVisible());
        QVERIFY2(guide->HasGuide(), qPrintable(GuideSearchDescription()));
        QVERIFY(guide->Browser()->toPlainText().contains(QStringLiteral("Tintor")));
        QVERIFY(!guide->Browser()
                     ->document()
                     ->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("screenshot.png")))
                     .isNull());
        // The shortcuts: menu commands under their menu, the key held for
        // the original movie too, each key once.
        s.frame->Help()->ShortcutsAction()->trigger();
        QTreeWidget* tree = s.frame->Help()->Shortcuts()->Tree();
        QMap<QString, QString> keyOf;
        for (QTreeWidgetItemIterator item(tree, QTreeWidgetItemIterator::NoChildren); *item; ++item)
            keyOf.insert((*item)->text(0), (*item)->text(1));
        QCOMPARE(keyOf.value(QStringLiteral("開く...")), QStringLiteral("Ctrl+O"));
        QCOMPARE(keyOf.value(PlainCommandText(s.frame->Action(Command::ViewOriginal)->text())).count(u'\\'), 1);
        QCOMPARE(keyOf.value(QStringLiteral("ユーザーガイド")), QStringLiteral("F1"));
        QCOMPARE(PlainCommandText(QStringLiteral("開く(&O)...\tCtrl+O")), QStringLiteral("開く..."));
        QCOMPARE(PlainCommandText(QStringLiteral("Save &As && Quit")), QStringLiteral("Save As & Quit"));
    }

    void aWindowTooLargeForTheScreenIsFittedIntoIt()
    {
        const QRect screen(0, 0, 800, 600);
        const struct {
            QRect window;
            QRect fitted;
        } rows[] = {
            {{40, 30, 700, 500}, {40, 30, 700, 500}},
            {{300, 200, 700, 500}, {100, 100, 700, 500}},
            {{10, 10, 900, 620}, {0, 0, 800, 600}},
        };
        for (const auto& row : rows)
            QCOMPARE(CMainFrame::FitIntoScreen(row.window, screen), row.fitted);
        QCOMPARE(CMainFrame::FitIntoScreen(QRect(5, 5, 10, 10), QRect()), QRect(5, 5, 10, 10));
        // The first run's size is larger than the test's screen.
        CFrameSession s;
        const QRect available = s.frame->screen()->availableGeometry();
        QVERIFY(available.width() < 900 || available.height() < 620);
        QVERIFY(available.contains(s.frame->frameGeometry()));
    }

    void sizePlaceAndSplitterSurviveARestart()
    {
        {
            CFrameSession s;
            s.frame->resize(700, 500);
            s.frame->move(40, 30);
            s.frame->Splitter()->setSizes({330, 370});
            QTRY_COMPARE(s.frame->Splitter()->sizes().front(), 330);
            QVERIFY(s.frame->close());
        }
        {
            CFrameSession s;
            QCOMPARE(s.frame->size(), QSize(700, 500));
            QCOMPARE(s.frame->pos(), QPoint(40, 30));
            QTRY_COMPARE(s.frame->Splitter()->sizes().front(), 330);
            s.frame->showMaximized();
            QTRY_VERIFY(s.frame->isMaximized());
            QVERIFY(s.frame->close());
        }
        CFrameSession s;
        QTRY_VERIFY(s.frame->isMaximized());
        QTRY_COMPARE(s.frame->Splitter()->sizes().front(), 330);
    }

    void toolBarHidesAndShowsWithItsCheckMark()
    {
        CFrameSession s;
        QAction* toggle = s.frame->Action(Command::ViewToolBar);
        QToolBar* bar = s.frame->ToolBar();
        QVERIFY(toggle->isChecked());
        QVERIFY(bar->isFloatable() && bar->isMovable());
        QCOMPARE(bar->allowedAreas(), Qt::AllToolBarAreas);
        toggle->trigger();
        QVERIFY(bar->isHidden());
        QVERIFY(!toggle->isChecked());
        toggle->trigger();
        QVERIFY(!bar->isHidden());
        QVERIFY(toggle->isChecked());
        s.frame->addToolBar(Qt::LeftToolBarArea, bar);
        QCOMPARE(s.frame->toolBarArea(bar), Qt::LeftToolBarArea);
    }

    void theSaveQuestionComesOnlyWhenModified()
    {
        {
            CFrameSession s;
            s.OpenWithDialog(m_sample);
            s.ClickRow(0); // a selection is no change to the movie
            QVERIFY(s.frame->close());
            QCOMPARE(s.prompts.saveAsked, 0);
        }
        const std::filesystem::path copy = Path(QStringLiteral("to_save.swf"));
        QVERIFY(WriteFile(copy, BuildSampleMovie()));
        const std::vector<std::uint8_t> original = ReadFile(copy);
        CFrameSession s;
        s.OpenWithDialog(copy);
        s.ClickRow(0);
        s.frame->ColorView()->ValueSlider()->setValue(0);
        QTest::mouseClick(s.frame->ColorView()->ApplyButton(), Qt::LeftButton);
        QVERIFY(s.doc->IsModified());

        QCOMPARE(s.Caption(), QStringLiteral("to_save.swf* - Tintor"));

        s.prompts.answer = IFramePrompts::SaveAnswer::Cancel;
        QVERIFY(!s.frame->close());
        QCOMPARE(s.prompts.saveAsked, 1);
        QCOMPARE(s.prompts.lastTitle, QStringLiteral("to_save.swf"));
        // Opening another movie asks too; cancelling keeps this one.
        s.OpenWithDialog(m_sample);
        QCOMPARE(s.prompts.saveAsked, 2);
        QCOMPARE(s.Caption(), QStringLiteral("to_save.swf* - Tintor"));

        s.prompts.answer = IFramePrompts::SaveAnswer::Save;
        QVERIFY(s.frame->close());
        QCOMPARE(s.prompts.saveAsked, 3);
        QVERIFY(!s.doc->IsModified());
        QCOMPARE(s.Caption(), QStringLiteral("to_save.swf - Tintor"));
        const std::vector<std::uint8_t> saved = ReadFile(copy);
        QCOMPARE(saved.size(), original.size());
        QVERIFY(saved != original);
    }

    void aFailedSaveKeepsTheChanges()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        s.ClickRow(0);
        s.frame->ColorView()->ValueSlider()->setValue(30);
        QTest::mouseClick(s.frame->ColorView()->ApplyButton(), Qt::LeftButton);
        s.dialogs.answers.push_back(Path(QStringLiteral("no such folder/out.swf")));
        s.frame->Action(Command::FileSaveAs)->trigger();
        QCOMPARE(s.dialogs.lastInitialName, m_sample.string());
        QVERIFY(!s.messages.Messages().empty());
        QVERIFY(s.doc->IsModified());
        QCOMPARE(s.Caption(), QStringLiteral("sample.swf* - Tintor"));
        QCOMPARE(s.frame->RecentFiles().Files().size(), 1);
        s.prompts.answer = IFramePrompts::SaveAnswer::Discard;
    }

    void imagesAloneKeepColourCommandsGreyedAndTheFirstLongerSaveIsTold()
    {
        CMovieBuilder b;
        b.AddTag(9, std::vector<std::uint8_t>{0x20, 0x40, 0x60});
        std::vector<std::uint8_t> argb;
        for (int i = 0; i < 5 * 3; ++i)
            argb.insert(argb.end(), {0xFF, static_cast<std::uint8_t>(i * 16), 0x80, 0x20});
        b.AddTag(36, LosslessBody(1, 5, 5, 3, argb));
        b.AddTag(1, {});
        const auto path = Path(QStringLiteral("image.swf"));
        QVERIFY(WriteFile(path, b.Build()));
        CFrameSession s;
        QVERIFY(!s.Enabled(Command::EditSelectBitmaps));
        s.OpenWithDialog(path);
        QVERIFY(s.Enabled(Command::EditSelectBitmaps));
        QVERIFY(s.Enabled(Command::TableLoad));
        s.frame->Action(Command::EditSelectBitmaps)->trigger();
        QVERIFY(s.doc->GetBitmaps().AnySelected());
        QCOMPARE(s.SelectedCount(), 0);
        QVERIFY(!s.Enabled(Command::TableLoad));
        QVERIFY(!s.Enabled(Command::EditSetColor));
        s.frame->Action(Command::TableLoad)->trigger();
        QCOMPARE(s.dialogs.asked, 1); // the open dialog only
        s.ClickRow(0);
        QVERIFY(s.Enabled(Command::TableLoad));

        // Cancel in the size box saves nothing, and the box comes again.
        s.frame->ColorView()->HueSlider()->setValue(120);
        QTest::mouseClick(s.frame->ColorView()->ApplyButton(), Qt::LeftButton);
        s.prompts.noticeAccepted = false;
        s.Keys(Qt::CTRL | Qt::Key_S);
        QVERIFY(s.doc->IsModified());
        QCOMPARE(ReadFile(path), b.Build());
        s.prompts.noticeAccepted = true;
        s.prompts.notices.clear();

        // Two shifted saves: the first is told, once, with the sizes.
        for (const int hue : {150, 60}) {
            s.frame->ColorView()->HueSlider()->setValue(hue);
            QTest::mouseClick(s.frame->ColorView()->ApplyButton(), Qt::LeftButton);
            s.Keys(Qt::CTRL | Qt::Key_S);
            QVERIFY(!s.doc->IsModified());
        }
        QCOMPARE(s.prompts.notices.size(), 1);
        const QString before = QLocale().toString(static_cast<qulonglong>(s.doc->GetMovie().FileSize()));
        QVERIFY(s.prompts.notices.front().contains(before));
        QVERIFY(s.messages.Messages().empty());
    }

    void classicColoursAreAViewSettingThatReloadsTheMovie()
    {
        // A background and a DefineText2 colour, which only the extended rule collects.
        CMovieBuilder builder;
        builder.AddTag(9, std::vector<std::uint8_t>{0x10, 0x20, 0x30});
        builder.AddTag(33, std::vector<std::uint8_t>{1, 0, 0x00, 0x00, 8, 8, 0x84, 0x40, 0x50, 0x60, 0xFF, 0, 0});
        const std::filesystem::path movie = Path(QStringLiteral("text2.swf"));
        QVERIFY(WriteFile(movie, builder.Build()));
        {
            CFrameSession s;
            QAction* classic = s.frame->Action(Command::ViewClassic);
            QVERIFY(classic->isCheckable() && !classic->isChecked());
            s.OpenWithDialog(movie);
            QCOMPARE(s.frame->ColorView()->Count(), 2);
            s.ClickRow(0);
            s.frame->ColorView()->ValueSlider()->setValue(0);
            QTest::mouseClick(s.frame->ColorView()->ApplyButton(), Qt::LeftButton);
            QVERIFY(s.doc->IsModified());

            // Cancelling the save question keeps the rule, the movie and its changes.
            s.prompts.answer = IFramePrompts::SaveAnswer::Cancel;
            classic->trigger();
            QCOMPARE(s.prompts.saveAsked, 1);
            QVERIFY(!classic->isChecked());
            QCOMPARE(s.frame->ColorView()->Count(), 2);
            QVERIFY(s.doc->IsModified());

            // Discarding them reloads the file under the classic rule.
            s.prompts.answer = IFramePrompts::SaveAnswer::Discard;
            classic->trigger();
            QCOMPARE(s.prompts.saveAsked, 2);
            QVERIFY(classic->isChecked());
            QCOMPARE(s.frame->ColorView()->Count(), 1);
            QVERIFY(!s.doc->IsModified());
            QCOMPARE(s.Caption(), QStringLiteral("text2.swf - Tintor"));
            QCOMPARE(ReadFile(movie), builder.Build());
        }
        // The setting outlives the run; switching back asks nothing of an unchanged movie.
        CFrameSession s;
        QAction* classic = s.frame->Action(Command::ViewClassic);
        QVERIFY(classic->isChecked());
        s.OpenWithDialog(movie);
        QCOMPARE(s.frame->ColorView()->Count(), 1);
        classic->trigger();
        QCOMPARE(s.prompts.saveAsked, 0);
        QVERIFY(!classic->isChecked());
        QCOMPARE(s.frame->ColorView()->Count(), 2);
    }

    void recentFilesKeepFourAcrossARestart()
    {
        std::vector<std::filesystem::path> movies;
        for (int i = 1; i <= 5; ++i) {
            movies.push_back(Path(QStringLiteral("movie%1.swf").arg(i)));
            QVERIFY(WriteFile(movies.back(), BuildSampleMovie(i % 2 == 0)));
        }
        {
            CFrameSession s;
            for (const auto& movie : movies)
                s.OpenWithDialog(movie);
            QCOMPARE(s.frame->RecentFiles().Files().size(), 4);
            QCOMPARE(s.frame->RecentFiles().Files().front(), QString::fromStdString(movies[4].string()));
        }
        CFrameSession s;
        const QStringList files = s.frame->RecentFiles().Files();
        QCOMPARE(files,
            (QStringList{QString::fromStdString(movies[4].string()), QString::fromStdString(movies[3].string()),
                QString::fromStdString(movies[2].string()), QString::fromStdString(movies[1].string())}));
        QStringList entries;
        for (QAction* item : s.frame->FileMenu()->actions())
            if (item->text().startsWith(u'&') && item->isVisible())
                entries << item->text();
        QCOMPARE(entries.size(), 4);
        QVERIFY(entries[2].startsWith(QStringLiteral("&3 ")) && entries[2].endsWith(QStringLiteral("movie3.swf")));
        for (QAction* item : s.frame->FileMenu()->actions())
            if (item->text() == entries[2])
                item->trigger();
        QCOMPARE(s.Caption(), QStringLiteral("movie3.swf - Tintor"));
        QCOMPARE(s.frame->RecentFiles().Files().front(), QString::fromStdString(movies[2].string()));
    }

    void selectionToolsAndSimulationFromTheMenus()
    {
        CFrameSession s;
        QVERIFY(!s.Enabled(Command::EditSelectHues));
        s.OpenWithDialog(m_sample);
        CColorView* view = s.frame->ColorView();

        // Every hue: every colour but the greys, the locked one passed by.
        view->SetLocked(0, true);
        s.prompts.hues = HueRange{0, 360};
        s.frame->Action(Command::EditSelectHues)->trigger();
        int coloured = 0;
        for (int row = 1; row < view->Count(); ++row)
            coloured += !IsGrey(OkLabOf(view->KeyAt(row)));
        QVERIFY(coloured > 0);
        QCOMPARE(s.SelectedCount(), coloured);
        QVERIFY(!view->IsRowSelected(0));
        s.prompts.hues.reset();
        s.frame->Action(Command::EditDeselect)->trigger();
        s.frame->Action(Command::EditSelectHues)->trigger();
        QCOMPARE(s.prompts.huesAsked, 2);
        QCOMPARE(s.SelectedCount(), 0);

        // Alt+Shift+click in the preview selects the colour picked and its like.
        const std::uint32_t red = Rgb(0xE6, 0x39, 0x46); // the sample's first shape
        emit s.frame->Preview()->similarColoursPicked(red);
        QVERIFY(s.SelectedCount() >= 1);
        const auto* entry = s.doc->GetColorTable().Map().Find(red | KIND_FILL);
        QVERIFY(entry != nullptr && IsSelected(*entry));

        // A palette of one colour makes every selected colour that colour, in one step.
        const auto palette = Path(QStringLiteral("one.gpl"));
        QVERIFY(WriteFile(palette,
            {'G', 'I', 'M', 'P', ' ', 'P', 'a', 'l', 'e', 't', 't', 'e', '\n', '1', ' ', '2', ' ', '3', '\n'}));
        s.dialogs.answers.push_back(palette);
        const int steps = s.UndoCount();
        s.frame->Action(Command::EditMapPaletteLightness)->trigger();
        QCOMPARE(s.UndoCount(), steps + 1);
        QCOMPARE(RgbOf(s.doc->GetColor(red | KIND_FILL, 0)), Rgb(1, 2, 3));

        // The simulation is one checked choice of the View menu, for the preview alone.
        const auto movie = s.doc->GetMovie().Buffer();
        const std::vector<std::uint8_t> before(movie.begin(), movie.end());
        QAction* grey = s.frame->SimulationAction(VisionSimulation::Greyscale);
        QVERIFY(s.frame->SimulationAction(VisionSimulation::Normal)->isChecked());
        grey->trigger();
        QVERIFY(grey->isChecked());
        QVERIFY(!s.frame->SimulationAction(VisionSimulation::Normal)->isChecked());
        QCOMPARE(s.frame->Preview()->Simulation(), VisionSimulation::Greyscale);
        const auto after = s.doc->GetMovie().Buffer();
        QVERIFY(std::equal(before.begin(), before.end(), after.begin(), after.end()));
        QCOMPARE(s.frame->SimulateMenu()->actions().size(), 6);
        QCOMPARE(s.frame->Preview()->SimulationMark(), QStringLiteral("色覚シミュレーション: グレースケール"));

        // View > Zoom, whose keys work from the colour list too.
        QVERIFY(s.frame->menuBar()->actions().at(2)->menu()->actions().contains(
            s.frame->Preview()->ZoomMenu()->menuAction()));
        view->List()->setFocus();
        QTest::keyClick(view->List(), Qt::Key_Plus, Qt::ControlModifier);
        QVERIFY(s.frame->Preview()->Zoom() > 0);
        QTest::keyClick(view->List(), Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(s.frame->Preview()->Zoom(), 0.0);
    }

    void workNotYetAppliedIsAskedAboutAndSavedAsTheListShowsIt()
    {
        const auto copy = Path(QStringLiteral("pending.swf"));
        const std::vector<std::uint8_t> original = BuildSampleMovie();
        QVERIFY(WriteFile(copy, original));
        CFrameSession s;
        s.OpenWithDialog(copy);
        s.ClickRow(0);
        s.frame->ColorView()->ValueSlider()->setValue(150);
        QVERIFY(!s.doc->IsModified());
        QCOMPARE(s.Caption(), QStringLiteral("pending.swf* - Tintor"));
        // Ctrl+Q asks first; a cancel keeps the window and the work.
        s.prompts.answer = IFramePrompts::SaveAnswer::Cancel;
        s.Keys(Qt::CTRL | Qt::Key_Q);
        QCOMPARE(s.prompts.saveAsked, 1);
        QVERIFY(s.frame->isVisible());
        QCOMPARE(s.frame->ColorView()->ValueSlider()->value(), 150);
        // Save applies the work, then saves.
        s.prompts.answer = IFramePrompts::SaveAnswer::Save;
        QVERIFY(s.frame->close());
        QCOMPARE(s.prompts.saveAsked, 2);
        QCOMPARE(s.Caption(), QStringLiteral("pending.swf - Tintor"));
        const std::vector<std::uint8_t> saved = ReadFile(copy);
        QCOMPARE(saved.size(), original.size());
        QVERIFY(saved != original);
    }

    void anApplyThatChangesNoColourIsNoChange()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        s.Keys(Qt::CTRL | Qt::Key_A);
        s.frame->ColorView()->PerceptualCheck()->click();
        QCOMPARE(s.Caption(), QStringLiteral("sample.swf - Tintor"));
        s.frame->ColorView()->ApplyButton()->click();
        QCOMPARE(s.Caption(), QStringLiteral("sample.swf - Tintor"));
        QCOMPARE(s.UndoCount(), 0);
        QVERIFY(s.doc->PreviewMatchesList());
        QCOMPARE(ReadFile(m_sample), BuildSampleMovie());
    }

    void anOpenedMovieStartsWithoutSearchOrPick()
    {
        CFrameSession s;
        s.OpenWithDialog(m_sample);
        CColorView* view = s.frame->ColorView();
        const int all = view->Count();
        view->SearchBox()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), view->SearchBox());
        QTest::keyClicks(view->SearchBox(), QStringLiteral("tint"));
        QCOMPARE(view->Count(), 0);
        // Ctrl+A there selects the text, not the colours.
        s.Keys(Qt::CTRL | Qt::Key_A);
        QCOMPARE(view->SearchBox()->selectedText(), QStringLiteral("tint"));
        QCOMPARE(s.SelectedCount(), 0);
        emit s.frame->Preview()->colourPicked(Rgb(0xE6, 0x39, 0x46));
        QVERIFY(!s.frame->PickStatus().isEmpty());
        s.OpenWithDialog(m_sample);
        QCOMPARE(view->SearchBox()->text(), QString());
        QCOMPARE(view->Count(), all);
        QCOMPARE(s.frame->PickStatus(), QString());
        QCOMPARE(static_cast<CColorListView*>(view->List())->Highlight(), -1);
    }

    void theDefaultWindowShowsApplyAndTheStatusBarCountsImages()
    {
        // Title bar and a desktop's panel take some of the screen's height.
        QVERIFY(CMainFrame::kDefaultSize.width() <= 1280 && CMainFrame::kDefaultSize.height() <= 800 - 70);
        const auto path = Path(QStringLiteral("leftovers.swf"));
        QVERIFY(WriteFile(path, BuildLeftoversMovie()));
        CFrameSession s;
        // The test screen is smaller than the window: set its size as a
        // larger screen would leave it.
        s.frame->resize(CMainFrame::kDefaultSize);
        s.OpenWithDialog(path);
        CColorView* view = s.frame->ColorView();
        QVERIFY(!view->AccountLabel()->isHidden());
        QVERIFY(view->BitmapStrip()->isVisible());
        QTRY_COMPARE(view->verticalScrollBar()->maximum(), 0);
        const QRect apply(view->ApplyButton()->mapTo(view->viewport(), QPoint()), view->ApplyButton()->size());
        QVERIFY(view->viewport()->rect().contains(apply));
        // With room to spare for the list: a few lines of swatches, not the
        // least it can be squeezed to (a style's scroll bar takes more).
        QVERIFY(view->List()->height() >= 4 * CColorSwatchDelegate::kItemHeight);
        // The status bar counts the images too, in English in the singular.
        QVERIFY(s.language.Use(UiLanguage::English));
        QCOMPARE(s.frame->ListStatus(), QStringLiteral("1 colour (0 selected)  1 image (0 selected)"));
    }
};

} // namespace tintor::test

int main(int argc, char** argv)
{
    tintor::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    // These tests check the window's source texts, which are Japanese, so they
    // run in Japanese whatever the machine's locale.
    tintor::CLanguage language;
    language.Use(tintor::UiLanguage::Japanese);
    tintor::test::CMainFrameTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_frame_test.moc"
