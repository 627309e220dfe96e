#pragma once

#include "document/tintor_doc.h"
#include "views/preview_zoom.h"

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
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
// the colours of the list, a simulated colour vision, a zoom and a player
// that cannot draw filters. The movie as it was opened waits in a second,
// hidden player, so that before and after switch at once.
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
    // The word over the pane while a simulation is on; empty while none is.
    QString SimulationMark() const;
    // Whether the player draws filters (shadows, glows, bevels), as far as
    // the movie shown last tells; and the line over the pane when it does not.
    bool DrawsFilters() const { return m_drawsFilters; }
    QString FiltersNote() const;

    // Shows another movie file over the preview, with a word over it saying
    // what it is, once its first frame is drawn: for ms milliseconds from
    // then, or when ms is 0 until ShowPreviewAgain. The preview plays on
    // beneath. The file is read at once. False when the player cannot take
    // a movie now.
    bool ShowAside(const QString& file, const QString& badge, int ms = 0);
    // Show in preview: ShowAside for a copy of the movie in which one colour
    // is the document's signal colour, saying whether the pane shows it.
    bool ShowSignal(const QString& file, int ms);
    // The preview again after ShowAside.
    void ShowPreviewAgain();
    // Whether a passing look or the original stands in for the preview.
    bool ShowingAside() const { return m_aside || m_showingOriginal; }
    // The movie as it was opened in place of the preview, or the preview
    // again; at once, from the player kept ready since the movie was first
    // shown (until it is, as soon as it is).
    void ShowOriginal(bool shown);
    bool ShowingOriginal() const { return m_showingOriginal; }
    bool OriginalReady() const { return m_originalReady; }

    // --- Zoom ---------------------------------------------------------------
    // Movie pixels per pixel of the pane; 0 while the movie is fitted into it.
    double Zoom() const { return m_zoom.Scale(); }
    // The scale the pane shows, fitted or not.
    double ShownZoom() const;
    void ZoomToFit();
    void ZoomToActualSize();
    // Stops in (steps > 0) or out, keeping the point of the view at anchor
    // (the middle when none is given) over the same spot of the movie.
    void ZoomBy(int steps, std::optional<QPointF> anchor = std::nullopt);
    // View > Zoom: Fit (Ctrl+0), 100 % (Ctrl+1), In (Ctrl++), Out (Ctrl+-);
    // its actions work anywhere in the window.
    QMenu* ZoomMenu() const { return m_zoomMenu; }
    // The percentage in the pane's corner while it is zoomed; empty while fitted.
    QString ZoomLabel() const;

signals:
    // An Alt+click picked this colour (red in bits 0-7, green 8-15, blue 16-23).
    void colourPicked(std::uint32_t rgb);
    // An Alt+Shift+click picked this colour, asking for the colours similar to it.
    void similarColoursPicked(std::uint32_t rgb);
    // The player shows a frame of the movie loaded last (for tests and timing).
    void movieShown();
    // The movie as opened waits ready in its hidden player.
    void originalReady();
    // The movie of ShowAside is on screen.
    void asideShown();
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
    void OnPlayerShown(int generation, const QString& renderer, QSizeF stage);
    void OnAsideShown(int generation);
    // The movie as opened to the page, once per movie.
    void SendOriginal();
    // Whether the pane shows the signal colour, checked again until it
    // does, or the passing look ends.
    void CheckSignal();
    // Watches the widget that receives the view's mouse input.
    void WatchInput();
    // The colour at a point of this view, red in the low byte.
    std::uint32_t PixelAt(QPoint point);
    // Whether a movie is on its way to the player, and the word over the frame.
    void SetBusy(bool busy);
    void UpdateBadge();
    // The simulation to the page, whose filter goes when it reloads.
    void SendSimulation();
    // The words laid over the pane: the badge, the simulation's mark, the
    // zoom and the note on filters.
    void UpdateOverlays();
    // The zoom to the page, keeping the point at anchor in place.
    void SendZoom(QPointF anchor);
    void CreateZoomActions();
    void RetranslateZoom();
    // Whether the key is one of the zoom's.
    bool IsZoomKey(const QKeyEvent& key) const;

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
    int m_asideGeneration = 0;
    int m_asideMs = 0;
    // Show in preview: the checks of the pane so far, and whether one saw
    // the signal colour.
    bool m_signal = false;
    int m_signalChecks = 0;
    bool m_signalSeen = false;
    QTimer* m_signalTimer = nullptr;
    // The movie as opened: sent to the page, ready there, shown.
    bool m_originalSent = false;
    bool m_originalReady = false;
    bool m_showingOriginal = false;
    int m_originalGeneration = 0;
    bool m_drawsFilters = true;
    // The stage of the movie shown last, in movie pixels.
    QSizeF m_stage;
    CPreviewZoom m_zoom;
    int m_wheelDelta = 0;
    QMenu* m_zoomMenu = nullptr;
    QAction* m_zoomFit = nullptr;
    QAction* m_zoomActual = nullptr;
    QAction* m_zoomIn = nullptr;
    QAction* m_zoomOut = nullptr;
    QLabel* m_simulationMark = nullptr;
    QLabel* m_zoomLabel = nullptr;
    QLabel* m_filtersNote = nullptr;
};

} // namespace tintor
