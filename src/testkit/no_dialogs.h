#pragma once

#include "core/dialogs.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace tintor {

// File dialogs that the user always cancels: for runs of the document that
// ask nobody.
class CNoDialogs final : public IFileDialogs {
public:
    std::optional<std::filesystem::path> AskOpenFile(std::string_view, std::string_view, std::string_view) override
    {
        return std::nullopt;
    }
    std::optional<std::filesystem::path> AskSaveFile(std::string_view, std::string_view, std::string_view) override
    {
        return std::nullopt;
    }
};

} // namespace tintor
