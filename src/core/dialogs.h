#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tintor {

// The platform's common file dialogs. Filters come in the classic form
// "Name (*.ext)|*.ext|All files (*.*)|*.*||"; the window turns them into its own.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // The chosen existing file, or nullopt when the user cancelled.
    virtual std::optional<std::filesystem::path> AskOpenFile(
        std::string_view initialName, std::string_view filter, std::string_view defaultExtension)
        = 0;
    // The chosen target (the user confirmed any overwrite), or nullopt when cancelled.
    virtual std::optional<std::filesystem::path> AskSaveFile(
        std::string_view initialName, std::string_view filter, std::string_view defaultExtension)
        = 0;
};

} // namespace tintor
