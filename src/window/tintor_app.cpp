#include "window/tintor_app.h"

#include "document/tintor_doc.h"
#include "views/preview_view.h"
#include "window/main_frame.h"
#include "window/qt_paths.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace tintor {

namespace {

// How long the screenshot waits for the preview's first frame, and how long
// it lets the player settle after it.
constexpr int kScreenshotTimeoutMs = 30000;
constexpr int kScreenshotSettleMs = 1000;
// How long start-up waits for the window to be on screen before it opens the
// movie named on the command line.
constexpr int kExposeTimeoutMs = 2000;

QString Tr(const char* text) { return QCoreApplication::translate("tintor::CTintorApp", text); }

void PrintError(const QString& text) { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); }

} // namespace

CTintorApp::CTintorApp(int& argc, char** argv) : m_app(argc, argv)
{
    QApplication::setOrganizationName(QStringLiteral("Reru Zuvidivi"));
    QApplication::setApplicationName(QStringLiteral("Tintor"));
    QApplication::setApplicationVersion(QStringLiteral(TINTOR_VERSION));
    // The name of the installed desktop entry, which carries the icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("tintor"));
}

CTintorApp::~CTintorApp()
{
    // The frame's views point at the document: the frame goes first.
    m_frame.reset();
    m_doc.reset();
}

bool CTintorApp::InitInstance()
{
    // --lang is looked for first: the language chosen is also that of --help.
    const auto lang = [](const QString& description = QString()) {
        return QCommandLineOption(QStringLiteral("lang"), description, QStringLiteral("ja|en"));
    };
    std::optional<UiLanguage> commandLine;
    {
        QCommandLineParser early;
        early.addOption(lang());
        early.parse(QCoreApplication::arguments()); // the other options are not known yet
        commandLine = CLanguage::Parse(early.value(QStringLiteral("lang")));
    }
    const UiLanguage language = CLanguage::Choose(commandLine, CLanguage::Chosen());
    if (!m_language.Use(language))
        std::fprintf(stderr, "tintor: the %s translation was not found (looked in: %s); the window stays Japanese\n",
            qPrintable(CLanguage::Code(language)), qPrintable(CLanguage::SearchDescription()));

    QCommandLineParser parser;
    parser.setApplicationDescription(Tr(QT_TRANSLATE_NOOP("tintor::CTintorApp", "SWF ムービーの色を変えます。")));
    // Qt's own --help and --version describe themselves in English only;
    // the rest of the help (its headings, the errors) is Qt's, in the
    // language of the translations just installed.
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
        Tr(QT_TRANSLATE_NOOP("tintor::CTintorApp", "コマンドライン オプションの説明を表示します。")));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
        Tr(QT_TRANSLATE_NOOP("tintor::CTintorApp", "バージョン情報を表示します。")));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(Tr(QT_TRANSLATE_NOOP("tintor::CTintorApp", "ムービー")),
        Tr(QT_TRANSLATE_NOOP("tintor::CTintorApp", "開くムービー (.swf)。")),
        Tr(QT_TRANSLATE_NOOP("tintor::CTintorApp", "[ムービー.swf]")));
    // Grabs the window once the preview shows the movie, saves it and quits.
    QCommandLineOption screenshot(
        QStringLiteral("screenshot"), QStringLiteral("Save a picture of the window."), QStringLiteral("FILE"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshot);
    const QCommandLineOption langOption = lang(Tr(QT_TRANSLATE_NOOP(
        "tintor::CTintorApp", "ウィンドウの言語 (ja または en)。システムや表示メニューの選択より優先されます。")));
    parser.addOption(langOption);
    parser.process(m_app);
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        PrintError(Tr(QT_TRANSLATE_NOOP("tintor::CTintorApp", "tintor: 開けるムービーはひとつだけです")));
        m_exitCode = 2;
        return false;
    }
    if (parser.isSet(langOption) && !commandLine) {
        PrintError(Tr(QT_TRANSLATE_NOOP("tintor::CTintorApp", "tintor: --lang には ja か en を指定してください")));
        m_exitCode = 2;
        return false;
    }
    m_screenshotPath = parser.value(screenshot);

    // Preview folders of runs that ended without clearing up (killed, or
    // crashed) go before this run makes its own.
    CTintorDoc::RemoveStaleTempFolders();
    m_doc = std::make_unique<CTintorDoc>(m_messages, m_dialogs);
    m_dialogs.SetMovieSource([this] { return m_doc ? m_doc->GetPathName() : std::filesystem::path(); });
    // Compressing a preview file never holds the window up.
    m_doc->WritePreviewAside(&m_poster);
    m_frame = std::make_unique<CMainFrame>(*m_doc, m_dialogs, m_prompts, m_language);
    m_frame->OnNewDocument();
    m_frame->show();
    if (!files.isEmpty()) {
        // The window is painted before a long open, so that it never stands
        // empty and black while the movie loads.
        QElapsedTimer waited;
        waited.start();
        while (m_frame->windowHandle() && !m_frame->windowHandle()->isExposed() && waited.elapsed() < kExposeTimeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        m_frame->repaint();
        m_frame->OpenDocumentFile(ToPath(files.front()));
    }
    if (!m_screenshotPath.isEmpty())
        TakeScreenshotWhenShown();
    return true;
}

int CTintorApp::Run()
{
    const int status = QApplication::exec();
    return m_exitCode != 0 ? m_exitCode : status;
}

void CTintorApp::TakeScreenshotWhenShown()
{
    if (m_doc->HasMovie()) {
        QObject::connect(m_frame->Preview(), &CTintorView::movieShown, &m_app,
            [this] { QTimer::singleShot(kScreenshotSettleMs, &m_app, [this] { SaveScreenshot(true); }); });
        QObject::connect(m_frame->Preview(), &CTintorView::previewFailed, &m_app, [this] { SaveScreenshot(false); });
        QTimer::singleShot(kScreenshotTimeoutMs, &m_app, [this] { SaveScreenshot(false); });
    } else {
        QTimer::singleShot(kScreenshotSettleMs, &m_app, [this] { SaveScreenshot(true); });
    }
}

void CTintorApp::SaveScreenshot(bool shown)
{
    if (m_screenshotTaken)
        return;
    m_screenshotTaken = true;
    if (!m_frame->grab().save(m_screenshotPath, "PNG")) {
        std::fprintf(stderr, "tintor: cannot write %s\n", qPrintable(m_screenshotPath));
        m_exitCode = 1;
    }
    // The picture is taken all the same, to show what went wrong.
    if (!shown) {
        std::fprintf(stderr, "tintor: the preview did not show the movie\n");
        m_exitCode = 1;
    }
    QApplication::quit();
}

} // namespace tintor
