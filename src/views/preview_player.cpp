#include "views/preview_player.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace tintor {

namespace {

QStringList PlayerFolders()
{
    QStringList folders;
    folders << QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kPlayerFolderName));
#if defined(TINTOR_PLAYER_BUILD_DIR)
    // Tests and other programs of the build tree live in other folders than
    // the one the player was copied to.
    folders << QString::fromUtf8(TINTOR_PLAYER_BUILD_DIR);
#endif
    return folders;
}

} // namespace

std::optional<QUrl> FindPlayerHostPage()
{
    for (const QString& folder : PlayerFolders()) {
        const QDir dir(folder);
        const QFileInfo page(dir.filePath(QString::fromLatin1(kPlayerHostPage)));
        if (page.isFile() && QFileInfo(dir.filePath(QStringLiteral("ruffle.js"))).isFile())
            return QUrl::fromLocalFile(page.absoluteFilePath());
    }
    return std::nullopt;
}

QString PlayerSearchDescription() { return PlayerFolders().join(QStringLiteral(", ")); }

} // namespace tintor
