#include "cli/colours_command.h"

#include "cli/batch.h"
#include "colour/colour_text.h"
#include "core/file.h"
#include "core/messages.h"

#include <cstdio>
#include <iostream>

namespace tintor::cli {

const char* KindName(ColorKey key)
{
    // Every name of the table is a literal, so its view ends in a zero.
    const ColorKindInfo* kind = InfoOf(key);
    return kind != nullptr ? kind->name.data() : "fill";
}

std::string RgbText(ColorKey key) { return HexColor(key); }

std::string ColoursAsText(const CSwfFile& movie)
{
    std::string out;
    movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        out += KindName(key);
        out += ' ';
        out += RgbText(key);
        out += ' ';
        out += std::to_string(positions.size());
        out += '\n';
    });
    return out;
}

nlohmann::json ColoursAsJson(const CSwfFile& movie, const std::string& fileName)
{
    nlohmann::json colours = nlohmann::json::array();
    movie.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        char keyText[11];
        std::snprintf(keyText, sizeof keyText, "0x%08x", key);
        colours.push_back({{"key", keyText}, {"kind", KindName(key)}, {"rgb", RgbText(key)}, {"positions", positions}});
    });
    return {{"file", fileName}, {"compressed", movie.IsCompressed()}, {"version", movie.Version()},
        {"fileLength", movie.FileSize()}, {"colours", std::move(colours)}};
}

CLI::App* AddColoursCommand(CLI::App& app, ColoursOptions& options)
{
    auto* colours
        = app.add_subcommand("colours", "List every colour of a movie with the number of places it is stored");
    colours->add_option("MOVIE", options.movie, "The .swf movie")->required();
    colours->add_flag("--json", options.json, "Print JSON with the byte positions of every colour");
    AddRuleOption(*colours, options.rule);
    return colours;
}

int RunColours(const ColoursOptions& options)
{
    CStderrSink messages;
    auto file = CDiskInputFile::Open(options.movie);
    if (!file) {
        std::fprintf(stderr, "%s: cannot open file\n", options.movie.c_str());
        return kExitFailed;
    }
    CSwfFile movie(messages);
    if (!movie.Load(*file, options.rule))
        return kExitFailed;
    if (options.json)
        std::cout << ColoursAsJson(movie, options.movie).dump(2) << '\n';
    else
        std::cout << ColoursAsText(movie);
    return kExitOk;
}

} // namespace tintor::cli
