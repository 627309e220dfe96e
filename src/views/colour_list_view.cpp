#include "views/colour_list_view.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace tintor {

CColorListView::CColorListView(IsSelected isSelected, QWidget* parent)
    : QAbstractItemView(parent), m_isSelected(std::move(isSelected))
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CColorListView::SetItemSize(QSize size)
{
    m_itemSize = size.expandedTo(QSize(1, 1));
    updateGeometries();
    viewport()->update();
}

int CColorListView::Count() const { return model() ? model()->rowCount(rootIndex()) : 0; }

int CColorListView::RowsPerColumn() const { return std::max(1, viewport()->height() / m_itemSize.height()); }

int CColorListView::VisibleColumns() const { return std::max(1, viewport()->width() / m_itemSize.width()); }

int CColorListView::horizontalOffset() const { return horizontalScrollBar()->value() * m_itemSize.width(); }

QRect CColorListView::CellRect(int row) const
{
    const int perColumn = RowsPerColumn();
    return QRect(
        QPoint((row / perColumn) * m_itemSize.width() - horizontalOffset(), (row % perColumn) * m_itemSize.height()),
        m_itemSize);
}

int CColorListView::RowAt(QPoint point) const
{
    if (point.x() + horizontalOffset() < 0 || point.y() < 0)
        return -1;
    const int inColumn = point.y() / m_itemSize.height();
    if (inColumn >= RowsPerColumn())
        return -1;
    const qint64 row
        = static_cast<qint64>((point.x() + horizontalOffset()) / m_itemSize.width()) * RowsPerColumn() + inColumn;
    return row < Count() ? static_cast<int>(row) : -1;
}

QRect CColorListView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= Count())
        return {};
    return CellRect(index.row());
}

QModelIndex CColorListView::indexAt(const QPoint& point) const
{
    const int row = RowAt(point);
    return row < 0 ? QModelIndex() : model()->index(row, 0, rootIndex());
}

void CColorListView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const int column = index.row() / RowsPerColumn();
    const int first = horizontalScrollBar()->value();
    const int visible = VisibleColumns();
    switch (hint) {
    case PositionAtTop:
        horizontalScrollBar()->setValue(column);
        break;
    case PositionAtBottom:
        horizontalScrollBar()->setValue(column - visible + 1);
        break;
    case PositionAtCenter:
        horizontalScrollBar()->setValue(column - visible / 2);
        break;
    case EnsureVisible:
        if (column < first)
            horizontalScrollBar()->setValue(column);
        else if (column >= first + visible)
            horizontalScrollBar()->setValue(column - visible + 1);
        break;
    }
}

void CColorListView::keyboardSearch(const QString& search)
{
    if (!model() || Count() == 0 || search.isEmpty())
        return;
    // Keys typed in quick succession make one text, as Qt's own views do.
    if (!m_sinceTyped.isValid() || m_sinceTyped.elapsed() > QApplication::keyboardInputInterval())
        m_typed.clear();
    m_sinceTyped.start();
    m_typed += search.toLower();
    const auto text = [this](int row) { return model()->index(row, 0, rootIndex()).data().toString(); };
    int low = 0, high = Count();
    while (low < high) {
        const int mid = low + (high - low) / 2;
        if (text(mid) < m_typed)
            low = mid + 1;
        else
            high = mid;
    }
    if (low < Count() && text(low).startsWith(m_typed))
        setCurrentIndex(model()->index(low, 0, rootIndex()));
}

void CColorListView::reset()
{
    QAbstractItemView::reset();
    updateGeometries();
    viewport()->update();
}

QModelIndex CColorListView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int count = Count();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model()->index(0, 0, rootIndex());
    const qint64 perColumn = RowsPerColumn();
    const qint64 page = perColumn * VisibleColumns();
    qint64 row = current.row();
    switch (action) {
    case MoveUp:
    case MovePrevious:
        row -= 1;
        break;
    case MoveDown:
    case MoveNext:
        row += 1;
        break;
    case MoveLeft:
        row -= perColumn;
        break;
    case MoveRight:
        row += perColumn;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MovePageUp:
        row -= page;
        break;
    case MovePageDown:
        row += page;
        break;
    }
    return model()->index(static_cast<int>(std::clamp<qint64>(row, 0, count - 1)), 0, rootIndex());
}

QItemSelection CColorListView::RowsIn(const QRect& rect) const
{
    QItemSelection selection;
    const int count = Count();
    const QRect r = rect.normalized();
    const int perColumn = RowsPerColumn();
    const int top = std::max(0, r.top() / m_itemSize.height());
    const int bottom = std::min(perColumn - 1, r.bottom() / m_itemSize.height());
    if (count == 0 || top > bottom || r.bottom() < 0)
        return selection;
    const int firstColumn = std::max(0, (r.left() + horizontalOffset()) / m_itemSize.width());
    const int lastColumn = (r.right() + horizontalOffset()) / m_itemSize.width();
    for (qint64 column = firstColumn; column <= lastColumn && column * perColumn < count; ++column) {
        const qint64 first = column * perColumn + top;
        const qint64 last = std::min<qint64>(column * perColumn + bottom, count - 1);
        if (first <= last)
            selection.append(QItemSelectionRange(model()->index(static_cast<int>(first), 0, rootIndex()),
                model()->index(static_cast<int>(last), 0, rootIndex())));
    }
    return selection;
}

void CColorListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    if (!selectionModel() || !model())
        return;
    QItemSelection selection;
    if (state() == DragSelectingState) {
        // A rubber band takes the items it covers.
        selection = RowsIn(rect);
    } else {
        // A click takes its item; Shift and the keys take every row from
        // the item at one corner to the item at the other, in list order.
        const int from = RowAt(rect.topLeft());
        const int to = rect.size() == QSize(1, 1) ? from : RowAt(rect.bottomRight());
        if (from >= 0 && to >= 0)
            selection.select(
                model()->index(std::min(from, to), 0, rootIndex()), model()->index(std::max(from, to), 0, rootIndex()));
    }
    selectionModel()->select(selection, command);
}

QRegion CColorListView::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    for (const QItemSelectionRange& range : selection)
        for (int row = range.top(); row <= range.bottom() && region.rectCount() < 64; ++row)
            region += CellRect(row);
    return region;
}

QItemSelectionModel::SelectionFlags CColorListView::selectionCommand(
    const QModelIndex& index, const QEvent* event) const
{
    QItemSelectionModel::SelectionFlags command = QAbstractItemView::selectionCommand(index, event);
    if (event != nullptr && event->type() == QEvent::MouseButtonPress)
        m_ctrlDrag = QItemSelectionModel::NoUpdate;
    if (event == nullptr || !(command & QItemSelectionModel::Toggle))
        return command;
    // Qt would turn the Toggle of a Ctrl+press into Select or Deselect by
    // asking its selection model, which holds nothing here; the table says.
    // A drag that follows does to the items it reaches what the press did.
    if (event->type() == QEvent::MouseButtonPress && index.isValid()) {
        m_ctrlDrag = m_isSelected(index.row()) ? QItemSelectionModel::Deselect : QItemSelectionModel::Select;
        return (command & ~QItemSelectionModel::Toggle) | m_ctrlDrag;
    }
    if (event->type() == QEvent::MouseMove && m_ctrlDrag != QItemSelectionModel::NoUpdate)
        return (command & ~QItemSelectionModel::Toggle) | m_ctrlDrag;
    return command;
}

void CColorListView::paintEvent(QPaintEvent* event)
{
    if (!model())
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QRect area = event->rect();
    const int perColumn = RowsPerColumn();
    const int count = Count();
    const int firstColumn = std::max(0, (area.left() + horizontalOffset()) / m_itemSize.width());
    const int lastColumn = (area.right() + horizontalOffset()) / m_itemSize.width();
    const int top = std::max(0, area.top() / m_itemSize.height());
    const int bottom = std::min(perColumn - 1, area.bottom() / m_itemSize.height());
    const QModelIndex current = currentIndex();
    for (qint64 column = firstColumn; column <= lastColumn; ++column)
        for (int inColumn = top; inColumn <= bottom; ++inColumn) {
            const qint64 row = column * perColumn + inColumn;
            if (row >= count)
                break;
            const QModelIndex index = model()->index(static_cast<int>(row), 0, rootIndex());
            option.rect = CellRect(static_cast<int>(row));
            option.state.setFlag(QStyle::State_HasFocus, hasFocus() && index == current);
            itemDelegateForIndex(index)->paint(&painter, option, index);
        }
}

void CColorListView::resizeEvent(QResizeEvent* event)
{
    QAbstractItemView::resizeEvent(event);
    updateGeometries();
}

void CColorListView::scrollContentsBy(int, int) { viewport()->update(); }

void CColorListView::updateGeometries()
{
    const qint64 columns = (static_cast<qint64>(Count()) + RowsPerColumn() - 1) / RowsPerColumn();
    const int visible = VisibleColumns();
    horizontalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setPageStep(visible);
    horizontalScrollBar()->setRange(0, static_cast<int>(std::max<qint64>(0, columns - visible)));
    QAbstractItemView::updateGeometries();
}

} // namespace tintor
