#pragma once

#include "colour/colour_selection.h"
#include "document/tintor_doc.h"

#include <CLI/CLI.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace tintor::cli {

// The options that say which colours a command changes, shared by the
// commands that change colours.
struct SelectionOptions {
    std::vector<std::string> select; // "KIND:#rrggbb"
    std::vector<std::string> kinds;
    bool all = false;
    std::vector<std::string> near; // "#rrggbb"
    double within = kDefaultWithin;
    std::string hues;                // "A..B"
    std::vector<std::string> except; // "KIND:#rrggbb"
};
void AddSelectionOptions(CLI::App& command, SelectionOptions& options);

// A tolerance --within D takes: ΔE from 0 to 100; NaN and infinity are no
// distance.
CLI::Validator WithinRange();

// Whether any option takes colours (--except alone takes none).
bool AnySelection(const SelectionOptions& options);
// The options, checked by their validators, as a selection.
ColourSelection SelectionFrom(const SelectionOptions& options);

// Colours named with --select must be in the movie: a typing error should
// not pass as a movie recoloured with nothing changed. False (after saying
// which) when one is missing. A colour of --except that the movie lacks is
// only reported: keeping it out changes nothing.
bool NamedColoursPresent(
    std::string_view command, const CTintorDoc& doc, const ColourSelection& selection, const std::string& movie);

} // namespace tintor::cli
