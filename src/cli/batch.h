#pragma once

#include "cli/preset_dialogs.h"
#include "cli/run_files.h"
#include "document/tintor_doc.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tintor::cli {

// A movie named so is read from standard input; an output named so is
// written to standard output.
inline constexpr std::string_view kStandardStream = "-";

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1, // some movie could not be recoloured or saved
    kExitUsage = 2,  // the command line itself was wrong
};

// How a batch of movies is run: how many at once, where each movie's
// outcome is recorded, and whether movies done before are passed by.
struct BatchOptions {
    unsigned jobs = 0; // 0: one for each core
    std::string report;
    bool skipDone = false;
};

// Where recoloured movies go: one file, or a folder for any number of them;
// and how a batch of them is run.
struct OutputOptions {
    std::string outFile;
    std::string outDir;
    BatchOptions batch;
};
void AddOutputOptions(CLI::App& command, OutputOptions& options);

// --classic: collect only the colours that the original tag set holds.
void AddRuleOption(CLI::App& command, CollectionRule& rule);

// The output path of every movie, in order; nullopt (after one line on
// stderr) when the options do not fit the movies. Standard input can be
// read once, and has no file name to go into a folder under; a movie is not
// written to a terminal.
std::optional<std::vector<std::filesystem::path>> PlanOutputs(
    std::string_view command, const std::vector<std::string>& movies, const OutputOptions& options);

// Each movie and the file its result goes to, as the options chose it (and
// the --report file), for the command to add its other files to and check
// before writing anything.
CRunFiles MovieFiles(const std::vector<std::string>& movies, const std::vector<std::filesystem::path>& outputs,
    const OutputOptions& options);

// Makes the --out-dir folder when it is missing; false (after one line on
// stderr) when it cannot be made.
bool PrepareOutDir(const OutputOptions& options);

// Opens a movie into the document, from standard input when it is "-";
// false after saying why.
bool OpenMovie(CTintorDoc& doc, const std::string& movie);

// What a command does to one opened movie before it is saved; false when it
// failed, after saying why on MovieStderr(). Several movies may be at this
// step at once, each on a thread of its own: it changes nothing but the
// movie's document and dialogs.
using RecolourStep = std::function<bool(CTintorDoc& doc, CPresetDialogs& dialogs, const std::string& movie)>;

// Opens each movie in a document of its own, collecting its colours under
// the rule, runs the step and saves the result; as many movies at once as
// batch.jobs says. For each movie, when it is done, what was said about it
// and one progress line, "[k/n]" in the order movies finish, come out
// together, and a line goes into the report. Nothing is written for a movie
// that fails. The exit code says whether every movie succeeded (a movie
// passed by as done counts as one that did), whatever the number of jobs.
// "-" reads standard input or writes standard output.
int RunOnMovies(std::string_view command, const std::vector<std::string>& movies,
    const std::vector<std::filesystem::path>& outputs, const BatchOptions& batch, CollectionRule rule,
    const RecolourStep& step);

} // namespace tintor::cli
