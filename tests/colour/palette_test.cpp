// Every palette format read back by a reader of the test's own, written from
// the formats' rules rather than from the writers.
#include "colour/palette.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <regex>
#include <sstream>

namespace tintor {
namespace {

const PaletteColor kColours[] = {{KIND_FILL, 0x0000FF}, {KIND_LINE, 0x563412}, {KIND_BG, 0xFFFFFF}};

struct Swatch {
    int r, g, b;
    std::string name;
    bool operator==(const Swatch&) const = default;
};
const std::vector<Swatch> kExpected
    = {{255, 0, 0, "fill #ff0000"}, {0x12, 0x34, 0x56, "line #123456"}, {255, 255, 255, "bg #ffffff"}};

// GIMP's rules: the magic line, "Name:", an optional "Columns:", comments
// and blank lines, then "R G B name" with each channel 0..255.
std::vector<Swatch> ReadGpl(const std::string& text, std::string& name)
{
    std::istringstream in(text);
    std::string line;
    EXPECT_TRUE(std::getline(in, line) && line == "GIMP Palette");
    std::vector<Swatch> swatches;
    while (std::getline(in, line)) {
        if (line.rfind("Name: ", 0) == 0)
            name = line.substr(6);
        else if (!line.empty() && line[0] != '#' && line.rfind("Columns: ", 0) != 0) {
            std::istringstream fields(line);
            Swatch s;
            fields >> s.r >> s.g >> s.b >> std::ws;
            EXPECT_TRUE(fields && std::min({s.r, s.g, s.b}) >= 0 && std::max({s.r, s.g, s.b}) <= 255) << line;
            std::getline(fields, s.name);
            swatches.push_back(s);
        }
    }
    return swatches;
}

TEST(PaletteTest, GimpPaletteFollowsGimpsRules)
{
    std::string name;
    EXPECT_EQ(ReadGpl(WriteGimpPalette("brand", kColours), name), kExpected);
    EXPECT_EQ(name, "brand");
    // A file name's line break or stray byte cannot break the header.
    EXPECT_EQ(ReadGpl(WriteGimpPalette("two\nlines\xFF", {}), name), std::vector<Swatch>{});
    EXPECT_EQ(name, "two lines\xEF\xBF\xBD");
}

TEST(PaletteTest, CssAndJsonNameEachColourByKindAndHex)
{
    const std::string css = WriteCssPalette("a */ b", kColours);
    EXPECT_EQ(css.find("*/"), css.find("*/\n:root {\n")) << "the title ended the comment";
    const std::regex property(R"(  --(\w+)-([0-9a-f]{6}): #\2;)");
    std::istringstream in(css.substr(css.find('{') + 2));
    std::vector<Swatch> swatches;
    for (std::string line; std::getline(in, line) && line != "}";) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, property)) << line;
        const unsigned long v = std::stoul(m[2], nullptr, 16);
        swatches.push_back({int(v >> 16), int(v >> 8 & 0xFF), int(v & 0xFF), m[1].str() + " #" + m[2].str()});
    }
    EXPECT_EQ(swatches, kExpected);

    const auto json = nlohmann::json::parse(WriteJsonPalette("say \"hi\"", kColours));
    EXPECT_EQ(json["name"], "say \"hi\"");
    swatches.clear();
    for (const auto& c : json["colours"]) {
        EXPECT_EQ(c["name"], c["kind"].get<std::string>() + " " + c["hex"].get<std::string>());
        swatches.push_back({c["rgb"][0], c["rgb"][1], c["rgb"][2], c["name"]});
    }
    EXPECT_EQ(swatches, kExpected);
}

TEST(PaletteTest, AseHasOneRgbColourBlockPerColour)
{
    const std::string ase = WriteAsePalette(kColours);
    std::size_t pos = 0;
    // Big-endian, as every number of the format.
    const auto read = [&](int n) {
        EXPECT_LE(pos + n, ase.size());
        std::uint32_t v = 0;
        for (int i = 0; i < n && pos < ase.size(); ++i)
            v = v << 8 | static_cast<std::uint8_t>(ase[pos++]);
        return v;
    };
    EXPECT_EQ(ase.substr(0, 4), "ASEF");
    pos = 4;
    EXPECT_EQ(read(4), 0x00010000u); // version 1.0
    ASSERT_EQ(read(4), std::size(kColours));
    for (const Swatch& expected : kExpected) {
        EXPECT_EQ(read(2), 0x0001u); // colour entry
        const std::uint32_t length = read(4);
        const std::size_t start = pos;
        const std::uint32_t units = read(2);
        std::string name;
        for (std::uint32_t i = 1; i < units; ++i)
            name += static_cast<char>(read(2));
        EXPECT_EQ(read(2), 0u) << "name not zero-terminated";
        EXPECT_EQ(name, expected.name);
        EXPECT_EQ(ase.substr(pos, 4), "RGB ");
        pos += 4;
        for (const int channel : {expected.r, expected.g, expected.b}) {
            const std::uint32_t bits = read(4);
            float value;
            std::memcpy(&value, &bits, 4);
            EXPECT_FLOAT_EQ(value, channel / 255.0f) << expected.name;
        }
        EXPECT_LE(read(2), 2u); // global, spot or normal
        EXPECT_EQ(pos - start, length) << expected.name;
    }
    EXPECT_EQ(pos, ase.size());
}

} // namespace
} // namespace tintor
