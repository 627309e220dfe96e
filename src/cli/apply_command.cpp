// apply: a colour script into each movie, as the colour-table load command does.
#include "cli/apply_command.h"

#include "core/file.h"

#include <cstdio>

namespace tintor::cli {

CLI::App* AddApplyCommand(CLI::App& app, ApplyOptions& options)
{
    auto* apply = app.add_subcommand(
        "apply", "Load a colour script (.iro) into each movie's colour table, rewrite every colour and save");
    apply->add_option("MOVIE", options.movies, "The .swf movies to recolour")->required();
    apply
        ->add_option("-s,--script", options.script,
            "The colour script: lines such as '@fill #0000ff -> #00ff00' (colours blue-green-red, as scripts store "
            "them)")
        ->required()
        ->check(CLI::ExistingFile);
    AddOutputOptions(*apply, options.output);
    AddRuleOption(*apply, options.rule);
    apply->footer("A movie that came compressed is saved compressed. Colours the script names but the movie\n"
                  "lacks are skipped with a warning; colours it does not name are left as they are.");
    return apply;
}

int RunApply(const ApplyOptions& options)
{
    const auto outputs = PlanOutputs("apply", options.movies, options.output);
    if (!outputs)
        return kExitUsage;
    // Read once up front: a script that cannot be read fails every movie
    // alike, and before any of them is touched.
    if (!ReadWholeFile(options.script)) {
        std::fprintf(stderr, "tintor-cli apply: can't read the script %s\n", options.script.c_str());
        return kExitFailed;
    }
    if (!PrepareOutDir(options.output))
        return kExitFailed;
    return RunOnMovies("apply", options.movies, *outputs, options.rule,
        [&](CTintorDoc& doc, CPresetDialogs& dialogs, const std::string&) {
            dialogs.SetOpenPath(options.script);
            // A load that fails fails the movie rather than saving it unchanged.
            return doc.LoadTable();
        });
}

} // namespace tintor::cli
