#pragma once

#include "core/dialogs.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace tintor::cli {

// File dialogs for a run without a user: every question is answered with the
// path the command line named, or cancelled when it named none.
class CPresetDialogs final : public IFileDialogs {
public:
    void SetOpenPath(std::filesystem::path path) { m_openPath = std::move(path); }
    void SetSavePath(std::filesystem::path path) { m_savePath = std::move(path); }

    std::optional<std::filesystem::path> AskOpenFile(std::string_view, std::string_view, std::string_view) override
    {
        return m_openPath;
    }
    std::optional<std::filesystem::path> AskSaveFile(std::string_view, std::string_view, std::string_view) override
    {
        return m_savePath;
    }

private:
    std::optional<std::filesystem::path> m_openPath;
    std::optional<std::filesystem::path> m_savePath;
};

} // namespace tintor::cli
