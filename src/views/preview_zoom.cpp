// The preview's zoom: the stops, and the pane's actions, keys and wheel that
// move through them. The host page sizes the players; panning is the page's
// own scrolling.
#include "views/preview_zoom.h"

#include "views/preview_page.h"
#include "views/preview_view.h"

#include <QAction>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>

#include <algorithm>
#include <array>
#include <cmath>

namespace tintor {

namespace {

constexpr std::array kStops
    = {0.1, 0.125, 1.0 / 6, 0.25, 1.0 / 3, 0.5, 2.0 / 3, 1.0, 1.5, 2.0, 3.0, 4.0, 6.0, 8.0, 12.0, 16.0};
// Scales this close count as the same stop, so that a fitted scale a hair
// below a stop steps past it.
constexpr double kSameStop = 1.001;

} // namespace

void CPreviewZoom::SetScale(double scale) { m_scale = std::clamp(scale, kMinScale, kMaxScale); }

double CPreviewZoom::Shown(QSizeF movie, QSizeF pane) const
{
    if (!Fitted())
        return m_scale;
    if (movie.isEmpty() || pane.isEmpty())
        return 1.0;
    return std::min(pane.width() / movie.width(), pane.height() / movie.height());
}

double CPreviewZoom::NextStop(double scale, bool up)
{
    if (up) {
        const auto* next = std::find_if(kStops.begin(), kStops.end(), [&](double s) { return s > scale * kSameStop; });
        return next == kStops.end() ? kStops.back() : *next;
    }
    const auto next = std::find_if(kStops.rbegin(), kStops.rend(), [&](double s) { return s * kSameStop < scale; });
    return next == kStops.rend() ? kStops.front() : *next;
}

void CPreviewZoom::Step(int steps, QSizeF movie, QSizeF pane)
{
    double scale = Shown(movie, pane);
    for (int i = 0; i < std::abs(steps); ++i)
        scale = NextStop(scale, steps > 0);
    SetScale(scale);
}

double CTintorView::ShownZoom() const { return m_zoom.Shown(m_stage, QSizeF(size())); }

void CTintorView::ZoomToFit()
{
    m_zoom.Fit();
    SendZoom(QPointF(width() / 2.0, height() / 2.0));
}

void CTintorView::ZoomToActualSize()
{
    m_zoom.SetScale(1.0);
    SendZoom(QPointF(width() / 2.0, height() / 2.0));
}

void CTintorView::ZoomBy(int steps, std::optional<QPointF> anchor)
{
    m_zoom.Step(steps, m_stage, QSizeF(size()));
    SendZoom(anchor.value_or(QPointF(width() / 2.0, height() / 2.0)));
}

QString CTintorView::ZoomLabel() const
{
    if (m_zoom.Fitted())
        return QString();
    return tr("%1 %").arg(QLocale().toString(m_zoom.Scale() * 100.0, 'f', m_zoom.Scale() < 0.2 ? 1 : 0));
}

void CTintorView::SendZoom(QPointF anchor)
{
    UpdateOverlays();
    // A page on its way gets it once it reports ready.
    if (!m_hostReady)
        return;
    // The page's pixels are the view's: its own zoom stays at 1.
    m_page->runJavaScript(
        QStringLiteral("tintor.zoom(%1,%2,%3)").arg(m_zoom.Scale(), 0, 'g', 17).arg(anchor.x()).arg(anchor.y()));
}

void CTintorView::CreateZoomActions()
{
    m_zoomMenu = new QMenu(this);
    m_zoomMenu->setObjectName(QStringLiteral("zoomMenu"));
    const auto add = [this](const QList<QKeySequence>& keys, auto&& handler) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        // Anywhere in the window, as the window's own commands.
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
        m_zoomMenu->addAction(action);
        return action;
    };
    m_zoomFit = add({QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { ZoomToFit(); });
    m_zoomActual = add({QKeySequence(Qt::CTRL | Qt::Key_1)}, [this] { ZoomToActualSize(); });
    m_zoomMenu->addSeparator();
    // Ctrl+= too: on many keyboards + is the shifted =.
    m_zoomIn
        = add({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, [this] { ZoomBy(1); });
    m_zoomOut = add({QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [this] { ZoomBy(-1); });
    RetranslateZoom();
}

void CTintorView::RetranslateZoom()
{
    m_zoomMenu->setTitle(tr("ズーム(&Z)"));
    const auto texts = [](QAction* action, const QString& text, const QString& prompt) {
        action->setText(text);
        action->setStatusTip(prompt);
    };
    texts(m_zoomFit, tr("全体を表示(&F)"), tr("ムービー全体をプレビューに収める"));
    texts(m_zoomActual, tr("実際のサイズ (100 %)(&A)"), tr("ムービーの 1 ピクセルを画面の 1 ピクセルで表示する"));
    texts(m_zoomIn, tr("拡大(&I)"),
        tr("プレビューを拡大する (Ctrl+ホイールでも。拡大中はホイールや中ボタンのドラッグで移動)"));
    texts(m_zoomOut, tr("縮小(&O)"), tr("プレビューを縮小する"));
}

bool CTintorView::IsZoomKey(const QKeyEvent& key) const
{
    // + comes shifted on many keyboards, and the shortcut still matches it.
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    const QKeySequence pressed(QKeyCombination(modifiers, Qt::Key(key.key())));
    const QKeySequence unshifted(QKeyCombination(modifiers & ~Qt::ShiftModifier, Qt::Key(key.key())));
    for (const QAction* action : {m_zoomFit, m_zoomActual, m_zoomIn, m_zoomOut})
        if (action->shortcuts().contains(pressed) || action->shortcuts().contains(unshifted))
            return true;
    return false;
}

} // namespace tintor
