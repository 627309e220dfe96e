#pragma once

#include "core/dialogs.h"

#include <QString>
#include <QStringList>

namespace tintor {

// The core's file dialogs as Qt file dialogs. They start in the folder the
// user last chose a file in.
class CQtFileDialogs final : public IFileDialogs {
public:
    std::optional<std::filesystem::path> AskOpenFile(
        std::string_view initialName, std::string_view filter, std::string_view defaultExtension) override;
    std::optional<std::filesystem::path> AskSaveFile(
        std::string_view initialName, std::string_view filter, std::string_view defaultExtension) override;

    // "Name (*.a)|*.a|All (*.*)|*.*||" as Qt name filters: "Name (*.a)", "All (*.*)".
    // A name without its patterns in brackets gets them appended.
    // The names are translated.
    static QStringList ToNameFilters(std::string_view filter);
    // The dialog's title: opening or saving, a movie or a colour table.
    static QString DialogTitle(bool save, std::string_view defaultExtension);
    // The extension of a Qt name filter's first pattern, "ase" of
    // "Adobe Swatch Exchange (*.ase)"; empty for "*.*" or none.
    static QString SuffixOf(const QString& nameFilter);

private:
    std::optional<std::filesystem::path> Ask(
        bool save, std::string_view initialName, std::string_view filter, std::string_view defaultExtension);

    QString m_lastFolder;
};

} // namespace tintor
