#include "cli/batch.h"

#include "cli/colours_command.h"
#include "colour/colour_text.h"
#include "core/file.h"
#include "core/messages.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <system_error>

namespace tintor::cli {

void AddOutputOptions(CLI::App& command, OutputOptions& options)
{
    auto* outFile = command.add_option("-o,--output", options.outFile,
        "Write the recoloured movie to this file (one MOVIE only); it may be the MOVIE itself, and - writes it to "
        "standard output");
    auto* outDir = command.add_option("--out-dir", options.outDir,
        "Write each recoloured movie into this folder under its own file name (made when missing)");
    outFile->excludes(outDir);
    outDir->excludes(outFile);
}

void AddRuleOption(CLI::App& command, CollectionRule& rule)
{
    command.add_flag_callback(
        "--classic", [&rule] { rule = CollectionRule::Classic; },
        "Collect the classic set of colours only: none of DefineShape4, DefineMorphShape2, DefineText2 or "
        "DefineFont3, and no filter, tint, HTML text or script colours");
}

std::optional<std::vector<std::filesystem::path>> PlanOutputs(
    std::string_view command, const std::vector<std::string>& movies, const OutputOptions& options)
{
    const auto usage = [&](const std::string& text) {
        std::fprintf(stderr, "tintor-cli %.*s: %s\n", static_cast<int>(command.size()), command.data(), text.c_str());
        return std::nullopt;
    };
    if (options.outFile.empty() && options.outDir.empty())
        return usage("say where the result goes with -o OUT.swf or --out-dir DIR");
    if (std::count(movies.begin(), movies.end(), kStandardStream) > 1)
        return usage("standard input (-) can be read only once");
    std::vector<std::filesystem::path> outputs;
    if (!options.outFile.empty()) {
        if (movies.size() != 1)
            return usage("-o takes one movie; use --out-dir DIR for several");
        if (options.outFile == kStandardStream && ::isatty(STDOUT_FILENO) != 0)
            return usage("a movie is binary; write it to a file with -o OUT.swf, or send standard output to one");
        outputs.emplace_back(options.outFile);
        return outputs;
    }
    // Movies of the same name from different folders would overwrite each
    // other's result; refuse before anything is written.
    std::map<std::filesystem::path, std::string> seen;
    for (const auto& movie : movies) {
        if (movie == kStandardStream)
            return usage("standard input (-) has no file name to write under --out-dir; use -o");
        const std::filesystem::path name = std::filesystem::path(movie).filename();
        if (name.empty())
            return usage("'" + movie + "' names no file");
        const auto [it, fresh] = seen.emplace(name, movie);
        if (!fresh)
            return usage("'" + it->second + "' and '" + movie + "' would both be written to "
                + (std::filesystem::path(options.outDir) / name).string());
        outputs.push_back(std::filesystem::path(options.outDir) / name);
    }
    return outputs;
}

CRunFiles MovieFiles(const std::vector<std::string>& movies, const std::vector<std::filesystem::path>& outputs,
    const OutputOptions& options)
{
    CRunFiles files;
    for (std::size_t i = 0; i < movies.size(); ++i)
        files.AddMovie(movies[i], outputs[i], options.outDir.empty() ? "-o" : "the --out-dir file");
    return files;
}

bool OpenMovie(CTintorDoc& doc, const std::string& movie)
{
    if (movie != kStandardStream)
        return doc.OnOpenDocument(movie);
    const auto input = CDiskInputFile::StandardInput();
    if (!input) {
        std::fprintf(stderr, "tintor-cli: can't read standard input: %s\n", std::strerror(errno));
        return false;
    }
    return doc.OnOpenDocument(*input, movie);
}

namespace {

bool SaveMovie(CTintorDoc& doc, const std::filesystem::path& output)
{
    if (output != kStandardStream)
        return doc.OnSaveDocument(output);
    CStandardOutputFile out;
    if (doc.SaveMovie(out))
        return true;
    // Short of a system error, only memory for the compression runs out.
    const std::error_code error = out.Error() ? out.Error() : std::make_error_code(std::errc::not_enough_memory);
    std::fprintf(stderr, "tintor-cli: can't write the movie to standard output: %s\n", error.message().c_str());
    return false;
}

// Every colour some of whose places could not take their new colour, so
// that no place keeps its old one unsaid: a tint or a script constant
// without room for it, or a script constant that is also a number.
void ReportKeptColours(std::string_view command, const CTintorDoc& doc, const std::string& movie)
{
    const auto kept = doc.KeptColours();
    if (kept.empty())
        return;
    const std::size_t places = doc.KeptPlaceCount();
    std::size_t tints = 0, numbers = 0;
    for (const KeptColour& colour : kept) {
        tints += KindOf(colour.key) == KIND_TINT ? colour.places : 0;
        numbers += colour.asNumbers;
    }
    const char* what = tints == places ? "tint " : tints == 0 ? "script " : "";
    const char* why = numbers == 0 ? "without room for the new one"
        : numbers == places        ? "also used as a number"
                                   : "without room for the new one or also used as a number";
    std::fprintf(stderr, "tintor-cli %.*s: %s: %zu %s%s kept %s colour, %s:\n", static_cast<int>(command.size()),
        command.data(), movie.c_str(), places, what, places == 1 ? "place" : "places", places == 1 ? "its" : "their",
        why);
    for (const KeptColour& colour : kept) {
        const std::string wanted = HexColor(colour.wanted);
        const std::string reason = colour.asNumbers == 0 ? wanted + " does not fit"
            : colour.asNumbers == colour.places
            ? std::string("also used as a number")
            : std::to_string(colour.asNumbers) + " also used as a number, " + wanted + " does not fit the others";
        std::fprintf(stderr, "  %s %s: %zu of %zu places stay, %s\n", KindName(colour.key),
            HexColor(colour.key).c_str(), colour.places, doc.PlaceCount(colour.key), reason.c_str());
    }
}

bool RecolourOne(std::string_view command, const std::string& movie, const std::filesystem::path& output,
    CollectionRule rule, const RecolourStep& step)
{
    CStderrSink messages;
    CPresetDialogs dialogs;
    CTintorDoc doc(messages, dialogs);
    doc.SetCollectionRule(rule);
    doc.SetPreviewFileWritten(false);
    if (!OpenMovie(doc, movie))
        return false;
    if (!step(doc, dialogs, movie))
        return false;
    ReportKeptColours(command, doc, movie);
    return SaveMovie(doc, output);
}

} // namespace

bool PrepareOutDir(const OutputOptions& options)
{
    if (options.outDir.empty())
        return true;
    std::error_code error;
    std::filesystem::create_directories(options.outDir, error);
    if (!error && !std::filesystem::is_directory(options.outDir, error) && !error)
        error = std::make_error_code(std::errc::not_a_directory);
    if (error) {
        std::fprintf(
            stderr, "tintor-cli: can't make the folder %s: %s\n", options.outDir.c_str(), error.message().c_str());
        return false;
    }
    return true;
}

int RunOnMovies(std::string_view command, const std::vector<std::string>& movies,
    const std::vector<std::filesystem::path>& outputs, CollectionRule rule, const RecolourStep& step)
{
    int failed = 0;
    for (std::size_t i = 0; i < movies.size(); ++i) {
        const bool ok = RecolourOne(command, movies[i], outputs[i], rule, step);
        if (!ok)
            ++failed;
        std::fprintf(stderr, "[%zu/%zu] %.*s %s -> %s: %s\n", i + 1, movies.size(), static_cast<int>(command.size()),
            command.data(), movies[i].c_str(), outputs[i].string().c_str(), ok ? "ok" : "FAILED");
    }
    if (failed != 0)
        std::fprintf(stderr, "tintor-cli %.*s: %d of %zu movies failed\n", static_cast<int>(command.size()),
            command.data(), failed, movies.size());
    return failed == 0 ? kExitOk : kExitFailed;
}

} // namespace tintor::cli
