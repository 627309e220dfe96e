// map: colours changed to the colours a plain-text map names, or to the
// colours of a palette, in one go.
#include "cli/map_command.h"

#include "cli/movie_log.h"
#include "colour/colour_map.h"
#include "colour/colour_text.h"
#include "colour/palette_reader.h"
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

std::optional<std::vector<std::uint8_t>> ReadNamedFile(const std::string& what, const std::string& path)
{
    std::error_code error;
    auto bytes = ReadWholeFile(path, &error);
    if (!bytes)
        std::fprintf(
            stderr, "tintor-cli map: can't read the %s %s: %s\n", what.c_str(), path.c_str(), error.message().c_str());
    return bytes;
}

int RunColourMap(const MapOptions& options, const std::vector<std::filesystem::path>& outputs)
{
    // Read and checked once up front: a bad map fails every movie alike,
    // before any of them is touched.
    const auto bytes = ReadNamedFile("map", options.map);
    if (!bytes)
        return kExitFailed;
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
    return RunOnMovies("map", options.movies, outputs, options.output.batch, options.rule,
        [&](CTintorDoc& doc, CPresetDialogs&, const std::string& movie) {
            for (const ColorMapLine& line : doc.ApplyColorMap(map.lines))
                std::fprintf(MovieStderr(), "tintor-cli map: %s has no %s (%s, line %d)\n", movie.c_str(),
                    Describe(line).c_str(), options.map.c_str(), line.line);
            return true;
        });
}

int RunPaletteMap(const MapOptions& options, const std::vector<std::filesystem::path>& outputs)
{
    const auto bytes = ReadNamedFile("palette", options.palette);
    if (!bytes)
        return kExitFailed;
    const ReadPaletteResult palette = ReadPalette(*bytes);
    if (palette.error) {
        std::fprintf(stderr, "tintor-cli map: %s: %s: %s\n", options.palette.c_str(),
            palette.error->where.Text().c_str(), palette.error->reason.Text().c_str());
        return kExitFailed;
    }
    if (palette.skipped != 0)
        std::fprintf(stderr, "tintor-cli map: %s: %zu colours of other models than RGB left out\n",
            options.palette.c_str(), palette.skipped);
    if (palette.colours.empty()) {
        std::fprintf(stderr, "tintor-cli map: %s has no RGB colours (is it a GIMP, ASE, CSS or JSON palette?)\n",
            options.palette.c_str());
        return kExitFailed;
    }
    ColourSelection selection = SelectionFrom(options.selection);
    selection.all = !AnySelection(options.selection);
    // Made ready once, for every movie of the batch.
    const CPaletteMatcher matcher(
        palette.colours, options.byLightness ? PaletteMatch::ByLightness : PaletteMatch::Nearest);
    if (!PrepareOutDir(options.output))
        return kExitFailed;
    return RunOnMovies("map", options.movies, outputs, options.output.batch, options.rule,
        [&](CTintorDoc& doc, CPresetDialogs&, const std::string& movie) {
            if (!NamedColoursPresent("map", doc, selection, movie))
                return false;
            doc.SelectMatching(selection, false);
            doc.MapSelectedToPalette(matcher);
            return true;
        });
}

} // namespace

CLI::App* AddMapCommand(CLI::App& app, MapOptions& options)
{
    auto* map = app.add_subcommand("map", "Change colours to the colours a map file names, and save");
    map->add_option("MOVIE", options.movies, "The .swf movies to recolour")->required();
    auto* mapFile = map->add_option("-m,--map", options.map,
                           "The map: one change per line, 'KIND:#rrggbb #rrggbb' for one kind or '#rrggbb #rrggbb' "
                           "for every kind, red first")
                        ->check(CLI::ExistingFile);
    auto* palette = map->add_option("-p,--palette", options.palette,
                           "Change each selected colour to the nearest colour (OKLab ΔE) of this palette: GIMP .gpl, "
                           "Adobe .ase, or the CSS or JSON that `tintor-cli palette` writes")
                        ->check(CLI::ExistingFile);
    mapFile->excludes(palette);
    palette->excludes(mapFile);
    map->add_flag("--by-lightness", options.byLightness,
           "With --palette: match by rank instead, the selected colours and the palette each sorted by lightness")
        ->needs(palette);
    AddSelectionOptions(*map, options.selection);
    AddOutputOptions(*map, options.output);
    AddRuleOption(*map, options.rule);
    map->footer("KIND is " + KindNameList()
        + ". In a map, a '#' followed by a blank (or by anything but a hex\n"
          "digit) starts a comment. Colours are matched as the movie has them, so two lines may swap\n"
          "two colours. Colours the movie lacks are reported and skipped; a malformed line stops\n"
          "everything before any movie is written.\n"
          "With --palette, the selection options choose the colours to change (every colour when none\n"
          "is given); of equally near palette colours the first wins. A palette that cannot be read\n"
          "is refused, naming its line or byte. A movie that came compressed is saved compressed.");
    return map;
}

int RunMap(const MapOptions& options)
{
    if (options.map.empty() == options.palette.empty()) {
        std::fprintf(stderr, "tintor-cli map: say what to map to with --map FILE or --palette FILE\n");
        return kExitUsage;
    }
    const SelectionOptions none;
    const bool selects = AnySelection(options.selection) || !options.selection.except.empty()
        || options.selection.within != none.within;
    if (!options.map.empty() && selects) {
        std::fprintf(stderr, "tintor-cli map: the selection options go with --palette, not with --map\n");
        return kExitUsage;
    }
    const auto outputs = PlanOutputs("map", options.movies, options.output);
    if (!outputs)
        return kExitUsage;
    CRunFiles files = MovieFiles(options.movies, *outputs, options.output);
    if (options.map.empty())
        files.AddInput("--palette", options.palette);
    else
        files.AddInput("--map", options.map);
    if (!NoClash("map", files))
        return kExitUsage;
    return options.map.empty() ? RunPaletteMap(options, *outputs) : RunColourMap(options, *outputs);
}

} // namespace tintor::cli
