#include "window/qt_file_dialogs.h"

#include "colour/colour_script.h"
#include "colour/palette.h"
#include "window/qt_paths.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace tintor {

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString Tr(const char* text) { return QCoreApplication::translate("tintor::CQtFileDialogs", text); }

// The filter names the core hands over in Japanese, for their translation.
[[maybe_unused]] const char* const kFilterNames[] = {
    QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "すべてのﾌｧｲﾙ (*.*)"),
};

} // namespace

QString CQtFileDialogs::DialogTitle(bool save, std::string_view defaultExtension)
{
    // Colour tables and palettes are asked for under titles of their own, so
    // that saving one is not taken for saving the movie.
    if (defaultExtension.starts_with('.'))
        defaultExtension.remove_prefix(1);
    if (defaultExtension == kColorScriptExtension)
        return save ? Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "カラーテーブルを保存"))
                    : Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "カラーテーブルを開く"));
    if (save && defaultExtension == PaletteExtension(PaletteFormat::Gimp))
        return Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "パレットを書き出す"));
    return save ? Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "名前を付けて保存"))
                : Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "開く"));
}

QStringList CQtFileDialogs::ToNameFilters(std::string_view filter)
{
    const QStringList parts = FromUtf8(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break; // the "||" that ends the list
        const QString name = Tr(parts[i].toUtf8().constData());
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
    QString extension = FromUtf8(defaultExtension);
    if (extension.startsWith(u'.'))
        extension.remove(0, 1);
    QFileDialog dialog(QApplication::activeWindow(), DialogTitle(save, defaultExtension));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(ToNameFilters(filter));
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
