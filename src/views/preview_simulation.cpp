// The preview's colour-vision simulation: an SVG filter over the player's
// stage in the host page, so that the movie itself is never touched.
#include "views/preview_page.h"
#include "views/preview_view.h"

#include "colour/vision_filter.h"

namespace tintor {

void CTintorView::SetSimulation(VisionSimulation vision)
{
    if (vision == m_simulation)
        return;
    m_simulation = vision;
    SendSimulation();
    UpdateOverlays();
}

QString CTintorView::SimulationMark() const
{
    QString name;
    switch (m_simulation) {
    case VisionSimulation::Normal:
        return QString();
    case VisionSimulation::Protanopia:
        name = tr("1型色覚 (P型)");
        break;
    case VisionSimulation::Deuteranopia:
        name = tr("2型色覚 (D型)");
        break;
    case VisionSimulation::Tritanopia:
        name = tr("3型色覚 (T型)");
        break;
    case VisionSimulation::Greyscale:
        name = tr("グレースケール");
        break;
    }
    return tr("色覚シミュレーション: %1").arg(name);
}

void CTintorView::SendSimulation()
{
    // A page on its way gets it once it reports ready.
    if (!m_hostReady)
        return;
    const std::string markup = VisionFilterMarkup(m_simulation, "tintor-vision");
    // The markup holds only numbers and fixed names: no quote to escape.
    m_page->runJavaScript(QStringLiteral("tintor.simulate('%1')").arg(QString::fromStdString(markup)));
}

} // namespace tintor
