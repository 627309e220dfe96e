// shift: select colours, move the sliders, apply and save, as in the window.
#include "cli/shift_command.h"

#include "colour/colour_text.h"

#include <cstdio>

namespace tintor::cli {

namespace {

// How far each shift goes either way: the ends of the window's sliders.
constexpr int kShiftLimit = CColorTable::kDefaultParameter;

const CLI::Validator kHexColour(
    [](std::string& text) -> std::string { return ParseHexColor(text) ? std::string() : "expected #rrggbb"; }, "");

bool Shift(CTintorDoc& doc, CPresetDialogs& dialogs, const std::string& movie, const ShiftOptions& options,
    const ColourSelection& selection)
{
    if (!NamedColoursPresent("shift", doc, selection, movie))
        return false;
    // As in the window: the list's selection, the sliders and the unify box,
    // then the Apply button.
    doc.SelectMatching(selection, false);
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
                  "is needed, and --except keeps colours out of them. A movie that lacks a colour named with\n"
                  "--select fails and is not written.\n"
                  "With --space oklch, --hue N turns the hue by 1.8 N degrees, --saturation N scales chroma by\n"
                  "1 + N/100 and --value N moves lightness N% of the way to white (or black), keeping hue and\n"
                  "lightness where a colour leaves sRGB; greys keep their hue.\n"
                  "With --hue, --saturation and --value at 0 the colours stay as they are. A movie that came\n"
                  "compressed is saved compressed.");
    return shift;
}

int RunShift(const ShiftOptions& options)
{
    if (!AnySelection(options.selection)) {
        std::fprintf(stderr, "tintor-cli shift: nothing selected; use --select, --kind, --all, --near or --hues\n");
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
    const ColourSelection selection = SelectionFrom(options.selection);
    return RunOnMovies("shift", options.movies, *outputs, options.rule,
        [&](CTintorDoc& doc, CPresetDialogs& dialogs, const std::string& movie) {
            return Shift(doc, dialogs, movie, options, selection);
        });
}

} // namespace tintor::cli
