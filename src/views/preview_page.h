#pragma once

#include <QWebEnginePage>

namespace tintor {

// The page that hosts the player. The host page reports to us through
// console lines starting with "tintor:" ("tintor:ready 0" once it takes
// movies, "tintor:shown 7" when the movie sent with number 7 is on screen); every other console line is the page's
// own and only errors of it are logged.
class CPreviewPage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit CPreviewPage(QWebEngineProfile* profile, QObject* parent = nullptr);

signals:
    // The host page has the player and takes movies.
    void playerReady();
    void movieShown(int generation);
    void movieFailed(int generation, const QString& reason);

protected:
    void javaScriptConsoleMessage(
        JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber, const QString& sourceID) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};

} // namespace tintor
