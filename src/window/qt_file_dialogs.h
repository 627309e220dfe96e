#pragma once

#include "core/dialogs.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QFileDialog;
class QFileIconProvider;

namespace tintor {

// The core's file dialogs as Qt file dialogs. They start in the folder of
// the movie being worked on, else in the folder of the movie Tintor opened
// or saved last, else at home; never in a file system of the kernel's own
// (/proc, /sys, /dev), nor wherever Qt itself last was.
class CQtFileDialogs final : public IFileDialogs {
public:
    CQtFileDialogs();
    ~CQtFileDialogs() override;
    CQtFileDialogs(const CQtFileDialogs&) = delete;
    CQtFileDialogs& operator=(const CQtFileDialogs&) = delete;

    // Where the movie being worked on is; an empty path while there is none.
    void SetMovieSource(std::function<std::filesystem::path()> source) { m_movieSource = std::move(source); }

    std::optional<std::filesystem::path> AskOpenFile(
        std::string_view initialName, std::string_view filter, std::string_view defaultExtension) override;
    std::optional<std::filesystem::path> AskSaveFile(
        std::string_view initialName, std::string_view filter, std::string_view defaultExtension) override;

    // The dialog as Ask shows it, starting in startFolder.
    std::unique_ptr<QFileDialog> CreateDialog(bool save, const QString& startFolder, std::string_view initialName,
        std::string_view filter, std::string_view defaultExtension);
    // The folders a dialog may start in, best first: the movie's, then
    // those of the movies in the recent-file list.
    QStringList StartFolderCandidates(std::string_view initialName) const;

    // "Name (*.a)|*.a|All (*.*)|*.*||" as Qt name filters: "Name (*.a)", "All (*)".
    // The names are in the window's language; "*.*", which to Qt means
    // names with a dot, becomes "*", every file, as it always meant.
    static QStringList ToNameFilters(std::string_view filter);
    // The dialog's title: opening or saving, a movie or a colour table.
    static QString DialogTitle(bool save, std::string_view defaultExtension);
    // The extension of a Qt name filter's first pattern, "ase" of
    // "Adobe Swatch Exchange (*.ase)"; empty for "*" or none.
    static QString SuffixOf(const QString& nameFilter);
    // The first of the folders that exists and is no pseudo file system;
    // the home folder when none is.
    static QString StartFolder(const QStringList& candidates);
    // Whether the path lies in a file system of the kernel's own, whose
    // files are no documents and may block whoever reads them (/proc/kmsg).
    static bool IsPseudoFileSystem(const QString& path);

private:
    std::optional<std::filesystem::path> Ask(
        bool save, std::string_view initialName, std::string_view filter, std::string_view defaultExtension);

    std::function<std::filesystem::path()> m_movieSource;
    // Gives the dialogs' icons and file types from names alone.
    std::unique_ptr<QFileIconProvider> m_icons;
};

} // namespace tintor
