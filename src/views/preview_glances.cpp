// Passing looks at the movie in the preview pane: the movie as it was opened,
// kept ready in a hidden player so that before and after switch at once, and
// other movies shown for a moment over the preview (Show in preview).
#include "views/preview_page.h"
#include "views/preview_view.h"

#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTimer>

#include <algorithm>
#include <system_error>

namespace tintor {

namespace {

// Show in preview has this long to find its colour on screen before the
// pane says that the frame does not show it.
constexpr int kSignalPatienceChecks = 4;

// Whether a pixel shows the signal colour, alone or blended with the dimmed
// colours around it (an edge, translucency). Dimmed colours lie most of the
// way to a light grey, so none has a channel more than 77 from another; a
// pixel whose red and blue both stand well above its green is the signal's.
bool ShowsSignal(QRgb pixel)
{
    constexpr int kMargin = 80;
    static_assert(CTintorDoc::kSignalColour == 0xFF00FF, "red and blue, without green");
    return std::min(qRed(pixel), qBlue(pixel)) - qGreen(pixel) > kMargin;
}

bool ImageShowsSignal(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        if (std::any_of(line, line + rgb.width(), ShowsSignal))
            return true;
    }
    return false;
}

QString Base64File(const QString& path, bool* ok)
{
    QFile file(path);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? QString::fromLatin1(file.readAll().toBase64()) : QString();
}

} // namespace

bool CTintorView::ShowAside(const QString& file, const QString& badge, int ms)
{
    if (!m_hostReady || m_noticeKind != NoticeKind::None || !m_target.isLocalFile())
        return false;
    bool ok = false;
    const QString data = Base64File(file, &ok);
    if (!ok)
        return false;
    ++m_asideGeneration;
    m_aside = true;
    m_signal = false;
    m_signalTimer->stop();
    m_asideBadge = badge;
    m_asideMs = ms;
    m_asideTimer->stop();
    m_page->runJavaScript(QStringLiteral("tintor.aside(%1,'%2')").arg(m_asideGeneration).arg(data));
    UpdateBadge();
    return true;
}

bool CTintorView::ShowSignal(const QString& file, int ms)
{
    if (!ShowAside(file, tr("この色を探しています…"), ms))
        return false;
    m_signal = true;
    m_signalChecks = 0;
    m_signalSeen = false;
    UpdateBadge();
    return true;
}

void CTintorView::OnAsideShown(int generation)
{
    if (generation != m_asideGeneration || !m_aside)
        return;
    // The look lasts its time from when it is seen.
    if (m_asideMs > 0)
        m_asideTimer->start(m_asideMs);
    if (m_signal) {
        CheckSignal();
        m_signalTimer->start();
    }
    emit asideShown();
}

void CTintorView::CheckSignal()
{
    if (!m_aside || !m_signal) {
        m_signalTimer->stop();
        return;
    }
    ++m_signalChecks;
    // The frame drawn reaches this widget a little after the page reports
    // it: the pane is looked at a few times before it is said to lack the
    // colour, and again while the movie plays on.
    if (ImageShowsSignal(grab().toImage())) {
        m_signalSeen = true;
        m_signalTimer->stop();
        m_asideBadge = tr("この色をマゼンタで示しています");
    } else if (m_signalChecks >= kSignalPatienceChecks) {
        // Zoomed in, the colour may lie beyond the part of the movie shown.
        const bool whole = m_zoom.Fitted() || m_zoom.Scale() <= CPreviewZoom().Shown(m_stage, QSizeF(size()));
        m_asideBadge = whole ? tr("この色はこのフレームにありません") : tr("この色は表示している範囲にありません");
    }
    UpdateBadge();
}

void CTintorView::ShowPreviewAgain()
{
    m_asideTimer->stop();
    m_signalTimer->stop();
    if (!m_aside)
        return;
    m_aside = false;
    m_signal = false;
    ++m_asideGeneration;
    if (m_hostReady)
        m_page->runJavaScript(QStringLiteral("tintor.endAside()"));
    UpdateBadge();
}

void CTintorView::ShowOriginal(bool shown)
{
    if (shown == m_showingOriginal)
        return;
    m_showingOriginal = shown;
    // A page on its way hears it once it is ready.
    if (m_hostReady)
        m_page->runJavaScript(QStringLiteral("tintor.showOriginal(%1)").arg(shown ? u"true" : u"false"));
    UpdateBadge();
}

void CTintorView::SendOriginal()
{
    if (!m_hostReady || !m_doc.HasMovie())
        return;
    m_originalSent = true;
    const auto path = m_doc.WriteBesidePreview(m_doc.OriginalImage(), "__original.swf");
    if (!path)
        return;
    // The page takes the bytes at once; the file is not needed after.
    bool ok = false;
    const QString data = Base64File(QString::fromStdString(path->string()), &ok);
    std::error_code ignored;
    std::filesystem::remove(*path, ignored);
    if (!ok)
        return;
    m_page->runJavaScript(QStringLiteral("tintor.keepOriginal(%1,'%2')").arg(m_originalGeneration).arg(data));
}

} // namespace tintor
