#include "views/colour_view_delegate.h"

#include "colour/colour.h"
#include "document/tintor_doc.h"
#include "swf/colour_key.h"
#include "views/colour_view_model.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>

namespace tintor {

namespace {

QColor ToQColor(std::uint32_t c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// The kinds' labels as the window writes them; their English translations
// are the core's labels.
struct KindLabel {
    std::string_view core;
    const char* text;
};

const KindLabel kKindLabels[] = {
    {"TXT", QT_TRANSLATE_NOOP("tintor::CColorSwatchDelegate", "文字")},
    {"LINE", QT_TRANSLATE_NOOP("tintor::CColorSwatchDelegate", "線")},
    {"BG", QT_TRANSLATE_NOOP("tintor::CColorSwatchDelegate", "背景")},
    {"FLT", QT_TRANSLATE_NOOP("tintor::CColorSwatchDelegate", "効果")},
    {"TINT", QT_TRANSLATE_NOOP("tintor::CColorSwatchDelegate", "色調")},
    {"SCR", QT_TRANSLATE_NOOP("tintor::CColorSwatchDelegate", "スクリプト")},
};

} // namespace

CColorSwatchDelegate::CColorSwatchDelegate(CTintorDoc& doc, QObject* parent) : QStyledItemDelegate(parent), m_doc(doc)
{
    // A small proportional font, like the stock one the labels were made for.
    m_labelFont.setFamily(QStringLiteral("Sans Serif"));
    m_labelFont.setPixelSize(11);
}

QSize CColorSwatchDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return QSize(kItemWidth, kItemHeight);
}

void CColorSwatchDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!index.isValid())
        return;
    QRect r = option.rect;
    // The table holds the selection; Qt's selection model holds none.
    const std::size_t entry = index.data(CColorListModel::kIndexRole).toUInt();
    if (entry >= m_doc.GetColorTable().Map().Size())
        return; // rows of a table that has just been replaced, until the list is refilled
    const bool selected = m_doc.IsShownSelected(entry);
    if (selected) {
        // The outermost ring stays as the list's background.
        r.adjust(1, 1, -1, -1);
        painter->fillRect(r, Qt::black);
        r.adjust(2, 2, -2, -2);
        painter->fillRect(r, Qt::white);
    } else {
        painter->fillRect(r, Qt::white);
        r.adjust(3, 3, -3, -3);
        painter->fillRect(r, Qt::black);
    }
    r.adjust(1, 1, -1, -1);
    DrawSwatch(*painter, r, m_doc.ColorAt(entry, 1));
    if (selected)
        DrawSelectionMark(*painter, option.rect);
    // Over the selection's outline, so that both marks show.
    if (m_doc.IsLocked(m_doc.KeyAt(entry)))
        DrawLockMark(*painter, r);
}

void CColorSwatchDelegate::DrawSelectionMark(QPainter& painter, const QRect& itemRect) const
{
    // A blue ring just inside the black and white frame and a check in a
    // blue disc at the corner: seen at a glance whatever the swatch's own
    // colour, since white and black edge both.
    const QRect ring = itemRect.adjusted(4, 4, -4, -4);
    painter.fillRect(QRect(ring.left(), ring.top(), ring.width(), 2), kMarkColour);
    painter.fillRect(QRect(ring.left(), ring.bottom() - 1, ring.width(), 2), kMarkColour);
    painter.fillRect(QRect(ring.left(), ring.top(), 2, ring.height()), kMarkColour);
    painter.fillRect(QRect(ring.right() - 1, ring.top(), 2, ring.height()), kMarkColour);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(itemRect.right() - 12.5, itemRect.top() + 0.5, 12, 12);
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(kMarkColour);
    painter.drawEllipse(disc);
    painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    const QPointF check[]
        = {disc.topLeft() + QPointF(3.0, 6.2), disc.topLeft() + QPointF(5.2, 8.4), disc.topLeft() + QPointF(9.0, 3.8)};
    painter.drawPolyline(check, 3);
    painter.restore();
}

QString CColorSwatchDelegate::LabelText(std::string_view label)
{
    for (const KindLabel& known : kKindLabels)
        if (known.core == label)
            return QCoreApplication::translate("tintor::CColorSwatchDelegate", known.text);
    return QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size()));
}

void CColorSwatchDelegate::DrawSwatch(QPainter& painter, const QRect& rect, std::uint32_t c) const
{
    painter.fillRect(rect, ToQColor(c));
    const ColorKindInfo* kind = InfoOf(c);
    if (kind == nullptr || kind->label.empty())
        return;
    const std::uint32_t lightness = (CColor(c).ToHls() >> 16) & 0xFF;
    painter.save();
    painter.setClipRect(rect);
    painter.setPen(lightness < kDarkLightness ? Qt::white : Qt::black);
    const QString text = LabelText(kind->label);
    const QFont font = LabelFontFor(text, rect.width() - kind->labelX);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    painter.drawText(QPoint(rect.left() + kind->labelX, rect.top() + kind->labelY + metrics.ascent()), text);
    painter.restore();
}

QFont CColorSwatchDelegate::LabelFontFor(const QString& label, int room) const
{
    // The ink ends one pixel short of the swatch's edge.
    const int wide = QFontMetrics(m_labelFont).boundingRect(label).right() + 1;
    if (wide < room || wide <= 0)
        return m_labelFont;
    QFont condensed = m_labelFont;
    for (int stretch = 100 * room / wide; stretch > 1; --stretch) {
        condensed.setStretch(stretch);
        if (QFontMetrics(condensed).boundingRect(label).right() + 1 < room)
            break;
    }
    return condensed;
}

} // namespace tintor

namespace tintor {

void CColorSwatchDelegate::DrawLockMark(QPainter& painter, const QRect& swatch)
{
    // A 7 × 9 padlock: the shackle's arch over a solid body, black on a
    // white halo, so that it reads on light and dark swatches alike. It
    // sits at the bottom corner, below a selected swatch's check.
    const QRect body(swatch.right() - 7, swatch.bottom() - 4, 7, 5);
    const QRect shackle(body.left() + 1, body.top() - 4, 5, 8);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(swatch);
    painter.fillRect(body.adjusted(-1, -1, 1, 1), Qt::white);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawArc(shackle, 0, 180 * 16);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawArc(shackle, 0, 180 * 16);
    painter.fillRect(body, Qt::black);
    painter.restore();
}

} // namespace tintor
