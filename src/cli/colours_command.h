#pragma once

#include "colour/colour_selection.h"
#include "swf/swf_file.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace tintor::cli {

// "bg", "fill", "line" or "text" for a key's kind bits.
const char* KindName(ColorKey key);
// "#rrggbb", red first, as people write colours.
std::string RgbText(ColorKey key);
// The colour registry as one line per colour: kind, #rrggbb, position count
// and, when families are given (one per colour in the registry's order),
// "family N"; false when out could not take it all.
bool PrintColoursAsText(const CSwfFile& movie, std::FILE* out, std::span<const std::uint32_t> families = {});
// The colour registry as the documented JSON object, each colour with its
// "family" when families are given.
nlohmann::json ColoursAsJson(
    const CSwfFile& movie, const std::string& fileName, std::span<const std::uint32_t> families = {});
// The family of every colour of the registry, in its order.
std::vector<std::uint32_t> FamiliesOf(const CSwfFile& movie, double within);

struct ColoursOptions {
    std::string movie;
    bool json = false;
    bool families = false;
    double within = kDefaultWithin;
    CollectionRule rule = CollectionRule::Extended;
};
CLI::App* AddColoursCommand(CLI::App& app, ColoursOptions& options);
// Prints the colours of one movie on stdout; the exit code.
int RunColours(const ColoursOptions& options);

} // namespace tintor::cli
