#include "views/bitmap_strip.h"

#include "swf/colour_key.h"

#include <QEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QScrollBar>
#include <QStringList>
#include <QToolTip>

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace tintor {

namespace {

constexpr int kMarkWidth = 3;

// Why an image cannot be recoloured, in the core's words, with the window's
// Japanese for each; the English window shows the core's own words, and a
// reason not listed is shown as it came.
struct ProblemText {
    std::string_view core;
    const char* text;
};

const ProblemText kProblemTexts[] = {
    {"corrupt image data", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "画像のデータが壊れています")},
    {"corrupt JPEG data", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "JPEG のデータが壊れています")},
    {"corrupt PNG data", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "PNG のデータが壊れています")},
    {"corrupt GIF data", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "GIF のデータが壊れています")},
    {"corrupt alpha data", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "透明度のデータが壊れています")},
    {"image too large", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "画像が大きすぎます")},
    {"cut short by the end of the movie",
        QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "ムービーの終わりで途切れています")},
    {"the movie's JPEGTables cannot encode a new image",
        QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "ムービーの JPEGTables では画像を作り直せません")},
    {"corrupt JPEGTables", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "JPEGTables のデータが壊れています")},
    {"too little data for its size", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "大きさのわりにデータが足りません")},
    {"JPEG data cut short", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "JPEG のデータが途中で切れています")},
    {"arithmetic-coded JPEG", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "算術符号化の JPEG です")},
    {"GIF canvas of zero width or height", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "GIF の画面の幅か高さが 0 です")},
    {"not enough memory", QT_TRANSLATE_NOOP("tintor::CBitmapStrip", "メモリが足りません")},
};

// A thumbnail in a QImage of its own.
QImage ImageOf(const std::optional<BitmapThumbnail>& thumbnail)
{
    if (!thumbnail || thumbnail->width == 0 || thumbnail->height == 0)
        return QImage();
    const auto width = static_cast<int>(thumbnail->width);
    const auto height = static_cast<int>(thumbnail->height);
    return QImage(thumbnail->rgba.data(), width, height, width * 4, QImage::Format_RGBA8888).copy();
}

} // namespace

CBitmapStrip::CBitmapStrip(CTintorDoc& doc, QWidget* parent) : QAbstractScrollArea(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("bitmapStrip"));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(palette);
    horizontalScrollBar()->setSingleStep(kCellSize / 2);
    Forget();
}

int CBitmapStrip::Count() const { return static_cast<int>(m_doc.GetBitmaps().Entries().size()); }

void CBitmapStrip::Forget()
{
    // A new movie's images may share nothing with the old ones but their
    // places in the list.
    m_thumbnails.clear();
    m_current = 0;
    Refresh();
}

void CBitmapStrip::Refresh()
{
    // Thumbnails stay while their committed images do: undo and redo decode
    // nothing again.
    m_thumbnails.resize(static_cast<std::size_t>(Count()));
    setVisible(Count() > 0);
    UpdateScrollBar();
    viewport()->update();
}

void CBitmapStrip::Redraw()
{
    if (m_thumbnails.size() != static_cast<std::size_t>(Count()))
        Refresh();
    viewport()->update();
}

QSize CBitmapStrip::sizeHint() const
{
    const int frame = 2 * frameWidth();
    const int bar = horizontalScrollBar()->sizeHint().height();
    return {kCellSize * 4 + frame, kCellSize + bar + frame};
}

QSize CBitmapStrip::minimumSizeHint() const { return sizeHint(); }

void CBitmapStrip::UpdateScrollBar()
{
    QScrollBar* bar = horizontalScrollBar();
    bar->setRange(0, std::max(0, Count() * kCellSize - viewport()->width()));
    bar->setPageStep(viewport()->width());
}

void CBitmapStrip::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
}

QRect CBitmapStrip::CellRect(int index) const
{
    return {index * kCellSize - horizontalScrollBar()->value(), 0, kCellSize, kCellSize};
}

int CBitmapStrip::IndexAt(const QPoint& point) const
{
    if (point.y() < 0 || point.y() >= kCellSize)
        return -1;
    const int x = point.x() + horizontalScrollBar()->value();
    const int index = x < 0 ? -1 : x / kCellSize;
    return index < Count() ? index : -1;
}

const QImage& CBitmapStrip::CommittedThumbnail(int index)
{
    const BitmapEntry& entry = m_doc.GetBitmaps().Entries()[static_cast<std::size_t>(index)];
    Thumbnail& thumbnail = m_thumbnails[static_cast<std::size_t>(index)];
    const CSwfFile& movie = m_doc.GetMovie();
    // Decoded at the thumbnail's size, from the image's encoded bytes: the
    // image as loaded, or as its changes re-encoded it. Data that does not
    // decode gives none.
    if (!entry.committed) {
        if (!thumbnail.loadedMade) {
            thumbnail.loadedMade = true;
            thumbnail.loaded = ImageOf(CBitmapImage::Thumbnail(SourceOf(movie, entry.record), kThumbnailSize));
        }
        return thumbnail.loaded;
    }
    if (thumbnail.from != entry.committed) {
        thumbnail.from = entry.committed;
        thumbnail.committed
            = ImageOf(CBitmapImage::Thumbnail(entry.committed->Source(movie.JpegTables()), kThumbnailSize));
    }
    return thumbnail.committed;
}

QImage CBitmapStrip::ThumbnailOf(int index)
{
    if (index < 0 || index >= Count())
        return QImage();
    m_thumbnails.resize(static_cast<std::size_t>(Count()));
    QImage image = CommittedThumbnail(index);
    const BitmapEntry& entry = m_doc.GetBitmaps().Entries()[static_cast<std::size_t>(index)];
    const CColorTable& table = m_doc.GetColorTable();
    if (image.isNull() || !entry.selected || table.ParametersAreDefault())
        return image;
    // The sliders as the image will take them; the re-encoded image waits
    // for Apply.
    image = image.convertToFormat(QImage::Format_RGBA8888);
    const RecolourFn recolour = ImageChangeOf(table)();
    std::unordered_map<std::uint32_t, std::uint32_t> shifted;
    for (int y = 0; y < image.height(); ++y) {
        auto* pixel = reinterpret_cast<std::uint8_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x, pixel += 4) {
            const std::uint32_t rgb = pixel[0] | pixel[1] << 8 | static_cast<std::uint32_t>(pixel[2]) << 16;
            auto [it, added] = shifted.try_emplace(rgb, 0);
            if (added)
                it->second = recolour(rgb);
            pixel[0] = static_cast<std::uint8_t>(it->second & 0xFF);
            pixel[1] = static_cast<std::uint8_t>((it->second >> 8) & 0xFF);
            pixel[2] = static_cast<std::uint8_t>((it->second >> 16) & 0xFF);
        }
    }
    return image;
}

QString CBitmapStrip::ToolTipOf(int index) const
{
    if (index < 0 || index >= Count())
        return QString();
    const BitmapEntry& entry = m_doc.GetBitmaps().Entries()[static_cast<std::size_t>(index)];
    const BitmapDescription& d = entry.description;
    QStringList lines;
    lines << tr("画像 %1").arg(entry.record.characterId);
    lines << QStringLiteral("%1 × %2 %3").arg(d.width).arg(d.height).arg(QString::fromLatin1(d.format));
    if (!d.Recolourable()) {
        QString reason = QString::fromStdString(d.problem);
        for (const ProblemText& problem : kProblemTexts)
            if (problem.core == d.problem)
                reason = tr(problem.text);
        lines << tr("色を変えられません: %1").arg(reason);
    } else if (entry.selected)
        lines << tr("選択中");
    return lines.join(u'\n');
}

void CBitmapStrip::PaintCell(QPainter& painter, int index)
{
    const BitmapEntry& entry = m_doc.GetBitmaps().Entries()[static_cast<std::size_t>(index)];
    const QRect cell = CellRect(index);
    const QRect box = cell.adjusted(2, 2, -3, -3);
    const QImage image = ThumbnailOf(index);
    const bool usable = entry.description.Recolourable();
    if (!image.isNull()) {
        const QPoint at(box.center().x() - image.width() / 2 + 1, box.center().y() - image.height() / 2 + 1);
        // A checkerboard shows through transparent parts as image editors do.
        painter.fillRect(QRect(at, image.size()), QBrush(QColor(0xE0, 0xE0, 0xE0), Qt::Dense4Pattern));
        painter.drawImage(at, image);
    }
    if (!usable) {
        // Greyed, with a cross when there is nothing to show at all.
        painter.fillRect(box, QColor(0x80, 0x80, 0x80, image.isNull() ? 0x60 : 0xB0));
        if (image.isNull()) {
            painter.setPen(QPen(QColor(0x70, 0x70, 0x70), 1));
            painter.drawLine(box.topLeft(), box.bottomRight());
            painter.drawLine(box.topRight(), box.bottomLeft());
        }
    }
    painter.setPen(QPen(QColor(0xB0, 0xB0, 0xB0), 1));
    painter.drawRect(box);
    if (index == m_current && hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
    }
    if (entry.selected) {
        // A frame in the selection's colour and a tick in its corner.
        const QColor mark = palette().color(QPalette::Active, QPalette::Highlight);
        painter.setPen(QPen(mark, kMarkWidth));
        painter.drawRect(box.adjusted(1, 1, -1, -1));
        const QRect tick(box.right() - 13, box.top() + 1, 13, 13);
        painter.fillRect(tick, mark);
        painter.setPen(QPen(palette().color(QPalette::Active, QPalette::HighlightedText), 2));
        painter.drawPolyline(QPolygon({QPoint(tick.left() + 3, tick.top() + 7),
            QPoint(tick.left() + 5, tick.top() + 10), QPoint(tick.right() - 2, tick.top() + 3)}));
    }
}

void CBitmapStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), viewport()->palette().color(QPalette::Base));
    m_thumbnails.resize(static_cast<std::size_t>(Count()));
    // Only the cells on screen, however many images.
    const int first = std::max(0, horizontalScrollBar()->value() / kCellSize);
    const int last = std::min(Count() - 1, (horizontalScrollBar()->value() + viewport()->width()) / kCellSize);
    for (int index = first; index <= last; ++index)
        PaintCell(painter, index);
}

void CBitmapStrip::Click(int index, Qt::KeyboardModifiers modifiers)
{
    if (index < 0 || index >= Count())
        return;
    const auto& entries = m_doc.GetBitmaps().Entries();
    const BitmapEntry& clicked = entries[static_cast<std::size_t>(index)];
    if (!clicked.description.Recolourable())
        return;
    const bool add = (modifiers & (Qt::ControlModifier | Qt::ShiftModifier)) != 0;
    const bool onlyOne = clicked.selected
        && std::count_if(entries.begin(), entries.end(), [](const BitmapEntry& e) { return e.selected; }) == 1;
    const BitmapEntry* target = &clicked;
    m_doc.SelectBitmapsWhere([&](const BitmapEntry& e) {
        if (&e == target)
            return add ? !e.selected : !onlyOne;
        return add && e.selected;
    });
    viewport()->update();
    emit selectionChanged();
}

void CBitmapStrip::SelectAll()
{
    m_doc.SelectBitmapsWhere([](const BitmapEntry&) { return true; });
    viewport()->update();
    emit selectionChanged();
}

void CBitmapStrip::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const int index = IndexAt(event->position().toPoint());
    if (index >= 0)
        m_current = index;
    Click(index, event->modifiers());
    event->accept();
}

void CBitmapStrip::keyPressEvent(QKeyEvent* event)
{
    const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    if (step != 0 && Count() > 0) {
        m_current = std::clamp(m_current + step, 0, Count() - 1);
        // The cell comes into view.
        QScrollBar* bar = horizontalScrollBar();
        const QRect cell = CellRect(m_current);
        if (cell.left() < 0)
            bar->setValue(bar->value() + cell.left());
        else if (cell.right() >= viewport()->width())
            bar->setValue(bar->value() + cell.right() - viewport()->width() + 1);
        viewport()->update();
        return;
    }
    if (event->key() == Qt::Key_Space) {
        Click(m_current, Qt::ControlModifier);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CBitmapStrip::mouseReleaseEvent(QMouseEvent* event)
{
    // The press did the click's work; its release is this strip's too.
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QAbstractScrollArea::mouseReleaseEvent(event);
}

bool CBitmapStrip::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int index = IndexAt(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), ToolTipOf(index), viewport(), CellRect(index));
        else
            QToolTip::showText(help->globalPos(), tr("クリックで画像を選択 (Ctrl・Shift で追加)"), viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CBitmapStrip::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange)
        viewport()->update();
    QAbstractScrollArea::changeEvent(event);
}

} // namespace tintor
