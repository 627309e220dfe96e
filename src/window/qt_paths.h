#pragma once

#include <QFile>
#include <QString>

#include <filesystem>

namespace tintor {

// File names cross between Qt and the core in the system's own encoding,
// so names that are not valid UTF-8 survive the trip.
inline QString ToQString(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

inline std::filesystem::path ToPath(const QString& name)
{
    return std::filesystem::path(QFile::encodeName(name).toStdString());
}

} // namespace tintor
