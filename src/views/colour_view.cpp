#include "views/colour_view.h"

#include "swf/colour_key.h"
#include "swf/script_constants.h"
#include "views/account_text.h"
#include "views/bitmap_strip.h"
#include "views/colour_view_delegate.h"
#include "views/colour_view_model.h"
#include "views/list_arranger.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
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

struct KindText {
    ColorKind kind;
    const char* name;
};

const KindText kKindNames[] = {
    {KIND_FILL, QT_TRANSLATE_NOOP("tintor::CColorView", "塗り")},
    {KIND_TEXT, QT_TRANSLATE_NOOP("tintor::CColorView", "文字")},
    {KIND_LINE, QT_TRANSLATE_NOOP("tintor::CColorView", "線")},
    {KIND_BG, QT_TRANSLATE_NOOP("tintor::CColorView", "背景")},
    {KIND_FILTER, QT_TRANSLATE_NOOP("tintor::CColorView", "フィルター")},
    {KIND_TINT, QT_TRANSLATE_NOOP("tintor::CColorView", "色合い")},
    {KIND_SCRIPT, QT_TRANSLATE_NOOP("tintor::CColorView", "スクリプト")},
};

// Names of the kinds beyond those above and the core's: the swatch labels
// in Japanese and the English words a user may type for them.
const KindName kMoreKindNames[] = {
    {"文字", KIND_TEXT},
    {"線", KIND_LINE},
    {"背景", KIND_BG},
    {"効果", KIND_FILTER},
    {"色調", KIND_TINT},
    {"background", KIND_BG},
};

// The sort choices in the order the box offers them.
const struct {
    ListSort sort;
    const char* text;
} kSorts[] = {
    {ListSort::ListOrder, QT_TRANSLATE_NOOP("tintor::CColorView", "一覧の順")},
    {ListSort::Lightness, QT_TRANSLATE_NOOP("tintor::CColorView", "明るさ順")},
    {ListSort::Hue, QT_TRANSLATE_NOOP("tintor::CColorView", "色相順")},
    {ListSort::Places, QT_TRANSLATE_NOOP("tintor::CColorView", "使用箇所の多い順")},
};

// The width at which the search box shows its whole hint: QLineEdit's
// size hint is 17 "x" and its frame, margins and clear button.
int SearchWidthForHint(const QLineEdit& search)
{
    const QFontMetrics metrics = search.fontMetrics();
    const int around = search.sizeHint().width() - 17 * metrics.horizontalAdvance(QLatin1Char('x'));
    return metrics.horizontalAdvance(search.placeholderText()) + std::max(around, 0);
}

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
    m_arranger
        = new CListArranger([this](ListArrangement arrangement,
                                const ListRequest& request) { ShowArrangement(std::move(arrangement), request); },
            this);
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setWidget(BuildForm());
}

CColorView::~CColorView()
{
    // No rows may come for a view on its way out.
    delete m_arranger;
    m_arranger = nullptr;
}

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
    m_colorList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_colorList, &QWidget::customContextMenuRequested, this, [this](QPoint point) { OnContextMenu(point); });
    connect(m_colorList, &CColorListView::groupClicked, this,
        [this](int first, int last, Qt::KeyboardModifiers modifiers) { OnGroupClicked(first, last, modifiers); });
    QWidget* finder = BuildFinder(form);

    m_bitmapStrip = new CBitmapStrip(m_doc, form);
    connect(m_bitmapStrip, &CBitmapStrip::selectionChanged, this, [this] { OnBitmapSelectionChanged(); });

    m_unifyCheck = new QCheckBox(form);
    connect(m_unifyCheck, &QCheckBox::clicked, this, [this](bool checked) { OnUnify(checked); });
    m_perceptualCheck = new QCheckBox(form);
    m_perceptualCheck->setObjectName(QStringLiteral("perceptual"));
    connect(m_perceptualCheck, &QCheckBox::clicked, this, [this](bool checked) { OnPerceptual(checked); });

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
    // One switch a line: side by side they do not fit the narrow pane's
    // width in every language.
    groupLayout->addWidget(m_perceptualCheck);
    groupLayout->addWidget(m_unifyCheck);

    auto* applyRow = new QHBoxLayout;
    applyRow->addStretch(1);
    applyRow->addWidget(m_applyButton);

    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(14);
    layout->addWidget(finder);
    layout->addWidget(m_colorList, 1);
    layout->addWidget(m_bitmapStrip);
    layout->addWidget(m_accountLabel);
    layout->addWidget(m_keptLabel);
    layout->addWidget(group);
    layout->addLayout(applyRow);

    setTabOrder(m_search, m_sortBox);
    setTabOrder(m_sortBox, m_colorList);
    setTabOrder(m_colorList, m_bitmapStrip);
    setTabOrder(m_bitmapStrip, m_hSlider);
    setTabOrder(m_hSlider, m_sSlider);
    setTabOrder(m_sSlider, m_vSlider);
    setTabOrder(m_vSlider, m_perceptualCheck);
    setTabOrder(m_perceptualCheck, m_unifyCheck);
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
    m_perceptualCheck->setText(tr("知覚的 (OKLCh)(&P)"));
    m_perceptualCheck->setToolTip(tr("色相を変えても見た目の明るさが変わらないように、OKLCh で色をずらす"));
    m_applyButton->setText(tr("適用(&A) >>"));
    m_applyButton->setToolTip(tr("選んだ色の変更をムービーに書き込み、プレビューを更新する (Enter)"));
    m_search->setPlaceholderText(tr("#rrggbb・種類で絞り込む"));
    m_search->setMinimumWidth(SearchWidthForHint(*m_search));
    m_search->setToolTip(tr("色 (#rrggbb かその一部) や種類の名前で一覧を絞り込みます"));
    m_sortBox->setToolTip(tr("一覧の並べ順"));
    for (int i = 0; i < m_sortBox->count(); ++i)
        m_sortBox->setItemText(i, tr(kSorts[i].text));
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
    for (const KindText& k : kKindNames)
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
    // A script's colour is told by the calls that draw with it.
    if (const std::uint32_t uses = m_doc.GetMovie().ScriptUsesOf(key))
        lines << QString::fromStdString(ScriptUseList(uses));
    lines << tr("%n か所で使われています", nullptr, static_cast<int>(m_doc.PlaceCountAt(entry)));
    if (m_doc.IsLocked(key))
        lines << tr("ロック中: どの編集でも変わらず、まとめて選ぶ操作では選ばれません");
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
    // A movie opened starts with every colour listed and nothing picked:
    // the last movie's search or pick would say nothing true of this one.
    // The list is arranged once, by the search's change or below.
    m_search->clear();
    m_picked.reset();
    m_pickedListColour.reset();
    m_pickFound = PickFound::Exact;
    m_colorList->SetHighlight(-1);
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
    const QSignalBlocker perceptualBlocker(m_perceptualCheck);
    m_perceptualCheck->setChecked(table.Space() == EffectSpace::OkLch);
}

void CColorView::FillList(const CColorTable& table)
{
    // Undo, Redo and the edits that rewrite every colour keep the keys:
    // the rows stay, and the swatches are painted again from the table.
    if (!m_model->Lists(table))
        Rearrange();
    m_colorList->viewport()->update();
    m_bitmapStrip->Refresh();
    UpdateNotes();
}

bool CColorView::IsRowSelected(int row) const
{
    return row >= 0 && row < Count() && m_doc.IsShownSelected(m_model->IndexAt(row));
}

void CColorView::ChangeSelection(const std::function<void(CSelectionEdit&)>& change)
{
    m_doc.ChangeSelection(change);
    AfterSelectionChange();
}

void CColorView::AfterSelectionChange()
{
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
    // All the colours the list shows as it was asked to.
    m_arranger->Settle();
    m_selection->Forget();
    // Locked colours stay as they are.
    m_doc.SelectAllUnlocked(m_model->Rows());
    AfterSelectionChange();
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
    m_arranger->Settle();
    m_picked = RgbOf(rgb);
    // The colours as the list shows them, pending effect included, in its order.
    const auto rows = m_model->Rows();
    std::vector<std::uint32_t> colours(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        colours[r] = RgbOf(m_doc.ColorAt(rows[r], 1));
    // Under a simulation the pane, and so the pick, shows each colour as
    // it would be seen.
    std::vector<std::uint32_t> seen;
    if (m_seen != VisionSimulation::Normal) {
        seen.reserve(colours.size());
        for (const std::uint32_t colour : colours)
            seen.push_back(SimulateVision(m_seen, colour));
    }
    const auto nearest = NearestOf(seen.empty() ? colours : seen, *m_picked, CTintorDoc::kNearestLimit);
    if (!nearest) {
        m_pickFound = PickFound::NotNear;
        m_pickedListColour.reset();
        m_colorList->SetHighlight(-1);
        emit documentChanged();
        return;
    }
    m_pickFound = nearest->distance <= kExactPick ? PickFound::Exact : PickFound::Uncertain;
    m_pickedListColour = colours[nearest->at];
    const int found = static_cast<int>(nearest->at);
    m_selection->Forget();
    ChangeSelection([&](CSelectionEdit& edit) { edit.Set(m_model->IndexAt(found), true); });
    const QModelIndex index = m_model->index(found, 0);
    m_selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_colorList->scrollTo(index, QAbstractItemView::PositionAtCenter);
    m_colorList->SetHighlight(found);
}

QWidget* CColorView::BuildFinder(QWidget* parent)
{
    auto* finder = new QWidget(parent);
    // The search on a line of its own: beside the sort box its hint does
    // not fit the narrow pane in Japanese.
    auto* row = new QVBoxLayout(finder);
    row->setContentsMargins(0, 0, 0, 0);
    m_search = new QLineEdit(finder);
    m_search->setObjectName(QStringLiteral("search"));
    m_search->setClearButtonEnabled(true);
    // A movie dropped on the pane goes to the window, which opens it.
    m_search->setAcceptDrops(false);
    m_sortBox = new QComboBox(finder);
    m_sortBox->setObjectName(QStringLiteral("sort"));
    for (const auto& sort : kSorts)
        m_sortBox->addItem(QString(), static_cast<int>(sort.sort));
    row->addWidget(m_search);
    row->addWidget(m_sortBox);
    connect(m_search, &QLineEdit::textChanged, this, [this] { Rearrange(); });
    connect(m_sortBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            SetSort(kSorts[index].sort);
    });
    return finder;
}

std::vector<std::string> CColorView::KindNamesOf(ColorKind kind)
{
    std::vector<std::string> names;
    if (const ColorKindInfo* info = InfoOf(kind)) {
        names.emplace_back(info->name);
        if (!info->label.empty())
            names.emplace_back(info->label);
    }
    for (const KindText& k : kKindNames)
        if (k.kind == kind) {
            names.emplace_back(k.name);
            names.push_back(tr(k.name).toStdString());
        }
    for (const KindName& k : kMoreKindNames)
        if (k.kind == kind)
            names.emplace_back(k.name);
    return names;
}

void CColorView::SetSearchText(const QString& text) { m_search->setText(text); }

void CColorView::SetSort(ListSort sort)
{
    for (int i = 0; i < m_sortBox->count(); ++i)
        if (kSorts[i].sort == sort && m_sortBox->currentIndex() != i) {
            const QSignalBlocker blocker(m_sortBox);
            m_sortBox->setCurrentIndex(i);
        }
    if (sort == m_sort)
        return;
    m_sort = sort;
    Rearrange();
}

void CColorView::SetGrouped(bool grouped)
{
    if (grouped == m_grouped)
        return;
    m_grouped = grouped;
    Rearrange();
}

void CColorView::Rearrange()
{
    const CColorTable& table = m_doc.GetColorTable();
    const bool replacing = !m_model->Lists(table);
    if (m_listOrderKeys != table.Map().SharedKeys() || m_listOrderKeys == nullptr) {
        m_listOrder = std::make_shared<const std::vector<std::uint32_t>>(CTintorDoc::ListOrder(table));
        m_listOrderKeys = table.Map().SharedKeys();
        m_placeCounts.reset();
    }
    if (m_listOrderKeys == nullptr) {
        m_arranger->Cancel();
        m_listOrder.reset();
        m_selection->Forget();
        m_model->SetRows(nullptr, {});
        m_colorList->SetGroups({});
        emit documentChanged();
        return;
    }
    // The names are gathered anew, as the language may have changed.
    std::vector<std::pair<std::string, ColorKind>> names;
    for (const ColorKindInfo& info : kColorKinds)
        for (std::string& name : KindNamesOf(info.kind))
            names.emplace_back(std::move(name), info.kind);
    std::vector<KindName> kindNames;
    for (const auto& [name, kind] : names)
        kindNames.push_back({name, kind});
    ListRequest request;
    request.keys = m_listOrderKeys;
    const auto entries = table.Map().DenseValues();
    request.entries = std::make_shared<const std::vector<std::uint32_t>>(entries.begin(), entries.end());
    request.listOrder = m_listOrder;
    if (m_sort == ListSort::Places) {
        // Counted once for the movie: they change only with it.
        if (!m_placeCounts)
            m_placeCounts = std::make_shared<const std::vector<std::uint32_t>>(m_doc.PlaceCounts());
        request.places = m_placeCounts;
    }
    request.filter = ParseListFilter(m_search->text().toStdString(), kindNames);
    request.sort = m_sort;
    request.grouped = m_grouped;
    request.within = kDefaultWithin;
    m_arranger->Request(std::move(request), replacing);
}

void CColorView::ShowArrangement(ListArrangement arrangement, const ListRequest& request)
{
    // Rows made for a table that has gone since name entries of another.
    if (request.keys != m_doc.GetColorTable().Map().SharedKeys())
        return;
    m_selection->Forget();
    m_model->SetRows(request.keys, std::move(arrangement.rows));
    m_colorList->SetGroups(std::move(arrangement.groupStarts));
    m_colorList->SetSortedByText(request.FilterOnly());
    emit documentChanged();
}

void CColorView::OnGroupClicked(int first, int last, Qt::KeyboardModifiers modifiers)
{
    // As a click on a swatch: alone it replaces the selection, with Ctrl or
    // Shift it adds to it.
    const bool add = (modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) != 0;
    m_selection->Forget();
    ChangeSelection([&](CSelectionEdit& edit) {
        if (!add)
            edit.Clear();
        for (int row = std::max(first, 0); row <= std::min(last, Count() - 1); ++row)
            edit.Set(m_model->IndexAt(row), true);
    });
}

void CColorView::AddFindingActions(QMenu& menu, int row)
{
    if (row < 0 || row >= Count())
        return;
    QAction* show = menu.addAction(tr("プレビューで示す(&P)"));
    show->setObjectName(QStringLiteral("showInPreview"));
    show->setStatusTip(tr("この色が使われている所を、しばらくの間プレビューで目立つ色にして示す"));
    show->setEnabled(m_doc.HasMovie());
    connect(show, &QAction::triggered, this, [this, index = m_model->IndexAt(row)] { emit showInPreview(index); });
}

void CColorView::BuildContextMenu(QMenu& menu, int row)
{
    AddSelectionActions(menu, row);
    menu.addSeparator();
    AddFindingActions(menu, row);
}

void CColorView::OnContextMenu(QPoint point)
{
    const QModelIndex index = m_colorList->indexAt(point);
    if (!index.isValid())
        return;
    QMenu menu(this);
    BuildContextMenu(menu, index.row());
    if (!menu.isEmpty())
        menu.exec(m_colorList->viewport()->mapToGlobal(point));
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
