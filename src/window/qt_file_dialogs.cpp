#include "window/qt_file_dialogs.h"

#include "colour/colour_script.h"
#include "colour/palette.h"
#include "window/qt_paths.h"
#include "window/qt_recent_files.h"

#include <sys/vfs.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>

#include <algorithm>
#include <cstdint>
#include <string>

namespace tintor {

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString Tr(const char* text) { return QCoreApplication::translate("tintor::CQtFileDialogs", text); }

// The filter names the core hands over in English, with the window's own
// Japanese, whose English translation is the core's name again.
struct FilterName {
    std::string_view core;
    const char* name;
};

const FilterName kFilterNames[] = {
    {"Swf Files", QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "SWF ファイル")},
    {"Color table", QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "カラーテーブル")},
    {"All files", QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "すべてのﾌｧｲﾙ")},
    {"GIMP palette", QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "GIMP パレット")},
    {"Adobe Swatch Exchange", QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "Adobe スウォッチ交換")},
    {"Palettes", QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "パレット")},
};

QString FilterNameText(const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    const std::string_view core(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    for (const FilterName& known : kFilterNames)
        if (known.core == core)
            return Tr(known.name);
    // The core's Japanese names ("すべてのﾌｧｲﾙ") are the window's own.
    return Tr(utf8.constData());
}

// File systems whose files are the kernel's: statfs's magic numbers.
constexpr std::uint32_t kPseudoFileSystems[] = {
    0x00009FA0, // proc
    0x62656572, // sysfs
    0x00001CD1, // devpts
    0x64626720, // debugfs
    0x74726163, // tracefs
    0x73636673, // securityfs
    0x0027E0EB, // cgroup
    0x63677270, // cgroup2
    0x6165676C, // pstore
    0xCAFE4A11, // bpf
    0x62656570, // configfs
    0xDE5E81E4, // efivarfs
    0xF97CFF8C, // selinuxfs
    0x19800202, // mqueue
    0x42494E4D, // binfmt_misc
    0x65735543, // fusectl
    0x6E736673, // nsfs
};

// The kernel's folders, whatever is mounted there: /dev is often a tmpfs,
// which the magic number does not tell from /tmp.
const char* const kPseudoFolders[] = {"/proc", "/sys", "/dev"};

// Icons and file types from the name alone. Qt's own provider reads a file
// whose name it does not know to learn its type, and reading some files
// (/proc/kmsg) waits for good.
class CNameOnlyIconProvider final : public QFileIconProvider {
public:
    CNameOnlyIconProvider() { setOptions(DontUseCustomDirectoryIcons); }

    QIcon icon(const QFileInfo& info) const override
    {
        if (!info.isFile())
            return QFileIconProvider::icon(info);
        const QIcon themed = QIcon::fromTheme(TypeOf(info).iconName());
        return themed.isNull() ? QFileIconProvider::icon(File) : themed;
    }
    using QFileIconProvider::icon;

    QString type(const QFileInfo& info) const override
    {
        // Qt's own word for a folder is missing from its translations.
        if (info.isDir())
            return Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "フォルダー"));
        if (!info.isFile())
            return QFileIconProvider::type(info);
        const QMimeType type = TypeOf(info);
        return type.comment().isEmpty() ? type.name() : type.comment();
    }

private:
    QMimeType TypeOf(const QFileInfo& info) const
    {
        return m_types.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    }

    QMimeDatabase m_types;
};

// The dialog's file list with the dates written as the window's language
// writes them: Qt's model writes them as the system's locale does.
class CWindowDatesModel final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        // The columns of Qt's file model: name, size, type, date modified.
        constexpr int kModifiedColumn = 3;
        if (role == Qt::DisplayRole && index.column() == kModifiedColumn)
            if (const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel()))
                return QLocale().toString(files->lastModified(mapToSource(index)), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

CQtFileDialogs::CQtFileDialogs() = default;

CQtFileDialogs::~CQtFileDialogs() = default;

QString CQtFileDialogs::DialogTitle(bool save, std::string_view defaultExtension)
{
    // Colour tables and palettes are asked for under titles of their own, so
    // that saving one is not taken for saving the movie.
    if (defaultExtension.starts_with('.'))
        defaultExtension.remove_prefix(1);
    if (defaultExtension == kColorScriptExtension)
        return save ? Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "カラーテーブルを保存"))
                    : Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "カラーテーブルを開く"));
    if (defaultExtension == PaletteExtension(PaletteFormat::Gimp))
        return save ? Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "パレットを書き出す"))
                    : Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "パレットを開く"));
    return save ? Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "名前を付けて保存"))
                : Tr(QT_TRANSLATE_NOOP("tintor::CQtFileDialogs", "開く"));
}

QStringList CQtFileDialogs::ToNameFilters(std::string_view filter)
{
    static const QRegularExpression brackets(QStringLiteral(R"(\s*\([^()]*\)\s*$)"));
    const QStringList parts = FromUtf8(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break; // the "||" that ends the list
        // Qt reads the patterns from the brackets of the name, so the
        // brackets show the patterns as Qt takes them.
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        std::replace(patterns.begin(), patterns.end(), QStringLiteral("*.*"), QStringLiteral("*"));
        const QString name = FilterNameText(QString(parts[i]).remove(brackets));
        filters << name + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

QString CQtFileDialogs::SuffixOf(const QString& nameFilter)
{
    static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.(\w+)[ )])"));
    const QRegularExpressionMatch match = pattern.match(nameFilter);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool CQtFileDialogs::IsPseudoFileSystem(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QString shown = canonical.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : canonical;
    for (const char* folder : kPseudoFolders) {
        const QString root = QString::fromLatin1(folder);
        if (shown == root || shown.startsWith(root + u'/'))
            return true;
    }
    struct statfs fs {};
    if (canonical.isEmpty() || ::statfs(QFile::encodeName(canonical).constData(), &fs) != 0)
        return false;
    const auto type = static_cast<std::uint32_t>(fs.f_type);
    return std::find(std::begin(kPseudoFileSystems), std::end(kPseudoFileSystems), type)
        != std::end(kPseudoFileSystems);
}

QString CQtFileDialogs::StartFolder(const QStringList& candidates)
{
    for (const QString& folder : candidates)
        if (!folder.isEmpty() && QFileInfo(folder).isDir() && !IsPseudoFileSystem(folder))
            return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    return QDir::homePath();
}

QStringList CQtFileDialogs::StartFolderCandidates(std::string_view initialName) const
{
    QStringList folders;
    // Save As names the movie with its whole path.
    const QFileInfo initial(FromUtf8(initialName));
    if (initial.isAbsolute())
        folders << initial.absolutePath();
    if (m_movieSource) {
        if (const std::filesystem::path movie = m_movieSource(); !movie.empty())
            folders << QFileInfo(ToQString(movie)).absolutePath();
    }
    const CRecentFileList recent;
    for (const QString& file : recent.Files())
        folders << QFileInfo(file).absolutePath();
    return folders;
}

std::unique_ptr<QFileDialog> CQtFileDialogs::CreateDialog(bool save, const QString& startFolder,
    std::string_view initialName, std::string_view filter, std::string_view defaultExtension)
{
    if (!m_icons)
        m_icons = std::make_unique<CNameOnlyIconProvider>();
    QString extension = FromUtf8(defaultExtension);
    if (extension.startsWith(u'.'))
        extension.remove(0, 1);
    // Made in the start folder: a dialog made without one would first list
    // the folder Qt remembers from any program's last dialog.
    auto dialog
        = std::make_unique<QFileDialog>(QApplication::activeWindow(), DialogTitle(save, defaultExtension), startFolder);
    dialog->setOption(QFileDialog::DontUseCustomDirectoryIcons);
    // Qt's own dialog, which speaks the window's language (the desktop's
    // would speak the system's) and takes the icon provider below.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setIconProvider(m_icons.get());
    dialog->setProxyModel(new CWindowDatesModel(dialog.get()));
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setNameFilters(ToNameFilters(filter));
    // Opening takes the name as typed: a file without an extension is a file too.
    if (save && !extension.isEmpty())
        dialog->setDefaultSuffix(extension);
    // Where a file can be saved in several formats, a name typed without an
    // extension takes the one of the filter chosen, not the first format's.
    if (save) {
        QFileDialog* shown = dialog.get();
        QObject::connect(shown, &QFileDialog::filterSelected, shown, [shown](const QString& nameFilter) {
            if (const QString suffix = SuffixOf(nameFilter); !suffix.isEmpty())
                shown->setDefaultSuffix(suffix);
        });
    }
    if (!initialName.empty())
        dialog->selectFile(QFileInfo(FromUtf8(initialName)).fileName());
    return dialog;
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
    const QString start = StartFolder(StartFolderCandidates(initialName));
    const auto dialog = CreateDialog(save, start, initialName, filter, defaultExtension);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return ToPath(dialog->selectedFiles().front());
}

} // namespace tintor
