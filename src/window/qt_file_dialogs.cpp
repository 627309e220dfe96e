#include "window/qt_file_dialogs.h"

#include "window/qt_paths.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace tintor {

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

} // namespace

QStringList CQtFileDialogs::ToNameFilters(std::string_view filter)
{
    const QStringList parts = FromUtf8(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        if (name.isEmpty())
            break; // the "||" that ends the list
        // Qt reads the patterns from the brackets of the name; the classic
        // form separates several patterns with ';'.
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        filters << (name.contains(u'(') ? name : name + QStringLiteral(" (") + patterns + u')');
    }
    return filters;
}

QString CQtFileDialogs::SuffixOf(const QString& nameFilter)
{
    static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.(\w+)[ )])"));
    const QRegularExpressionMatch match = pattern.match(nameFilter);
    return match.hasMatch() ? match.captured(1) : QString();
}

std::optional<std::filesystem::path> CQtFileDialogs::AskOpenFile(
    std::string_view initialName, std::string_view filter, std::string_view defaultExtension)
{
    return Ask(false, initialName, filter, defaultExtension);
}

std::optional<std::filesystem::path> CQtFileDialogs::AskSaveFile(
    std::string_view initialName, std::string_view filter, std::string_view defaultExtension)
{
    return Ask(true, initialName, filter, defaultExtension);
}

std::optional<std::filesystem::path> CQtFileDialogs::Ask(
    bool save, std::string_view initialName, std::string_view filter, std::string_view defaultExtension)
{
    QFileDialog dialog(
        QApplication::activeWindow(), save ? QStringLiteral("名前を付けて保存") : QStringLiteral("開く"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(ToNameFilters(filter));
    QString extension = FromUtf8(defaultExtension);
    if (extension.startsWith(u'.'))
        extension.remove(0, 1);
    if (!extension.isEmpty())
        dialog.setDefaultSuffix(extension);
    // Where a file can be saved in several formats, a name typed without an
    // extension takes the one of the filter chosen, not the first format's.
    if (save)
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& nameFilter) {
            if (const QString suffix = SuffixOf(nameFilter); !suffix.isEmpty())
                dialog.setDefaultSuffix(suffix);
        });
    if (!m_lastFolder.isEmpty())
        dialog.setDirectory(m_lastFolder);
    if (!initialName.empty())
        dialog.selectFile(FromUtf8(initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().front();
    m_lastFolder = QFileInfo(chosen).absolutePath();
    return ToPath(chosen);
}

} // namespace tintor
