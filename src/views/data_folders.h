#pragma once

#include <QString>
#include <QStringList>

namespace tintor {

// Where the program's own files (the preview's player, the translations)
// live: in a folder of that name beside the program, as the build tree has
// them, or under ../share/tintor from the program, as an installed tree has
// them. A program started inside the build tree (the tests) also finds the
// build tree's top folder; an installed one never looks there, so that it
// uses what was installed with it.
QStringList DataFolders(const QString& name);

} // namespace tintor
