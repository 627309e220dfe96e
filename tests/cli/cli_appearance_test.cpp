// tintor-cli choosing colours by what they look like: similar colours, hue
// ranges, exceptions, families, the perceptual shift and palettes, on movies
// of planned colours.
#include "core/file.h"
#include "testkit/movie_builder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

namespace tintor::test {
namespace {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CliAppearanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tintor-cli-look-XXXXXX").string();
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
        const auto out = m_dir / "stdout.txt", err = m_dir / "stderr.txt";
        command += " </dev/null >" + quote(out.string()) + " 2>" + quote(err.string());
        const int status = std::system(command.c_str());
        const auto text = [](const std::filesystem::path& path) {
            const auto bytes = ReadWholeFile(path);
            return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
        };
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text(out), text(err)};
    }

    std::string Write(const std::string& name, std::string_view bytes) const
    {
        const auto path = m_dir / name;
        EXPECT_TRUE(WriteWholeFile(path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}));
        return path.string();
    }

    // A movie with a background record for each of bgs and a shape with one
    // solid fill for each of fills, colours written "#rrggbb".
    std::string Movie(std::initializer_list<const char*> bgs, std::initializer_list<const char*> fills = {}) const
    {
        const auto rgb = [](const char* hex) {
            const auto byte
                = [&](int i) { return static_cast<std::uint8_t>(std::stoi(std::string(hex + i, 2), nullptr, 16)); };
            return std::vector<std::uint8_t>{byte(1), byte(3), byte(5)};
        };
        CMovieBuilder builder;
        for (const char* bg : bgs)
            builder.AddTag(9, rgb(bg));
        std::uint16_t id = 1;
        for (const char* fill : fills) {
            // DefineShape: id, an empty bounds rectangle, one solid fill, no
            // lines, no fill or line bits, the end record.
            std::vector<std::uint8_t> body = {static_cast<std::uint8_t>(id++), 0, 0x00, 1, 0x00};
            const auto colour = rgb(fill);
            body.insert(body.end(), colour.begin(), colour.end());
            body.insert(body.end(), {0, 0x00, 0x00});
            builder.AddTag(2, body);
        }
        const auto bytes = builder.Build();
        return Write("movie.swf", {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }

    // The colours of a movie as `colours` lists them, sorted.
    std::vector<std::string> Colours(const std::string& movie) const
    {
        std::istringstream in(Run({"colours", movie}).out);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    std::filesystem::path m_dir;
};

// Red, a darker red ΔE 6.8 from it, blue (hue 264), a grey and white.
const std::initializer_list<const char*> kPlanned = {"#ff0000", "#dc1818", "#0000ff", "#808080", "#ffffff"};

TEST_F(CliAppearanceTest, ShiftSelectsSimilarColoursHueRangesAndExceptions)
{
    const std::string movie = Movie(kPlanned), out = (m_dir / "out.swf").string();
    const struct {
        std::vector<std::string> select;
        std::vector<std::string> left; // the colours not turned black
    } rows[] = {
        {{"--near", "#ff0000"}, {"bg #0000ff 1", "bg #808080 1", "bg #ffffff 1"}},
        {{"--near", "#ff0000", "--within", "5"}, {"bg #0000ff 1", "bg #808080 1", "bg #dc1818 1", "bg #ffffff 1"}},
        {{"--near", "#fe0101", "--near", "#0000ff", "--within", "1"}, {"bg #808080 1", "bg #dc1818 1", "bg #ffffff 1"}},
        {{"--hues", "250..40"}, {"bg #808080 1", "bg #ffffff 1"}},
        {{"--hues", "20..40", "--except", "bg:#dc1818"},
            {"bg #0000ff 1", "bg #808080 1", "bg #dc1818 1", "bg #ffffff 1"}},
        {{"--all", "--except", "bg:#ffffff", "--except", "fill:#808080"}, {"bg #ffffff 1"}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args = {"shift", movie, "--value", "-100", "-o", out};
        args.insert(args.end(), row.select.begin(), row.select.end());
        const auto run = Run(args);
        ASSERT_EQ(run.exitCode, 0) << row.select[0] << run.err;
        std::vector<std::string> expected = row.left;
        const std::size_t black = kPlanned.size() - row.left.size();
        expected.push_back("bg #000000 " + std::to_string(black));
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Colours(out), expected) << row.select[0] << " " << row.select[1];
    }
    EXPECT_NE(Run({"shift", movie, "--all", "--except", "fill:#808080", "-o", out}).err.find("to keep out"),
        std::string::npos);
    for (const auto& wrong : std::vector<std::vector<std::string>>{{"--except", "bg:#ff0000"}, {"--hues", "10..400"},
             {"--near", "red"}, {"--near", "#ff0000", "--within", "-1"}, {"--all", "--space", "lab"}}) {
        std::vector<std::string> args = {"shift", movie, "-o", out};
        args.insert(args.end(), wrong.begin(), wrong.end());
        EXPECT_EQ(Run(args).exitCode, 2) << wrong[0] << " " << wrong[1];
    }
}

TEST_F(CliAppearanceTest, PerceptualShiftKeepsLightnessAndClipsToTheGamut)
{
    const std::string out = (m_dir / "out.swf").string();
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> expected;
    } rows[] = {
        // Red and pink lie on the gamut's surface: twice their chroma clips
        // back to themselves. The grey has no hue to turn.
        {{"--saturation", "100", "--hue", "0"}, {"bg #808080 1", "bg #ff0000 1", "bg #ff8080 1"}},
        {{"--hue", "50"}, {}},
        // No saturation: the grey of each colour's own OKLab lightness, red's
        // L being 0.62796 (linear 0.24763, #888888), pink's 0.74445 (linear
        // 0.41259, #acacac).
        {{"--saturation", "-100"}, {"bg #808080 1", "bg #888888 1", "bg #acacac 1"}},
    };
    const std::string movie = Movie({"#ff0000", "#808080", "#ff8080"});
    for (const auto& row : rows) {
        std::vector<std::string> args = {"shift", movie, "--all", "--space", "oklch", "-o", out};
        args.insert(args.end(), row.args.begin(), row.args.end());
        ASSERT_EQ(Run(args).exitCode, 0) << row.args[0];
        const auto colours = Colours(out);
        if (row.expected.empty()) {
            EXPECT_NE(std::find(colours.begin(), colours.end(), "bg #808080 1"), colours.end());
            EXPECT_EQ(std::find(colours.begin(), colours.end(), "bg #ff0000 1"), colours.end());
        } else {
            EXPECT_EQ(colours, row.expected) << row.args[0];
        }
    }
}

TEST_F(CliAppearanceTest, MapOntoPalettesOfOtherTools)
{
    // The grey is also a fill: one colour under two kinds, ranked once.
    const std::string movie = Movie(kPlanned, {"#808080"}), out = (m_dir / "out.swf").string();
    const std::string gimp = Write("inks.gpl",
        "GIMP Palette\nName: Two inks and paper\nColumns: 3\n#\n# Printed with these only\n200   0   0\tInk red\n"
        " 20  20  20\tInk black\n240 240 240\tPaper\n");
    // Custom properties, as a style sheet holds them, in no order of lightness.
    const std::string css = Write("greys.css", ":root {\n  --paper: #fff;\n  --ink: #000000;\n  --mid: #777777;\n}\n");
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> expected;
    } rows[] = {
        // The grey lies nearer the ink red (ΔE 23) than the paper (ΔE 36).
        {{"--palette", gimp}, {"bg #141414 1", "bg #c80000 3", "bg #f0f0f0 1", "fill #c80000 1"}},
        {{"--palette", gimp, "--hues", "0..60"},
            {"bg #0000ff 1", "bg #808080 1", "bg #c80000 2", "bg #ffffff 1", "fill #808080 1"}},
        // Ranks by lightness: blue, dark red, grey, red, white onto black,
        // #777777, white at the same quantiles.
        {{"--palette", css, "--by-lightness"}, {"bg #000000 2", "bg #777777 1", "bg #ffffff 2", "fill #777777 1"}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args = {"map", movie, "-o", out};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const auto run = Run(args);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Colours(out), row.expected) << row.args.back();
    }
    const std::string bad = Write("bad.gpl", "GIMP Palette\n1 2 3\n1 2 three\n");
    const auto refused = Run({"map", movie, "--palette", bad, "-o", out});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find(bad + ": line 3: "), std::string::npos) << refused.err;
    EXPECT_EQ(Run({"map", movie, "--map", gimp, "--near", "#ff0000", "-o", out}).exitCode, 2);
    EXPECT_EQ(Run({"map", movie, "--by-lightness", "-o", out}).exitCode, 2);
}

TEST_F(CliAppearanceTest, ColoursGroupedIntoFamilies)
{
    // Three reds each ΔE 4.9 from the next, a blue, a grey and a warm grey,
    // and a pale pink ΔE 3.5 from the warm grey, which is no grey.
    const std::string movie = Movie({"#ff0000", "#e61414", "#cd2828", "#0000ff", "#808080", "#8a8080", "#a08080"});
    const auto text = Run({"colours", movie, "--families"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    std::map<std::string, int> family;
    std::istringstream in(text.out);
    int highest = 0;
    for (std::string kind, rgb, count, word, number; in >> kind >> rgb >> count >> word >> number;) {
        ASSERT_EQ(word, "family");
        family[rgb] = std::stoi(number);
        // Numbered in the order of their first colour.
        EXPECT_LE(family[rgb], highest + 1);
        highest = std::max(highest, family[rgb]);
    }
    ASSERT_EQ(family.size(), 7u);
    EXPECT_EQ(highest, 4);
    EXPECT_EQ(family["#ff0000"], family["#cd2828"]);
    EXPECT_EQ(family["#e61414"], family["#cd2828"]);
    EXPECT_EQ(family["#808080"], family["#8a8080"]);
    EXPECT_NE(family["#a08080"], family["#8a8080"]);

    const auto json = nlohmann::json::parse(Run({"colours", movie, "--families", "--json"}).out);
    for (const auto& colour : json["colours"])
        EXPECT_EQ(colour["family"], family[colour["rgb"].get<std::string>()]) << colour["rgb"];
    // Within 3 the chain of reds breaks.
    std::istringstream narrow(Run({"colours", movie, "--families", "--within", "3"}).out);
    std::set<std::string> families;
    for (std::string line; std::getline(narrow, line);)
        families.insert(line.substr(line.rfind(' ')));
    EXPECT_EQ(families.size(), 6u);
}

} // namespace
} // namespace tintor::test
