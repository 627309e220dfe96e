#include "cli/batch.h"

#include "cli/batch_report.h"
#include "cli/colours_command.h"
#include "cli/movie_log.h"
#include "colour/colour_text.h"
#include "core/file.h"
#include "core/messages.h"

#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <tuple>

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
    command
        .add_option("-j,--jobs", options.batch.jobs,
            "How many movies to recolour at once (default: one for each core); each holds one movie in memory")
        ->type_name("N")
        ->check(CLI::PositiveNumber);
    command
        .add_option("--report", options.batch.report,
            "Add one JSON line per movie to this file: input, output, status, colours changed, images re-encoded, "
            "bytes before and after, and the error")
        ->type_name("FILE.jsonl");
    command.add_flag("--skip-done", options.batch.skipDone,
        "Pass by each movie whose output exists and is newer than the movie, as done by an earlier run");
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
        // /dev/stdout on a pipe or a terminal is standard output: a file
        // cannot be put in its place.
        const std::string outFile = IsStandardOutput(options.outFile) ? std::string(kStandardStream) : options.outFile;
        if (outFile == kStandardStream && ::isatty(STDOUT_FILENO) != 0)
            return usage("a movie is binary; write it to a file with -o OUT.swf, or send standard output to one");
        // The report's lines would land after the movie's last byte.
        const std::string& report = options.batch.report;
        if (outFile == kStandardStream && (report == kStandardStream || (!report.empty() && IsStandardOutput(report))))
            return usage("the movie and the --report cannot both go to standard output; write the report to a file");
        outputs.emplace_back(outFile);
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
    if (!options.batch.report.empty())
        files.AddOutput("--report", options.batch.report);
    return files;
}

bool OpenMovie(CTintorDoc& doc, const std::string& movie)
{
    if (movie != kStandardStream)
        return doc.OnOpenDocument(movie);
    const auto input = CDiskInputFile::StandardInput();
    if (!input) {
        std::fprintf(MovieStderr(), "tintor-cli: can't read standard input: %s\n", std::strerror(errno));
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
    std::fprintf(MovieStderr(), "tintor-cli: can't write the movie to standard output: %s\n", error.message().c_str());
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
    std::fprintf(MovieStderr(), "tintor-cli %.*s: %s: %zu %s%s kept %s colour, %s:\n", static_cast<int>(command.size()),
        command.data(), movie.c_str(), places, what, places == 1 ? "place" : "places", places == 1 ? "its" : "their",
        why);
    for (const KeptColour& colour : kept) {
        const std::string wanted = HexColor(colour.wanted);
        const std::string reason = colour.asNumbers == 0 ? wanted + " does not fit"
            : colour.asNumbers == colour.places
            ? std::string("also used as a number")
            : std::to_string(colour.asNumbers) + " also used as a number, " + wanted + " does not fit the others";
        std::fprintf(MovieStderr(), "  %s %s: %zu of %zu places stay, %s\n", KindName(colour.key),
            HexColor(colour.key).c_str(), colour.places, doc.PlaceCount(colour.key), reason.c_str());
    }
}

// The length of a file, when it is one.
std::optional<std::uintmax_t> FileLength(const std::filesystem::path& path)
{
    struct stat st {};
    if (path == kStandardStream || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return static_cast<std::uintmax_t>(st.st_size);
}

// Whether the output was written after the movie was last changed: then
// this movie was done by an earlier run. A movie recoloured in place is
// never done so, nor one read from or written to a standard stream.
bool DoneBefore(const std::string& movie, const std::filesystem::path& output)
{
    struct stat in {
    }, out{};
    if (movie == kStandardStream || output == kStandardStream || ::stat(movie.c_str(), &in) != 0
        || ::stat(output.c_str(), &out) != 0 || !S_ISREG(out.st_mode))
        return false;
    if (in.st_dev == out.st_dev && in.st_ino == out.st_ino)
        return false;
    return std::tie(out.st_mtim.tv_sec, out.st_mtim.tv_nsec) > std::tie(in.st_mtim.tv_sec, in.st_mtim.tv_nsec);
}

// The colours of the list that show another colour than their own now.
std::size_t ChangedColours(const CTintorDoc& doc)
{
    const CColorTable& table = doc.GetColorTable();
    std::size_t changed = 0;
    table.Map().ForEach(
        [&](std::uint32_t key, std::uint32_t entry) { changed += RgbOf(table.ColorOf(entry, 1)) != RgbOf(key); });
    return changed;
}

// The movie recoloured and saved; what changed is counted only for a report,
// which a pass over a million colours would otherwise cost every run.
MovieOutcome RecolourOne(std::string_view command, const std::string& movie, const std::filesystem::path& output,
    CollectionRule rule, const RecolourStep& step, bool count)
{
    MovieOutcome outcome;
    outcome.bytesBefore = FileLength(movie);
    CMovieLogSink messages;
    CPresetDialogs dialogs;
    CTintorDoc doc(messages, dialogs);
    doc.SetCollectionRule(rule);
    doc.SetPreviewFileWritten(false);
    if (!OpenMovie(doc, movie) || !step(doc, dialogs, movie))
        return outcome;
    ReportKeptColours(command, doc, movie);
    if (!SaveMovie(doc, output))
        return outcome;
    outcome.status = MovieOutcome::Status::Ok;
    if (count) {
        outcome.coloursChanged = ChangedColours(doc);
        outcome.imagesReencoded = doc.GetMovie().ReplacedImageCount();
        outcome.bytesAfter = FileLength(output);
    }
    return outcome;
}

// One movie of the batch, with what was said about it. No failure of one
// movie, not even running out of memory, ends the others.
MovieOutcome RunOne(std::string_view command, const std::string& movie, const std::filesystem::path& output,
    const BatchOptions& batch, CollectionRule rule, const RecolourStep& step, CMovieLog& log)
{
    MovieOutcome outcome;
    if (batch.skipDone && DoneBefore(movie, output)) {
        outcome.status = MovieOutcome::Status::Skipped;
        outcome.bytesBefore = FileLength(movie);
        outcome.bytesAfter = FileLength(output);
        return outcome;
    }
    try {
        outcome = RecolourOne(command, movie, output, rule, step, !batch.report.empty());
    } catch (const std::bad_alloc&) {
        outcome = {};
        std::fprintf(MovieStderr(), "tintor-cli %.*s: %s: not enough memory\n", static_cast<int>(command.size()),
            command.data(), movie.c_str());
    } catch (const std::exception& e) {
        outcome = {};
        std::fprintf(MovieStderr(), "tintor-cli %.*s: %s: %s\n", static_cast<int>(command.size()), command.data(),
            movie.c_str(), e.what());
    }
    if (outcome.status == MovieOutcome::Status::Failed)
        outcome.error = log.LastLine();
    return outcome;
}

// How many movies a batch recolours at once by default: one for each core
// this process may run on.
unsigned CoreCount()
{
    cpu_set_t cpus;
    if (::sched_getaffinity(0, sizeof cpus, &cpus) == 0 && CPU_COUNT(&cpus) > 0)
        return static_cast<unsigned>(CPU_COUNT(&cpus));
    return std::max(1u, std::thread::hardware_concurrency());
}

// The movies of a batch handed out one at a time to every job, and what
// comes of each gathered in the order they finish.
class CBatchRun {
public:
    CBatchRun(std::string_view command, const std::vector<std::string>& movies,
        const std::vector<std::filesystem::path>& outputs, const BatchOptions& batch, CollectionRule rule,
        const RecolourStep& step, CBatchReport* report)
        : m_command(command),
          m_movies(movies),
          m_outputs(outputs),
          m_batch(batch),
          m_rule(rule),
          m_step(step),
          m_report(report)
    {
    }

    // Every movie, on this thread and jobs - 1 others; the exit code.
    int Run(unsigned jobs)
    {
        std::vector<std::thread> helpers;
        try {
            for (unsigned i = 1; i < jobs; ++i)
                helpers.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // Fewer threads to be had: the ones there are do every movie.
        }
        Work();
        for (std::thread& helper : helpers)
            helper.join();
        if (m_failed != 0)
            std::fprintf(stderr, "tintor-cli %.*s: %zu of %zu movies failed\n", static_cast<int>(m_command.size()),
                m_command.data(), m_failed, m_movies.size());
        if (m_skipped != 0)
            std::fprintf(stderr, "tintor-cli %.*s: %zu of %zu movies skipped, done before\n",
                static_cast<int>(m_command.size()), m_command.data(), m_skipped, m_movies.size());
        if (m_report != nullptr && m_report->Error())
            std::fprintf(stderr, "tintor-cli %.*s: can't write the report %s: %s\n", static_cast<int>(m_command.size()),
                m_command.data(), m_batch.report.c_str(), m_report->Error().message().c_str());
        return m_failed == 0 && (m_report == nullptr || !m_report->Error()) ? kExitOk : kExitFailed;
    }

private:
    void Work()
    {
        for (std::size_t i; (i = m_next.fetch_add(1)) < m_movies.size();) {
            CMovieLog log;
            const MovieOutcome outcome = RunOne(m_command, m_movies[i], m_outputs[i], m_batch, m_rule, m_step, log);
            Finish(i, outcome, log.Text());
        }
    }

    // What was said about the movie and its progress line, in one write so
    // that no other movie's lines come between; then its report line.
    void Finish(std::size_t i, const MovieOutcome& outcome, std::string_view said)
    {
        const std::lock_guard lock(m_finishing);
        const std::size_t k = ++m_finished;
        m_failed += outcome.status == MovieOutcome::Status::Failed;
        m_skipped += outcome.status == MovieOutcome::Status::Skipped;
        const char* status = outcome.status == MovieOutcome::Status::Ok ? "ok"
            : outcome.status == MovieOutcome::Status::Skipped           ? "skipped, done before"
                                                                        : "FAILED";
        std::string text(said);
        char line[64];
        std::snprintf(line, sizeof line, "[%zu/%zu] ", k, m_movies.size());
        text.append(line).append(m_command).append(" ").append(m_movies[i]).append(" -> ");
        text.append(m_outputs[i].string()).append(": ").append(status).append("\n");
        std::fwrite(text.data(), 1, text.size(), stderr);
        if (m_report != nullptr)
            m_report->Add(ReportLine(m_movies[i], m_outputs[i].string(), outcome));
    }

    std::string_view m_command;
    const std::vector<std::string>& m_movies;
    const std::vector<std::filesystem::path>& m_outputs;
    const BatchOptions& m_batch;
    CollectionRule m_rule;
    const RecolourStep& m_step;
    CBatchReport* m_report;
    std::atomic<std::size_t> m_next{0};
    std::mutex m_finishing;
    std::size_t m_finished = 0;
    std::size_t m_failed = 0;
    std::size_t m_skipped = 0;
};

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
    const std::vector<std::filesystem::path>& outputs, const BatchOptions& batch, CollectionRule rule,
    const RecolourStep& step)
{
    std::unique_ptr<CBatchReport> report;
    if (!batch.report.empty()) {
        std::error_code error;
        report = CBatchReport::Open(batch.report, error);
        if (!report) {
            std::fprintf(stderr, "tintor-cli %.*s: can't write the report %s: %s\n", static_cast<int>(command.size()),
                command.data(), batch.report.c_str(), error.message().c_str());
            return kExitFailed;
        }
    }
    // No more jobs than movies; nor more than the signal clean-up has room
    // to list a temporary file for, far beyond any machine's cores.
    constexpr std::size_t kMostJobs = 128;
    const unsigned jobs = static_cast<unsigned>(std::min(
        {std::size_t{batch.jobs != 0 ? batch.jobs : CoreCount()}, std::max<std::size_t>(movies.size(), 1), kMostJobs}));
    return CBatchRun(command, movies, outputs, batch, rule, step, report.get()).Run(jobs);
}

} // namespace tintor::cli
