#include "views/hue_range_dialog.h"

#include "colour/oklab.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPainter>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace tintor {

namespace {

constexpr auto kOrganisation = "Reru Zuvidivi";
constexpr auto kApplication = "Tintor";
constexpr auto kFromKey = "Selection/HueFrom";
constexpr auto kToKey = "Selection/HueTo";
// The strip's lightness and chroma: every hue of it lies inside sRGB, so
// none is clipped to another.
constexpr double kStripLightness = 0.72;
constexpr double kStripChroma = 0.11;

QSettings Settings() { return QSettings(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication)); }

QColor HueColour(double hue)
{
    const std::uint32_t rgb = RgbOfOkLab(FromOkLch({kStripLightness, kStripChroma, hue}));
    return QColor(
        static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>((rgb >> 16) & 0xFF));
}

} // namespace

CHueStrip::CHueStrip(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(180, 20);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CHueStrip::SetRange(const HueRange& range)
{
    m_range = range;
    update();
}

void CHueStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    for (int x = 0; x < w; ++x) {
        const double hue = (x + 0.5) * 360.0 / w;
        QColor colour = HueColour(hue);
        // Outside the range the hue fades towards the window's background.
        if (!m_range.Contains(hue))
            colour = QColor::fromRgbF(
                colour.redF() * 0.25f + 0.75f * static_cast<float>(palette().window().color().redF()),
                colour.greenF() * 0.25f + 0.75f * static_cast<float>(palette().window().color().greenF()),
                colour.blueF() * 0.25f + 0.75f * static_cast<float>(palette().window().color().blueF()));
        painter.fillRect(QRect(x, 0, 1, height()), colour);
    }
    painter.setPen(palette().windowText().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

CHueRangeDialog::CHueRangeDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("色相で選択"));
    m_from = new QSpinBox(this);
    m_to = new QSpinBox(this);
    for (QSpinBox* box : {m_from, m_to}) {
        box->setRange(0, 360);
        box->setSuffix(QStringLiteral("°"));
        box->setWrapping(true);
        connect(box, &QSpinBox::valueChanged, this, [this] { UpdateStrip(); });
    }
    m_from->setObjectName(QStringLiteral("hueFrom"));
    m_to->setObjectName(QStringLiteral("hueTo"));
    m_strip = new CHueStrip(this);

    auto* note = new QLabel(tr("色相 (OKLCh) がこの範囲にある色を、灰色を除いてすべて選択に加えます。"
                               "始まりが終わりより大きいと 0° をまたぎます。ロックした色は選ばれません。"),
        this);
    note->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(tr("始まり(&F):"), m_from);
    form->addRow(tr("終わり(&T):"), m_to);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addLayout(form);
    layout->addWidget(m_strip);
    layout->addWidget(buttons);

    const QSettings settings = Settings();
    // Reds and oranges until the user chooses otherwise.
    SetRange({settings.value(QString::fromLatin1(kFromKey), 0).toDouble(),
        settings.value(QString::fromLatin1(kToKey), 60).toDouble()});
}

HueRange CHueRangeDialog::Range() const
{
    return {static_cast<double>(m_from->value()), static_cast<double>(m_to->value())};
}

void CHueRangeDialog::SetRange(const HueRange& range)
{
    m_from->setValue(static_cast<int>(std::lround(range.from)));
    m_to->setValue(static_cast<int>(std::lround(range.to)));
    UpdateStrip();
}

void CHueRangeDialog::UpdateStrip() { m_strip->SetRange(Range()); }

void CHueRangeDialog::accept()
{
    QSettings settings = Settings();
    settings.setValue(QString::fromLatin1(kFromKey), m_from->value());
    settings.setValue(QString::fromLatin1(kToKey), m_to->value());
    QDialog::accept();
}

} // namespace tintor
