// shift: select colours, move the sliders, apply and save, as in the window.
#include "cli/shift_command.h"

#include "cli/colours_command.h"
#include "colour/colour_text.h"

#include <algorithm>
#include <cstdio>

namespace tintor::cli {

namespace {

// How far each shift goes either way: the ends of the window's sliders.
constexpr int kShiftLimit = CColorTable::kDefaultParameter;

const CLI::Validator kColourChoice(
    [](std::string& text) -> std::string {
        return ParseColourChoice(text) ? std::string() : "expected KIND:#rrggbb with KIND bg, fill, line or text";
    },
    "");

const CLI::Validator kKindName(
    [](std::string& text) -> std::string {
        return KindFromName(text) ? std::string() : "expected bg, fill, line or text";
    },
    "");

const CLI::Validator kHexColour(
    [](std::string& text) -> std::string { return ParseHexColor(text) ? std::string() : "expected #rrggbb"; }, "");

struct Selection {
    bool all = false;
    std::uint32_t kinds = 0;
    std::vector<ColorKey> colours;
    bool allBitmaps = false;
    std::vector<std::uint16_t> bitmapIds;

    bool Contains(ColorKey key) const
    {
        return all || (key & kinds) != 0 || std::find(colours.begin(), colours.end(), key) != colours.end();
    }
    bool Contains(const BitmapEntry& bitmap) const
    {
        return allBitmaps
            || std::find(bitmapIds.begin(), bitmapIds.end(), bitmap.record.characterId) != bitmapIds.end();
    }
    bool AnyBitmap() const { return allBitmaps || !bitmapIds.empty(); }
};

Selection SelectionFrom(const ShiftOptions& options)
{
    Selection selection;
    selection.all = options.all;
    for (const auto& kind : options.kinds)
        selection.kinds |= *KindFromName(kind);
    for (const auto& choice : options.select)
        selection.colours.push_back(*ParseColourChoice(choice));
    selection.allBitmaps = options.bitmaps;
    selection.bitmapIds = options.bitmapIds;
    return selection;
}

// Every colour named with --select must be in the movie: a typing error
// should not pass as a movie recoloured with nothing changed.
bool AllNamedColoursPresent(const CTintorDoc& doc, const Selection& selection, const std::string& movie)
{
    bool ok = true;
    for (const ColorKey key : selection.colours)
        if (doc.GetColorTable().Map().Find(key) == nullptr) {
            std::fprintf(stderr, "tintor-cli shift: %s has no %s colour %s\n", movie.c_str(), KindName(key),
                RgbText(key).c_str());
            ok = false;
        }
    return ok;
}

// Every image named with --bitmap must be in the movie and be one that can
// be recoloured.
bool AllNamedBitmapsRecolourable(const CTintorDoc& doc, const Selection& selection, const std::string& movie)
{
    bool ok = true;
    const auto& entries = doc.GetBitmaps().Entries();
    for (const std::uint16_t id : selection.bitmapIds) {
        const auto it = std::find_if(
            entries.begin(), entries.end(), [id](const BitmapEntry& e) { return e.record.characterId == id; });
        if (it == entries.end())
            std::fprintf(stderr, "tintor-cli shift: %s has no bitmap %u\n", movie.c_str(), unsigned{id});
        else if (!it->description.Recolourable())
            std::fprintf(stderr, "tintor-cli shift: %s: bitmap %u cannot be recoloured: %s\n", movie.c_str(),
                unsigned{id}, it->description.problem.c_str());
        ok = ok && it != entries.end() && it->description.Recolourable();
    }
    return ok;
}

// How many images were re-encoded, which were left and why, and the
// movie's length before and after.
void ReportBitmaps(const CTintorDoc& doc, const Selection& selection, const std::string& movie)
{
    const CSwfFile& swf = doc.GetMovie();
    for (const BitmapEntry& bitmap : doc.GetBitmaps().Entries())
        if (selection.Contains(bitmap) && !bitmap.description.Recolourable())
            std::fprintf(stderr, "tintor-cli shift: %s: bitmap %u left as it is: %s\n", movie.c_str(),
                unsigned{bitmap.record.characterId}, bitmap.description.problem.c_str());
    const auto after = swf.SavedFileLength();
    const std::size_t count = swf.ReplacedImageCount();
    std::fprintf(stderr, "tintor-cli shift: %s: %zu image%s re-encoded, %u -> %llu bytes\n", movie.c_str(), count,
        count == 1 ? "" : "s", swf.FileSize(), after ? static_cast<unsigned long long>(*after) : 0ull);
}

bool Shift(CTintorDoc& doc, CPresetDialogs& dialogs, const std::string& movie, const ShiftOptions& options,
    const Selection& selection)
{
    if (!AllNamedColoursPresent(doc, selection, movie) || !AllNamedBitmapsRecolourable(doc, selection, movie))
        return false;
    // As in the window: the list's selection, the sliders and the unify box,
    // then the Apply button.
    doc.SelectWhere([&](ColorKey key) { return selection.Contains(key); });
    if (selection.AnyBitmap())
        doc.SelectBitmapsWhere([&](const BitmapEntry& bitmap) { return selection.Contains(bitmap); });
    if (!options.to.empty()) {
        doc.SetSelectedColor(*ParseHexColor(options.to));
    } else {
        doc.Effect("H", CColorTable::kDefaultParameter + options.hue);
        doc.Effect("S", CColorTable::kDefaultParameter + options.saturation);
        doc.Effect("V", CColorTable::kDefaultParameter + options.value);
        doc.Effect("UniColor", options.unify ? 1 : 0);
        doc.ApplyPending();
    }
    if (selection.AnyBitmap())
        ReportBitmaps(doc, selection, movie);
    if (options.saveScript.empty())
        return true;
    dialogs.SetSavePath(options.saveScript);
    return doc.savetable();
}

} // namespace

CLI::App* AddShiftCommand(CLI::App& app, ShiftOptions& options)
{
    auto* shift = app.add_subcommand("shift",
        "Select colours, shift their hue, saturation and value (or unify them) as the sliders do, apply and save");
    shift->add_option("MOVIE", options.movies, "The .swf movies to recolour; - reads one from standard input")
        ->required();
    shift
        ->add_option("--select", options.select,
            "Select one colour: its kind and colour as `tintor-cli colours` lists them, e.g. fill:#ff0000; may be "
            "repeated")
        ->type_name("KIND:#rrggbb")
        ->check(kColourChoice);
    shift->add_flag("--all", options.all, "Select every colour of the movie (and no image)");
    shift->add_flag("--bitmaps", options.bitmaps,
        "Select every image of the movie that can be recoloured; its tag is re-encoded and the movie changes size");
    shift
        ->add_option("--bitmap", options.bitmapIds,
            "Select the image of this character id, as `tintor-cli colours` lists it; may be repeated")
        ->type_name("ID");
    shift
        ->add_option(
            "--kind", options.kinds, "Select every colour of this kind (bg, fill, line, text); may be repeated")
        ->type_name("KIND")
        ->check(kKindName);
    // The window's numbers, not its slider positions: the middle reads 0.
    shift->add_option("--hue", options.hue, "Hue shift, -100..100 as the window shows it; 0 leaves the hue")
        ->capture_default_str()
        ->check(CLI::Range(-kShiftLimit, kShiftLimit));
    shift
        ->add_option("--saturation", options.saturation,
            "Saturation shift, -100..100 as the window shows it; 0 leaves the saturation")
        ->capture_default_str()
        ->check(CLI::Range(-kShiftLimit, kShiftLimit));
    shift
        ->add_option("--value", options.value,
            "Value (lightness) shift, -100..100 as the window shows it; -100 is black, 100 white, 0 leaves it")
        ->capture_default_str()
        ->check(CLI::Range(-kShiftLimit, kShiftLimit));
    shift->add_flag("--unify", options.unify, "Give the selected colours one hue and saturation (the unify box)");
    auto* to = shift
                   ->add_option("--to", options.to,
                       "Set the selected colours to this one colour (red first) instead of shifting them")
                   ->type_name("#rrggbb")
                   ->check(kHexColour);
    for (const char* slider : {"--hue", "--saturation", "--value", "--unify"})
        to->excludes(shift->get_option(slider));
    AddOutputOptions(*shift, options.output);
    AddRuleOption(*shift, options.rule);
    shift->add_option("--save-script", options.saveScript,
        "Also write the colour script of the result (one MOVIE only); `apply` replays it on the original movie");
    shift->footer("Colours are selected with --select, --kind and --all together, images with --bitmaps and\n"
                  "--bitmap; at least one is needed. Images change only when chosen: each chosen image is\n"
                  "re-encoded in its own tag (lossless ones exactly, JPEG ones as faithfully as JPEG allows),\n"
                  "and stderr tells how many were and the movie's length before and after.\n"
                  "A movie that lacks a colour named with --select or an image named with --bitmap fails and\n"
                  "is not written.\n"
                  "With --hue, --saturation and --value at 0 the colours stay as they are. A movie that came\n"
                  "compressed is saved compressed.");
    return shift;
}

int RunShift(const ShiftOptions& options)
{
    if (options.select.empty() && options.kinds.empty() && !options.all && !options.bitmaps
        && options.bitmapIds.empty()) {
        std::fprintf(
            stderr, "tintor-cli shift: nothing selected; use --select, --kind, --all, --bitmaps or --bitmap\n");
        return kExitUsage;
    }
    // Setting one colour is for colours only; an image asked for as well
    // would silently stay as it is.
    if (!options.to.empty() && (options.bitmaps || !options.bitmapIds.empty())) {
        std::fprintf(stderr, "tintor-cli shift: --to sets colours only; it takes neither --bitmaps nor --bitmap\n");
        return kExitUsage;
    }
    if (!options.saveScript.empty() && options.movies.size() != 1) {
        std::fprintf(stderr, "tintor-cli shift: --save-script takes one movie\n");
        return kExitUsage;
    }
    const auto outputs = PlanOutputs("shift", options.movies, options.output);
    if (!outputs)
        return kExitUsage;
    if (!PrepareOutDir(options.output))
        return kExitFailed;
    const Selection selection = SelectionFrom(options);
    return RunOnMovies("shift", options.movies, *outputs, options.rule,
        [&](CTintorDoc& doc, CPresetDialogs& dialogs, const std::string& movie) {
            return Shift(doc, dialogs, movie, options, selection);
        });
}

} // namespace tintor::cli
