// Palettes as other tools write them, Tintor's own palettes read back, and
// files that cannot be read refused with the line or byte at fault.
#include "colour/palette.h"
#include "colour/palette_reader.h"
#include "core/utf8.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>

namespace tintor {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// An Adobe swatch exchange file put together by the format's rules:
// big-endian numbers, UTF-16 names ending in a zero unit.
class CAseBuilder {
public:
    CAseBuilder& Block(std::uint16_t type, const std::string& body)
    {
        U16(m_blocks, type);
        U32(m_blocks, static_cast<std::uint32_t>(body.size()));
        m_blocks += body;
        ++m_count;
        return *this;
    }
    CAseBuilder& Group(const std::string& name) { return Block(0xC001, Name(name)); }
    CAseBuilder& GroupEnd() { return Block(0xC002, ""); }
    CAseBuilder& Colour(const std::string& name, const char* model, std::initializer_list<float> values)
    {
        std::string body = Name(name) + model;
        for (const float v : values)
            U32(body, std::bit_cast<std::uint32_t>(v));
        U16(body, 2);
        return Block(0x0001, body);
    }
    std::string Build() const
    {
        std::string file = "ASEF";
        U16(file, 1);
        U16(file, 0);
        U32(file, m_count);
        return file + m_blocks;
    }

private:
    static void U16(std::string& out, std::uint32_t v)
    {
        out += static_cast<char>((v >> 8) & 0xFF);
        out += static_cast<char>(v & 0xFF);
    }
    static void U32(std::string& out, std::uint32_t v)
    {
        U16(out, v >> 16);
        U16(out, v & 0xFFFF);
    }
    static std::string Name(const std::string& name)
    {
        std::string out;
        U16(out, static_cast<std::uint32_t>(name.size() + 1));
        for (const char c : name)
            U16(out, static_cast<unsigned char>(c));
        U16(out, 0);
        return out;
    }

    std::string m_blocks;
    std::uint32_t m_count = 0;
};

TEST(PaletteReaderTest, OtherToolsPalettes)
{
    // As GIMP saves one: a name line, columns, a comment, tab before names.
    const std::string gimp = "GIMP Palette\r\nName: Brand colours\r\nColumns: 4\r\n# exported from GIMP\r\n"
                             "255   0   0\tRed\r\n  0 128 255\tSky blue\r\n\r\n 16  16  16\r\n";
    const std::string ase = CAseBuilder()
                                .Colour("Paper", "RGB ", {1.0f, 1.0f, 1.0f})
                                .Group("Brand")
                                .Colour("Red", "RGB ", {1.0f, 0.0f, 0.0f})
                                .Colour("Ink", "CMYK", {0.0f, 0.0f, 0.0f, 1.0f})
                                .Colour("Teal", "RGB ", {0.0f, 0.5f, 0.5f})
                                .GroupEnd()
                                .Build();
    const std::string css = ":root {\n  /* brand */\n  --brand-red: #FF0000;\n  --gap: 4px;\n  --sky:#08f;\n}\n"
                            "a { content: \"--not: #zzzzzz\"; }\n";
    const std::string json = "[\"#ff0000\", {\"rgb\": [0, 128, 255], \"name\": \"sky\"}]";
    const struct {
        const char* name;
        std::string file;
        std::vector<std::uint32_t> colours;
        std::size_t skipped;
    } rows[] = {
        {"gimp", gimp, {0x0000FF, 0xFF8000, 0x101010}, 0},
        {"ase with a group and a CMYK swatch", ase, {0xFFFFFF, 0x0000FF, 0x808000}, 1},
        {"css", css, {0x0000FF, 0xFF8800}, 0},
        {"json array", json, {0x0000FF, 0xFF8000}, 0},
    };
    for (const auto& row : rows) {
        const ReadPaletteResult read = ReadPalette(Bytes(row.file));
        EXPECT_FALSE(read.error) << row.name << ": " << read.error->where.Text() << ": " << read.error->reason.Text();
        EXPECT_EQ(read.colours, row.colours) << row.name;
        EXPECT_EQ(read.skipped, row.skipped) << row.name;
    }
}

TEST(PaletteReaderTest, TintorsOwnPalettesReadBack)
{
    const PaletteColor colours[] = {{KIND_FILL, 0x0000FF}, {KIND_LINE, 0x563412}, {KIND_BG, 0xFFFFFF}};
    for (const PaletteFormat format :
        {PaletteFormat::Gimp, PaletteFormat::Css, PaletteFormat::Json, PaletteFormat::Ase}) {
        const std::string file = WritePalette(format, "movie \"one\"", colours);
        const ReadPaletteResult read = ReadPalette(Bytes(file));
        EXPECT_FALSE(read.error) << PaletteExtension(format);
        EXPECT_EQ(read.colours, (std::vector<std::uint32_t>{0x0000FF, 0x563412, 0xFFFFFF})) << PaletteExtension(format);
    }
}

TEST(PaletteReaderTest, UnreadablePalettesNameTheLineOrByte)
{
    const std::string ase = CAseBuilder().Colour("Red", "RGB ", {1.0f, 0.0f, 0.0f}).Build();
    const struct {
        const char* name;
        std::string file;
        std::string where;
    } rows[] = {
        {"gimp channel above 255", "GIMP Palette\nName: x\n#\n0 0 0 black\n256 0 0 red\n", "line 5"},
        {"gimp two channels", "GIMP Palette\n10 20\n", "line 2"},
        {"gimp letters", "GIMP Palette\n\nr g b\n", "line 3"},
        {"ase cut inside a block", ase.substr(0, ase.size() - 3), "byte 12"},
        {"ase unknown model", CAseBuilder().Colour("x", "HSV ", {0, 0, 0}).Build(), "byte 24"},
        {"ase not a number",
            CAseBuilder().Colour("x", "RGB ", {1.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f}).Build(),
            "byte 32"},
        {"css bad colour", ":root {\n  --a: #ff0000;\n  --b: #ff00;\n}\n", "line 3"},
        {"css comment never ends", ":root {\n/* a\n", "line 2"},
        {"json syntax", "{\n  \"colours\": [\n    \"#ff0000\",\n  ]\n}\n", "line 4"},
        {"json entry without colour", "{\"colours\": [\n  {\"hex\": \"#ff0000\"},\n  {\"name\": \"x\"}\n]}", "line 3"},
        {"json bad rgb", "{\"colours\": [\n  {\"rgb\": [1, 2]}\n]}", "line 2"},
        {"json no colours", "{\"name\": \"x\"}", "line 1"},
    };
    for (const auto& row : rows) {
        const ReadPaletteResult read = ReadPalette(Bytes(row.file));
        ASSERT_TRUE(read.error) << row.name;
        EXPECT_EQ(read.error->where.Text(), row.where) << row.name << ": " << read.error->reason.Text();
        EXPECT_TRUE(read.colours.empty()) << row.name;
    }
}

TEST(PaletteReaderTest, ReasonsQuoteNoByteOfNoCharacter)
{
    const struct {
        const char* name;
        std::string file;
        std::string quoted; // how the odd bytes appear
    } rows[] = {
        {"gimp", "GIMP Palette\n\xFF\xFE 0 0\n", "\\xff\\xfe"},
        {"gimp cut inside a character",
            "GIMP Palette\n" + std::string(31, 'a')
                + "\xE8\x89\xB2"
                  "bbb\n",
            "\xE8\x89\xB2...'"},
        {"css", ":root {\n  --a\xC0: #ff\x80;\n}\n", "\\x80"},
        {"json token", "[\"#ff0000\", \xFF]", "\\xff"},
        {"json string", "[\"#ff0000\", \"\xE8\x89\"]", "\\xe8"},
        {"json kept character", "{\"colours\": [\"\xE8\x89\xB2\"]}", "'\xE8\x89\xB2'"},
    };
    for (const auto& row : rows) {
        const ReadPaletteResult read = ReadPalette(Bytes(row.file));
        ASSERT_TRUE(read.error) << row.name;
        const std::string reason = read.error->reason.Text();
        EXPECT_EQ(ValidUtf8(reason), reason) << row.name;
        EXPECT_NE(reason.find(row.quoted), std::string::npos) << row.name << ": " << reason;
    }
}

TEST(PaletteReaderTest, DeepJsonCostsNoMoreThanItsText)
{
    // A million levels inside a member that is nothing to the palette, then
    // the colours.
    const std::string deep = std::string(1 << 20, '[') + std::string(1 << 20, ']');
    const ReadPaletteResult read = ReadPalette(Bytes("{\"x\": " + deep + ", \"colours\": [\"#102030\"]}"));
    ASSERT_FALSE(read.error) << read.error->reason.Text();
    EXPECT_EQ(read.colours, std::vector<std::uint32_t>{0x302010});
}

} // namespace
} // namespace tintor
