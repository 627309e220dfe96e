#pragma once

#include "swf/swf_file.h"

#include <CLI/CLI.hpp>

#include <string>

namespace tintor::cli {

struct PaletteOptions {
    std::string movie;
    std::string format; // empty: from the output's extension, else gpl
    std::string output; // empty or "-": stdout
    CollectionRule rule = CollectionRule::Extended;
};
CLI::App* AddPaletteCommand(CLI::App& app, PaletteOptions& options);
int RunPalette(const PaletteOptions& options);

} // namespace tintor::cli
