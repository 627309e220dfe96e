#pragma once

#include "document/tintor_doc.h"

#include <QString>
#include <QUrl>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QLabel;
class QTimer;
class QWebEngineProfile;
class QWebEngineView;

namespace tintor {

class CPreviewPage;

// The right pane: the temporary preview movie playing in a web view with the
// Ruffle player. An Alt+click on it reports the colour under the mouse.
// Without a movie it says how to open one; when the player cannot show the
// movie it says why, in place of the movie. While a movie is on its way it
// says so over the frame shown, and it marks a frame that no longer shows
// the colours of the list.
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
    // The note the pane shows instead of a movie; empty while it shows none.
    QString Notice() const;
    // Whether the movie shown has the colours the list shows; when not, the
    // frame is marked until it has.
    void SetListMatches(bool matches);
    // The word over the frame (loading, updating, or not applied yet);
    // empty while there is none.
    QString Badge() const;
    // How the pane shows the movie: as it is, or as people with a
    // colour-vision deficiency (or none for colour) see it. Only the pane
    // changes; the movie and its preview file stay as they are.
    void SetSimulation(VisionSimulation vision);
    VisionSimulation Simulation() const { return m_simulation; }
    // Shows another movie file for a moment in place of the preview, with
    // a word over it saying what it is: for ms milliseconds, or when ms is
    // 0 until ShowPreviewAgain. The file is read at once. False when the
    // player cannot take a movie now.
    bool ShowAside(const QString& file, const QString& badge, int ms = 0);
    // The preview again after ShowAside.
    void ShowPreviewAgain();
    bool ShowingAside() const { return m_aside; }

signals:
    // An Alt+click picked this colour (red in bits 0-7, green 8-15, blue 16-23).
    void colourPicked(std::uint32_t rgb);
    // An Alt+Shift+click picked this colour, asking for the colours similar to it.
    void similarColoursPicked(std::uint32_t rgb);
    // The player shows a frame of the movie loaded last (for tests and timing).
    void movieShown();
    // The movie loaded last cannot be shown; the pane says why.
    void previewFailed(const QString& reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum class NoticeKind { None, Hint, PlayerMissing, PageFailed, MovieFailed, Stopped };

    // Shows the note in place of the page, or (None) the page again.
    void SetNotice(NoticeKind kind, const QString& detail = QString());
    QString NoticeText() const;
    void OnMovieFailed(int generation, const QString& reason);
    // Sends the preview file to the player, once the host page is up.
    void LoadMovie();
    void SendMovie();
    // The movie's bytes to the player, as movie number m_generation.
    void Send(const QByteArray& data);
    void OnPageLoadStarted();
    void OnPageLoaded(bool ok);
    void OnPlayerReady();
    void OnPlayerShown(int generation);
    // Watches the widget that receives the view's mouse input.
    void WatchInput();
    // The colour at a point of this view, red in the low byte.
    std::uint32_t PixelAt(QPoint point);
    // Whether a movie is on its way to the player, and the word over the frame.
    void SetBusy(bool busy);
    void UpdateBadge();
    // The simulation to the page, whose filter goes when it reloads.
    void SendSimulation();

    CTintorDoc& m_doc;
    // Declared in this order so that the view goes before its page and the
    // page before its profile.
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<CPreviewPage> m_page;
    std::unique_ptr<QWebEngineView> m_web;
    QLabel* m_notice = nullptr;
    NoticeKind m_noticeKind = NoticeKind::None;
    QString m_noticeDetail;
    std::optional<QUrl> m_hostPage;
    QUrl m_target;
    // Numbers the movies sent, so that a late report of an older one is ignored.
    int m_generation = 0;
    bool m_hostReady = false;
    bool m_hostLoading = false;
    bool m_moviePending = false;
    bool m_eatRelease = false;
    QLabel* m_badge = nullptr;
    bool m_busy = false;
    // Whether the player has shown a frame of the movie opened last.
    bool m_shownOnce = false;
    bool m_listMatches = true;
    VisionSimulation m_simulation = VisionSimulation::Normal;
    // Whether a movie of ShowAside stands in for the preview, and its word.
    bool m_aside = false;
    QString m_asideBadge;
    QTimer* m_asideTimer = nullptr;
};

} // namespace tintor
