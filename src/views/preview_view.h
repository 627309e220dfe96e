#pragma once

#include "document/tintor_doc.h"

#include <QUrl>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QWebEngineProfile;
class QWebEngineView;

namespace tintor {

class CPreviewPage;

// The right pane: the temporary preview movie playing in a web view with the
// Ruffle player. An Alt+click on it reports the colour under the mouse.
class CTintorView : public QWidget, public IPreviewPort {
    Q_OBJECT
public:
    explicit CTintorView(CTintorDoc& doc, QWidget* parent = nullptr);
    ~CTintorView() override;

    // Shows the document's preview file when it holds a movie, else "about:blank".
    void OnInitialUpdate();
    // IPreviewPort: the document calls them as a pair after rewriting the file.
    void Stop() override;
    void Refresh() override;

    // What the pane shows now: the preview file's URL or about:blank.
    QUrl CurrentTarget() const;

signals:
    // An Alt+click picked this colour (red in bits 0-7, green 8-15, blue 16-23).
    void colourPicked(std::uint32_t rgb);
    // The player shows a frame of the movie loaded last (for tests and timing).
    void movieShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Sends the preview file to the player, once the host page is up.
    void LoadMovie();
    void SendMovie();
    void OnPageLoadStarted();
    void OnPageLoaded(bool ok);
    void OnPlayerReady();
    void OnPlayerShown(int generation);
    // Watches the widget that receives the view's mouse input.
    void WatchInput();
    // The colour at a point of this view, red in the low byte.
    std::uint32_t PixelAt(QPoint point);

    CTintorDoc& m_doc;
    // Declared in this order so that the view goes before its page and the
    // page before its profile.
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<CPreviewPage> m_page;
    std::unique_ptr<QWebEngineView> m_web;
    std::optional<QUrl> m_hostPage;
    QUrl m_target;
    // Numbers the movies sent, so that a late report of an older one is ignored.
    int m_generation = 0;
    bool m_hostReady = false;
    bool m_hostLoading = false;
    bool m_moviePending = false;
    bool m_eatRelease = false;
};

} // namespace tintor
