// Every palette format read back by a reader of the test's own, written from
// the formats' rules rather than from the writers.
#include "colour/palette.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <regex>
#include <sstream>

namespace tintor {
namespace {

const PaletteColor kColours[] = {
    {KIND_FILL, 0x0000FF}, // #ff0000
    {KIND_LINE, 0x563412}, // #123456
    {KIND_BG, 0xFFFFFF},
    {KIND_TEXT, 0x000000},
};

struct Swatch {
    int r, g, b;
    std::string name;
    bool operator==(const Swatch&) const = default;
};

const std::vector<Swatch> kExpected = {
    {255, 0, 0, "fill #ff0000"},
    {0x12, 0x34, 0x56, "line #123456"},
    {255, 255, 255, "bg #ffffff"},
    {0, 0, 0, "text #000000"},
};

// GIMP's rules: the magic line, "Name:", an optional "Columns:", comments
// and blank lines anywhere, then "R G B name" with each channel 0..255.
std::vector<Swatch> ReadGpl(const std::string& text, std::string& name)
{
    std::istringstream in(text);
    std::string line;
    EXPECT_TRUE(std::getline(in, line) && line == "GIMP Palette");
    std::vector<Swatch> swatches;
    while (std::getline(in, line)) {
        if (line.rfind("Name: ", 0) == 0) {
            name = line.substr(6);
            continue;
        }
        if (line.empty() || line[0] == '#' || line.rfind("Columns: ", 0) == 0)
            continue;
        std::istringstream fields(line);
        Swatch s;
        fields >> s.r >> s.g >> s.b >> std::ws;
        std::getline(fields, s.name);
        EXPECT_FALSE(fields.fail() && s.name.empty()) << line;
        for (const int c : {s.r, s.g, s.b})
            EXPECT_TRUE(c >= 0 && c <= 255) << line;
        swatches.push_back(s);
    }
    return swatches;
}

TEST(PaletteTest, GimpPaletteFollowsGimpsRules)
{
    std::string name;
    EXPECT_EQ(ReadGpl(WriteGimpPalette("brand", kColours), name), kExpected);
    EXPECT_EQ(name, "brand");
    // A file name's line break or stray byte cannot break the header.
    ReadGpl(WriteGimpPalette("two\nlines\xFF", kColours), name);
    EXPECT_EQ(name, "two lines\xEF\xBF\xBD");
    EXPECT_EQ(ReadGpl(WriteGimpPalette("", {}), name), std::vector<Swatch>{});
    EXPECT_FALSE(name.empty());
}

TEST(PaletteTest, CssCustomPropertiesNamedByKindAndColour)
{
    const std::string css = WriteCssPalette("a */ b", kColours);
    // One comment, closed only at its end.
    EXPECT_EQ(css.find("*/"), css.find("*/\n:root {\n"));
    const std::regex property(R"(  --(\w+)-([0-9a-f]{6}): #([0-9a-f]{6});)");
    std::vector<Swatch> swatches;
    std::istringstream in(css.substr(css.find(":root {\n") + 8));
    for (std::string line; std::getline(in, line) && line != "}";) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, property)) << line;
        EXPECT_EQ(m[2], m[3]);
        const unsigned long v = std::stoul(m[3], nullptr, 16);
        swatches.push_back({int(v >> 16), int(v >> 8 & 0xFF), int(v & 0xFF), m[1].str() + " #" + m[2].str()});
    }
    EXPECT_EQ(swatches, kExpected);
}

TEST(PaletteTest, JsonHoldsNameKindHexAndChannels)
{
    const auto json = nlohmann::json::parse(WriteJsonPalette("say \"hi\"\n", kColours));
    EXPECT_EQ(json["name"], "say \"hi\" ");
    std::vector<Swatch> swatches;
    for (const auto& c : json["colours"]) {
        swatches.push_back({c["rgb"][0], c["rgb"][1], c["rgb"][2], c["name"]});
        EXPECT_EQ(c["name"], c["kind"].get<std::string>() + " " + c["hex"].get<std::string>());
    }
    EXPECT_EQ(swatches, kExpected);
    EXPECT_TRUE(nlohmann::json::parse(WriteJsonPalette("empty", {}))["colours"].empty());
}

// Big-endian reads over the file, failing the test on any overrun.
struct BigEndian {
    const std::string& bytes;
    std::size_t pos = 0;

    std::uint32_t Read(int n)
    {
        EXPECT_LE(pos + n, bytes.size());
        std::uint32_t v = 0;
        for (int i = 0; i < n && pos < bytes.size(); ++i)
            v = v << 8 | static_cast<std::uint8_t>(bytes[pos++]);
        return v;
    }
    float Float()
    {
        const std::uint32_t bits = Read(4);
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
};

TEST(PaletteTest, AseHasOneRgbColourBlockPerColour)
{
    const std::string ase = WriteAsePalette(kColours);
    BigEndian in{ase};
    EXPECT_EQ(ase.substr(0, 4), "ASEF");
    in.pos = 4;
    EXPECT_EQ(in.Read(2), 1u); // version 1.0
    EXPECT_EQ(in.Read(2), 0u);
    ASSERT_EQ(in.Read(4), std::size(kColours));
    for (const Swatch& expected : kExpected) {
        EXPECT_EQ(in.Read(2), 0x0001u); // colour entry
        const std::uint32_t length = in.Read(4);
        const std::size_t blockStart = in.pos;
        const std::uint32_t units = in.Read(2);
        std::string name;
        for (std::uint32_t i = 0; i + 1 < units; ++i)
            name += static_cast<char>(in.Read(2));
        EXPECT_EQ(in.Read(2), 0u) << "name not zero-terminated";
        EXPECT_EQ(name, expected.name);
        EXPECT_EQ(ase.substr(in.pos, 4), "RGB ");
        in.pos += 4;
        for (const int channel : {expected.r, expected.g, expected.b})
            EXPECT_FLOAT_EQ(in.Float(), channel / 255.0f) << expected.name;
        EXPECT_LE(in.Read(2), 2u); // global, spot or normal
        EXPECT_EQ(in.pos - blockStart, length) << expected.name;
    }
    EXPECT_EQ(in.pos, ase.size());
}

TEST(PaletteTest, FormatsByName)
{
    EXPECT_EQ(PaletteFormatFromName("GPL"), PaletteFormat::Gimp);
    EXPECT_EQ(PaletteFormatFromName("ase"), PaletteFormat::Ase);
    EXPECT_EQ(PaletteFormatFromName("aco"), std::nullopt);
    for (const auto format : {PaletteFormat::Gimp, PaletteFormat::Css, PaletteFormat::Json, PaletteFormat::Ase})
        EXPECT_EQ(PaletteFormatFromName(PaletteExtension(format)), format);
}

} // namespace
} // namespace tintor
