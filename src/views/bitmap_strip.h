#pragma once

#include "document/tintor_doc.h"

#include <QAbstractScrollArea>
#include <QImage>

#include <memory>
#include <vector>

namespace tintor {

// The movie's images in a row under the colour list, one thumbnail each as
// the image now stands: with the changes made to it so far and, while it is
// selected, what the sliders will make of it. A click selects that image
// alone, or deselects it when it was the only one selected; Ctrl or Shift
// adds it to the selection or takes it out. Images that cannot be recoloured
// are greyed, say why in their tooltip, and cannot be selected. With the
// focus, the arrow keys move among the images and Space adds the one with
// the focus mark to the selection or takes it out. Colours and
// images are selected apart: a click here leaves the colours' selection.
class CBitmapStrip final : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kThumbnailSize = 48;
    static constexpr int kCellSize = 58;

    explicit CBitmapStrip(CTintorDoc& doc, QWidget* parent = nullptr);

    // The entries again from the document (undo, redo, an edit); the strip
    // shows only while the movie has images.
    void Refresh();
    // The same for another movie: no thumbnail of the last one is kept.
    void Forget();
    // Marks and thumbnails painted again (the selection or the sliders moved).
    void Redraw();
    // Edit > Select all bitmaps: every image that can be recoloured.
    void SelectAll();
    // A click on the image at index, with the keys held.
    void Click(int index, Qt::KeyboardModifiers modifiers);

    int Count() const;
    // The cell of an image in the viewport, and the image at a point of it
    // (-1 when none).
    QRect CellRect(int index) const;
    int IndexAt(const QPoint& point) const;
    // Its id, size and format, and why it cannot be recoloured.
    QString ToolTipOf(int index) const;
    // The thumbnail as painted, pending effect included; null when the
    // image cannot be decoded.
    QImage ThumbnailOf(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Which images are selected changed, and with it perhaps the colours
    // (a pending effect folded in).
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The image as committed so far, scaled down.
    const QImage& CommittedThumbnail(int index);
    void UpdateScrollBar();
    void PaintCell(QPainter& painter, int index);

    // The image as loaded, and as last committed, scaled down: undo and
    // redo between them decode nothing again.
    struct Thumbnail {
        bool loadedMade = false;
        QImage loaded;
        std::shared_ptr<const CBitmapImage> from;
        QImage committed;
    };
    CTintorDoc& m_doc;
    std::vector<Thumbnail> m_thumbnails;
    // The image the keys act on.
    int m_current = 0;
};

} // namespace tintor
