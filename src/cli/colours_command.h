#pragma once

#include "document/movie_bitmaps.h"
#include "swf/swf_file.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>

namespace tintor::cli {

// "bg", "fill", "line" or "text" for a key's kind bits.
const char* KindName(ColorKey key);
// "#rrggbb", red first, as people write colours.
std::string RgbText(ColorKey key);
// The colour registry as one line per colour: kind, #rrggbb, position count;
// false when out could not take it all.
bool PrintColoursAsText(const CSwfFile& movie, std::FILE* out);
// The colour registry as the documented JSON object.
nlohmann::json ColoursAsJson(const CSwfFile& movie, const std::string& fileName);
// One line per image, after the colours: "bitmap ID WxH FORMAT", and why
// when it cannot be recoloured; false when out could not take it all.
bool PrintBitmapsAsText(const CMovieBitmaps& bitmaps, std::FILE* out);
// One object per image, of kind "bitmap", for the list of colours.
nlohmann::json BitmapAsJson(const BitmapEntry& bitmap);

struct ColoursOptions {
    std::string movie;
    bool json = false;
    CollectionRule rule = CollectionRule::Extended;
};
CLI::App* AddColoursCommand(CLI::App& app, ColoursOptions& options);
// Prints the colours of one movie on stdout; the exit code.
int RunColours(const ColoursOptions& options);

} // namespace tintor::cli
