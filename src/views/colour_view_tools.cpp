// The colour view's selection tools: the perceptual switch, the swatch
// menu's similar colours and locks, Alt+Shift+click and hues.
#include "views/colour_view.h"

#include "swf/colour_key.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QSpinBox>
#include <QWidgetAction>

#include <algorithm>

namespace tintor {

namespace {

// Beside the window's other settings.
constexpr auto kOrganisation = "Reru Zuvidivi";
constexpr auto kApplication = "Tintor";
constexpr auto kToleranceKey = "Selection/SimilarWithin";

QSettings Settings() { return QSettings(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)); }

} // namespace

void CColorView::OnPerceptual(bool checked)
{
    m_doc.Effect("Perceptual", checked ? 1 : 0);
    RedrawSwatches();
    emit effectChanged();
}

int CColorView::SimilarTolerance()
{
    const int within = Settings().value(QString::fromLatin1(kToleranceKey), static_cast<int>(kDefaultWithin)).toInt();
    return std::clamp(within, 1, kMaxTolerance);
}

void CColorView::SetSimilarTolerance(int within)
{
    Settings().setValue(QString::fromLatin1(kToleranceKey), std::clamp(within, 1, kMaxTolerance));
}

bool CColorView::IsRowLocked(int row) const { return row >= 0 && row < Count() && m_doc.IsLocked(KeyAt(row)); }

void CColorView::AddSelectionActions(QMenu& menu, int row)
{
    if (row < 0 || row >= Count())
        return;
    QAction* similar = menu.addAction(tr("似た色を選択(&M)"));
    similar->setObjectName(QStringLiteral("selectSimilar"));
    similar->setStatusTip(tr("この色から許容差までの色をすべて選択に加える (ロックした色は除く)"));
    connect(similar, &QAction::triggered, this, [this, row] { SelectSimilarTo(row); });

    // The tolerance sits in the menu under its command, so that it can be
    // set and used in one go.
    auto* toleranceItem = new QWidgetAction(&menu);
    auto* box = new QWidget(&menu);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(24, 2, 8, 2);
    auto* label = new QLabel(tr("許容差 (ΔE)(&T):"), box);
    auto* spin = new QSpinBox(box);
    spin->setObjectName(QStringLiteral("similarTolerance"));
    spin->setRange(1, kMaxTolerance);
    spin->setValue(SimilarTolerance());
    spin->setToolTip(tr("ΔE 2 ほどで違いがやっと見え、8 で似た色、20 を超えると別の色に見える"));
    label->setBuddy(spin);
    layout->addWidget(label);
    layout->addWidget(spin);
    connect(spin, &QSpinBox::valueChanged, this, [](int within) { SetSimilarTolerance(within); });
    toleranceItem->setDefaultWidget(box);
    menu.addAction(toleranceItem);

    menu.addSeparator();
    const bool locked = IsRowLocked(row);
    QAction* lock = menu.addAction(locked ? tr("ロックを解除(&U)") : tr("色をロック(&L)"));
    lock->setObjectName(QStringLiteral("lockColour"));
    lock->setStatusTip(tr("ロックした色は、適用・色の指定・パレット・カラーテーブルでも変わらず、すべて選択・似た色・色"
                          "相の選択では選ばれない"));
    connect(lock, &QAction::triggered, this, [this, row, locked] { SetLocked(row, !locked); });
}

void CColorView::SelectSimilarTo(int row)
{
    if (row < 0 || row >= Count())
        return;
    m_selection->Forget();
    m_doc.SelectSimilar(RgbOf(m_doc.ColorAt(m_model->IndexAt(row), 1)), SimilarTolerance());
    AfterSelectionChange();
}

void CColorView::SelectSimilarToPick(std::uint32_t rgb)
{
    m_picked = RgbOf(rgb);
    const auto nearest = m_doc.NearestColor(rgb, m_seen);
    const int found = nearest ? m_model->RowOf(*nearest) : -1;
    if (found < 0) {
        emit documentChanged();
        return;
    }
    SelectSimilarTo(found);
}

void CColorView::SelectHues(const HueRange& range)
{
    m_selection->Forget();
    m_doc.SelectHues(range);
    AfterSelectionChange();
}

void CColorView::SetLocked(int row, bool locked)
{
    if (row < 0 || row >= Count())
        return;
    // Locking a selected colour is a change of the selection: the pending
    // effect is made permanent first.
    m_selection->Forget();
    m_doc.SetLocked(KeyAt(row), locked);
    AfterSelectionChange();
}

} // namespace tintor
