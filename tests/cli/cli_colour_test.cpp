// tintor-cli's exact colours: shift --to, map and palette, run as users run
// them.
#include "core/file.h"
#include "support/corpus.h"
#include "swf/swf_file.h"
#include "testkit/movie_builder.h"
#include "testkit/recording_sink.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <map>

namespace tintor::test {
namespace {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Text(const std::filesystem::path& path)
{
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

// The movie's uncompressed bytes and its colour registry.
struct Movie {
    std::vector<std::uint8_t> buffer;
    std::vector<std::pair<ColorKey, PositionList>> colours;
};

Movie Load(const std::filesystem::path& path)
{
    CRecordingSink messages;
    CSwfFile swf(messages);
    Movie movie;
    auto file = CDiskInputFile::Open(path);
    if (!file || !swf.Load(*file))
        return movie;
    movie.buffer.assign(swf.Buffer().begin(), swf.Buffer().end());
    swf.Colors().ForEach([&](ColorKey key, const PositionList& at) { movie.colours.emplace_back(key, at); });
    return movie;
}

class CliColourTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tintor-cli-colour-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    RunResult Run(const std::vector<std::string>& args) const
    {
        const auto quote = [](const std::string& arg) {
            std::string quoted = "'";
            for (const char c : arg)
                quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
            return quoted + "'";
        };
        std::string command = quote(TINTOR_CLI_PATH);
        for (const auto& arg : args)
            command += " " + quote(arg);
        command += " >" + quote((m_dir / "out.txt").string()) + " 2>" + quote((m_dir / "err.txt").string());
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Text(m_dir / "out.txt"), Text(m_dir / "err.txt")};
    }

    std::filesystem::path Write(const std::string& name, std::string_view text) const
    {
        EXPECT_TRUE(WriteWholeFile(m_dir / name, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}));
        return m_dir / name;
    }

    std::filesystem::path m_dir;
};

TEST_F(CliColourTest, ToWritesTheColourAtEveryPositionOfTheSelectionAndNowhereElse)
{
    TINTOR_SKIP_WITHOUT_CORPUS();
    for (const char* name : {"ruffle/tests/tests/swfs/from_shumway/3_joystick/test.swf",
             "ruffle/tests/tests/swfs/from_shumway/acid/acid-morph/test.swf"}) {
        SCOPED_TRACE(name);
        const auto path = CorpusDir() / name, out = m_dir / "to.swf";
        const auto run
            = Run({"shift", path.string(), "--kind", "fill", "--kind", "line", "--to", "#123456", "-o", out.string()});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const Movie before = Load(path), after = Load(out);
        ASSERT_EQ(after.buffer.size(), before.buffer.size());
        std::map<std::uint32_t, std::uint8_t> expected;
        for (const auto& [key, positions] : before.colours)
            if ((KindOf(key) & (KIND_FILL | KIND_LINE)) != 0)
                for (const std::uint32_t p : positions) {
                    expected[p] = 0x12;
                    expected[p + 1] = 0x34;
                    expected[p + 2] = 0x56;
                }
        ASSERT_FALSE(expected.empty());
        for (std::uint32_t i = 0; i < before.buffer.size(); ++i) {
            const auto it = expected.find(i);
            ASSERT_EQ(after.buffer[i], it == expected.end() ? before.buffer[i] : it->second) << "byte " << i;
        }
    }
}

TEST_F(CliColourTest, ToCannotBeCombinedWithTheSliders)
{
    const auto movie = m_dir / "a.swf";
    ASSERT_TRUE(WriteWholeFile(movie, BuildSampleMovie()));
    for (const auto& extra : std::vector<std::vector<std::string>>{
             {"--hue", "120"}, {"--saturation", "100"}, {"--value", "0"}, {"--unify"}, {"--to", "#12345"}}) {
        std::vector<std::string> args
            = {"shift", movie.string(), "--all", "--to", "#123456", "-o", (m_dir / "x.swf").string()};
        if (extra[0] == "--to")
            args[4] = extra[1];
        else
            args.insert(args.end(), extra.begin(), extra.end());
        const auto run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << extra[0] << "\n" << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir / "x.swf"));
}

TEST_F(CliColourTest, MapChangesKnownColoursReportsUnknownOnesAndRefusesMalformedLines)
{
    CMovieBuilder builder;
    builder.AddTag(9, std::vector<std::uint8_t>{0xFF, 0x00, 0x00});
    builder.AddTag(9, std::vector<std::uint8_t>{0x00, 0x00, 0xFF});
    const auto movie = m_dir / "bg.swf", out = m_dir / "mapped.swf";
    ASSERT_TRUE(WriteWholeFile(movie, builder.Build()));
    const auto map = Write("brand.map",
        "# brand colours\n"
        "bg:#ff0000 #123456  # the red\n"
        "#0000ff #abcdef\n"
        "fill:#00ff00 #000000\n");
    auto run = Run({"map", movie.string(), "--map", map.string(), "-o", out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("has no fill colour #00ff00 (" + map.string() + ", line 4)"), std::string::npos) << run.err;
    EXPECT_EQ(Run({"colours", out.string()}).out, "bg #123456 1\nbg #abcdef 1\n");

    const auto bad = Write("bad.map", "#ff0000 #00ff00\n\nfill:#ff0000\n");
    std::filesystem::remove(out);
    run = Run({"map", movie.string(), "--map", bad.string(), "-o", out.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(bad.string() + ":3: "), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliColourTest, PaletteFormatFromTheOptionOrTheFileName)
{
    const auto movie = m_dir / "sample.swf";
    ASSERT_TRUE(WriteWholeFile(movie, BuildSampleMovie()));
    auto run = Run({"palette", movie.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("GIMP Palette\nName: sample\n", 0), 0u);
    EXPECT_EQ(Run({"palette", movie.string(), "--format", "json"}).out.front(), '{');

    ASSERT_EQ(Run({"palette", movie.string(), "-o", (m_dir / "p.ase").string()}).exitCode, 0);
    EXPECT_EQ(Text(m_dir / "p.ase").substr(0, 4), "ASEF");
    ASSERT_EQ(Run({"palette", movie.string(), "-f", "css", "-o", (m_dir / "p.ase").string()}).exitCode, 0);
    EXPECT_EQ(Text(m_dir / "p.ase").substr(0, 2), "/*");

    EXPECT_EQ(Run({"palette", movie.string(), "--format", "aco"}).exitCode, 2);
    EXPECT_EQ(Run({"palette", (m_dir / "none.swf").string()}).exitCode, 1);
}

} // namespace
} // namespace tintor::test
