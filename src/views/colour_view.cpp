#include "views/colour_view.h"

#include "swf/colour_key.h"
#include "views/account_text.h"
#include "views/bitmap_strip.h"
#include "views/colour_view_delegate.h"
#include "views/colour_view_model.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace tintor {

namespace {

// A slider's parameter name, read back by the scroll handler as the caption
// of the original control was.
constexpr const char* kCaptionProperty = "caption";

struct KindName {
    ColorKind kind;
    const char* name;
};

const KindName kKindNames[] = {
    {KIND_FILL, QT_TRANSLATE_NOOP("tintor::CColorView", "塗り")},
    {KIND_TEXT, QT_TRANSLATE_NOOP("tintor::CColorView", "文字")},
    {KIND_LINE, QT_TRANSLATE_NOOP("tintor::CColorView", "線")},
    {KIND_BG, QT_TRANSLATE_NOOP("tintor::CColorView", "背景")},
    {KIND_FILTER, QT_TRANSLATE_NOOP("tintor::CColorView", "フィルター")},
    {KIND_TINT, QT_TRANSLATE_NOOP("tintor::CColorView", "色合い")},
};

// A note under the list: shown only when it says something.
void ShowNote(QLabel& label, const ListNote& note)
{
    label.setText(note.line);
    label.setToolTip(note.details);
    label.setVisible(!note.line.isEmpty());
}

// "#rrggbb", red first as people write colours, whatever the byte order.
QString HexText(std::uint32_t colour)
{
    return QStringLiteral("#%1%2%3")
        .arg(colour & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

} // namespace

CColorView::CColorView(CTintorDoc& doc, QWidget* parent) : QScrollArea(parent), m_doc(doc)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(BuildForm());
}

CColorView::~CColorView() = default;

QWidget* CColorView::BuildForm()
{
    auto* form = new QWidget(this);
    // Below this size the pane scrolls instead of squeezing the controls.
    form->setMinimumSize(210, 380);

    m_model = new CColorListModel(this);
    m_delegate = new CColorSwatchDelegate(m_doc, this);
    m_colorList = new CColorListView([this](int row) { return IsRowSelected(row); }, form);
    m_colorList->setModel(m_model);
    // Qt's own selection model goes with the list; this one hands every
    // request to the table.
    QItemSelectionModel* qtSelection = m_colorList->selectionModel();
    m_selection = new CColorSelectionModel(
        m_model, [this](const std::function<void(CSelectionEdit&)>& change) { ChangeSelection(change); }, this);
    m_colorList->setSelectionModel(m_selection);
    delete qtSelection;
    m_colorList->setItemDelegate(m_delegate);
    m_colorList->SetItemSize(QSize(CColorSwatchDelegate::kItemWidth, CColorSwatchDelegate::kItemHeight));
    QPalette palette = m_colorList->palette();
    palette.setColor(QPalette::Base, Qt::white);
    m_colorList->setPalette(palette);

    m_bitmapStrip = new CBitmapStrip(m_doc, form);
    connect(m_bitmapStrip, &CBitmapStrip::selectionChanged, this, [this] { OnBitmapSelectionChanged(); });

    m_unifyCheck = new QCheckBox(form);
    connect(m_unifyCheck, &QCheckBox::clicked, this, [this](bool checked) { OnUnify(checked); });

    m_applyButton = new QPushButton(form);
    m_applyButton->setDefault(true);
    connect(m_applyButton, &QPushButton::clicked, this, [this] { OnApply(); });

    m_accountLabel = new QLabel(form);
    m_accountLabel->setWordWrap(true);
    m_accountLabel->setObjectName(QStringLiteral("accountNote"));
    m_accountLabel->hide();
    m_keptLabel = new QLabel(form);
    m_keptLabel->setWordWrap(true);
    m_keptLabel->setObjectName(QStringLiteral("keptNote"));
    // A change that did not reach every place stands out from the rest.
    m_keptLabel->setStyleSheet(QStringLiteral("color: #a04000;"));
    m_keptLabel->hide();

    auto* group = new QGroupBox(form);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(BuildSliders());
    auto* unifyRow = new QHBoxLayout;
    unifyRow->addStretch(1);
    unifyRow->addWidget(m_unifyCheck);
    groupLayout->addLayout(unifyRow);

    auto* applyRow = new QHBoxLayout;
    applyRow->addStretch(1);
    applyRow->addWidget(m_applyButton);

    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(14);
    layout->addWidget(m_colorList, 1);
    layout->addWidget(m_bitmapStrip);
    layout->addWidget(m_accountLabel);
    layout->addWidget(m_keptLabel);
    layout->addWidget(group);
    layout->addLayout(applyRow);

    setTabOrder(m_colorList, m_bitmapStrip);
    setTabOrder(m_bitmapStrip, m_hSlider);
    setTabOrder(m_hSlider, m_sSlider);
    setTabOrder(m_sSlider, m_vSlider);
    setTabOrder(m_vSlider, m_unifyCheck);
    setTabOrder(m_unifyCheck, m_applyButton);
    m_colorList->viewport()->installEventFilter(this);
    RetranslateUi();
    return form;
}

void CColorView::RetranslateUi()
{
    m_hCaption->setText(tr("色相(&H)"));
    m_sCaption->setText(tr("彩度(&S)"));
    m_vCaption->setText(tr("明度(&V)"));
    m_unifyCheck->setText(tr("色彩の統一(&O)"));
    m_applyButton->setText(tr("適用(&A) >>"));
    m_applyButton->setToolTip(tr("選んだ色の変更をムービーに書き込み、プレビューを更新する (Enter)"));
    UpdateNotes();
}

void CColorView::UpdateNotes()
{
    ShowNote(*m_accountLabel, AccountNote(m_doc));
    ShowNote(*m_keptLabel, KeptNote(m_doc.KeptColours()));
}

void CColorView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        RetranslateUi();
    QScrollArea::changeEvent(event);
}

QString CColorView::SwatchToolTip(int row) const
{
    if (row < 0 || row >= Count())
        return QString();
    const ColorKey key = KeyAt(row);
    const std::uint32_t entry = m_model->IndexAt(row);
    QString kind;
    for (const KindName& k : kKindNames)
        if (k.kind == KindOf(key))
            kind = tr(k.name);
    // The colour as it stands in the table (changed by earlier edits or
    // not), and what the pending shift makes of it.
    const std::uint32_t now = RgbOf(m_doc.ColorAt(entry, 0));
    const std::uint32_t shifted = RgbOf(m_doc.ColorAt(entry, 1));
    QStringList lines;
    lines << (shifted == now ? QStringLiteral("%1 %2").arg(kind, HexText(now))
                             : QStringLiteral("%1 %2 → %3").arg(kind, HexText(now), HexText(shifted)));
    if (now != RgbOf(key))
        lines << tr("元の色 %1").arg(HexText(RgbOf(key)));
    lines << tr("%n か所で使われています", nullptr, static_cast<int>(m_doc.PlaceCountAt(entry)));
    return lines.join(u'\n');
}

bool CColorView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_colorList->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = m_colorList->indexAt(help->pos());
        if (index.isValid())
            QToolTip::showText(
                help->globalPos(), SwatchToolTip(index.row()), m_colorList->viewport(), m_colorList->visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    return QScrollArea::eventFilter(watched, event);
}

QWidget* CColorView::BuildSliders()
{
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setColumnStretch(1, 1);
    const struct {
        const char* name;
        QSlider*& slider;
        QLabel*& label;
        QLabel*& caption;
    } rows[] = {
        {"H", m_hSlider, m_hLabel, m_hCaption},
        {"S", m_sSlider, m_sLabel, m_sCaption},
        {"V", m_vSlider, m_vLabel, m_vCaption},
    };
    int row = 0;
    for (const auto& r : rows) {
        auto* caption = r.caption = new QLabel(box);
        r.slider = MakeSlider(r.name, r.label);
        caption->setBuddy(r.slider);
        grid->addWidget(caption, row, 0);
        grid->addWidget(r.slider, row, 1);
        grid->addWidget(r.label, row, 2);
        ++row;
    }
    return box;
}

QSlider* CColorView::MakeSlider(const char* name, QLabel*& label)
{
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setTickPosition(QSlider::NoTicks);
    slider->setObjectName(QString::fromLatin1(name));
    label = new QLabel(QStringLiteral("255"));
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("-100")) + 4);
    SetupSlider(*slider, *label, name, CColorTable::kDefaultParameter);
    connect(slider, &QSlider::valueChanged, this, [this, slider] { OnHScroll(*slider); });
    return slider;
}

void CColorView::OnInitialUpdate()
{
    m_bitmapStrip->Forget();
    SyncControls(m_doc.GetColorTable());
    FillList(m_doc.GetColorTable());
}

void CColorView::SetupSlider(QSlider& slider, QLabel& label, const char* name, int value)
{
    // Setting the position is not a move by the user: no effect, no repaint.
    const QSignalBlocker blocker(slider);
    slider.setRange(kSliderMin, kSliderMax);
    slider.setValue(value);
    slider.setPageStep(kSliderPage);
    slider.setProperty(kCaptionProperty, QString::fromLatin1(name));
    label.setText(QString::number(value - CColorTable::kDefaultParameter));
}

void CColorView::SyncControls(const CColorTable& table)
{
    SetupSlider(*m_hSlider, *m_hLabel, "H", table.Hue());
    SetupSlider(*m_sSlider, *m_sLabel, "S", table.Saturation());
    SetupSlider(*m_vSlider, *m_vLabel, "V", table.Value());
    const QSignalBlocker blocker(m_unifyCheck);
    m_unifyCheck->setChecked(table.Unify() != 0);
}

void CColorView::FillList(const CColorTable& table)
{
    // Undo, Redo and the edits that rewrite every colour keep the keys:
    // the rows stay, and the swatches are painted again from the table.
    if (!m_model->Lists(table)) {
        m_selection->Forget();
        m_model->SetRows(table.Map().SharedKeys(), CTintorDoc::ListOrder(table));
    }
    m_colorList->viewport()->update();
    m_bitmapStrip->Refresh();
    UpdateNotes();
}

bool CColorView::IsRowSelected(int row) const
{
    if (row < 0 || row >= Count())
        return false;
    const auto entries = m_doc.GetColorTable().Map().DenseValues();
    const std::uint32_t entry = m_model->IndexAt(row);
    return entry < entries.size() && IsSelected(entries[entry]);
}

void CColorView::ChangeSelection(const std::function<void(CSelectionEdit&)>& change)
{
    m_doc.ChangeSelection(change);
    RedrawSwatches();
    SyncControls(m_doc.GetColorTable());
    emit documentChanged();
}

void CColorView::RedrawSwatches()
{
    // Only the items on screen are painted, whatever their number.
    m_colorList->viewport()->update();
    m_bitmapStrip->Redraw();
}

void CColorView::OnBitmapSelectionChanged()
{
    RedrawSwatches();
    SyncControls(m_doc.GetColorTable());
    emit documentChanged();
}

void CColorView::OnEditSelectBitmaps() { m_bitmapStrip->SelectAll(); }

void CColorView::OnHScroll(QSlider& slider)
{
    // The position is the parameter itself: the middle, 100, is neutral.
    const int p = slider.value();
    const QString caption = slider.property(kCaptionProperty).toString();
    m_doc.Effect(caption.toStdString(), p);
    const QChar first = caption.isEmpty() ? QChar() : caption.front();
    QLabel* label = first == u'H' ? m_hLabel : first == u'S' ? m_sLabel : first == u'V' ? m_vLabel : nullptr;
    if (label)
        label->setText(QString::number(p - CColorTable::kDefaultParameter));
    RedrawSwatches();
    emit effectChanged();
}

void CColorView::OnUnify(bool checked)
{
    m_doc.Effect("UniColor", checked ? 1 : 0);
    RedrawSwatches();
    emit effectChanged();
}

void CColorView::OnEditSelectAll()
{
    m_selection->Forget();
    ChangeSelection([&](CSelectionEdit& edit) { edit.SetAll(m_model->Rows(), true); });
}

void CColorView::OnEditDeselect()
{
    m_selection->Forget();
    ChangeSelection([](CSelectionEdit& edit) { edit.Clear(); });
    if (m_doc.GetBitmaps().AnySelected()) {
        m_doc.SelectBitmapsWhere([](const BitmapEntry&) { return false; });
        OnBitmapSelectionChanged();
    }
}

void CColorView::OnApply()
{
    m_doc.ApplyPending();
    m_bitmapStrip->Redraw();
    UpdateNotes();
    emit documentChanged();
}

void CColorView::SelectNearest(std::uint32_t rgb)
{
    m_picked = RgbOf(rgb);
    const auto nearest = m_doc.NearestColor(rgb);
    const int found = nearest ? m_model->RowOf(*nearest) : -1;
    if (found < 0) {
        emit documentChanged();
        return;
    }
    m_selection->Forget();
    ChangeSelection([&](CSelectionEdit& edit) { edit.Set(m_model->IndexAt(found), true); });
}

std::uint32_t CColorView::KeyAt(int row) const { return m_model->KeyAt(row); }

int CColorView::Count() const { return m_model->rowCount(); }

void CColorView::mousePressEvent(QMouseEvent* event)
{
    // Clicks reach here only from the form's free area: the list, sliders,
    // box and button take their own.
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::AltModifier)) {
        OnEditDeselect();
        event->accept();
        return;
    }
    QScrollArea::mousePressEvent(event);
}

QSlider* CColorView::MnemonicTarget(const QKeyEvent& key) const
{
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::AltModifier)
        return nullptr;
    switch (key.key()) {
    case Qt::Key_H:
        return m_hSlider;
    case Qt::Key_S:
        return m_sSlider;
    case Qt::Key_V:
        return m_vSlider;
    default:
        return nullptr;
    }
}

bool CColorView::event(QEvent* event)
{
    // Alt+H and Alt+V are also the mnemonics of two menus. While the focus
    // is in this form its own labels win, as in a dialog; elsewhere the keys
    // are left to the menus.
    if (event->type() == QEvent::ShortcutOverride && MnemonicTarget(static_cast<const QKeyEvent&>(*event))) {
        event->accept();
        return true;
    }
    return QScrollArea::event(event);
}

void CColorView::keyPressEvent(QKeyEvent* event)
{
    if (QSlider* slider = MnemonicTarget(*event)) {
        slider->setFocus(Qt::ShortcutFocusReason);
        return;
    }
    // Enter presses the default button, as in a dialog.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain) {
        m_applyButton->animateClick();
        return;
    }
    QScrollArea::keyPressEvent(event);
}

} // namespace tintor
