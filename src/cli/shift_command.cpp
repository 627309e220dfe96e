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

    bool Contains(ColorKey key) const
    {
        return all || (key & kinds) != 0 || std::find(colours.begin(), colours.end(), key) != colours.end();
    }
};

Selection SelectionFrom(const ShiftOptions& options)
{
    Selection selection;
    selection.all = options.all;
    for (const auto& kind : options.kinds)
        selection.kinds |= *KindFromName(kind);
    for (const auto& choice : options.select)
        selection.colours.push_back(*ParseColourChoice(choice));
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

bool Shift(CTintorDoc& doc, CPresetDialogs& dialogs, const std::string& movie, const ShiftOptions& options,
    const Selection& selection)
{
    if (!AllNamedColoursPresent(doc, selection, movie))
        return false;
    // As in the window: the list's selection, the sliders and the unify box,
    // then the Apply button.
    doc.SelectWhere([&](ColorKey key) { return selection.Contains(key); });
    if (!options.to.empty()) {
        doc.SetSelectedColor(*ParseHexColor(options.to));
    } else {
        doc.Effect("H", CColorTable::kDefaultParameter + options.hue);
        doc.Effect("S", CColorTable::kDefaultParameter + options.saturation);
        doc.Effect("V", CColorTable::kDefaultParameter + options.value);
        doc.Effect("UniColor", options.unify ? 1 : 0);
        doc.ApplyPending();
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
    shift
        ->add_option("--select", options.select,
            "Select one colour: its kind and colour as `tintor-cli colours` lists them, e.g. fill:#ff0000; may be "
            "repeated")
        ->type_name("KIND:#rrggbb")
        ->check(kColourChoice);
    shift->add_flag("--all", options.all, "Select every colour of the movie");
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
    shift->footer("Colours are selected with --select, --kind and --all together; at least one is needed.\n"
                  "A movie that lacks a colour named with --select fails and is not written.\n"
                  "With --hue, --saturation and --value at 0 the colours stay as they are. A movie that came\n"
                  "compressed is saved compressed.");
    return shift;
}

int RunShift(const ShiftOptions& options)
{
    if (options.select.empty() && options.kinds.empty() && !options.all) {
        std::fprintf(stderr, "tintor-cli shift: nothing selected; use --select, --kind or --all\n");
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
    const Selection selection = SelectionFrom(options);
    return RunOnMovies("shift", options.movies, *outputs, options.rule,
        [&](CTintorDoc& doc, CPresetDialogs& dialogs, const std::string& movie) {
            return Shift(doc, dialogs, movie, options, selection);
        });
}

} // namespace tintor::cli
