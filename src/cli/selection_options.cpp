#include "cli/selection_options.h"

#include "cli/movie_log.h"
#include "colour/colour_text.h"

#include <cmath>
#include <cstdio>

namespace tintor::cli {

namespace {

// The widest tolerance: ΔE 100 is as far as black from white.
constexpr double kWidestWithin = 100.0;

const CLI::Validator kColourChoice(
    [](std::string& text) -> std::string {
        return ParseColourChoice(text) ? std::string() : "expected KIND:#rrggbb with KIND " + KindNameList();
    },
    "");

const CLI::Validator kKindName(
    [](std::string& text) -> std::string { return KindFromName(text) ? std::string() : "expected " + KindNameList(); },
    "");

const CLI::Validator kHexColour(
    [](std::string& text) -> std::string { return ParseHexColor(text) ? std::string() : "expected #rrggbb"; }, "");

const CLI::Validator kHueRange(
    [](std::string& text) -> std::string {
        return ParseHueRange(text) ? std::string() : "expected A..B with A and B degrees from 0 to 360";
    },
    "");

} // namespace

CLI::Validator WithinRange()
{
    return CLI::Validator(
        [](std::string& text) -> std::string {
            double value = 0;
            if (!CLI::detail::lexical_cast(text, value) || !std::isfinite(value) || value < 0.0
                || value > kWidestWithin)
                return "expected a distance from 0 to " + std::to_string(static_cast<int>(kWidestWithin)) + ", not "
                    + text;
            return {};
        },
        "");
}

void AddSelectionOptions(CLI::App& command, SelectionOptions& options)
{
    command
        .add_option("--select", options.select,
            "Select one colour: its kind and colour as `tintor-cli colours` lists them, e.g. fill:#ff0000; may be "
            "repeated")
        ->type_name("KIND:#rrggbb")
        ->check(kColourChoice);
    command.add_flag("--all", options.all, "Select every colour of the movie");
    command
        .add_option(
            "--kind", options.kinds, "Select every colour of this kind (" + KindNameList() + "); may be repeated")
        ->type_name("KIND")
        ->check(kKindName);
    command
        .add_option("--near", options.near,
            "Select every colour (of any kind) within --within of this one, red first; may be repeated")
        ->type_name("#rrggbb")
        ->check(kHexColour);
    command
        .add_option("--within", options.within,
            "How near --near colours must be: OKLab distance ΔE, about 2 being just noticeable")
        ->type_name("D")
        ->capture_default_str()
        ->check(WithinRange());
    command
        .add_option("--hues", options.hues,
            "Select every colour that is no grey whose OKLCh hue lies from A to B degrees; A > B wraps through 0")
        ->type_name("A..B")
        ->check(kHueRange);
    command
        .add_option(
            "--except", options.except, "Keep this colour out of whatever the other options select; may be repeated")
        ->type_name("KIND:#rrggbb")
        ->check(kColourChoice);
}

bool AnySelection(const SelectionOptions& options) { return SelectionFrom(options).TakesAnything(); }

ColourSelection SelectionFrom(const SelectionOptions& options)
{
    ColourSelection selection;
    selection.all = options.all;
    for (const auto& kind : options.kinds)
        selection.kinds |= *KindFromName(kind);
    for (const auto& choice : options.select)
        selection.keys.push_back(*ParseColourChoice(choice));
    for (const auto& colour : options.near)
        selection.near.push_back(*ParseHexColor(colour));
    selection.within = options.within;
    if (!options.hues.empty())
        selection.hues = ParseHueRange(options.hues);
    for (const auto& choice : options.except)
        selection.except.push_back(*ParseColourChoice(choice));
    return selection;
}

bool NamedColoursPresent(
    std::string_view command, const CTintorDoc& doc, const ColourSelection& selection, const std::string& movie)
{
    const auto& map = doc.GetColorTable().Map();
    const auto describe = [](ColorKey key) {
        const ColorKindInfo* kind = InfoOf(key);
        return std::string(kind != nullptr ? kind->name : "fill") + " colour " + HexColor(key);
    };
    bool ok = true;
    for (const ColorKey key : selection.keys)
        if (map.Find(key) == nullptr) {
            std::fprintf(MovieStderr(), "tintor-cli %.*s: %s has no %s\n", static_cast<int>(command.size()),
                command.data(), movie.c_str(), describe(key).c_str());
            ok = false;
        }
    for (const ColorKey key : selection.except)
        if (map.Find(key) == nullptr)
            std::fprintf(MovieStderr(), "tintor-cli %.*s: %s has no %s to keep out (--except)\n",
                static_cast<int>(command.size()), command.data(), movie.c_str(), describe(key).c_str());
    return ok;
}

} // namespace tintor::cli
