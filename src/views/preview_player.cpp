#include "views/preview_player.h"

#include "views/data_folders.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace tintor {

std::optional<QUrl> FindPlayerHostPage()
{
    for (const QString& folder : DataFolders(QString::fromLatin1(kPlayerFolderName))) {
        const QDir dir(folder);
        const QFileInfo page(dir.filePath(QString::fromLatin1(kPlayerHostPage)));
        if (page.isFile() && QFileInfo(dir.filePath(QStringLiteral("ruffle.js"))).isFile())
            return QUrl::fromLocalFile(page.absoluteFilePath());
    }
    return std::nullopt;
}

QString PlayerSearchDescription()
{
    return DataFolders(QString::fromLatin1(kPlayerFolderName)).join(QStringLiteral(", "));
}

} // namespace tintor
