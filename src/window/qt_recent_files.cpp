#include "window/qt_recent_files.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace tintor {

namespace {

constexpr auto kOrganisation = "Reru Zuvidivi";
constexpr auto kApplication = "Tintor";
constexpr auto kGroup = "Recent File List";

QString KeyOf(int i) { return QStringLiteral("File%1").arg(i + 1); }

QString Normalised(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

} // namespace

CRecentFileList::CRecentFileList()
{
    QSettings settings(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication));
    settings.beginGroup(QString::fromLatin1(kGroup));
    for (int i = 0; i < kSize; ++i) {
        const QString file = settings.value(KeyOf(i)).toString();
        if (!file.isEmpty() && !m_files.contains(file))
            m_files << file;
    }
}

void CRecentFileList::Add(const QString& path)
{
    const QString file = Normalised(path);
    m_files.removeAll(file);
    m_files.prepend(file);
    while (m_files.size() > kSize)
        m_files.removeLast();
    Store();
}

void CRecentFileList::Remove(const QString& path)
{
    m_files.removeAll(path);
    m_files.removeAll(Normalised(path));
    Store();
}

void CRecentFileList::Store() const
{
    QSettings settings(QString::fromLatin1(kOrganisation), QString::fromLatin1(kApplication));
    settings.beginGroup(QString::fromLatin1(kGroup));
    for (int i = 0; i < kSize; ++i) {
        if (i < m_files.size())
            settings.setValue(KeyOf(i), m_files[i]);
        else
            settings.remove(KeyOf(i));
    }
}

} // namespace tintor
