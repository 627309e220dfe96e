#pragma once

#include "colour/colour_selection.h"

#include <QDialog>
#include <QWidget>

class QSpinBox;

namespace tintor {

// A strip of every OKLCh hue from 0 to 360 degrees at one lightness and
// chroma, the hues outside the range dimmed (a range with from > to wraps
// through 0).
class CHueStrip final : public QWidget {
    Q_OBJECT
public:
    explicit CHueStrip(QWidget* parent = nullptr);
    void SetRange(const HueRange& range);
    QSize sizeHint() const override { return {360, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    HueRange m_range;
};

// Edit > select by hue: a hue range as two numbers of degrees, with the
// strip showing what lies between them. The range is kept for next time.
class CHueRangeDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CHueRangeDialog(QWidget* parent = nullptr);
    HueRange Range() const;
    void SetRange(const HueRange& range);
    QSpinBox* FromBox() const { return m_from; }
    QSpinBox* ToBox() const { return m_to; }
    // Keeps the range in the settings when accepted.
    void accept() override;

private:
    void UpdateStrip();

    QSpinBox* m_from = nullptr;
    QSpinBox* m_to = nullptr;
    CHueStrip* m_strip = nullptr;
};

} // namespace tintor
