// tintor-cli batches across cores: several movies at once giving what one at
// a time gives, their reports and their messages; and the last input checks.
#include "cli_runner.h"
#include "core/utf8.h"
#include "testkit/movie_builder.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

namespace tintor::test {
namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Every file in a folder and its bytes.
std::map<std::string, std::string> Contents(const std::filesystem::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        files[entry.path().filename().string()] = Text(entry.path());
    return files;
}

class CliBatchTest : public CCliFolderTest {};

TEST_F(CliBatchTest, TwoJobsWriteWhatOneWritesAndSayItMovieByMovie)
{
    // Tints without room, which each movie reports in two lines; a movie
    // that fails; plain, compressed and LZMA movies.
    std::vector<std::string> movies;
    for (int i = 0; i < 5; ++i)
        movies.push_back(Write("in/left" + std::to_string(i) + ".swf", BuildLeftoversMovie()));
    movies.push_back(Write("in/plain.swf", BuildSampleMovie(false)));
    movies.push_back(Write("in/zlib.swf", BuildSampleMovie(true)));
    const std::string noMovie = "no movie";
    movies.insert(movies.begin() + 3, Write("in/bad.swf", {noMovie.begin(), noMovie.end()}));
    const std::string gpl = "GIMP Palette\n255 255 255 white\n0 0 0 black\n200 30 30 red\n";
    const std::string script = "@tint #800040 -> #ffffff\n@fill #6ac4e9 -> #000000\n";
    const std::vector<std::vector<std::string>> commands = {
        {"shift", "--kind", "tint", "--kind", "fill", "--to", "#ffffff"},
        {"map", "--palette", Write("p.gpl", {gpl.begin(), gpl.end()})},
        {"apply", "--script", Write("s.iro", {script.begin(), script.end()})},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command[0]);
        std::map<std::string, std::string> outputs[2];
        for (const int jobs : {1, 2}) {
            const auto outDir = m_dir / ("out" + std::to_string(jobs)), report = m_dir / "report.jsonl";
            std::vector<std::string> args = command;
            args.insert(args.begin() + 1, movies.begin(), movies.end());
            for (const std::string& more : {std::string("-j"), std::to_string(jobs), std::string("--out-dir"),
                     outDir.string(), std::string("--report"), report.string()})
                args.push_back(more);
            const CliRun run = Run(args);
            EXPECT_EQ(run.exitCode, 1) << run.err;

            // One progress line per movie, [1/n] to [n/n]; before each, all
            // that was said about that movie and nothing about another.
            std::set<std::string> counted;
            std::vector<std::string> said;
            for (const std::string& line : Lines(run.err)) {
                if (line.starts_with("tintor-cli " + command[0] + ": 1 of"))
                    continue;
                if (!line.starts_with("[")) {
                    said.push_back(line);
                    continue;
                }
                counted.insert(line.substr(0, line.find(']') + 1));
                const std::string input = line.substr(line.find(command[0] + " ") + command[0].size() + 1);
                const std::string movie = input.substr(0, input.find(" -> "));
                for (const std::string& message : said)
                    for (const std::string& other : movies)
                        EXPECT_TRUE(other == movie || message.find(other) == std::string::npos)
                            << message << "\nbefore " << line;
                if (movie.find("left") != std::string::npos && command[0] == "shift") {
                    EXPECT_TRUE(said.size() == 2 && said[1].starts_with("  tint #400080")) << run.err;
                }
                said.clear();
            }
            EXPECT_EQ(counted.size(), movies.size()) << run.err;
            const std::string n = std::to_string(movies.size());
            EXPECT_TRUE(counted.contains("[1/" + n + "]") && counted.contains("[" + n + "/" + n + "]")) << run.err;

            std::set<std::string> reported;
            for (const std::string& line : Lines(Text(report))) {
                const auto json = nlohmann::json::parse(line);
                const std::string input = json.at("input"), output = json.at("output");
                reported.insert(input);
                const bool bad = input.ends_with("bad.swf");
                EXPECT_EQ(json.at("status"), bad ? "failed" : "ok") << line;
                EXPECT_EQ(json.at("error").is_string(), bad) << line;
                EXPECT_EQ(json.at("bytes_before"), std::filesystem::file_size(input)) << line;
                if (bad)
                    EXPECT_TRUE(json.at("bytes_after").is_null() && json.at("colours_changed").is_null()) << line;
                else
                    EXPECT_EQ(json.at("bytes_after"), std::filesystem::file_size(output)) << line;
                if (input.find("left") != std::string::npos) {
                    EXPECT_GE(json.at("colours_changed"), 1) << line;
                }
            }
            EXPECT_EQ(reported, std::set<std::string>(movies.begin(), movies.end()));
            std::filesystem::remove(report);
            outputs[jobs - 1] = Contents(outDir);
            std::filesystem::remove_all(outDir);
        }
        EXPECT_EQ(outputs[0].size(), movies.size() - 1);
        EXPECT_TRUE(outputs[0] == outputs[1]);
    }
}

TEST_F(CliBatchTest, SkipDonePassesByMoviesWhoseOutputIsNewerAndSaysSo)
{
    const std::vector<std::string> movies = {
        Write("a.swf", BuildSampleMovie()), Write("b.swf", BuildSampleMovie(true)), Write("c.swf", BuildSampleMovie())};
    const auto outDir = m_dir / "out", report = m_dir / "r.jsonl";
    std::vector<std::string> args = {"shift", "--all", "--hue", "30", "--out-dir", outDir.string(), "--skip-done",
        "--report", report.string(), "-j", "2"};
    args.insert(args.begin() + 1, movies.begin(), movies.end());
    ASSERT_EQ(Run(args).exitCode, 0);
    // b changed after its output was written; c's output is gone.
    const timespec later[2] = {{0, UTIME_OMIT}, {std::time(nullptr) + 60, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, movies[1].c_str(), later, 0), 0);
    std::filesystem::remove(outDir / "c.swf");
    const auto before = std::filesystem::last_write_time(outDir / "a.swf");

    const CliRun run = Run(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("/a.swf: skipped, done before\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("1 of 3 movies skipped, done before"), std::string::npos) << run.err;
    EXPECT_EQ(std::filesystem::last_write_time(outDir / "a.swf"), before);
    EXPECT_TRUE(std::filesystem::exists(outDir / "c.swf"));
    const auto lines = Lines(Text(report));
    ASSERT_EQ(lines.size(), 6u);
    std::map<std::string, std::string> second;
    for (std::size_t i = 3; i < lines.size(); ++i) {
        const auto json = nlohmann::json::parse(lines[i]);
        second[std::filesystem::path(json.at("input").get<std::string>()).filename()] = json.at("status");
    }
    EXPECT_EQ(second, (std::map<std::string, std::string>{{"a.swf", "skipped"}, {"b.swf", "ok"}, {"c.swf", "ok"}}));
}

TEST_F(CliBatchTest, AReportCutShortByAKillStillGetsWholeLines)
{
    const auto report = m_dir / "r.jsonl";
    const std::string torn = "{\"input\": \"x.swf\", \"sta";
    Write("r.jsonl", {torn.begin(), torn.end()});
    const auto movie = Write("a.swf", BuildSampleMovie());
    ASSERT_EQ(
        Run({"shift", movie, "--all", "-o", (m_dir / "o.swf").string(), "--report", report.string()}).exitCode, 0);
    const auto lines = Lines(Text(report));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], torn);
    EXPECT_EQ(nlohmann::json::parse(lines[1]).at("status"), "ok");
    // The report is an output like any other: never one of the run's inputs.
    EXPECT_EQ(Run({"shift", movie, "--all", "-o", (m_dir / "o.swf").string(), "--report", movie}).exitCode, 2);
}

TEST_F(CliBatchTest, WithinIsADistanceFromZeroToAHundred)
{
    const auto movie = Write("a.swf", BuildSampleMovie());
    const auto out = (m_dir / "o.swf").string();
    for (const std::string within : {"nan", "NaN", "inf", "-inf", "-1", "abc", "100.5"}) {
        EXPECT_EQ(Run({"shift", movie, "--near", "#ff0000", "--within", within, "--hue", "9", "-o", out}).exitCode, 2)
            << within;
        EXPECT_EQ(Run({"colours", movie, "--families", "--within", within}).exitCode, 2) << within;
    }
    for (const std::string within : {"0", "2.5", "100"})
        EXPECT_EQ(Run({"colours", movie, "--families", "--within", within}).exitCode, 0) << within;
}

TEST_F(CliBatchTest, StandardOutputNamedByItsPathOnAPipeIsStandardOutput)
{
    const auto movie = Write("a.swf", BuildSampleMovie(true));
    const auto file = m_dir / "file.swf", piped = m_dir / "piped.swf", palette = m_dir / "p.gpl";
    ASSERT_EQ(Run({"shift", movie, "--all", "--hue", "20", "-o", file.string()}).exitCode, 0);
    for (const std::string name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
        const CliRun run
            = Run({"shift", movie, "--all", "--hue", "20", "-o", name}, {}, "| cat >" + ShellQuoted(piped));
        EXPECT_EQ(run.exitCode, 0) << name << run.err;
        EXPECT_EQ(Text(piped), Text(file)) << name;
    }
    ASSERT_EQ(Run({"palette", movie, "-o", "/dev/stdout"}, {}, "| cat >" + ShellQuoted(palette)).exitCode, 0);
    EXPECT_TRUE(Text(palette).starts_with("GIMP Palette\n"));
    // Report lines after the movie's last byte would spoil the movie.
    for (const std::string report : {"-", "/dev/stdout"})
        EXPECT_EQ(
            Run({"shift", movie, "--all", "-o", "-", "--report", report}, {}, "| cat >" + ShellQuoted(piped)).exitCode,
            2)
            << report;
    // A pipe that is not standard output is named for what it is.
    const CliRun run
        = Run({"shift", movie, "--all", "-o", "/dev/fd/3"}, {}, "3>&1 >/dev/null | cat >" + ShellQuoted(piped));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("is a FIFO"), std::string::npos) << run.err;
}

TEST_F(CliBatchTest, AJsonPaletteThatFailsCostsAFewTimesItsSize)
{
    const auto movie = Write("a.swf", BuildSampleMovie());
    // 40 MB of line breaks before what breaks the file, inside an array and
    // inside nothing: the old parser's error text took 27 times the file.
    for (const std::string& head : {std::string("["), std::string("{\"name\": [[[")}) {
        std::vector<std::uint8_t> text(head.begin(), head.end());
        text.resize(40 << 20, '\n');
        text.push_back('x');
        const auto palette = Write("p.json", text);
#if defined(__SANITIZE_ADDRESS__) // which reserves more address space than any limit allows
        const std::string limit;
#else
        const std::string limit = "ulimit -v " + std::to_string(256 * 1024) + "; ";
#endif
        const CliRun run = Run({"map", movie, "--palette", palette, "-o", (m_dir / "o.swf").string()}, limit);
        EXPECT_EQ(run.exitCode, 1) << run.err;
        EXPECT_NE(run.err.find("not valid JSON at byte " + std::to_string(text.size())), std::string::npos) << run.err;
        EXPECT_LT(run.err.size(), 300u);
    }
}

} // namespace
} // namespace tintor::test
