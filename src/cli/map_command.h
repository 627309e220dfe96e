#pragma once

#include "cli/batch.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace tintor::cli {

struct MapOptions {
    std::vector<std::string> movies;
    std::string map;
    OutputOptions output;
    CollectionRule rule = CollectionRule::Extended;
};
CLI::App* AddMapCommand(CLI::App& app, MapOptions& options);
int RunMap(const MapOptions& options);

} // namespace tintor::cli
