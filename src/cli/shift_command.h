#pragma once

#include "cli/batch.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace tintor::cli {

struct ShiftOptions {
    std::vector<std::string> movies;
    std::vector<std::string> select; // "KIND:#rrggbb"
    std::vector<std::string> kinds;
    bool all = false;
    int hue = 100;
    int saturation = 100;
    int value = 100;
    bool unify = false;
    std::string to; // "#rrggbb": set the selection to this colour instead
    std::string saveScript;
    OutputOptions output;
    CollectionRule rule = CollectionRule::Extended;
};
CLI::App* AddShiftCommand(CLI::App& app, ShiftOptions& options);
int RunShift(const ShiftOptions& options);

} // namespace tintor::cli
