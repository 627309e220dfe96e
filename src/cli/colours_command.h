#pragma once

#include "swf/swf_file.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <string_view>

namespace tintor::cli {

// "bg", "fill", "line" or "text" for a key's kind bits.
const char* KindName(ColorKey key);
// "#rrggbb", red first, as people write colours.
std::string RgbText(ColorKey key);
// The colour registry as one line per colour: kind, #rrggbb, position count;
// false when out could not take it all.
bool PrintColoursAsText(const CSwfFile& movie, std::FILE* out);
// The colour registry as the documented JSON object, written to out as it
// is produced; false when out could not take it all.
bool WriteColoursAsJson(const CSwfFile& movie, std::string_view fileName, IOutputFile& out);

struct ColoursOptions {
    std::string movie;
    bool json = false;
    CollectionRule rule = CollectionRule::Extended;
};
CLI::App* AddColoursCommand(CLI::App& app, ColoursOptions& options);
// Prints the colours of one movie on stdout; the exit code.
int RunColours(const ColoursOptions& options);

} // namespace tintor::cli
