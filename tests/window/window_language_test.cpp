// The window's language: the system's locale, the View menu and --lang
// choose it; the English window has every text translated, Qt's own too.
#include "scripted_prompts.h"
#include "window_test_support.h"

#include "colour/colour_script.h"
#include "colour/palette.h"
#include "colour/palette_reader.h"
#include "core/file.h"
#include "document/tintor_doc.h"
#include "testkit/recording_sink.h"
#include "views/colour_view.h"
#include "views/colour_view_delegate.h"
#include "views/preview_environment.h"
#include "views/preview_view.h"
#include "window/main_frame.h"
#include "window/qt_file_dialogs.h"
#include "window/qt_help.h"
#include "window/qt_language.h"
#include "window/qt_message_sink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace tintor::test {
namespace {

struct CWindow {
    CRecordingSink messages;
    CScriptedDialogs dialogs;
    CScriptedPrompts prompts;
    std::unique_ptr<CTintorDoc> doc = std::make_unique<CTintorDoc>(messages, dialogs);
    std::unique_ptr<CMainFrame> frame;

    explicit CWindow(CLanguage& language) : frame(std::make_unique<CMainFrame>(*doc, dialogs, prompts, language))
    {
        frame->OnNewDocument();
        frame->show();
    }
    ~CWindow()
    {
        frame.reset();
        doc.reset();
    }

    QStringList MenuTitles() const
    {
        QStringList titles;
        for (QAction* menu : frame->menuBar()->actions())
            titles << menu->text();
        return titles;
    }
};

QString QtCancelText()
{
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    return box.button(QDialogButtonBox::Cancel)->text();
}

bool HasJapanese(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF))
            return true;
    }
    return false;
}

// The reasons the core gives in its own words when a file will not load.
const char* const kCoreReasons[] = {"ERROR: Illegal Header - not a Shockwave Flash File",
    "ERROR: Can't read the header of file", "ERROR: Can't read the body of file", "ERROR: file size is too short",
    "ERROR: not enough memory for the movie", "not a colour script"};

const ScriptMismatch kScriptMismatches[] = {
    {"/t/s.iro", 2, 1, "見つからない色があるんですけど……いいですか？"},
    {"/t/s.iro", 0, 3, "見つからない色があるんですけど……いいですか？"},
};

FileFailure LoadFailure(const char* reason) { return {FileFailure::Action::Open, "", "/movies/a.swf", {}, reason}; }

// Palettes the reader refuses, one for each way of saying where and a
// reason with a word of its own (null) in it.
const std::string_view kBadPalettes[] = {std::string_view("GIMP Palette\n1 2\n"),
    std::string_view("ASEF\0\2\0\0\0\0\0\0", 12), std::string_view(R"({"colours": [null]})")};

FileFailure PaletteFailure(std::string_view file)
{
    const ReadPaletteResult read
        = ReadPalette(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()));
    if (!read.error)
        return {};
    return {FileFailure::Action::Open, "", "/palettes/p.gpl", {},
        read.error->where.Text() + ": " + read.error->reason.Text(), {read.error->where, read.error->reason}};
}

const QStringList kJapaneseMenus{"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "ﾍﾙﾌﾟ(&H)"};
const QStringList kEnglishMenus{"&File", "&Edit", "&View", "&Help"};

} // namespace

class CLanguageTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
    }

    void init() { QSettings(QStringLiteral("Reru Zuvidivi"), QStringLiteral("Tintor")).clear(); }

    // Run by ctest under LANG=ja_JP.UTF-8 and LANG=en_US.UTF-8, with the
    // language that locale must give in TINTOR_TEST_LANGUAGE.
    void theSystemsLocaleChoosesTheLanguage()
    {
        const QString expected = qEnvironmentVariable("TINTOR_TEST_LANGUAGE");
        if (expected.isEmpty())
            QSKIP("needs LANG and TINTOR_TEST_LANGUAGE, as ctest sets them");
        CLanguage language;
        QVERIFY(language.Use(CLanguage::Choose(std::nullopt, CLanguage::Chosen())));
        CWindow w(language);
        if (expected == u"ja") {
            QCOMPARE(w.MenuTitles(), kJapaneseMenus);
            QCOMPARE(w.frame->Action(CMainFrame::Command::FileOpen)->text(), QStringLiteral("開く(&O)...\tCtrl+O"));
            QCOMPARE(QtCancelText(), QStringLiteral("キャンセル"));
        } else {
            QCOMPARE(w.MenuTitles(), kEnglishMenus);
            QCOMPARE(w.frame->Action(CMainFrame::Command::FileOpen)->text(), QStringLiteral("&Open...\tCtrl+O"));
            QCOMPARE(QtCancelText(), QStringLiteral("Cancel"));
        }
    }

    void theCommandLineBeatsTheMenuWhichBeatsTheSystem_data()
    {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Japanese system") << ""
                                         << ""
                                         << "ja_JP"
                                         << "ja";
        QTest::newRow("any other system") << ""
                                          << ""
                                          << "de_DE"
                                          << "en";
        QTest::newRow("menu over system") << ""
                                          << "en"
                                          << "ja_JP"
                                          << "en";
        QTest::newRow("--lang over menu") << "ja"
                                          << "en"
                                          << "en_US"
                                          << "ja";
        QTest::newRow("no such --lang") << "de"
                                        << ""
                                        << "ja_JP"
                                        << "ja";
    }

    void theCommandLineBeatsTheMenuWhichBeatsTheSystem()
    {
        QFETCH(QString, commandLine);
        QFETCH(QString, chosen);
        QFETCH(QString, system);
        QFETCH(QString, expected);
        QCOMPARE(CLanguage::Code(
                     CLanguage::Choose(CLanguage::Parse(commandLine), CLanguage::Parse(chosen), QLocale(system))),
            expected);
    }

    void theViewMenuSwitchesAtOnceAndIsKept()
    {
        CLanguage language;
        language.Use(UiLanguage::Japanese);
        {
            CWindow w(language);
            // System, separator, 日本語, English. The widgets hear of the
            // change through posted events.
            const QList<QAction*> choices = w.frame->LanguageMenu()->actions();
            QCOMPARE(choices[3]->text(), QStringLiteral("English(&E)"));
            choices[3]->trigger();
            QTRY_COMPARE(w.MenuTitles(), kEnglishMenus);
            QTRY_COMPARE(w.frame->ColorView()->ApplyButton()->text(), QStringLiteral("&Apply >>"));
            choices[2]->trigger();
            QTRY_COMPARE(w.MenuTitles(), kJapaneseMenus);
            choices[3]->trigger();
        }
        // The next run starts in the language chosen, until the system's is chosen again.
        CLanguage next;
        next.Use(CLanguage::Choose(std::nullopt, CLanguage::Chosen(), QLocale(QStringLiteral("ja_JP"))));
        CWindow w(next);
        QCOMPARE(w.MenuTitles(), kEnglishMenus);
        QAction* system = w.frame->LanguageMenu()->actions().front();
        QVERIFY(!system->isChecked());
        system->trigger();
        QCOMPARE(CLanguage::Chosen(), std::nullopt);
    }

    void everyTextOfTheEnglishWindowIsTranslated()
    {
        CLanguage language;
        QVERIFY(language.Use(UiLanguage::English));
        const auto movie = std::filesystem::path(m_dir.filePath(QStringLiteral("sample.swf")).toStdString());
        QVERIFY(WriteFile(movie, BuildSampleMovie()));
        CWindow w(language);
        QStringList texts{w.frame->windowTitle(), w.frame->Preview()->Notice()};
        w.frame->OpenDocumentFile(movie);
        QCOMPARE(w.frame->windowTitle(), QStringLiteral("sample.swf[*] - Tintor"));
        // The languages' own names are the one exception.
        const QList<QAction*> languages = w.frame->LanguageMenu()->actions();
        for (QAction* action : w.frame->findChildren<QAction*>())
            if (!languages.contains(action))
                texts << action->text() << action->toolTip() << action->statusTip();
        for (QMenu* menu : w.frame->findChildren<QMenu*>())
            texts << menu->title();
        for (QLabel* label : w.frame->findChildren<QLabel*>())
            texts << label->text();
        for (QAbstractButton* button : w.frame->findChildren<QAbstractButton*>())
            texts << button->text() << button->toolTip();
        for (int row = 0; row < w.frame->ColorView()->Count(); ++row)
            texts << w.frame->ColorView()->SwatchToolTip(row);
        for (bool save : {false, true})
            for (const char* extension : {"swf", "iro"})
                texts << CQtFileDialogs::DialogTitle(save, extension);
        for (const std::string_view filter : {CTintorDoc::kMovieFilter, kColorScriptFilter, kPaletteFilter})
            texts << CQtFileDialogs::ToNameFilters(filter);
        // The core's reasons are the English, under the window's own headline.
        for (const char* reason : kCoreReasons) {
            texts << CQtMessageSink::FileFailureText(LoadFailure(reason));
            QCOMPARE(CQtMessageSink::FileFailureReason(LoadFailure(reason)), QString::fromUtf8(reason));
        }
        for (const ScriptMismatch& mismatch : kScriptMismatches)
            texts << CQtMessageSink::ScriptMismatchHeadline(mismatch)
                  << CQtMessageSink::ScriptMismatchDetails(mismatch);
        for (const char* label : {"TXT", "LINE", "BG", "FLT", "TINT"})
            QCOMPARE(CColorSwatchDelegate::LabelText(label), QString::fromLatin1(label));
        // The colour model's one message for the user.
        CColorTable table;
        CRecordingSink warnings;
        const std::string script = "[TINTOR SCRIPT]\n@fill #123456 -> #654321\n[END]\n";
        ReadColorScript(
            std::span(reinterpret_cast<const std::uint8_t*>(script.data()), script.size()), table, warnings);
        QCOMPARE(warnings.Messages().size(), std::size_t{1});
        texts << CQtMessageSink::Translated(warnings.Messages().front());
        for (const FileErrc errc : {FileErrc::Fifo, FileErrc::Device, FileErrc::Socket})
            for (const auto action : {FileFailure::Action::Open, FileFailure::Action::Save})
                texts << CQtMessageSink::FileFailureText(FileFailure{action, "", "/movies/a.swf", errc, {}});
        // The notes under the list, with a tint that kept its colour.
        const auto leftovers = std::filesystem::path(m_dir.filePath(QStringLiteral("left.swf")).toStdString());
        QVERIFY(WriteFile(leftovers, BuildLeftoversMovie()));
        w.frame->OpenDocumentFile(leftovers);
        w.doc->SelectWhere([](ColorKey key) { return KindOf(key) == KIND_TINT; });
        w.doc->SetSelectedColor(0xFFFFFF);
        for (QLabel* note : {w.frame->ColorView()->AccountLabel(), w.frame->ColorView()->KeptLabel()})
            texts << note->text() << note->toolTip();
        QCOMPARE(w.frame->ColorView()->AccountLabel()->text(),
            QStringLiteral(
                "Also in this movie: 1 bitmap, 1 colour-matrix filter, 1 colour transform that is not a tint, "
                "1 tint without room for other colours, 1 HTML colour in another form than #rrggbb, scripts "
                "that draw, video — their colours stay as they are"));
        QCOMPARE(w.frame->ColorView()->KeptLabel()->text(),
            QStringLiteral("1 tint place had no room for its new colour and kept the old one"));
        for (int row = 0; row < w.frame->ColorView()->Count(); ++row)
            texts << w.frame->ColorView()->SwatchToolTip(row);
        // A palette's reason is the reader's English, where and why.
        for (const std::string_view palette : kBadPalettes) {
            const FileFailure failure = PaletteFailure(palette);
            QVERIFY(!failure.detailParts.empty());
            QCOMPARE(CQtMessageSink::FileFailureReason(failure), QString::fromStdString(failure.detail));
            texts << CQtMessageSink::FileFailureText(failure);
        }
        // Help's windows.
        w.frame->Help()->ShowShortcuts();
        texts << w.frame->Help()->Shortcuts()->windowTitle();
        for (QTreeWidgetItemIterator item(w.frame->Help()->Shortcuts()->Tree()); *item; ++item)
            texts << (*item)->text(0);
        w.frame->Help()->ShowGuide();
        texts << w.frame->Help()->Guide()->windowTitle();
        static const QRegularExpression american(
            QStringLiteral(R"(\bcolor)"), QRegularExpression::CaseInsensitiveOption);
        for (const QString& text : texts) {
            QVERIFY2(!HasJapanese(text), qPrintable(text));
            // One spelling throughout.
            QVERIFY2(!text.contains(american), qPrintable(text));
        }
        QCOMPARE(CQtFileDialogs::ToNameFilters(kColorScriptFilter).front(), QStringLiteral("Colour table (*.iro)"));
        QVERIFY(w.frame->ColorView()->SwatchToolTip(0).contains(QStringLiteral(" place")));
        QCOMPARE(CQtFileDialogs::DialogTitle(true, "iro"), QStringLiteral("Save Colour Table"));
    }

    void theJapaneseWindowSaysInJapaneseWhatTheCoreSaysInEnglish()
    {
        CLanguage language;
        QVERIFY(language.Use(UiLanguage::Japanese));
        for (const std::string_view filter : {CTintorDoc::kMovieFilter, kColorScriptFilter, kPaletteFilter}) {
            const QStringList names = CQtFileDialogs::ToNameFilters(filter);
            QVERIFY2(HasJapanese(names.front()), qPrintable(names.front()));
            QVERIFY(HasJapanese(names.back()));
        }
        QCOMPARE(CQtFileDialogs::ToNameFilters(kColorScriptFilter).back(), QStringLiteral("すべてのﾌｧｲﾙ (*)"));
        for (const char* reason : kCoreReasons) {
            const QString text = CQtMessageSink::FileFailureReason(LoadFailure(reason));
            QVERIFY2(HasJapanese(text) && !text.contains(QStringLiteral("ERROR")), qPrintable(text));
        }
        QCOMPARE(CColorSwatchDelegate::LabelText("TXT"), QStringLiteral("文字"));
        QCOMPARE(CColorSwatchDelegate::LabelText("LINE"), QStringLiteral("線"));
        QCOMPARE(CColorSwatchDelegate::LabelText("BG"), QStringLiteral("背景"));
        // A label the window does not know yet is shown as the core has it.
        QCOMPARE(CColorSwatchDelegate::LabelText("NEW"), QStringLiteral("NEW"));
        // The colour model's Japanese warning keeps its exact form.
        QCOMPARE(CQtMessageSink::ScriptMismatchHeadline(kScriptMismatches[0]),
            QStringLiteral("見つからない色があるんですけど……いいですか？"));
        // A palette's reason in Japanese, the reader's words in it too.
        QStringList reasons;
        for (const std::string_view palette : kBadPalettes)
            reasons << CQtMessageSink::FileFailureReason(PaletteFailure(palette));
        QCOMPARE(reasons,
            QStringList(
                {QStringLiteral("2 行目: '1 2' は色の行 'R G B 名前' (R, G, B はそれぞれ 0..255) ではありません"),
                    QStringLiteral("4 バイト目: 形式のバージョン 2 は知らないものです"),
                    QStringLiteral("1 行目: 色 1 が null です (オブジェクトか \"#rrggbb\" でなければなりません)")}));
        // Qt's own file dialog speaks the window's language, not the system's.
        CQtFileDialogs dialogs;
        const auto dialog = dialogs.CreateDialog(false, QDir::tempPath(), "", kColorScriptFilter, "iro");
        for (const auto label : {QFileDialog::LookIn, QFileDialog::FileName, QFileDialog::FileType})
            QVERIFY2(HasJapanese(dialog->labelText(label)), qPrintable(dialog->labelText(label)));
    }

    void theSearchHintIsShownWholeInEitherLanguage()
    {
        for (const UiLanguage chosen : {UiLanguage::Japanese, UiLanguage::English}) {
            CLanguage language;
            language.Use(chosen);
            CWindow w(language);
            QVERIFY(QTest::qWaitForWindowExposed(w.frame.get()));
            const QLineEdit& search = *w.frame->ColorView()->SearchBox();
            // QLineEdit's size hint is 17 "x" and what lies around the text.
            const QFontMetrics metrics = search.fontMetrics();
            const int around = search.sizeHint().width() - 17 * metrics.horizontalAdvance(QLatin1Char('x'));
            QVERIFY2(search.width() >= metrics.horizontalAdvance(search.placeholderText()) + around,
                qPrintable(search.placeholderText()));
        }
    }
};

} // namespace tintor::test

int main(int argc, char** argv)
{
    tintor::PrepareWebEngineEnvironment();
    QApplication app(argc, argv);
    tintor::test::CLanguageTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "window_language_test.moc"
