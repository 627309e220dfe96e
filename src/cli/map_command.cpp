// map: colours changed to the colours a plain-text map names, in one go.
#include "cli/map_command.h"

#include "colour/colour_map.h"
#include "colour/colour_text.h"
#include "core/file.h"

#include <cstdio>

namespace tintor::cli {

namespace {

std::string Describe(const ColorMapLine& line)
{
    const ColorKindInfo* kind = InfoOf(line.kinds);
    return (kind != nullptr ? std::string(kind->name) + " colour " : "colour ") + HexColor(line.from)
        + (kind != nullptr ? "" : " of any kind");
}

} // namespace

CLI::App* AddMapCommand(CLI::App& app, MapOptions& options)
{
    auto* map = app.add_subcommand("map", "Change colours to the colours a map file names, and save");
    map->add_option("MOVIE", options.movies, "The .swf movies to recolour")->required();
    map->add_option("-m,--map", options.map,
           "The map: one change per line, 'KIND:#rrggbb #rrggbb' for one kind or '#rrggbb #rrggbb' for every "
           "kind, red first")
        ->required()
        ->check(CLI::ExistingFile);
    AddOutputOptions(*map, options.output);
    AddRuleOption(*map, options.rule);
    map->footer("KIND is bg, fill, line or text. A '#' followed by a blank (or by anything but a hex digit)\n"
                "starts a comment. Colours are matched as the movie has them, so two lines may swap\n"
                "two colours. Colours the movie lacks are reported and skipped; a malformed line stops\n"
                "everything before any movie is written. A movie that came compressed is saved compressed.");
    return map;
}

int RunMap(const MapOptions& options)
{
    const auto outputs = PlanOutputs("map", options.movies, options.output);
    if (!outputs)
        return kExitUsage;
    CRunFiles files = MovieFiles(options.movies, *outputs, options.output);
    files.AddInput("--map", options.map);
    if (!NoClash("map", files))
        return kExitUsage;
    // Read and checked once up front: a bad map fails every movie alike,
    // before any of them is touched.
    std::error_code error;
    const auto bytes = ReadWholeFile(options.map, &error);
    if (!bytes) {
        std::fprintf(
            stderr, "tintor-cli map: can't read the map %s: %s\n", options.map.c_str(), error.message().c_str());
        return kExitFailed;
    }
    const ColorMap map = ReadColorMap({reinterpret_cast<const char*>(bytes->data()), bytes->size()});
    if (map.error) {
        std::fprintf(
            stderr, "tintor-cli map: %s:%d: %s\n", options.map.c_str(), map.error->line, map.error->reason.c_str());
        return kExitFailed;
    }
    // As with a script: a map with nothing to change is a mistake, not a
    // copy to be made.
    if (map.lines.empty()) {
        std::fprintf(stderr, "tintor-cli map: the map %s has no change in it; nothing written\n", options.map.c_str());
        return kExitFailed;
    }
    if (!PrepareOutDir(options.output))
        return kExitFailed;
    return RunOnMovies(
        "map", options.movies, *outputs, options.rule, [&](CTintorDoc& doc, CPresetDialogs&, const std::string& movie) {
            for (const ColorMapLine& line : doc.ApplyColorMap(map.lines))
                std::fprintf(stderr, "tintor-cli map: %s has no %s (%s, line %d)\n", movie.c_str(),
                    Describe(line).c_str(), options.map.c_str(), line.line);
            return true;
        });
}

} // namespace tintor::cli
