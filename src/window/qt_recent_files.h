#pragma once

#include <QString>
#include <QStringList>

namespace tintor {

// The most recently opened or saved files, newest first, kept in the
// program's settings under "Reru Zuvidivi"/"Tintor".
class CRecentFileList {
public:
    static constexpr int kSize = 4;

    // Reads the list from the settings.
    CRecentFileList();

    const QStringList& Files() const { return m_files; }
    // Puts the file at the top (once) and stores the list.
    void Add(const QString& path);
    void Remove(const QString& path);

private:
    void Store() const;

    QStringList m_files;
};

} // namespace tintor
