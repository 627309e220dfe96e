#pragma once

#include "cli/batch.h"
#include "cli/selection_options.h"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace tintor::cli {

struct ShiftOptions {
    std::vector<std::string> movies;
    SelectionOptions selection;
    // The numbers beside the window's sliders: -100..+100, 0 changes nothing.
    int hue = 0;
    int saturation = 0;
    int value = 0;
    bool unify = false;
    std::string space = "hsv"; // or "oklch"
    std::string to;            // "#rrggbb": set the selection to this colour instead
    std::string saveScript;
    OutputOptions output;
    CollectionRule rule = CollectionRule::Extended;
};
CLI::App* AddShiftCommand(CLI::App& app, ShiftOptions& options);
int RunShift(const ShiftOptions& options);

} // namespace tintor::cli
