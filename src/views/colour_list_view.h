#pragma once

#include <QAbstractItemView>
#include <QElapsedTimer>

#include <functional>

namespace tintor {

// The colour list: items of one size running top to bottom in columns, the
// columns scrolled sideways. Where an item stands is worked out from its
// row alone, so a list of millions of colours costs nothing to lay out.
// Whether an item is selected comes from the colour table, through the
// function given; the selection model holds no selection.
class CColorListView final : public QAbstractItemView {
    Q_OBJECT
public:
    using IsSelected = std::function<bool(int row)>;

    explicit CColorListView(IsSelected isSelected, QWidget* parent = nullptr);

    void SetItemSize(QSize size);
    // Items in each column, and columns that the viewport shows whole (at least one each).
    int RowsPerColumn() const;
    int VisibleColumns() const;

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    // The list is sorted by its items' texts: what is typed is looked up
    // by halving, not by reading every item.
    void keyboardSearch(const QString& search) override;
    void reset() override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override { return 0; }
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // The scroll bar counts columns, not pixels: everything is painted again.
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

private:
    int Count() const;
    // Where the item of a row stands in the viewport.
    QRect CellRect(int row) const;
    // The row at a point of the viewport, -1 where no item stands.
    int RowAt(QPoint point) const;
    // The rows that lie in the rectangle of the viewport, column by column.
    QItemSelection RowsIn(const QRect& rect) const;

    IsSelected m_isSelected;
    QSize m_itemSize{40, 24};
    // What a Ctrl+drag does to the items it passes: what the press did.
    mutable QItemSelectionModel::SelectionFlags m_ctrlDrag = QItemSelectionModel::NoUpdate;
    QString m_typed;
    QElapsedTimer m_sinceTyped;
};

} // namespace tintor
