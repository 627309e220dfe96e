// shift: select colours, move the sliders, apply and save, as in the window.
#include "cli/shift_command.h"

#include "cli/movie_log.h"
#include "colour/colour_text.h"

#include <algorithm>
#include <cstdio>

namespace tintor::cli {

namespace {

// How far each shift goes either way: the ends of the window's sliders.
constexpr int kShiftLimit = CColorTable::kDefaultParameter;

const CLI::Validator kHexColour(
    [](std::string& text) -> std::string { return ParseHexColor(text) ? std::string() : "expected #rrggbb"; }, "");

// The images chosen with --bitmaps and --bitmap.
struct BitmapChoice {
    bool all = false;
    std::vector<std::uint16_t> ids;

    bool Contains(const BitmapEntry& bitmap) const
    {
        return all || std::find(ids.begin(), ids.end(), bitmap.record.characterId) != ids.end();
    }
    bool Any() const { return all || !ids.empty(); }
};

// Every image named with --bitmap must be in the movie and be one that can
// be recoloured.
bool AllNamedBitmapsRecolourable(const CTintorDoc& doc, const BitmapChoice& choice, const std::string& movie)
{
    bool ok = true;
    const auto& entries = doc.GetBitmaps().Entries();
    for (const std::uint16_t id : choice.ids) {
        const auto it = std::find_if(
            entries.begin(), entries.end(), [id](const BitmapEntry& e) { return e.record.characterId == id; });
        if (it == entries.end())
            std::fprintf(MovieStderr(), "tintor-cli shift: %s has no bitmap %u\n", movie.c_str(), unsigned{id});
        else if (!it->description.Recolourable())
            std::fprintf(MovieStderr(), "tintor-cli shift: %s: bitmap %u cannot be recoloured: %s\n", movie.c_str(),
                unsigned{id}, it->description.problem.c_str());
        ok = ok && it != entries.end() && it->description.Recolourable();
    }
    return ok;
}

// How many images were re-encoded, which were left and why, and the
// movie's length before and after.
void ReportBitmaps(const CTintorDoc& doc, const BitmapChoice& choice, const std::string& movie)
{
    const CSwfFile& swf = doc.GetMovie();
    for (const BitmapEntry& bitmap : doc.GetBitmaps().Entries())
        if (choice.Contains(bitmap) && !bitmap.description.Recolourable())
            std::fprintf(MovieStderr(), "tintor-cli shift: %s: bitmap %u left as it is: %s\n", movie.c_str(),
                unsigned{bitmap.record.characterId}, bitmap.description.problem.c_str());
    const auto after = swf.SavedFileLength();
    const std::size_t count = swf.ReplacedImageCount();
    std::fprintf(MovieStderr(), "tintor-cli shift: %s: %zu image%s re-encoded, %u -> %llu bytes\n", movie.c_str(),
        count, count == 1 ? "" : "s", swf.FileSize(), after ? static_cast<unsigned long long>(*after) : 0ull);
}

// Whether every chosen image that can be recoloured was: one that ran out of
// memory or that an encoder refused fails the movie, which the document has
// said, naming the movie and the image.
bool EveryChosenBitmapReencoded(const CTintorDoc& doc, const BitmapChoice& choice)
{
    const auto& entries = doc.GetBitmaps().Entries();
    return std::none_of(entries.begin(), entries.end(), [&](const BitmapEntry& bitmap) {
        return choice.Contains(bitmap) && bitmap.description.Recolourable() && !bitmap.failure.empty();
    });
}

bool Shift(CTintorDoc& doc, CPresetDialogs& dialogs, const std::string& movie, const ShiftOptions& options,
    const ColourSelection& selection)
{
    const BitmapChoice bitmaps{options.bitmaps, options.bitmapIds};
    if (!NamedColoursPresent("shift", doc, selection, movie) || !AllNamedBitmapsRecolourable(doc, bitmaps, movie))
        return false;
    // As in the window: the list's selection, the sliders and the unify box,
    // then the Apply button.
    doc.SelectMatching(selection, false);
    if (bitmaps.Any())
        doc.SelectBitmapsWhere([&](const BitmapEntry& bitmap) { return bitmaps.Contains(bitmap); });
    if (!options.to.empty()) {
        doc.SetSelectedColor(*ParseHexColor(options.to));
    } else {
        doc.Effect("Perceptual", options.space == "oklch" ? 1 : 0);
        doc.Effect("H", CColorTable::kDefaultParameter + options.hue);
        doc.Effect("S", CColorTable::kDefaultParameter + options.saturation);
        doc.Effect("V", CColorTable::kDefaultParameter + options.value);
        doc.Effect("UniColor", options.unify ? 1 : 0);
        doc.ApplyPending();
    }
    if (bitmaps.Any()) {
        ReportBitmaps(doc, bitmaps, movie);
        if (!EveryChosenBitmapReencoded(doc, bitmaps))
            return false;
    }
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
    AddSelectionOptions(*shift, options.selection);
    shift->add_flag("--bitmaps", options.bitmaps,
        "Select every image of the movie that can be recoloured; its tag is re-encoded and the movie changes size");
    shift
        ->add_option("--bitmap", options.bitmapIds,
            "Select the image of this character id, as `tintor-cli colours` lists it; may be repeated")
        ->type_name("ID");
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
    shift
        ->add_option("--space", options.space,
            "Where the shift is worked out: hsv as the window's sliders by default, or oklch, which keeps the "
            "lightness people see when the hue turns")
        ->capture_default_str()
        ->check(CLI::IsMember({"hsv", "oklch"}));
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
    shift->footer("Colours are selected with --select, --kind, --all, --near and --hues together; at least one\n"
                  "is needed, and --except keeps colours out of them. Images are selected with --bitmaps and\n"
                  "--bitmap (--all takes no image): each chosen image is re-encoded in its own tag (lossless\n"
                  "ones exactly, JPEG ones as faithfully as JPEG allows), and stderr tells how many were and the\n"
                  "movie's length before and after. A movie that lacks a colour named with --select or an\n"
                  "image named with --bitmap, or one of whose chosen images cannot be re-encoded (not enough\n"
                  "memory, an encoder's refusal), fails and is not written.\n"
                  "With --space oklch, --hue N turns the hue by 1.8 N degrees, --saturation N scales chroma by\n"
                  "1 + N/100 and --value N moves lightness N% of the way to white (or black), keeping hue and\n"
                  "lightness where a colour leaves sRGB; greys keep their hue.\n"
                  "With --hue, --saturation and --value at 0 the colours stay as they are. A movie that came\n"
                  "compressed is saved compressed.");
    return shift;
}

int RunShift(const ShiftOptions& options)
{
    if (!AnySelection(options.selection) && !options.bitmaps && options.bitmapIds.empty()) {
        std::fprintf(stderr,
            "tintor-cli shift: nothing selected; use --select, --kind, --all, --near, --hues, --bitmaps or --bitmap\n");
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
    CRunFiles files = MovieFiles(options.movies, *outputs, options.output);
    if (!options.saveScript.empty())
        files.AddOutput("--save-script", options.saveScript);
    if (!NoClash("shift", files))
        return kExitUsage;
    if (!PrepareOutDir(options.output))
        return kExitFailed;
    const ColourSelection selection = SelectionFrom(options.selection);
    return RunOnMovies("shift", options.movies, *outputs, options.output.batch, options.rule,
        [&](CTintorDoc& doc, CPresetDialogs& dialogs, const std::string& movie) {
            return Shift(doc, dialogs, movie, options, selection);
        });
}

} // namespace tintor::cli
