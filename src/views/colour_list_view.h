#pragma once

#include <QAbstractItemView>
#include <QElapsedTimer>

#include <cstdint>
#include <functional>
#include <vector>

namespace tintor {

// The colour list: items of one size in lines that fill the viewport's
// width, scrolled up and down. The rows may be grouped (colour families):
// each group then starts on a line of its own, behind a handle that takes
// the whole group. Where an item stands is worked out from its row alone
// (and the group's first line, by halving), so a list of millions of
// colours costs nothing to lay out. Whether an item is selected comes from
// the colour table, through the function given; the selection model holds
// no selection.
class CColorListView final : public QAbstractItemView {
    Q_OBJECT
public:
    using IsSelected = std::function<bool(int row)>;
    // The width of a group's handle at the start of its lines.
    static constexpr int kHandleWidth = 14;

    explicit CColorListView(IsSelected isSelected, QWidget* parent = nullptr);

    void SetItemSize(QSize size);
    // The first row of each group, ascending from 0; empty: one plain run.
    void SetGroups(std::vector<std::uint32_t> starts);
    bool Grouped() const { return !m_groupStarts.empty(); }
    // Items on each line (at least one), and lines in all.
    int ItemsPerLine() const { return m_perLine; }
    int LineCount() const;
    // The rows of the group whose handle is at the point of the viewport: first and last; {-1, -1} where no handle is.
    std::pair<int, int> GroupAt(QPoint point) const;
    // The handle of a group's rows, in viewport coordinates.
    QRect HandleRect(int group) const;
    // A row to show picked out (the swatch an Alt+click found); -1: none.
    void SetHighlight(int row);
    int Highlight() const { return m_highlight; }
    // Whether the rows run in the order of their texts, so that typing can
    // look them up by halving; otherwise it reads them one by one.
    void SetSortedByText(bool sorted) { m_sortedByText = sorted; }

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    void keyboardSearch(const QString& search) override;
    void reset() override;

signals:
    // A group's handle was clicked: its rows from first to last, and the
    // modifiers held.
    void groupClicked(int first, int last, Qt::KeyboardModifiers modifiers);

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    int Count() const;
    int Handle() const { return Grouped() ? kHandleWidth : 0; }
    // Items per line and each group's first line, from the width and the groups.
    void Layout();
    int GroupCount() const;
    int GroupStart(int group) const;
    int GroupEnd(int group) const;
    int GroupOfRow(int row) const;
    int GroupOfLine(int line) const;
    // The line of a row, and the first row on a line with how many it holds.
    int LineOfRow(int row) const;
    int FirstOnLine(int line, int* count) const;
    // The row at a column of a line, the line's last where it is shorter.
    int RowOnLine(int line, int column) const;
    // Where the item of a row stands in the viewport.
    QRect CellRect(int row) const;
    // The row at a point of the viewport, -1 where no item stands.
    int RowAt(QPoint point) const;
    // The rows that lie in the rectangle of the viewport, line by line.
    QItemSelection RowsIn(const QRect& rect) const;

    IsSelected m_isSelected;
    QSize m_itemSize{40, 24};
    std::vector<std::uint32_t> m_groupStarts;
    // The first line of each group, and after them the number of lines.
    std::vector<int> m_groupLines;
    int m_perLine = 1;
    int m_highlight = -1;
    bool m_sortedByText = true;
    // What a Ctrl+drag does to the items it passes: what the press did.
    mutable QItemSelectionModel::SelectionFlags m_ctrlDrag = QItemSelectionModel::NoUpdate;
    QString m_typed;
    QElapsedTimer m_sinceTyped;
};

} // namespace tintor
