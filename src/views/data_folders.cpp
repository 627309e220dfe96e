#include "views/data_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tintor {

namespace {

#if defined(TINTOR_INSTALLED_DATA)
constexpr auto kInstalledData = TINTOR_INSTALLED_DATA;
#else
constexpr auto kInstalledData = "../share/tintor";
#endif

bool IsInside(const QString& path, const QString& folder)
{
    const QString inner = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString outer = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return inner == outer || inner.startsWith(outer + u'/');
}

} // namespace

QStringList DataFolders(const QString& name)
{
    const QDir program(QCoreApplication::applicationDirPath());
    QStringList folders{
        program.filePath(name), QDir::cleanPath(program.filePath(QString::fromLatin1(kInstalledData) + u'/' + name))};
#if defined(TINTOR_BUILD_DIR)
    const QString build = QString::fromUtf8(TINTOR_BUILD_DIR);
    if (IsInside(program.path(), build))
        folders << QDir(build).filePath(name);
#endif
    folders.removeDuplicates();
    return folders;
}

} // namespace tintor
