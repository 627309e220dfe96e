#include "views/preview_view.h"

#include "views/preview_page.h"
#include "views/preview_player.h"

#include <QAction>
#include <QChildEvent>
#include <QDebug>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QResizeEvent>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWheelEvent>

#include <cmath>

namespace tintor {

namespace {

const QUrl kBlank(QStringLiteral("about:blank"));

// The words over the pane: light on dark, whatever the movie's colours.
const QString kOverlayStyle
    = QStringLiteral("QLabel { background: rgba(32, 32, 32, 200); color: white; padding: 3px 8px; }");
// Show in preview looks at the pane this often for its colour.
constexpr int kSignalCheckMs = 100;
// One notch of a mouse wheel.
constexpr int kWheelNotch = 120;

QLabel* MakeOverlay(QWidget* parent, const QString& name, const QString& style)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setStyleSheet(style);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->hide();
    return label;
}

// What an unreadable pixel reads as: the platform's invalid colour, of which
// the colour view only ever looks at the low 24 bits.
constexpr std::uint32_t kUnreadablePixel = 0x00FFFFFF;

bool IsAltLeftPress(const QEvent* event)
{
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick)
        return false;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    return mouse->button() == Qt::LeftButton && mouse->modifiers().testFlag(Qt::AltModifier);
}

void ConfigureSettings(QWebEngineSettings* settings)
{
    // The host page is a local file and Ruffle fetches its .wasm beside it.
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    settings->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
}

} // namespace

CTintorView::CTintorView(CTintorDoc& doc, QWidget* parent)
    : QWidget(parent),
      m_doc(doc)
      // Off the record and without a cache: a reload never shows an old movie
      // and nothing of the preview stays on disk.
      ,
      m_profile(std::make_unique<QWebEngineProfile>()),
      m_hostPage(FindPlayerHostPage())
{
    m_profile->setHttpCacheType(QWebEngineProfile::NoCache);
    m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    m_page = std::make_unique<CPreviewPage>(m_profile.get());
    ConfigureSettings(m_page->settings());
    m_web = std::make_unique<QWebEngineView>(this);
    m_web->setPage(m_page.get());
    // The browser's own menu (Back, Reload, ...) would lose the movie.
    m_web->setContextMenuPolicy(Qt::NoContextMenu);

    connect(m_page.get(), &QWebEnginePage::loadStarted, this, &CTintorView::OnPageLoadStarted);
    connect(m_page.get(), &QWebEnginePage::loadFinished, this, &CTintorView::OnPageLoaded);
    connect(m_page.get(), &CPreviewPage::playerReady, this, &CTintorView::OnPlayerReady);
    connect(m_page.get(), &QWebEnginePage::renderProcessTerminated, this, [this] {
        // Chromium's renderer died and took the player along. The next
        // reload starts the page afresh; not at once, in case the movie
        // itself brought it down.
        m_hostReady = false;
        m_hostLoading = false;
        m_moviePending = false;
        m_originalSent = m_originalReady = false;
        m_aside = false;
        m_signalTimer->stop();
        SetNotice(NoticeKind::Stopped);
        emit previewFailed(QStringLiteral("the renderer stopped"));
    });
    connect(m_page.get(), &CPreviewPage::movieShown, this, &CTintorView::OnPlayerShown);
    connect(m_page.get(), &CPreviewPage::movieFailed, this, &CTintorView::OnMovieFailed);
    connect(m_page.get(), &CPreviewPage::originalReady, this, [this](int generation) {
        if (generation != m_originalGeneration)
            return;
        m_originalReady = true;
        emit originalReady();
    });
    connect(m_page.get(), &CPreviewPage::asideShown, this, &CTintorView::OnAsideShown);
    connect(m_page.get(), &CPreviewPage::asideFailed, this, [this](int generation, const QString& reason) {
        if (generation != m_asideGeneration || !m_aside)
            return;
        qWarning().noquote() << "preview: the player could not show a passing look:" << reason;
        ShowPreviewAgain();
    });

    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setAlignment(Qt::AlignCenter);
    m_notice->setWordWrap(true);
    m_notice->setMargin(24);
    m_notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_notice->setAutoFillBackground(true);
    m_notice->hide();

    // Over the frame's corner, where it hides little of the movie.
    m_badge = MakeOverlay(this, QStringLiteral("badge"), kOverlayStyle);

    m_asideTimer = new QTimer(this);
    m_asideTimer->setSingleShot(true);
    connect(m_asideTimer, &QTimer::timeout, this, &CTintorView::ShowPreviewAgain);
    m_signalTimer = new QTimer(this);
    m_signalTimer->setInterval(kSignalCheckMs);
    connect(m_signalTimer, &QTimer::timeout, this, &CTintorView::CheckSignal);

    // The other words over the pane: what changes how it looks, at the
    // other corners, and what it cannot show, along its foot.
    m_simulationMark = MakeOverlay(this, QStringLiteral("simulationMark"),
        QStringLiteral("QLabel { background: rgba(120, 40, 140, 220); color: white; padding: 3px 8px; }"));
    m_zoomLabel = MakeOverlay(this, QStringLiteral("zoomLabel"), kOverlayStyle);
    m_filtersNote = MakeOverlay(this, QStringLiteral("filtersNote"),
        QStringLiteral("QLabel { background: rgba(128, 64, 0, 220); color: white; padding: 3px 8px; }"));
    CreateZoomActions();

    m_web->setAcceptDrops(false);
    m_web->installEventFilter(this);
    WatchInput();
    m_target = kBlank;
}

CTintorView::~CTintorView()
{
    // The page's widget must not outlive the page, nor the page its profile.
    m_web.reset();
    m_page.reset();
    m_profile.reset();
}

void CTintorView::OnInitialUpdate()
{
    ShowPreviewAgain();
    ++m_generation;
    m_moviePending = false;
    m_shownOnce = false;
    m_listMatches = true;
    // Another movie: its original comes once it is shown, the player may
    // draw it otherwise, and it starts whole in the pane.
    m_originalSent = m_originalReady = false;
    ++m_originalGeneration;
    m_drawsFilters = true;
    m_stage = QSizeF();
    m_zoom.Fit();
    m_wheelDelta = 0;
    if (m_hostReady) {
        m_page->runJavaScript(QStringLiteral("tintor.keepOriginal(%1,'')").arg(m_originalGeneration));
        SendZoom(QPointF());
    }
    if (m_doc.HasMovie()) {
        if (const auto path = m_doc.GetTempFilePath()) {
            m_target = QUrl::fromLocalFile(QString::fromStdString(path->string()));
            if (!m_doc.PreviewPending()) {
                LoadMovie();
                return;
            }
            // The document is still writing the file, and reloads the view
            // when it is complete; the last movie goes meanwhile.
            SetNotice(NoticeKind::None);
            if (m_hostReady)
                m_page->runJavaScript(QStringLiteral("tintor.clear(%1)").arg(m_generation));
            SetBusy(true);
            return;
        }
    }
    m_target = kBlank;
    m_hostReady = false;
    m_hostLoading = false;
    m_web->setUrl(kBlank);
    SetNotice(NoticeKind::Hint);
    SetBusy(false);
}

void CTintorView::Stop()
{
    // Whatever is still on its way is out of date, and a new movie is coming.
    ++m_generation;
    m_moviePending = false;
    if (m_target.isLocalFile())
        SetBusy(true);
}

void CTintorView::SetListMatches(bool matches)
{
    if (matches == m_listMatches)
        return;
    m_listMatches = matches;
    UpdateBadge();
}

QString CTintorView::Badge() const { return m_badge->isVisible() ? m_badge->text() : QString(); }

void CTintorView::SetBusy(bool busy)
{
    m_busy = busy;
    UpdateBadge();
}

void CTintorView::UpdateBadge()
{
    QString text;
    if (m_noticeKind == NoticeKind::None && m_target.isLocalFile()) {
        if (m_showingOriginal)
            text = tr("元のムービー (開いたときのまま)");
        else if (m_aside)
            text = m_asideBadge;
        else if (m_busy)
            text = m_shownOnce ? tr("プレビューを更新中…") : tr("ムービーを読み込み中…");
        else if (!m_listMatches)
            text = tr("一覧の色はまだ適用されていません (適用で反映)");
    }
    m_badge->setText(text);
    UpdateOverlays();
}

void CTintorView::UpdateOverlays()
{
    const bool movie = m_noticeKind == NoticeKind::None && m_target.isLocalFile();
    const QString mark = SimulationMark();
    const QString zoom = ZoomLabel();
    const QString note = FiltersNote();
    const auto lay = [](QLabel* label, const QString& text, bool shown) {
        label->setText(text);
        label->adjustSize();
        label->setVisible(shown && !text.isEmpty());
        label->raise();
    };
    lay(m_badge, m_badge->text(), movie);
    // The passing look of Show in preview is not simulated.
    lay(m_simulationMark, mark, movie && !(m_aside && m_signal));
    lay(m_zoomLabel, zoom, movie);
    lay(m_filtersNote, note, movie);
    // Without a movie there is nothing to zoom.
    for (QAction* action : m_zoomMenu ? m_zoomMenu->actions() : QList<QAction*>())
        action->setEnabled(m_target.isLocalFile());
    constexpr int margin = 8;
    m_badge->move(margin, margin);
    m_simulationMark->move(width() - m_simulationMark->width() - margin, margin);
    m_zoomLabel->move(width() - m_zoomLabel->width() - margin, height() - m_zoomLabel->height() - margin);
    // One line along the foot, cut short rather than wrapped in a narrow pane.
    const int room = width() - 3 * margin - (m_zoomLabel->isVisible() ? m_zoomLabel->width() : 0);
    if (m_filtersNote->width() > room && room > 0) {
        m_filtersNote->setText(m_filtersNote->fontMetrics().elidedText(note, Qt::ElideRight, room - 16));
        m_filtersNote->adjustSize();
    }
    m_filtersNote->move(margin, height() - m_filtersNote->height() - margin);
}

QString CTintorView::FiltersNote() const
{
    if (m_drawsFilters || !m_shownOnce)
        return QString();
    return tr("フィルター (影・光彩など) を表示できません: WebGL 2 が使えません");
}

void CTintorView::Refresh()
{
    // A new preview ends any passing look.
    ShowPreviewAgain();
    if (m_target.isLocalFile())
        LoadMovie();
}

QUrl CTintorView::CurrentTarget() const { return m_target; }

QString CTintorView::Notice() const { return m_noticeKind == NoticeKind::None ? QString() : m_notice->text(); }

void CTintorView::SetNotice(NoticeKind kind, const QString& detail)
{
    m_noticeKind = kind;
    m_noticeDetail = detail;
    m_notice->setText(NoticeText());
    m_notice->setVisible(kind != NoticeKind::None);
    // The page goes while the note is up; the player draws nothing into a
    // hidden page, so it is back before a movie is sent.
    m_web->setVisible(kind == NoticeKind::None);
    // A note says what the pane has; nothing is on its way.
    if (kind != NoticeKind::None)
        m_busy = false;
    UpdateBadge();
}

QString CTintorView::NoticeText() const
{
    switch (m_noticeKind) {
    case NoticeKind::None:
        break;
    case NoticeKind::Hint:
        return tr("ﾌｧｲﾙ > 開く (Ctrl+O) でムービー (.swf) を開くか、ここにドロップしてください。");
    case NoticeKind::PlayerMissing:
        return tr("プレビューのプレーヤー (Ruffle) が見つかりません。\n探した場所: %1").arg(m_noticeDetail);
    case NoticeKind::PageFailed:
        return tr("プレビューのページを読み込めませんでした: %1").arg(m_noticeDetail);
    case NoticeKind::Stopped:
        return tr("プレビューが止まりました。次の適用で再び表示します。");
    case NoticeKind::MovieFailed: {
        // The host page's reasons: "invalid", "player" or "error <message>".
        QString reason;
        if (m_noticeDetail == u"invalid")
            reason = tr("プレーヤーはこのファイルを SWF ムービーとして読めませんでした。");
        else if (m_noticeDetail == u"player")
            reason = tr("プレーヤーを起動できませんでした。");
        else
            reason = tr("プレーヤーがエラーで止まりました: %1")
                         .arg(m_noticeDetail.startsWith(QStringLiteral("error ")) ? m_noticeDetail.mid(6)
                                                                                  : m_noticeDetail);
        return tr("このムービーはプレビューできません。\n%1\n色の一覧と編集はそのまま使えます。").arg(reason);
    }
    }
    return QString();
}

void CTintorView::OnMovieFailed(int generation, const QString& reason)
{
    if (generation != m_generation)
        return;
    qWarning().noquote() << "preview: the player could not show the movie:" << reason;
    SetNotice(NoticeKind::MovieFailed, reason);
    emit previewFailed(reason);
}

void CTintorView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange) {
        m_notice->setText(NoticeText());
        RetranslateZoom();
        UpdateBadge();
    }
    QWidget::changeEvent(event);
}

void CTintorView::LoadMovie()
{
    ++m_generation;
    SetNotice(NoticeKind::None);
    SetBusy(true);
    if (m_hostReady) {
        SendMovie();
        return;
    }
    m_moviePending = true;
    if (m_hostLoading)
        return;
    if (!m_hostPage) {
        m_moviePending = false;
        SetNotice(NoticeKind::PlayerMissing, PlayerSearchDescription());
        emit previewFailed(QStringLiteral("the player was not found"));
        return;
    }
    m_hostLoading = true;
    m_web->setUrl(*m_hostPage);
}

void CTintorView::SendMovie()
{
    m_moviePending = false;
    QFile file(m_target.toLocalFile());
    if (!file.open(QIODevice::ReadOnly)) {
        // Nothing to play: better an empty pane than an old movie.
        m_page->runJavaScript(QStringLiteral("tintor.clear(%1)").arg(m_generation));
        SetBusy(false);
        return;
    }
    Send(file.readAll());
}

void CTintorView::Send(const QByteArray& data)
{
    QString script = QStringLiteral("tintor.show(%1,'").arg(m_generation);
    script += QLatin1StringView(data.toBase64());
    script += QStringLiteral("')");
    m_page->runJavaScript(script);
}

void CTintorView::OnPageLoadStarted()
{
    // Whatever the page was, it is going; only its successor's report of
    // being ready counts.
    m_hostReady = false;
}

void CTintorView::OnPageLoaded(bool ok)
{
    if (!ok && m_hostLoading && m_page->requestedUrl() == m_hostPage) {
        m_hostLoading = false;
        m_moviePending = false;
        SetNotice(NoticeKind::PageFailed, m_hostPage->toLocalFile());
        emit previewFailed(QStringLiteral("the player's page did not load"));
    }
}

void CTintorView::OnPlayerReady()
{
    if (m_page->url() != m_hostPage)
        return;
    m_hostLoading = false;
    m_hostReady = true;
    // A page of its own: whatever the last one had, it needs again.
    m_originalSent = m_originalReady = false;
    SendSimulation();
    SendZoom(QPointF());
    if (m_showingOriginal)
        m_page->runJavaScript(QStringLiteral("tintor.showOriginal(true)"));
    if (m_moviePending)
        SendMovie();
}

void CTintorView::OnPlayerShown(int generation, const QString& renderer, QSizeF stage)
{
    if (generation != m_generation)
        return;
    // Of Ruffle's renderers those on wgpu draw filters; the page names
    // "webgl2" when Ruffle's log did not say, and the player then has it.
    m_drawsFilters = renderer == u"wgpu-webgl" || renderer == u"webgpu" || renderer == u"webgl2";
    if (!m_drawsFilters && !m_shownOnce)
        qInfo().noquote() << QStringLiteral("preview: the player's renderer, %1, draws no filters").arg(renderer);
    m_stage = stage;
    m_shownOnce = true;
    SetBusy(false);
    // Before and after switch at once once the original waits ready; it is
    // made after the preview's first frame, which it must not delay.
    if (!m_originalSent)
        SendOriginal();
    emit movieShown();
}

void CTintorView::WatchInput()
{
    // Chromium's widget, which gets the mouse, is made and replaced by the
    // web view as pages come and go. It would take a dropped file for a page
    // to go to; refusing drops leaves them to the window, which opens movies.
    if (QWidget* input = m_web->focusProxy()) {
        input->installEventFilter(this);
        input->setAcceptDrops(false);
    }
}

bool CTintorView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_web.get()) {
        if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished) {
            if (auto* child = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
                child->installEventFilter(this);
            WatchInput();
        }
        return false;
    }
    if (event->type() == QEvent::Wheel && static_cast<QWheelEvent*>(event)->modifiers().testFlag(Qt::ControlModifier)) {
        // Ctrl+wheel zooms the movie, never the page; a step a notch, about
        // the point under the mouse.
        auto* wheel = static_cast<QWheelEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        const QPointF local = wheel->position();
        const QPointF point = widget != nullptr && (widget == this || isAncestorOf(widget))
            ? QPointF(widget->mapTo(this, local.toPoint()))
            : local;
        m_wheelDelta += wheel->angleDelta().y();
        const int steps = m_wheelDelta / kWheelNotch;
        m_wheelDelta -= steps * kWheelNotch;
        if (steps != 0)
            ZoomBy(steps, point);
        return true;
    }
    // The zoom's keys belong to the window's actions, not to the page.
    if (event->type() == QEvent::ShortcutOverride && IsZoomKey(*static_cast<QKeyEvent*>(event)))
        return true;
    if (IsAltLeftPress(event)) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const QPoint local = static_cast<QMouseEvent*>(event)->position().toPoint();
        // The point is relative to the widget that got the click; the pixel
        // is read from this view.
        const QPoint point
            = widget != nullptr && (widget == this || isAncestorOf(widget)) ? widget->mapTo(this, local) : local;
        m_eatRelease = true;
        const std::uint32_t pixel = PixelAt(point);
        if (static_cast<QMouseEvent*>(event)->modifiers().testFlag(Qt::ShiftModifier))
            emit similarColoursPicked(pixel);
        else
            emit colourPicked(pixel);
        return true;
    }
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return false;
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return false;
    // The release of an eaten press is eaten too; a plain press means that
    // release went elsewhere, and from now on the movie gets both halves.
    const bool eat = m_eatRelease && event->type() == QEvent::MouseButtonRelease;
    m_eatRelease = false;
    return eat;
}

void CTintorView::resizeEvent(QResizeEvent* event)
{
    // The browser, or the note in its place, fills the view.
    m_web->setGeometry(QRect(QPoint(0, 0), event->size()));
    m_notice->setGeometry(QRect(QPoint(0, 0), event->size()));
    UpdateOverlays();
    QWidget::resizeEvent(event);
}

std::uint32_t CTintorView::PixelAt(QPoint point)
{
    const QPixmap pixmap = grab();
    const qreal ratio = pixmap.devicePixelRatio();
    const QImage image = pixmap.toImage();
    const QPoint device(
        static_cast<int>(std::floor(point.x() * ratio)), static_cast<int>(std::floor(point.y() * ratio)));
    if (!image.valid(device))
        return kUnreadablePixel;
    const QRgb rgb = image.pixel(device);
    return static_cast<std::uint32_t>(qRed(rgb)) | static_cast<std::uint32_t>(qGreen(rgb)) << 8
        | static_cast<std::uint32_t>(qBlue(rgb)) << 16;
}

} // namespace tintor
