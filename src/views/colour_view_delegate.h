#pragma once

#include <QColor>
#include <QStyledItemDelegate>

#include <cstdint>
#include <string_view>

namespace tintor {

class CTintorDoc;

// Paints one colour of the list: a frame that shows whether the item is
// selected, the swatch in the colour the document gives for the key (with
// the pending effect when selected) and the kind label.
class CColorSwatchDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kItemWidth = 40;
    static constexpr int kItemHeight = 24;
    // Lightness byte below which a label is drawn in white.
    static constexpr std::uint32_t kDarkLightness = 112;

    explicit CColorSwatchDelegate(CTintorDoc& doc, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The swatch of a colour as GetColor gives it (its kind in bits 25-31)
    // with its label into rect.
    void DrawSwatch(QPainter& painter, const QRect& rect, std::uint32_t c) const;
    // The small padlock of a locked colour, in the bottom right corner of the
    // swatch's rectangle, drawn so that it shows on any colour.
    static void DrawLockMark(QPainter& painter, const QRect& swatch);
    // The part of an item's rectangle that DrawSwatch paints.
    static QRect SwatchRect(const QRect& itemRect) { return itemRect.adjusted(4, 4, -4, -4); }
    // A kind's label in the window's language: "線" for "LINE".
    static QString LabelText(std::string_view label);
    // The mark of a selected item over its swatch: an outline and a check
    // in the mark colour.
    void DrawSelectionMark(QPainter& painter, const QRect& itemRect) const;
    static constexpr QColor kMarkColour{0x10, 0x60, 0xF0};
    // The font of the kind labels.
    const QFont& LabelFont() const { return m_labelFont; }
    // The font a label is drawn in where room pixels are left for it: the
    // label font, condensed just enough for a longer label ("スクリプト") to
    // fit.
    QFont LabelFontFor(const QString& label, int room) const;

private:
    CTintorDoc& m_doc;
    QFont m_labelFont;
};

} // namespace tintor
