// tintor-cli run as users run it: exit codes, progress lines and the files
// it leaves behind.
#include "core/file.h"
#include "core/messages.h"
#include "support/corpus.h"
#include "swf/abc_instructions.h"
#include "swf/swf_file.h"
#include "testkit/abc_builder.h"
#include "testkit/action_writer.h"
#include "testkit/image_bodies.h"
#include "testkit/memory_files.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <tuple>
#include <zlib.h>

namespace tintor::test {
namespace {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

std::string Quote(const std::string& arg)
{
    std::string quoted = "'";
    for (const char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadText(const std::filesystem::path& path)
{
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tintor-cli-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // Standard input comes from input when one is named, or from the shell
    // command pipeFrom; stdoutTo, a shell redirection, sends standard output
    // elsewhere than to result.out; limitKiB, when given, bounds the run's
    // address space.
    RunResult Run(const std::vector<std::string>& args, const std::filesystem::path& input = {}, long limitKiB = 0,
        const std::string& pipeFrom = {}, const std::string& stdoutTo = {}) const
    {
        std::string command = limitKiB > 0 ? "ulimit -v " + std::to_string(limitKiB) + "; " : "";
        if (!pipeFrom.empty())
            command += pipeFrom + " | ";
        command += Quote(TINTOR_CLI_PATH);
        for (const auto& arg : args)
            command += " " + Quote(arg);
        if (pipeFrom.empty())
            command += " <" + Quote(input.empty() ? "/dev/null" : input.string());
        command += (stdoutTo.empty() ? " >" + Quote((m_dir / "stdout.txt").string()) : " " + stdoutTo) + " 2>"
            + Quote((m_dir / "stderr.txt").string());
        const auto start = std::chrono::steady_clock::now();
        const int status = std::system(command.c_str());
        RunResult result;
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadText(m_dir / "stdout.txt");
        result.err = ReadText(m_dir / "stderr.txt");
        std::filesystem::remove(m_dir / "stdout.txt");
        std::filesystem::remove(m_dir / "stderr.txt");
        return result;
    }

    std::filesystem::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        const auto path = m_dir / name;
        EXPECT_TRUE(WriteWholeFile(path, bytes));
        return path;
    }

    std::filesystem::path m_dir;
};

// A few corpus movies: plain and compressed, morph shapes, many colours.
const char* const kCorpusMovies[] = {
    "ruffle/tests/tests/swfs/from_gnash/misc-ming.all/loop/loop_test8/test.swf",
    "ruffle/tests/tests/swfs/from_shumway/3_joystick/test.swf",
    "ruffle/tests/tests/swfs/from_shumway/acid/acid-morph/test.swf",
    "ruffle/tests/tests/swfs/visual/simple_shapes/heavy_tesselation/test.swf",
};

struct LoadedMovie {
    bool ok = false;
    bool compressed = false;
    std::uint32_t fileSize = 0;
    std::size_t colours = 0;
    std::vector<std::uint8_t> buffer;
};

LoadedMovie Load(const std::filesystem::path& path)
{
    CRecordingSink messages;
    CSwfFile movie(messages);
    LoadedMovie loaded;
    auto file = CDiskInputFile::Open(path);
    if (!file || !movie.Load(*file))
        return loaded;
    loaded.ok = true;
    loaded.compressed = movie.IsCompressed();
    loaded.fileSize = movie.FileSize();
    loaded.colours = movie.Colors().Size();
    loaded.buffer.assign(movie.Buffer().begin(), movie.Buffer().end());
    return loaded;
}

TEST_F(CliTest, ScriptFromShiftReplayedByApplyGivesTheSameMovie)
{
    TINTOR_SKIP_WITHOUT_CORPUS();
    for (const char* name : kCorpusMovies) {
        SCOPED_TRACE(name);
        const auto movie = CorpusDir() / name;
        const auto shifted = m_dir / "shifted.swf", applied = m_dir / "applied.swf", script = m_dir / "s.iro";

        const auto shift = Run({"shift", movie.string(), "--all", "--hue", "40", "--value", "-20", "-o",
            shifted.string(), "--save-script", script.string()});
        ASSERT_EQ(shift.exitCode, 0) << shift.err;
        EXPECT_NE(shift.err.find("[1/1] shift"), std::string::npos) << shift.err;
        EXPECT_EQ(ReadText(script).rfind("[TINTOR SCRIPT]\n@", 0), 0u);

        const auto apply = Run({"apply", movie.string(), "--script", script.string(), "-o", applied.string()});
        ASSERT_EQ(apply.exitCode, 0) << apply.err;
        EXPECT_EQ(ReadBytes(applied), ReadBytes(shifted));

        // Both load again, as large and as compressed as the input.
        const LoadedMovie original = Load(movie), result = Load(applied);
        ASSERT_TRUE(original.ok && result.ok);
        EXPECT_EQ(result.fileSize, original.fileSize);
        EXPECT_EQ(result.buffer.size(), original.buffer.size());
        EXPECT_EQ(result.compressed, original.compressed);
        EXPECT_NE(result.buffer, original.buffer);
        EXPECT_GT(result.colours, 0u);
        if (!original.compressed) {
            EXPECT_EQ(std::filesystem::file_size(applied), original.fileSize);
        }
    }
}

TEST_F(CliTest, ToWritesOneColourAtEveryPositionOfTheSelectionAndNowhereElse)
{
    TINTOR_SKIP_WITHOUT_CORPUS();
    const auto movie = (CorpusDir() / kCorpusMovies[2]).string(), out = (m_dir / "to.swf").string();
    const auto run = Run({"shift", movie, "--kind", "fill", "--kind", "line", "--to", "#123456", "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    CRecordingSink messages;
    CSwfFile original(messages);
    auto file = CDiskInputFile::Open(movie);
    ASSERT_TRUE(file && original.Load(*file));
    std::vector<std::uint8_t> expected(original.Buffer().begin(), original.Buffer().end());
    original.Colors().ForEach([&](ColorKey key, const PositionList& positions) {
        if ((key & (KIND_FILL | KIND_LINE)) != 0)
            for (const std::uint32_t p : positions) {
                expected[p] = 0x12;
                expected[p + 1] = 0x34;
                expected[p + 2] = 0x56;
            }
    });
    ASSERT_FALSE(std::equal(expected.begin(), expected.end(), original.Buffer().begin()));
    EXPECT_TRUE(Load(out).buffer == expected);

    // One colour or the sliders, not both.
    for (const auto& wrong : std::vector<std::vector<std::string>>{
             {"--hue", "120"}, {"--saturation", "100"}, {"--value", "0"}, {"--unify"}, {"--to", "#12345"}}) {
        std::vector<std::string> args = {"shift", movie, "--all", "--to", "#123456", "-o", out};
        args.insert(args.end(), wrong.begin(), wrong.end());
        EXPECT_EQ(Run(args).exitCode, 2) << wrong[0];
    }
}

TEST_F(CliTest, MapChangesKnownColoursReportsUnknownOnesAndRefusesMalformedLines)
{
    CMovieBuilder builder;
    builder.AddTag(9, std::vector<std::uint8_t>{0xFF, 0x00, 0x00});
    builder.AddTag(9, std::vector<std::uint8_t>{0x00, 0x00, 0xFF});
    const auto movie = Write("bg.swf", builder.Build()).string(), out = (m_dir / "mapped.swf").string();
    const std::string text = "# brand colours\nbg:#ff0000 #123456  # the red\n#0000ff #abcdef\nfill:#00ff00 #000000\n";
    const auto map = Write("brand.map", {text.begin(), text.end()}).string();
    auto run = Run({"map", movie, "--map", map, "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("has no fill colour #00ff00 (" + map + ", line 4)"), std::string::npos) << run.err;
    EXPECT_EQ(Run({"colours", out}).out, "bg #123456 1\nbg #abcdef 1\n");

    const std::string malformed = "#ff0000 #00ff00\n\nfill:#ff0000\n";
    const auto bad = Write("bad.map", {malformed.begin(), malformed.end()}).string();
    std::filesystem::remove(out);
    run = Run({"map", movie, "--map", bad, "-o", out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(bad + ":3: "), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliTest, PaletteFormatComesFromTheOptionOrTheFileName)
{
    const auto movie = Write("sample.swf", BuildSampleMovie()).string(), out = (m_dir / "p.ase").string();
    auto run = Run({"palette", movie});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("GIMP Palette\nName: sample\n", 0), 0u);
    ASSERT_EQ(Run({"palette", movie, "-o", out}).exitCode, 0);
    EXPECT_EQ(ReadText(out).substr(0, 4), "ASEF");
    ASSERT_EQ(Run({"palette", movie, "--format", "json", "-o", out}).exitCode, 0);
    EXPECT_EQ(ReadText(out).front(), '{');
    EXPECT_EQ(Run({"palette", movie, "--format", "aco"}).exitCode, 2);
}

TEST_F(CliTest, SelectedKindOnlyIsChanged)
{
    const auto movie = Write("sample.swf", BuildSampleMovie());
    const auto out = m_dir / "out.swf";
    const auto run = Run({"shift", movie.string(), "--kind", "line", "--value", "-100", "-o", out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto listed = Run({"colours", out.string()});
    ASSERT_EQ(listed.exitCode, 0);
    std::istringstream lines(listed.out);
    int lineColours = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("line ", 0) == 0) {
            ++lineColours;
            EXPECT_EQ(line.substr(0, 12), "line #000000") << line;
        } else {
            EXPECT_EQ(line.find("#000000"), std::string::npos) << line;
        }
    }
    EXPECT_EQ(lineColours, 1); // both outlines are black now: one key
}

TEST_F(CliTest, ShiftsOfZeroLeaveEveryColourAsItIs)
{
    const auto movie = Write("sample.swf", BuildSampleMovie());
    for (const std::vector<std::string>& shifts :
        {std::vector<std::string>{}, std::vector<std::string>{"--hue", "0", "--saturation", "0", "--value", "0"}}) {
        const auto out = m_dir / "out.swf";
        std::vector<std::string> args{"shift", movie.string(), "--all", "-o", out.string()};
        args.insert(args.end(), shifts.begin(), shifts.end());
        const auto run = Run(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(ReadBytes(out), ReadBytes(movie));
    }
}

TEST_F(CliTest, SeveralMoviesReportEachAndFailOnlyTheBadOne)
{
    Write("a.swf", BuildSampleMovie(false));
    Write("b.swf", BuildSampleMovie(true));
    const std::string text = "no movie";
    Write("bad.swf", {text.begin(), text.end()});
    const auto outDir = m_dir / "out" / "deeper";
    const auto run = Run({"shift", (m_dir / "a.swf").string(), (m_dir / "bad.swf").string(), (m_dir / "b.swf").string(),
        "--all", "--saturation", "-100", "--out-dir", outDir.string()});
    EXPECT_EQ(run.exitCode, 1);
    // Numbered in the order the movies finish, which jobs side by side decide.
    EXPECT_NE(run.err.find("/3] shift " + (m_dir / "a.swf").string() + " -> "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("bad.swf: FAILED"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("ERROR: Illegal Header - not a Shockwave Flash File"), std::string::npos);
    EXPECT_NE(run.err.find("[3/3]"), std::string::npos);
    EXPECT_TRUE(Load(outDir / "a.swf").ok);
    EXPECT_TRUE(Load(outDir / "b.swf").compressed);
    EXPECT_FALSE(std::filesystem::exists(outDir / "bad.swf"));
}

TEST_F(CliTest, WrongCommandLinesExitTwoAndWriteNothing)
{
    const auto a = Write("a.swf", BuildSampleMovie()).string();
    std::filesystem::create_directory(m_dir / "sub");
    const auto b = Write("sub/a.swf", BuildSampleMovie()).string();
    const auto out = (m_dir / "out.swf").string();
    const auto outDir = (m_dir / "outdir").string();
    const std::vector<std::vector<std::string>> wrong = {
        {"shift", a, "--all", "--hue", "101", "-o", out},
        {"shift", a, "--all", "--value", "-101", "-o", out},
        {"shift", a, "--all", "--saturation", "200", "-o", out}, // a slider position, not a shift
        {"shift", a, "--all"},                                   // no output
        {"shift", a, "-o", out},                                 // nothing selected
        {"shift", a, "--select", "fill:#12345", "-o", out},      // five digits
        {"shift", a, "--select", "glow:#123456", "-o", out},     // no such kind
        {"shift", a, "--kind", "stroke", "-o", out},
        {"shift", a, "b.swf", "--all", "-o", out},             // -o with two movies
        {"shift", a, b, "--all", "--out-dir", outDir},         // same name twice
        {"shift", a, "--all", "-o", out, "--out-dir", outDir}, // both
        {"apply", a, "-o", out},                               // no script
        {"apply", a, "--script", (m_dir / "none.iro").string(), "-o", out},
        {"recolour", a},
        {},
        {"shift", "--help-me"},
    };
    for (const auto& args : wrong) {
        const auto run = Run(args);
        std::string joined;
        for (const auto& arg : args)
            joined += arg + " ";
        EXPECT_EQ(run.exitCode, 2) << joined << "\n" << run.err;
        EXPECT_FALSE(run.err.empty()) << joined;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_FALSE(std::filesystem::exists(outDir));
}

TEST_F(CliTest, FailuresPerMovieExitOne)
{
    const auto a = Write("a.swf", BuildSampleMovie()).string();
    const auto out = (m_dir / "out.swf").string();
    // A colour the movie does not have.
    auto run = Run({"shift", a, "--select", "fill:#123456", "-o", out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("has no fill colour #123456"), std::string::npos) << run.err;
    // A movie that does not exist.
    run = Run({"shift", (m_dir / "none.swf").string(), "--all", "-o", out});
    EXPECT_EQ(run.exitCode, 1);
    // An output that cannot be written.
    run = Run({"shift", a, "--all", "-o", (m_dir / "a.swf" / "x.swf").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("OnSaveDocument: can't save"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliTest, ClassicCollectsTheOriginalSetOnEverySubcommand)
{
    // A background and a DefineText2 colour, which only the extended rule collects.
    CMovieBuilder builder;
    builder.AddTag(9, std::vector<std::uint8_t>{0x10, 0x20, 0x30});
    const std::uint32_t text
        = builder.AddTag(33, std::vector<std::uint8_t>{1, 0, 0, 0, 8, 8, 0x84, 0x40, 0x50, 0x60, 0xFF, 0, 0}) + 6;
    const auto original = builder.Build();
    const auto movie = Write("text2.swf", original);
    EXPECT_EQ(Run({"colours", movie.string()}).out, "text #405060 1\nbg #102030 1\n");
    EXPECT_EQ(Run({"colours", "--classic", movie.string()}).out, "bg #102030 1\n");

    // A script that names both colours, applied under the classic rule,
    // finds only the background; so does a shift of every colour.
    const auto script = m_dir / "both.iro", shifted = m_dir / "shifted.swf", applied = m_dir / "applied.swf";
    ASSERT_EQ(Run({"shift", movie.string(), "--all", "--value", "-100", "-o", (m_dir / "all.swf").string(),
                      "--save-script", script.string()})
                  .exitCode,
        0);
    for (const auto& [args, out] : {std::pair{std::vector<std::string>{"shift", movie.string(), "--all", "--value",
                                                  "-100", "--classic", "-o", shifted.string()},
                                        shifted},
             std::pair{std::vector<std::string>{
                           "apply", movie.string(), "--classic", "--script", script.string(), "-o", applied.string()},
                 applied}}) {
        const auto run = Run(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const auto bytes = ReadBytes(out);
        ASSERT_EQ(bytes.size(), original.size());
        EXPECT_NE(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + text),
            std::vector<std::uint8_t>(original.begin(), original.begin() + text));
        EXPECT_TRUE(std::equal(bytes.begin() + text, bytes.end(), original.begin() + text)) << args[0];
    }
}

TEST_F(CliTest, ColoursListsKindColourAndCount)
{
    CMovieBuilder builder;
    const std::uint8_t red[] = {0xFF, 0x00, 0x00}, blue[] = {0x00, 0x00, 0xFF};
    builder.AddTag(9, red);
    builder.AddTag(9, blue);
    builder.AddTag(9, red);
    const auto movie = Write("bg.swf", builder.Build());
    const auto run = Run({"colours", movie.string()});
    ASSERT_EQ(run.exitCode, 0);
    std::vector<std::string> lines;
    std::istringstream in(run.out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"bg #0000ff 1", "bg #ff0000 2"}));
}

TEST_F(CliTest, AuditCountsWhatStaysAndRecolouringSaysWhichTintsKeptTheirColour)
{
    const auto movie = Write("left.swf", BuildLeftoversMovie()).string();
    auto run = Run({"audit", movie});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        "bitmap DefineBitsLossless (tag 20): 1 bitmap, 12 bytes, 4x3 (corrupt image data)\n"
        "colour-matrix: 1 colour-matrix filter\n"
        "colour-transform: 1 colour transform that is not a tint\n"
        "tint-without-room: 1 tint place without room for every other colour\n"
        "html-colour: 1 HTML colour in another form than #rrggbb\n"
        "script DoAction (tag 12): 1 action block naming beginFill\n"
        "video DefineVideoStream (tag 60): 1 stream, 2 frames\n");
    run = Run({"audit", "--json", movie});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out), nlohmann::json::parse(R"({"left": [
        {"what": "bitmap", "tag": 20, "count": 1, "name": "DefineBitsLossless", "reason": "corrupt image data",
         "bytes": 12, "sizes": [[4, 3]]},
        {"what": "colour-matrix", "count": 1},
        {"what": "colour-transform", "count": 1},
        {"what": "tint-without-room", "count": 1},
        {"what": "html-colour", "count": 1},
        {"what": "script", "tag": 12, "count": 1, "name": "DoAction", "calls": ["beginFill"]},
        {"what": "video", "tag": 60, "count": 1, "frames": 2}]})"));
    EXPECT_EQ(Run({"audit", Write("bg.swf", BuildSampleMovie()).string()}).out,
        "nothing left: every colour the movie shows is listed\n");

    const auto out = (m_dir / "white.swf").string();
    run = Run({"shift", movie, "--kind", "tint", "--to", "#ffffff", "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("left.swf: 1 tint place kept its colour, without room for the new one:\n"
                           "  tint #400080: 1 of 1 places stay, #ffffff does not fit\n"),
        std::string::npos)
        << run.err;
    EXPECT_EQ(ReadBytes(out), BuildLeftoversMovie());
}

TEST_F(CliTest, ScriptColoursAreListedShiftedAndKeptWhenTheyAreNumbersToo)
{
    // beginFill(0xff0000) with its own push; then one push kept in a register
    // that setRGB takes and gotoAndStop uses as a number.
    CActionWriter w;
    const std::uint32_t own = w.CallMethod("mc", "beginFill", {ActionValue::Int(0xFF0000)})[0];
    const std::uint32_t shared = w.PushOne(ActionValue::Double(0x00FF00));
    w.StoreRegister(1);
    w.CallMethod("c", "setRGB", {ActionValue::Reg(1)});
    const std::uint8_t play[] = {0};
    w.Action(0x9F, play); // GotoFrame2
    std::uint32_t body = 0;
    const auto original = ActionMovie(w.Take(), &body);
    const auto movie = Write("script.swf", original).string();

    auto run = Run({"colours", movie});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> lines;
    std::istringstream in(run.out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"script #00ff00 1", "script #ff0000 1"}));
    const auto json = nlohmann::json::parse(Run({"colours", "--json", movie}).out);
    for (const auto& colour : json["colours"])
        EXPECT_EQ(colour["positions"], nlohmann::json::array({body + (colour["rgb"] == "#ff0000" ? own : shared)}));
    EXPECT_EQ(
        Run({"audit", movie}).out, "script-number: 1 script constant also used as a number, which keeps its value\n");

    const auto out = (m_dir / "blue.swf").string();
    run = Run({"shift", movie, "--kind", "script", "--to", "#0000ff", "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("script.swf: 1 script place kept its colour, also used as a number:\n"
                           "  script #00ff00: 1 of 1 places stay, also used as a number\n"),
        std::string::npos)
        << run.err;
    auto expected = original;
    expected[body + own] = 0xFF; // 0x0000ff, little-endian
    expected[body + own + 2] = 0x00;
    EXPECT_EQ(ReadBytes(out), expected);
    // The classic rule lists none of them.
    EXPECT_EQ(Run({"colours", "--classic", movie}).out, "");
}

TEST_F(CliTest, ActionScript3PoolEntriesSharedWithNumbersAreKeptAndReported)
{
    // beginFill and lineStyle of one int pool entry that gotoAndStop also
    // takes, and a fill of an entry of its own.
    CAbcBuilder abc;
    const std::uint32_t shared = abc.Int(0xFF0000), own = abc.Int(0x00FF00);
    const std::uint32_t graphics = abc.QName("", "graphics");
    CAbcCode code;
    code.Op(kOpGetLocal0).Op(kOpGetProperty, graphics).Op(kOpPushInt, shared);
    code.Op(kOpCallPropVoid, abc.QName("", "beginFill"), 1);
    code.Op(kOpGetLocal0).Op(kOpGetProperty, graphics).PushByte(1).Op(kOpPushInt, shared);
    code.Op(kOpCallPropVoid, abc.QName("", "lineStyle"), 2);
    code.Op(kOpGetLocal0).Op(kOpPushInt, shared).Op(kOpCallPropVoid, abc.QName("", "gotoAndStop"), 1);
    code.Op(kOpGetLocal0).Op(kOpGetProperty, graphics).Op(kOpPushInt, own);
    code.Op(kOpCallPropVoid, abc.QName("", "beginFill"), 1).Op(kOpReturnVoid);
    const std::uint32_t method = abc.Method();
    abc.Body(method, code, 4, 1);
    abc.Script(method);
    const AbcLayout layout = abc.Build();
    CMovieBuilder builder(10);
    const std::uint32_t at = builder.AddTag(82, DoAbcBody(layout.bytes)) + kDoAbcHeader + 1;
    const auto original = builder.Build();
    const auto movie = Write("abc.swf", original).string();

    // The entry of its own takes three bytes, too few for 0x200000 and more.
    EXPECT_EQ(Run({"audit", movie}).out,
        "script-number: 1 script constant also used as a number, which keeps its value\n"
        "script-without-room: 1 script constant without room for every other colour\n");
    const auto out = (m_dir / "blue.swf").string();
    const auto run = Run({"shift", movie, "--kind", "script", "--to", "#0000ff", "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("abc.swf: 1 script place kept its colour, also used as a number:\n"
                           "  script #ff0000: 1 of 1 places stay, also used as a number\n"),
        std::string::npos)
        << run.err;
    // 0x0000ff in the three bytes 0x00ff00 took.
    auto expected = original;
    const std::uint8_t blue[] = {0xFF, 0x81, 0x00};
    std::copy(std::begin(blue), std::end(blue), expected.begin() + at + layout.ints[own - 1]);
    EXPECT_EQ(ReadBytes(out), expected);
}

TEST_F(CliTest, AuditLeavesOutBitmapsThatShiftCanRecolour)
{
    CMovieBuilder builder;
    builder.AddTag(36, LosslessBody(1, 5, 3, 2, std::vector<std::uint8_t>(24, 0x80)));
    const auto movie = Write("image.swf", builder.Build()).string();
    auto run = Run({"audit", movie});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        "nothing left: every colour the movie shows is listed\n"
        "1 bitmap is recoloured only when chosen: shift --bitmaps or --bitmap ID\n");
    run = Run({"audit", "--json", movie});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out), nlohmann::json::parse(R"({"left": []})"));
}

TEST_F(CliTest, StandardInputAndOutputAreMoviesToo)
{
    for (const bool compressed : {false, true}) {
        const auto movie = Write("in.swf", BuildSampleMovie(compressed));
        const auto out = m_dir / "out.swf";
        ASSERT_EQ(Run({"shift", movie.string(), "--all", "--value", "60", "-o", out.string()}).exitCode, 0);
        const auto piped = Run({"shift", "-", "--all", "--value", "60", "-o", "-"}, movie);
        ASSERT_EQ(piped.exitCode, 0) << piped.err;
        EXPECT_EQ(std::vector<std::uint8_t>(piped.out.begin(), piped.out.end()), ReadBytes(out));
        EXPECT_EQ(Run({"colours", "-"}, movie).out, Run({"colours", movie.string()}).out);
    }
    // Standard input is read once and has no name to go into a folder under.
    const auto movie = m_dir / "in.swf";
    EXPECT_EQ(Run({"shift", "-", "-", "--all", "--out-dir", m_dir.string()}, movie).exitCode, 2);
    EXPECT_EQ(Run({"shift", "-", "--all", "--out-dir", m_dir.string()}, movie).exitCode, 2);
#if !defined(__SANITIZE_ADDRESS__) // which reserves more address space than any limit allows
    // 108 bytes claiming 4 GiB, read where 256 MiB of address space are allowed.
    std::vector<std::uint8_t> lying = {'F', 'W', 'S', 6, 0xFF, 0xFF, 0xFF, 0xFF};
    lying.resize(108);
    const auto run = Run({"colours", "-"}, Write("lying.swf", lying), 256 * 1024);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "-: ERROR: Can't read the body of file\n");
#endif
}

TEST_F(CliTest, FifosAreRefusedAtOnceAsMovieAndAsScript)
{
    const auto fifo = m_dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto movie = Write("in.swf", BuildSampleMovie()).string();
    const auto out = (m_dir / "out.swf").string();
    for (const auto& args : std::vector<std::vector<std::string>>{{"colours", fifo.string()},
             {"shift", fifo.string(), "--all", "-o", out}, {"apply", movie, "-s", fifo.string(), "-o", out}}) {
        const auto run = Run(args);
        EXPECT_EQ(run.exitCode, 1) << args[0];
        EXPECT_NE(run.err.find(fifo.string()), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(": is a FIFO (named pipe), not a file"), std::string::npos) << run.err;
        EXPECT_LT(run.seconds, 1.0) << args[0];
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliTest, TargetsAreLinksFollowedDevicesRefusedAndNamesOfAnyLegalLength)
{
    const auto movie = Write("in.swf", BuildSampleMovie());
    const auto real = Write("real.swf", {1, 2, 3});
    std::filesystem::create_symlink("real.swf", m_dir / "link.swf");
    ASSERT_EQ(Run({"shift", movie.string(), "--all", "-o", (m_dir / "link.swf").string()}).exitCode, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "link.swf"));
    EXPECT_EQ(ReadBytes(real), ReadBytes(movie));

    const auto null = m_dir / "null.swf";
    if (::mknod(null.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) {
        const auto run = Run({"shift", movie.string(), "--all", "-o", null.string()});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("OnSaveDocument: can't save " + null.string() + ": is a device, not a file"),
            std::string::npos)
            << run.err;
        EXPECT_FALSE(std::filesystem::is_regular_file(null));
    }
    const auto longName = m_dir / std::string(static_cast<std::size_t>(::pathconf(m_dir.c_str(), _PC_NAME_MAX)), 'x');
    EXPECT_EQ(Run({"shift", movie.string(), "--all", "-o", longName.string()}).exitCode, 0);
    EXPECT_EQ(ReadBytes(longName), ReadBytes(movie));
}

TEST_F(CliTest, BytesAfterFileLengthSurvive)
{
    TINTOR_SKIP_WITHOUT_CORPUS();
    // The corpus movie says it is two bytes shorter than it is.
    const auto lying = CorpusDir() / "ruffle/tests/tests/swfs/swf/swf_length_too_short_no_end/test.swf";
    const auto out = m_dir / "out.swf";
    ASSERT_EQ(Run({"shift", lying.string(), "--all", "-o", out.string()}).exitCode, 0);
    EXPECT_EQ(ReadBytes(out), ReadBytes(lying));
}

TEST_F(CliTest, ApplySaysWhatTheScriptDidAndFailsWhenItSaysNothing)
{
    const auto movie = Write("in.swf", BuildSampleMovie());
    const auto out = m_dir / "out.swf";
    const std::string lines
        = "@fill #6ac4e9 -> #000000\n@fill #123456 -> #000000\n@line #zz -> #0\n@bg   #010203 -> #0\n";
    const auto run = Run(
        {"apply", movie.string(), "-s", Write("s.iro", {lines.begin(), lines.end()}).string(), "-o", out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find(movie.string() + ": script lines used 1, skipped 1, not found 2"), std::string::npos)
        << run.err;

    std::filesystem::remove(out);
    const std::string malformed = "[TINTOR SCRIPT]\n@fill #zz -> #\n[END]\n";
    for (const auto& script : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{0x7F, 'E', 'L', 'F', 0, 1},
             std::vector<std::uint8_t>(malformed.begin(), malformed.end())}) {
        const auto failed = Run({"apply", movie.string(), "-s", Write("bad.iro", script).string(), "-o", out.string()});
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_NE(failed.err.find("has no usable line"), std::string::npos) << failed.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

// True once some entry below dir is there: a hidden one at its top, or any
// one inside one of its folders.
bool Appeared(const std::filesystem::path& dir, bool insideFolders)
{
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        if (insideFolders ? it.depth() > 0 : it->path().filename().string().front() == '.')
            return true;
    return false;
}

// True while the process holds a file in dir open: the temporary file of a
// save, which may have no name there at all.
bool WritingInto(pid_t pid, const std::filesystem::path& dir)
{
    std::error_code error;
    const std::string prefix = dir.string() + "/";
    for (std::filesystem::directory_iterator it("/proc/" + std::to_string(pid) + "/fd", error), end;
         !error && it != end; it.increment(error)) {
        std::error_code unreadable;
        if (std::filesystem::read_symlink(it->path(), unreadable).string().rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

TEST_F(CliTest, AnInterruptedRunLeavesNothingBehind)
{
    // 32 MB that no compressor shrinks, saved compressed: long enough for a
    // preview and an output to be caught while they are being written.
    std::vector<std::uint8_t> noise(32 << 20);
    std::uint32_t seed = 11;
    for (auto& b : noise)
        b = static_cast<std::uint8_t>((seed = seed * 1103515245 + 12345) >> 16);
    CMovieBuilder builder;
    builder.AddTag(9, std::vector<std::uint8_t>{0xFF, 0, 0});
    builder.AddTag(6, noise, true);
    const auto movie = Write("large.swf", builder.Build(true));
    // A batch of three at once, each job writing its own movie.
    const auto second = Write("second.swf", builder.Build(true)), third = Write("third.swf", builder.Build(true));
    const auto tmp = m_dir / "tmp", outDir = m_dir / "out";
    std::filesystem::create_directory(tmp);
    std::filesystem::create_directory(outDir);

    int interrupted = 0;
    for (const auto& [signal, duringPreview, batch] : {std::tuple{SIGTERM, true, false}, {SIGTERM, false, false},
             {SIGINT, false, false}, {SIGKILL, false, false}, {SIGINT, false, true}, {SIGTERM, false, true}}) {
        const std::string out = (outDir / "out.swf").string();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("TMPDIR", tmp.c_str(), 1);
            ::dup2(::open("/dev/null", O_WRONLY), STDERR_FILENO);
            if (batch)
                ::execl(TINTOR_CLI_PATH, TINTOR_CLI_PATH, "shift", movie.c_str(), second.c_str(), third.c_str(),
                    "--all", "-j", "3", "--out-dir", outDir.c_str(), nullptr);
            else
                ::execl(TINTOR_CLI_PATH, TINTOR_CLI_PATH, "shift", movie.c_str(), "--all", "-o", out.c_str(), nullptr);
            ::_exit(127);
        }
        int status = 0;
        while (::waitpid(pid, &status, WNOHANG) != pid) {
            if (duringPreview ? Appeared(tmp, true) : WritingInto(pid, outDir)) {
                ::kill(pid, signal);
                ::waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        interrupted += WIFSIGNALED(status) && WTERMSIG(status) == signal;
        EXPECT_TRUE(std::filesystem::is_empty(tmp)) << signal;
        EXPECT_FALSE(Appeared(outDir, false)) << signal;
        for (const auto& name : {"out.swf", "large.swf", "second.swf", "third.swf"})
            std::filesystem::remove(outDir / name);
    }
    EXPECT_GE(interrupted, 5);
}

TEST_F(CliTest, NoOutputMayReplaceAnInputOfTheRunOrAnotherOutput)
{
    const auto movie = Write("movie.swf", BuildSampleMovie()).string();
    const auto original = ReadBytes(movie);
    const auto path = [&](const char* name) { return (m_dir / name).string(); };
    std::filesystem::create_symlink("movie.swf", m_dir / "link.swf");
    ASSERT_EQ(::link(movie.c_str(), path("hard.swf").c_str()), 0);
    const std::string script = "@fill #6ac4e9 -> #000000\n", mapText = "#e9c46a #000000\n";
    const auto iro = Write("s.iro", {script.begin(), script.end()}).string();
    const auto map = Write("m.map", {mapText.begin(), mapText.end()}).string();
    const std::string gpl = path("p.gpl");
    ASSERT_EQ(Run({"palette", movie, "-o", gpl}).exitCode, 0);
    const std::string paletteText = ReadText(gpl);
    std::filesystem::create_directories(m_dir / "d1");
    std::filesystem::create_directories(m_dir / "d2");
    std::filesystem::create_directories(m_dir / "links");
    const auto a = Write("d1/a.swf", BuildSampleMovie()).string(), b = Write("d2/b.swf", BuildSampleMovie()).string();
    const auto other = Write("d2/movie.swf", BuildSampleMovie(true)).string();
    std::filesystem::create_symlink("../same.swf", m_dir / "links" / "a.swf");
    std::filesystem::create_symlink("../same.swf", m_dir / "links" / "b.swf");
    const std::vector<std::vector<std::string>> clashes = {
        {"shift", movie, "--all", "--hue", "10", "-o", path("out.swf"), "--save-script", movie},
        {"shift", movie, "--all", "-o", path("out.swf"), "--save-script", path("./out.swf")},
        {"shift", movie, "--all", "-o", path("out.swf"), "--save-script", path("hard.swf")},
        {"palette", movie, "-o", movie},
        {"palette", path("link.swf"), "-o", path("hard.swf")},
        {"apply", movie, "-s", iro, "-o", iro},
        {"map", movie, "-m", map, "-o", map},
        {"map", movie, "-p", gpl, "-o", gpl},
        {"shift", a, b, "--all", "--out-dir", path("links")},                     // both land on one file
        {"shift", path("hard.swf"), other, "--all", "--out-dir", m_dir.string()}, // over hard.swf's twin
        {"shift", a, "--all", "--out-dir", m_dir.string(), "--save-script", path("a.swf")},
    };
    for (const auto& args : clashes) {
        const auto run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << args[0] << " " << args.back() << "\n" << run.err;
        EXPECT_NE(run.err.find("; nothing written"), std::string::npos) << run.err;
        EXPECT_EQ(ReadBytes(movie), original);
        EXPECT_EQ(ReadText(iro), script);
        EXPECT_EQ(ReadText(map), mapText);
        EXPECT_EQ(ReadText(gpl), paletteText);
        EXPECT_FALSE(std::filesystem::exists(m_dir / "out.swf"));
        EXPECT_FALSE(std::filesystem::exists(m_dir / "same.swf"));
        EXPECT_FALSE(std::filesystem::exists(m_dir / "a.swf"));
    }
    EXPECT_NE(Run(clashes[0]).err.find("--save-script " + movie + " would be written over the movie " + movie),
        std::string::npos);
    // A movie recoloured in place, also through a link, as the window saves it.
    ASSERT_EQ(Run({"shift", movie, "--all", "--value", "-100", "-o", path("link.swf")}).exitCode, 0);
    EXPECT_NE(ReadBytes(movie), original);
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "link.swf"));
}

TEST_F(CliTest, JsonIsValidForAnyFileNameAndEveryFailedWriteExitsOne)
{
    const std::string name = "\xFF\xFE\x01name\xE8\x89.swf";
    const auto movie = Write(name, BuildSampleMovie()).string();
    const auto listed = Run({"colours", "--json", movie});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const auto json = nlohmann::json::parse(listed.out); // throws on invalid UTF-8
    EXPECT_EQ(json.at("file"), (m_dir / "\uFFFD\uFFFD\u0001name\uFFFD\uFFFD.swf").string());
    const std::string text = Run({"colours", movie}).out;
    EXPECT_EQ(json.at("colours").size(), static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
    const std::string palette = Run({"palette", movie, "--format", "json"}).out;
    EXPECT_EQ(nlohmann::json::parse(palette).at("name"), "\uFFFD\uFFFD name\uFFFD\uFFFD");

    const struct {
        std::vector<std::string> args;
        std::string stdoutTo;
        std::string reason;
    } failures[] = {
        {{"colours", "--json", movie}, ">/dev/full", "No space left on device"},
        {{"colours", movie}, ">/dev/full", "No space left on device"},
        {{"colours", "--json", movie}, ">&-", "Bad file descriptor"},
        {{"palette", movie, "--format", "json"}, ">/dev/full", "No space left on device"},
        {{"palette", movie}, ">&-", "Bad file descriptor"},
        {{"shift", movie, "--all", "-o", "-"}, ">/dev/full", "No space left on device"},
        {{"shift", movie, "--all", "-o", "-"}, ">&-", "Bad file descriptor"},
    };
    for (const auto& failure : failures) {
        const auto run = Run(failure.args, {}, 0, {}, failure.stdoutTo);
        EXPECT_EQ(run.exitCode, 1) << failure.args[0] << " " << failure.stdoutTo;
        EXPECT_NE(run.err.find(failure.reason), std::string::npos) << run.err;
    }
}

TEST_F(CliTest, MoviesAndBinaryPalettesAreNotWrittenToATerminal)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        GTEST_SKIP() << "no terminal to be had";
    const std::string terminal = ">" + Quote(::ptsname(master));
    const auto movie = Write("movie.swf", BuildSampleMovie()).string();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"shift", movie, "--all", "-o", "-"}, {"palette", movie, "--format", "ase"}}) {
        const auto run = Run(args, {}, 0, {}, terminal);
        EXPECT_EQ(run.exitCode, 2) << args[0] << run.err;
        EXPECT_NE(run.err.find("binary"), std::string::npos) << run.err;
    }
    ::close(master);
}

TEST_F(CliTest, ListingsStopReadingAtTheMovieEndAndBytesKeptAfterItAreBounded)
{
#if defined(__SANITIZE_ADDRESS__) // which reserves more address space than any limit allows
    constexpr long kLimitKiB = 0;
#else
    constexpr long kLimitKiB = 256 * 1024;
#endif
    for (const auto& bytes : {BuildSampleMovie(true), LzmaMovie(BuildSampleMovie())}) {
        const auto movie = Write("movie.swf", bytes);
        const std::string cat = "cat " + Quote(movie.string()) + " - </dev/zero";
        const std::string expected = Run({"colours", movie.string()}).out;
        // Endless bytes after the movie: a listing reads none of them.
        const auto listed = Run({"colours", "-"}, {}, kLimitKiB, cat);
        EXPECT_EQ(listed.exitCode, 0) << listed.err;
        EXPECT_EQ(listed.out, expected);
        EXPECT_EQ(Run({"palette", "-"}, {}, kLimitKiB, cat).exitCode, 0);
        // A command that writes the movie keeps what follows it, up to a limit.
        const auto out = m_dir / "out.swf";
        const auto shift = Run({"shift", "-", "--all", "-o", out.string()}, {}, kLimitKiB, cat);
        EXPECT_EQ(shift.exitCode, 1);
        EXPECT_NE(shift.err.find("ERROR: more than 64 MiB of other data follow the movie"), std::string::npos)
            << shift.err;
        EXPECT_FALSE(std::filesystem::exists(out));
        const auto alone = m_dir / "alone.swf";
        ASSERT_EQ(Run({"shift", movie.string(), "--all", "-o", alone.string()}).exitCode, 0);
        const std::string some = "head -c 1000000 /dev/zero | cat " + Quote(movie.string()) + " -";
        ASSERT_EQ(Run({"shift", "-", "--all", "-o", out.string()}, {}, 0, some).exitCode, 0);
        EXPECT_EQ(std::filesystem::file_size(out), std::filesystem::file_size(alone) + 1000000);
        std::filesystem::remove(out);
    }
}

TEST_F(CliTest, AMapWithNothingToChangeFailsAndOddBytesAreQuotedInFull)
{
    const auto movie = Write("movie.swf", BuildSampleMovie()).string();
    const auto out = m_dir / "out.swf";
    for (const std::string& text : {std::string(), std::string("# only a comment\n\n")}) {
        const auto map = Write("empty.map", {text.begin(), text.end()}).string();
        const auto run = Run({"map", movie, "-m", map, "-o", out.string()});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("has no change in it; nothing written"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    const char line[] = "fill:#ff\0zz\x1b[2J\\ #000000\n";
    const std::string nul(line, sizeof line - 1);
    const auto run = Run({"map", movie, "-m", Write("nul.map", {nul.begin(), nul.end()}).string(), "-o", out.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(":1: 'fill:#ff\\x00zz\\x1b[2J\\x5c' is not KIND:#rrggbb"), std::string::npos) << run.err;
}

TEST_F(CliTest, BitmapsAreListedAfterTheColoursAndChangeOnlyWhenChosen)
{
    CMovieBuilder builder;
    builder.AddTag(9, std::vector<std::uint8_t>{0x10, 0x20, 0x30});
    const auto lossless = builder.Offset();
    builder.AddTag(36, LosslessBody(1, 5, 3, 2, std::vector<std::uint8_t>(24, 0x80)));
    builder.AddTag(21, JpegTagBody(21, 3, JpegOf(PhotoLikeRgb(9, 7), 9, 7)));
    builder.AddTag(20, std::vector<std::uint8_t>{6, 0, 5, 2, 0, 2, 0, 0x78}); // corrupt
    const auto movie = Write("images.swf", builder.Build(true)).string();
    const auto out = (m_dir / "out.swf").string();

    auto run = Run({"colours", movie});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
        "bg #102030 1\nbitmap 1 3x2 lossless2\nbitmap 3 9x7 jpeg\n"
        "bitmap 6 2x2 lossless not recolourable: corrupt image data\n");
    run = Run({"colours", movie, "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\"kind\": \"bitmap\""), std::string::npos);
    EXPECT_NE(run.out.find("\"position\": " + std::to_string(lossless)), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"tag\": 36"), std::string::npos);

    // --all means every colour and no image: the movie keeps its length.
    run = Run({"shift", movie, "--all", "--hue", "50", "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err.find("re-encoded"), std::string::npos) << run.err;
    EXPECT_NE(Run({"colours", out}).out.substr(0, 13), "bg #102030 1\n");
    CRecordingSink messages;
    CSwfFile before(messages), after(messages);
    CMemoryInputFile a(ReadBytes(movie), "a.swf"), b(ReadBytes(out), "b.swf");
    ASSERT_TRUE(before.Load(a));
    ASSERT_TRUE(after.Load(b));
    EXPECT_EQ(after.FileSize(), before.FileSize());

    run = Run({"shift", movie, "--bitmaps", "--hue", "50", "-o", out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("bitmap 6 left as it is: corrupt image data"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(": 2 images re-encoded, " + std::to_string(before.FileSize()) + " -> "), std::string::npos)
        << run.err;

    EXPECT_EQ(Run({"shift", movie, "--bitmap", "6", "--hue", "5", "-o", out}).exitCode, 1);
    run = Run({"shift", movie, "--bitmap", "42", "--hue", "5", "-o", out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("has no bitmap 42"), std::string::npos) << run.err;
    EXPECT_EQ(Run({"shift", movie, "--bitmap", "1", "--to", "#123456", "-o", out}).exitCode, 2);
    EXPECT_EQ(Run({"shift", movie, "--bitmaps", "--select", "bg:#102030", "--to", "#123456", "-o", out}).exitCode, 2);
}

// Images that cannot be recoloured say why, wherever they are listed, and
// cost no more memory than their data justify; an image its data justifies
// but the memory does not fails its movie, which is not written, and never
// the process.
TEST_F(CliTest, ImagesBeyondTheirDataOrTheMemoryFailHonestly)
{
    // Twelve JPEGs of a few hundred bytes declaring 11000 x 11000 each, as
    // many pixels in a lossless image of a few bytes, and a GIF whose canvas
    // has no width.
    CMovieBuilder builder;
    builder.AddTag(9, std::vector<std::uint8_t>{0x10, 0x20, 0x30});
    const auto huge = JpegWithSize(JpegOf(PhotoLikeRgb(8, 8), 8, 8), 11000, 11000);
    for (std::uint16_t id = 1; id <= 12; ++id)
        builder.AddTag(21, JpegTagBody(21, id, huge));
    builder.AddTag(20, LosslessBody(13, 5, 11000, 11000, std::vector<std::uint8_t>(64, 0)));
    const std::uint32_t palette[] = {0x0000FF, 0x00FF00};
    auto gif = GifOf(std::vector<std::uint8_t>{1}, palette, 1, 1);
    gif[6] = gif[7] = 0;
    builder.AddTag(21, JpegTagBody(21, 14, gif));
    const auto movie = Write("tiny.swf", builder.Build(true)).string();
    const auto out = (m_dir / "out.swf").string();
#if defined(__SANITIZE_ADDRESS__) // which reserves more address space than any limit allows
    constexpr long kLimitKiB = 0;
#else
    constexpr long kLimitKiB = 256 * 1024;
#endif
    auto run = Run({"colours", movie}, {}, kLimitKiB);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(
        run.out.find("bitmap 12 11000x11000 jpeg not recolourable: too little data for its size\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("bitmap 13 11000x11000 lossless not recolourable: too little data for its size\n"),
        std::string::npos)
        << run.out;
    EXPECT_NE(
        run.out.find("bitmap 14 0x1 gif not recolourable: GIF canvas of zero width or height\n"), std::string::npos)
        << run.out;
    run = Run({"audit", movie}, {}, kLimitKiB);
    EXPECT_NE(run.out.find("(GIF canvas of zero width or height)"), std::string::npos) << run.out;
    // Nothing chosen can be recoloured: each is left, with its reason.
    run = Run({"shift", movie, "--bitmaps", "--value", "-50", "-o", out}, {}, kLimitKiB);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("bitmap 14 left as it is: GIF canvas of zero width or height"), std::string::npos);
    run = Run({"shift", movie, "--bitmap", "14", "--value", "-50", "-o", out}, {}, kLimitKiB);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(
        run.err.find(movie + ": bitmap 14 cannot be recoloured: GIF canvas of zero width or height"), std::string::npos)
        << run.err;
#if !defined(__SANITIZE_ADDRESS__)
    // 256 MiB of pixels in 250 KiB of zlib data, where 256 MiB of address
    // space are allowed.
    std::vector<std::uint8_t> zeros(std::size_t{8192} * 4, 0);
    z_stream zs{};
    ASSERT_EQ(deflateInit2(&zs, 1, Z_DEFLATED, 15, 8, Z_RLE), Z_OK);
    std::vector<std::uint8_t> stream(1 << 20);
    std::size_t produced = 0;
    for (int row = 0; row <= 8192; ++row) {
        zs.next_in = zeros.data();
        zs.avail_in = row < 8192 ? static_cast<uInt>(zeros.size()) : 0;
        const int flush = row < 8192 ? Z_NO_FLUSH : Z_FINISH;
        do {
            if (produced == stream.size())
                stream.resize(stream.size() * 2);
            zs.next_out = stream.data() + produced;
            zs.avail_out = static_cast<uInt>(stream.size() - produced);
            deflate(&zs, flush);
            produced = stream.size() - zs.avail_out;
        } while (zs.avail_in != 0 || (flush == Z_FINISH && zs.avail_out == 0));
    }
    deflateEnd(&zs);
    stream.resize(produced);
    std::vector<std::uint8_t> body = {1, 0, 5, 0x00, 0x20, 0x00, 0x20};
    body.insert(body.end(), stream.begin(), stream.end());
    CMovieBuilder big;
    big.AddTag(36, body);
    const auto bigMovie = Write("big.swf", big.Build()).string();
    run = Run({"colours", bigMovie}, {}, kLimitKiB);
    EXPECT_EQ(run.out, "bitmap 1 8192x8192 lossless2\n") << run.err;
    const auto bigOut = (m_dir / "big-out.swf").string();
    run = Run({"shift", bigMovie, "--bitmaps", "--value", "-50", "-o", bigOut}, {}, kLimitKiB);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(bigMovie + ": bitmap 1 could not be re-encoded: not enough memory"), std::string::npos)
        << run.err;
    EXPECT_FALSE(std::filesystem::exists(bigOut));
#endif
}

} // namespace
} // namespace tintor::test
