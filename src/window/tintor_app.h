#pragma once

#include "views/qt_task_poster.h"
#include "window/qt_file_dialogs.h"
#include "window/qt_frame_prompts.h"
#include "window/qt_language.h"
#include "window/qt_message_sink.h"

#include <QApplication>
#include <QString>

#include <memory>

namespace tintor {

class CMainFrame;
class CTintorDoc;

// The program: the Qt application, the one document and its main window.
// Usage: tintor [--lang ja|en] [MOVIE.swf]
class CTintorApp {
public:
    CTintorApp(int& argc, char** argv);
    ~CTintorApp();
    CTintorApp(const CTintorApp&) = delete;
    CTintorApp& operator=(const CTintorApp&) = delete;

    // Builds the window and carries out the command line; false ends the
    // program (with the exit status from ExitCode()).
    bool InitInstance();
    int Run();
    int ExitCode() const { return m_exitCode; }

private:
    void TakeScreenshotWhenShown();
    // shown: the preview showed the movie (or there was none to show).
    void SaveScreenshot(bool shown);

    QApplication m_app;
    // Brings the document's reports of written preview files to this thread.
    CQtTaskPoster m_poster{&m_app};
    CLanguage m_language;
    CQtMessageSink m_messages;
    CQtFileDialogs m_dialogs;
    CQtFramePrompts m_prompts;
    std::unique_ptr<CTintorDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    QString m_screenshotPath;
    bool m_screenshotTaken = false;
    int m_exitCode = 0;
};

} // namespace tintor
