#include "window/qt_toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tintor {

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 15;

void DrawOpen(QPainter& p)
{
    // A folder with its flap open.
    p.setPen(QColor(0x80, 0x60, 0x00));
    p.setBrush(QColor(0xE8, 0xC0, 0x40));
    p.drawRect(1, 3, 11, 9);
    p.drawRect(1, 2, 4, 1);
    QPolygon flap;
    flap << QPoint(3, 6) << QPoint(15, 6) << QPoint(12, 12) << QPoint(1, 12);
    p.setBrush(QColor(0xFF, 0xE0, 0x70));
    p.drawPolygon(flap);
}

void DrawSave(QPainter& p)
{
    // A diskette: body, label and shutter.
    p.setPen(QColor(0x10, 0x10, 0x40));
    p.setBrush(QColor(0x30, 0x50, 0xA0));
    p.drawRect(1, 1, 13, 12);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 7, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xC0, 0xC0, 0xC0));
    p.drawRect(4, 9, 7, 4);
    p.setBrush(QColor(0x30, 0x50, 0xA0));
    p.drawRect(8, 10, 2, 2);
}

void DrawArrow(QPainter& p, bool towardsLeft)
{
    p.setRenderHint(QPainter::Antialiasing);
    if (!towardsLeft) {
        p.translate(kWidth, 0);
        p.scale(-1, 1);
    }
    // A curve from the right that bends back to the left, with a head.
    QPainterPath curve;
    curve.moveTo(13.5, 12.0);
    curve.cubicTo(14.5, 5.0, 9.0, 3.5, 4.5, 6.0);
    p.setPen(QPen(QColor(0x10, 0x40, 0x90), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    QPolygonF head;
    head << QPointF(1.0, 7.5) << QPointF(6.5, 2.5) << QPointF(7.0, 10.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x10, 0x40, 0x90));
    p.drawPolygon(head);
}

void DrawSetColor(QPainter& p)
{
    // A drop of paint above the swatch it colours.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.setBrush(QColor(0xE6, 0x39, 0x46));
    p.drawRect(QRectF(1.5, 9.5, 13, 4));
    QPainterPath drop;
    drop.moveTo(8.0, 0.5);
    drop.cubicTo(10.0, 3.5, 11.5, 5.0, 11.5, 6.5);
    drop.arcTo(QRectF(4.5, 3.0, 7.0, 6.0), 0.0, -180.0);
    drop.cubicTo(4.5, 5.0, 6.0, 3.5, 8.0, 0.5);
    p.setBrush(QColor(0xE6, 0x39, 0x46));
    p.drawPath(drop);
}

void DrawOriginal(QPainter& p)
{
    // One swatch, half as it was and half as it is now.
    p.setPen(QColor(0x30, 0x30, 0x30));
    p.setBrush(QColor(0x40, 0x80, 0xE0));
    p.drawRect(1, 1, 13, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE0, 0x60, 0x30));
    QPolygon now;
    now << QPoint(14, 2) << QPoint(14, 13) << QPoint(2, 13);
    p.drawPolygon(now);
}

void DrawAbout(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x10, 0x30, 0x80));
    p.setBrush(QColor(0x40, 0x70, 0xD0));
    p.drawEllipse(QRectF(1.5, 0.5, 13, 13));
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 0.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
}

QPixmap Blank(int w, int h)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap ApplicationPixmap(int size)
{
    QPixmap pixmap = Blank(size, size);
    QPainter p(&pixmap);
    const int half = size / 2;
    const int m = size / 16;
    const QColor colours[] = {{0xE6, 0x39, 0x46}, {0xE9, 0xC4, 0x6A}, {0x2A, 0x9D, 0x8F}, {0x1F, 0x3A, 0x93}};
    p.fillRect(0, 0, size, size, QColor(0x20, 0x20, 0x20));
    p.fillRect(m, m, half - m, half - m, colours[0]);
    p.fillRect(half, m, half - m, half - m, colours[1]);
    p.fillRect(m, half, half - m, half - m, colours[2]);
    p.fillRect(half, half, half - m, half - m, colours[3]);
    return pixmap;
}

} // namespace

QIcon MakeToolIcon(ToolIcon which)
{
    QPixmap pixmap = Blank(kWidth, kHeight);
    QPainter p(&pixmap);
    switch (which) {
    case ToolIcon::Open:
        DrawOpen(p);
        break;
    case ToolIcon::Save:
        DrawSave(p);
        break;
    case ToolIcon::Undo:
        DrawArrow(p, true);
        break;
    case ToolIcon::Redo:
        DrawArrow(p, false);
        break;
    case ToolIcon::SetColor:
        DrawSetColor(p);
        break;
    case ToolIcon::About:
        DrawAbout(p);
        break;
    case ToolIcon::Original:
        DrawOriginal(p);
        break;
    }
    p.end();
    return QIcon(pixmap);
}

QIcon MakeApplicationIcon()
{
    QIcon icon;
    icon.addPixmap(ApplicationPixmap(16));
    icon.addPixmap(ApplicationPixmap(32));
    return icon;
}

} // namespace tintor
