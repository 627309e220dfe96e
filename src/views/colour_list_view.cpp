#include "views/colour_list_view.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <limits>

namespace tintor {

CColorListView::CColorListView(IsSelected isSelected, QWidget* parent)
    : QAbstractItemView(parent), m_isSelected(std::move(isSelected))
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CColorListView::SetItemSize(QSize size)
{
    m_itemSize = size.expandedTo(QSize(1, 1));
    updateGeometries();
    viewport()->update();
}

void CColorListView::SetGroups(std::vector<std::uint32_t> starts)
{
    m_groupStarts = std::move(starts);
    updateGeometries();
    viewport()->update();
}

void CColorListView::SetHighlight(int row)
{
    m_highlight = row;
    viewport()->update();
}

int CColorListView::Count() const { return model() ? model()->rowCount(rootIndex()) : 0; }

int CColorListView::GroupCount() const
{
    return Grouped() ? static_cast<int>(m_groupStarts.size()) : (Count() > 0 ? 1 : 0);
}

int CColorListView::GroupStart(int group) const
{
    return Grouped() ? static_cast<int>(m_groupStarts[static_cast<std::size_t>(group)]) : 0;
}

int CColorListView::GroupEnd(int group) const { return group + 1 < GroupCount() ? GroupStart(group + 1) : Count(); }

void CColorListView::Layout()
{
    // Groups made for other rows than the model's now holds are dropped
    // rather than read past the end.
    const int count = Count();
    if (Grouped() && (m_groupStarts.front() != 0 || static_cast<int>(m_groupStarts.back()) >= count))
        m_groupStarts.clear();
    m_perLine = std::max(1, (viewport()->width() - Handle()) / m_itemSize.width());
    const int groups = GroupCount();
    m_groupLines.assign(static_cast<std::size_t>(groups) + 1, 0);
    for (int g = 0; g < groups; ++g) {
        const int items = GroupEnd(g) - GroupStart(g);
        m_groupLines[static_cast<std::size_t>(g) + 1]
            = m_groupLines[static_cast<std::size_t>(g)] + std::max(1, (items + m_perLine - 1) / m_perLine);
    }
}

int CColorListView::LineCount() const { return m_groupLines.empty() ? 0 : m_groupLines.back(); }

int CColorListView::GroupOfRow(int row) const
{
    if (!Grouped())
        return 0;
    return static_cast<int>(
               std::upper_bound(m_groupStarts.begin(), m_groupStarts.end(), static_cast<std::uint32_t>(row))
               - m_groupStarts.begin())
        - 1;
}

int CColorListView::GroupOfLine(int line) const
{
    return static_cast<int>(std::upper_bound(m_groupLines.begin(), m_groupLines.end() - 1, line) - m_groupLines.begin())
        - 1;
}

int CColorListView::LineOfRow(int row) const
{
    const int g = GroupOfRow(row);
    return m_groupLines[static_cast<std::size_t>(g)] + (row - GroupStart(g)) / m_perLine;
}

int CColorListView::FirstOnLine(int line, int* count) const
{
    *count = 0;
    if (line < 0 || line >= LineCount())
        return -1;
    const int g = GroupOfLine(line);
    const int first = GroupStart(g) + (line - m_groupLines[static_cast<std::size_t>(g)]) * m_perLine;
    *count = std::max(0, std::min(m_perLine, GroupEnd(g) - first));
    return first;
}

int CColorListView::RowOnLine(int line, int column) const
{
    int count = 0;
    const int first = FirstOnLine(std::clamp(line, 0, std::max(0, LineCount() - 1)), &count);
    return count == 0 ? -1 : first + std::clamp(column, 0, count - 1);
}

int CColorListView::verticalOffset() const { return verticalScrollBar()->value(); }

QRect CColorListView::CellRect(int row) const
{
    const int g = GroupOfRow(row);
    const int inGroup = row - GroupStart(g);
    const int line = m_groupLines[static_cast<std::size_t>(g)] + inGroup / m_perLine;
    return QRect(
        QPoint(Handle() + (inGroup % m_perLine) * m_itemSize.width(), line * m_itemSize.height() - verticalOffset()),
        m_itemSize);
}

int CColorListView::RowAt(QPoint point) const
{
    const int y = point.y() + verticalOffset();
    if (point.x() < Handle() || y < 0)
        return -1;
    const int column = (point.x() - Handle()) / m_itemSize.width();
    int count = 0;
    const int first = FirstOnLine(y / m_itemSize.height(), &count);
    return column < count ? first + column : -1;
}

std::pair<int, int> CColorListView::GroupAt(QPoint point) const
{
    const int y = point.y() + verticalOffset();
    if (!Grouped() || point.x() < 0 || point.x() >= Handle() || y < 0 || y / m_itemSize.height() >= LineCount())
        return {-1, -1};
    const int g = GroupOfLine(y / m_itemSize.height());
    return {GroupStart(g), GroupEnd(g) - 1};
}

QRect CColorListView::HandleRect(int group) const
{
    if (!Grouped() || group < 0 || group >= GroupCount())
        return {};
    const int top = m_groupLines[static_cast<std::size_t>(group)] * m_itemSize.height() - verticalOffset();
    const int bottom = m_groupLines[static_cast<std::size_t>(group) + 1] * m_itemSize.height() - verticalOffset();
    return QRect(0, top, kHandleWidth, bottom - top);
}

QRect CColorListView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= Count() || m_groupLines.empty())
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
    if (!index.isValid() || index.row() >= Count())
        return;
    const int h = m_itemSize.height();
    const int top = LineOfRow(index.row()) * h;
    const int height = viewport()->height();
    QScrollBar* bar = verticalScrollBar();
    switch (hint) {
    case PositionAtTop:
        bar->setValue(top);
        break;
    case PositionAtBottom:
        bar->setValue(top + h - height);
        break;
    case PositionAtCenter:
        bar->setValue(top - (height - h) / 2);
        break;
    case EnsureVisible:
        if (top < bar->value())
            bar->setValue(top);
        else if (top + h > bar->value() + height)
            bar->setValue(top + h - height);
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
    int found = -1;
    if (m_sortedByText) {
        int low = 0, high = Count();
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (text(mid) < m_typed)
                low = mid + 1;
            else
                high = mid;
        }
        found = low < Count() && text(low).startsWith(m_typed) ? low : -1;
    } else {
        for (int row = 0; row < Count() && found < 0; ++row)
            if (text(row).startsWith(m_typed))
                found = row;
    }
    if (found >= 0)
        setCurrentIndex(model()->index(found, 0, rootIndex()));
}

void CColorListView::reset()
{
    m_highlight = -1;
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
    const int row = current.row();
    const int line = LineOfRow(row);
    const int column = (row - GroupStart(GroupOfRow(row))) % m_perLine;
    const int page = std::max(1, viewport()->height() / m_itemSize.height());
    int to = row;
    switch (action) {
    case MoveLeft:
    case MovePrevious:
        to = row - 1;
        break;
    case MoveRight:
    case MoveNext:
        to = row + 1;
        break;
    case MoveUp:
        to = RowOnLine(line - 1, column);
        break;
    case MoveDown:
        to = RowOnLine(line + 1, column);
        break;
    case MoveHome:
        to = 0;
        break;
    case MoveEnd:
        to = count - 1;
        break;
    case MovePageUp:
        to = RowOnLine(line - page, column);
        break;
    case MovePageDown:
        to = RowOnLine(line + page, column);
        break;
    }
    return model()->index(std::clamp(to, 0, count - 1), 0, rootIndex());
}

QItemSelection CColorListView::RowsIn(const QRect& rect) const
{
    QItemSelection selection;
    const QRect r = rect.normalized();
    if (Count() == 0 || r.right() < Handle())
        return selection;
    const int h = m_itemSize.height();
    const int firstLine = std::max(0, (r.top() + verticalOffset()) / h);
    const int lastLine = std::min(LineCount() - 1, (r.bottom() + verticalOffset()) / h);
    const int firstColumn = std::max(0, (r.left() - Handle()) / m_itemSize.width());
    const int lastColumn = (r.right() - Handle()) / m_itemSize.width();
    for (int line = firstLine; line <= lastLine; ++line) {
        int count = 0;
        const int first = FirstOnLine(line, &count);
        const int last = std::min(lastColumn, count - 1);
        if (firstColumn <= last)
            selection.append(QItemSelectionRange(
                model()->index(first + firstColumn, 0, rootIndex()), model()->index(first + last, 0, rootIndex())));
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
    if (event != nullptr && event->type() == QEvent::MouseButtonPress) {
        m_ctrlDrag = QItemSelectionModel::NoUpdate;
        // As in a file manager, a right click on a selected item keeps the
        // whole selection for its menu; Qt would ask its own selection
        // model, which holds nothing here.
        if (static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton && index.isValid()
            && m_isSelected(index.row()))
            return QItemSelectionModel::NoUpdate;
    }
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

void CColorListView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const auto [first, last] = GroupAt(event->position().toPoint());
        if (first >= 0) {
            emit groupClicked(first, last, event->modifiers());
            event->accept();
            return;
        }
    }
    QAbstractItemView::mousePressEvent(event);
}

void CColorListView::paintEvent(QPaintEvent* event)
{
    if (!model() || m_groupLines.empty())
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QRect area = event->rect();
    const int h = m_itemSize.height();
    const int firstLine = std::max(0, (area.top() + verticalOffset()) / h);
    const int lastLine = std::min(LineCount() - 1, (area.bottom() + verticalOffset()) / h);
    const int firstColumn = std::max(0, (area.left() - Handle()) / m_itemSize.width());
    const int lastColumn = (area.right() - Handle()) / m_itemSize.width();
    const QModelIndex current = currentIndex();
    for (int line = firstLine; line <= lastLine; ++line) {
        int count = 0;
        const int first = FirstOnLine(line, &count);
        for (int column = firstColumn; column <= std::min(lastColumn, count - 1); ++column) {
            const QModelIndex index = model()->index(first + column, 0, rootIndex());
            option.rect = CellRect(first + column);
            option.state.setFlag(QStyle::State_HasFocus, hasFocus() && index == current);
            itemDelegateForIndex(index)->paint(&painter, option, index);
        }
    }
    if (Grouped() && area.left() < Handle() && firstLine <= lastLine) {
        // A grip beside each family's lines: a click takes the family.
        for (int g = GroupOfLine(firstLine); g <= GroupOfLine(lastLine); ++g) {
            const QRect handle = HandleRect(g).adjusted(1, 2, -2, -2);
            painter.fillRect(handle, QColor(0xC8, 0xC8, 0xC8));
            const int x = handle.center().x();
            for (int y = handle.top() + 4; y + 1 < handle.top() + std::min(handle.height(), h) - 3; y += 3)
                painter.fillRect(QRect(x - 2, y, 5, 1), QColor(0x60, 0x60, 0x60));
        }
    }
    if (m_highlight >= 0 && m_highlight < Count()) {
        // The swatch an Alt+click found stands out from every other mark.
        painter.setPen(QPen(QColor(0xFF, 0x80, 0x00), 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(CellRect(m_highlight).adjusted(1, 1, -2, -2));
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
    Layout();
    const int h = m_itemSize.height();
    const qint64 height = static_cast<qint64>(LineCount()) * h;
    verticalScrollBar()->setSingleStep(h);
    verticalScrollBar()->setPageStep(std::max(h, viewport()->height()));
    verticalScrollBar()->setRange(
        0, static_cast<int>(std::clamp<qint64>(height - viewport()->height(), 0, std::numeric_limits<int>::max())));
    QAbstractItemView::updateGeometries();
}

} // namespace tintor
