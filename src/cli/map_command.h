#pragma once

#include "cli/batch.h"
#include "cli/selection_options.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace tintor::cli {

struct MapOptions {
    std::vector<std::string> movies;
    std::string map;
    // Or: the selected colours (all without a selection option) to the
    // nearest colours of a palette, or by lightness rank.
    std::string palette;
    bool byLightness = false;
    SelectionOptions selection;
    OutputOptions output;
    CollectionRule rule = CollectionRule::Extended;
};
CLI::App* AddMapCommand(CLI::App& app, MapOptions& options);
int RunMap(const MapOptions& options);

} // namespace tintor::cli
