// apply: a colour script into each movie, as the colour-table load command does.
#include "cli/apply_command.h"

#include "cli/movie_log.h"
#include "core/file.h"

#include <cstdio>

namespace tintor::cli {

namespace {

class CSilentSink final : public IMessageSink {
public:
    void Show(std::string_view) override {}
};

// The lines of a script that name a kind and two colours, whatever movie
// they go into; the rest are skipped.
ColorScriptResult UsableLines(std::span<const std::uint8_t> script)
{
    // Against an empty table every usable line counts as not found.
    CColorTable empty;
    CSilentSink silent;
    return ReadColorScript(script, empty, silent);
}

} // namespace

CLI::App* AddApplyCommand(CLI::App& app, ApplyOptions& options)
{
    auto* apply = app.add_subcommand(
        "apply", "Load a colour script (.iro) into each movie's colour table, rewrite every colour and save");
    apply->add_option("MOVIE", options.movies, "The .swf movies to recolour; - reads one from standard input")
        ->required();
    apply
        ->add_option("-s,--script", options.script,
            "The colour script: lines such as '@fill #0000ff -> #00ff00' (colours blue-green-red, as scripts store "
            "them)")
        ->required()
        ->check(CLI::ExistingFile);
    AddOutputOptions(*apply, options.output);
    AddRuleOption(*apply, options.rule);
    apply->footer("A movie that came compressed is saved compressed. Colours the script names but the movie\n"
                  "lacks are skipped with a warning; colours it does not name are left as they are.\n"
                  "For each movie stderr tells how many script lines were used, skipped and not found;\n"
                  "a script without a single usable line fails before any movie is written.");
    return apply;
}

int RunApply(const ApplyOptions& options)
{
    const auto outputs = PlanOutputs("apply", options.movies, options.output);
    if (!outputs)
        return kExitUsage;
    CRunFiles files = MovieFiles(options.movies, *outputs, options.output);
    files.AddInput("--script", options.script);
    if (!NoClash("apply", files))
        return kExitUsage;
    // Read once up front: a script that cannot be read, or says nothing,
    // fails every movie alike, and before any of them is touched.
    std::error_code error;
    const auto script = ReadWholeFile(options.script, &error);
    if (!script) {
        std::fprintf(stderr, "tintor-cli apply: can't read the script %s: %s\n", options.script.c_str(),
            error.message().c_str());
        return kExitFailed;
    }
    if (const ColorScriptResult usable = UsableLines(*script); usable.notFound == 0) {
        std::fprintf(stderr, "tintor-cli apply: the script %s has no usable line (%d skipped); nothing written\n",
            options.script.c_str(), usable.malformed);
        return kExitFailed;
    }
    if (!PrepareOutDir(options.output))
        return kExitFailed;
    return RunOnMovies("apply", options.movies, *outputs, options.output.batch, options.rule,
        [&](CTintorDoc& doc, CPresetDialogs& dialogs, const std::string& movie) {
            dialogs.SetOpenPath(options.script);
            ColorScriptResult lines;
            // A load that fails fails the movie rather than saving it unchanged.
            if (!doc.LoadTable(&lines))
                return false;
            std::fprintf(MovieStderr(), "tintor-cli apply: %s: script lines used %d, skipped %d, not found %d\n",
                movie.c_str(), lines.applied, lines.malformed, lines.notFound);
            return true;
        });
}

} // namespace tintor::cli
