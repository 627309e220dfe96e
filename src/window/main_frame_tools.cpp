// The frame's selection tools (Edit > select by hue, Edit > Map to Palette)
// and View > Simulate, which changes how the preview shows the movie and
// nothing else.
#include "window/main_frame.h"

#include "document/tintor_doc.h"
#include "views/colour_view.h"
#include "views/preview_view.h"
#include "window/qt_frame_prompts.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace tintor {

namespace {

struct SimulationItem {
    VisionSimulation vision;
    const char* text;
};

const SimulationItem kSimulations[] = {
    {VisionSimulation::Normal, QT_TRANSLATE_NOOP("tintor::CMainFrame", "通常(&N)")},
    {VisionSimulation::Protanopia, QT_TRANSLATE_NOOP("tintor::CMainFrame", "1型色覚 (P型)(&P)")},
    {VisionSimulation::Deuteranopia, QT_TRANSLATE_NOOP("tintor::CMainFrame", "2型色覚 (D型)(&D)")},
    {VisionSimulation::Tritanopia, QT_TRANSLATE_NOOP("tintor::CMainFrame", "3型色覚 (T型)(&T)")},
    {VisionSimulation::Greyscale, QT_TRANSLATE_NOOP("tintor::CMainFrame", "グレースケール(&G)")},
};

} // namespace

void CMainFrame::CreateToolActions()
{
    for (Command command :
        {Command::EditSelectHues, Command::EditMapPaletteNearest, Command::EditMapPaletteLightness}) {
        auto* action = new QAction(this);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setIconVisibleInMenu(false);
        m_actions[static_cast<std::size_t>(command)] = action;
        addAction(action);
    }
    connect(Action(Command::EditSelectHues), &QAction::triggered, this, [this] { OnEditSelectHues(); });
    connect(Action(Command::EditMapPaletteNearest), &QAction::triggered, this,
        [this] { OnEditMapPalette(PaletteMatch::Nearest); });
    connect(Action(Command::EditMapPaletteLightness), &QAction::triggered, this,
        [this] { OnEditMapPalette(PaletteMatch::ByLightness); });

    // One of them is always checked: the preview is seen one way at a time.
    auto* group = new QActionGroup(this);
    for (const SimulationItem& item : kSimulations) {
        auto* action = new QAction(this);
        action->setCheckable(true);
        action->setChecked(item.vision == VisionSimulation::Normal);
        group->addAction(action);
        const VisionSimulation vision = item.vision;
        connect(action, &QAction::triggered, this, [this, vision] { OnViewSimulate(vision); });
        m_simulationActions[static_cast<std::size_t>(vision)] = action;
    }
}

void CMainFrame::AddToolMenus()
{
    m_editMenu->addSeparator();
    m_editMenu->addAction(Action(Command::EditSelectHues));
    m_mapPaletteMenu = m_editMenu->addMenu(QString());
    m_mapPaletteMenu->addAction(Action(Command::EditMapPaletteNearest));
    m_mapPaletteMenu->addAction(Action(Command::EditMapPaletteLightness));

    m_simulateMenu = m_viewMenu->addMenu(QString());
    for (const SimulationItem& item : kSimulations) {
        QAction* action = SimulationAction(item.vision);
        m_simulateMenu->addAction(action);
        if (item.vision == VisionSimulation::Normal)
            m_simulateMenu->addSeparator();
    }
}

void CMainFrame::RetranslateTools()
{
    const auto texts = [this](Command command, const QString& text, const QString& prompt) {
        Action(command)->setText(text);
        Action(command)->setStatusTip(prompt);
    };
    texts(Command::EditSelectHues, tr("色相で選択(&H)…"),
        tr("色相 (OKLCh) の範囲を指定し、その範囲の色を灰色とロックした色を除いてすべて選択に加える"));
    texts(Command::EditMapPaletteNearest, tr("近い色で(&N)…"),
        tr("選択した色をそれぞれ、パレット ファイルの中で最も近い色 (ΔE) にする"));
    texts(Command::EditMapPaletteLightness, tr("明るさの順で(&L)…"),
        tr("選択した色とパレットをそれぞれ明るさの順に並べ、同じ順位のパレットの色にする"));
    m_mapPaletteMenu->setTitle(tr("パレットに合わせる(&M)"));
    m_simulateMenu->setTitle(tr("色覚シミュレーション(&I)"));
    for (const SimulationItem& item : kSimulations) {
        QAction* action = SimulationAction(item.vision);
        action->setText(tr(item.text));
        action->setStatusTip(tr("プレビューだけをこの見え方で表示する (ムービーは変わらない)"));
    }
}

void CMainFrame::UpdateToolsUI()
{
    const bool movie = m_doc.OnUpdateNeedMovie();
    Action(Command::EditSelectHues)->setEnabled(movie);
    Action(Command::EditMapPaletteNearest)->setEnabled(m_doc.OnUpdateNeedSelection());
    Action(Command::EditMapPaletteLightness)->setEnabled(m_doc.OnUpdateNeedSelection());
    m_mapPaletteMenu->setEnabled(m_doc.OnUpdateNeedSelection());
}

void CMainFrame::OnEditSelectHues()
{
    if (!m_doc.OnUpdateNeedMovie())
        return;
    if (const auto range = m_prompts.AskHueRange(this))
        m_colorView->SelectHues(*range);
    UpdateCommandUI();
}

void CMainFrame::OnEditMapPalette(PaletteMatch match)
{
    if (!m_doc.OnUpdateNeedSelection())
        return;
    m_doc.MapSelectedToPaletteFile(match);
    UpdateCommandUI();
}

void CMainFrame::OnViewSimulate(VisionSimulation vision)
{
    m_preview->SetSimulation(vision);
    // A pixel picked from the pane is then a colour as seen that way.
    m_colorView->SetSimulation(vision);
    SimulationAction(vision)->setChecked(true);
}

} // namespace tintor
