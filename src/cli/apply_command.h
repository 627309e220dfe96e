#pragma once

#include "cli/batch.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace tintor::cli {

struct ApplyOptions {
    std::vector<std::string> movies;
    std::string script;
    OutputOptions output;
    CollectionRule rule = CollectionRule::Extended;
};
CLI::App* AddApplyCommand(CLI::App& app, ApplyOptions& options);
int RunApply(const ApplyOptions& options);

} // namespace tintor::cli
