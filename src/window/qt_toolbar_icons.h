#pragma once

#include <QIcon>

namespace tintor {

// The tool bar's 16 x 15 button images, drawn in code so they stay crisp and
// need no image files.
enum class ToolIcon { Open, Save, Undo, Redo, SetColor, About, Original };

QIcon MakeToolIcon(ToolIcon which);
// Four swatches in a frame, at 16 and 32 pixels.
QIcon MakeApplicationIcon();

} // namespace tintor
