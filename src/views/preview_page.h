#pragma once

#include <QSizeF>
#include <QWebEnginePage>

namespace tintor {

// The page that hosts the player. The host page reports to us through
// console lines starting with "tintor:", each with the number of the movie
// it is about: "tintor:ready 0" once it takes movies, "tintor:shown 7
// wgpu-webgl 550 400" when the preview sent as number 7 is on screen (drawn
// by that renderer, its stage 550 x 400 pixels), "tintor:failed 7 invalid"
// when it cannot be shown, "tintor:original 8" when the movie as opened
// waits ready, "tintor:aside 9" and "tintor:asidefailed 9 <reason>" for a
// passing look. Every other console line is the page's own and only errors
// of it are logged.
class CPreviewPage : public QWebEnginePage {
    Q_OBJECT
public:
    explicit CPreviewPage(QWebEngineProfile* profile, QObject* parent = nullptr);

signals:
    // The host page has the player and takes movies.
    void playerReady();
    void movieShown(int generation, const QString& renderer, QSizeF stage);
    void movieFailed(int generation, const QString& reason);
    void originalReady(int generation);
    void asideShown(int generation);
    void asideFailed(int generation, const QString& reason);

protected:
    void javaScriptConsoleMessage(
        JavaScriptConsoleMessageLevel level, const QString& message, int lineNumber, const QString& sourceID) override;
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
};

} // namespace tintor
