#include "colour/palette.h"

#include "colour/colour_text.h"
#include "core/json_writer.h"
#include "core/utf8.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdio>

namespace tintor {
namespace {

constexpr std::string_view kUntitled = "Tintor";

struct FormatInfo {
    PaletteFormat format;
    std::string_view extension;
};
constexpr FormatInfo kFormats[] = {
    {PaletteFormat::Gimp, "gpl"},
    {PaletteFormat::Css, "css"},
    {PaletteFormat::Json, "json"},
    {PaletteFormat::Ase, "ase"},
};

std::string_view KindName(ColorKind kind)
{
    const ColorKindInfo* info = InfoOf(kind);
    return info != nullptr ? info->name : "fill";
}

// The movie's title as one line of valid UTF-8: a file name may hold line
// breaks and bytes of no encoding, which would break every one of the text
// formats.
std::string PlainTitle(std::string_view title)
{
    std::string plain;
    while (!title.empty()) {
        const std::size_t length = Utf8SequenceLength(title);
        if (length == 0) {
            plain += kReplacementCharacter;
            title.remove_prefix(1);
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(title.front());
        if (length == 1 && (c < 0x20 || c == 0x7F))
            plain += ' ';
        else
            plain.append(title.substr(0, length));
        title.remove_prefix(length);
    }
    return plain.empty() ? std::string(kUntitled) : plain;
}

// Big-endian, as every number of a swatch exchange file.
void PutU16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v & 0xFF);
}

void PutU32(std::string& out, std::uint32_t v)
{
    PutU16(out, static_cast<std::uint16_t>(v >> 16));
    PutU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
}

void PutF32(std::string& out, float v) { PutU32(out, std::bit_cast<std::uint32_t>(v)); }

std::uint32_t Channel(std::uint32_t rgb, int shift) { return (rgb >> shift) & 0xFF; }

} // namespace

std::optional<PaletteFormat> PaletteFormatFromName(std::string_view name)
{
    const auto sameLetters = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    for (const FormatInfo& info : kFormats)
        if (std::equal(name.begin(), name.end(), info.extension.begin(), info.extension.end(), sameLetters))
            return info.format;
    return std::nullopt;
}

std::string_view PaletteExtension(PaletteFormat format)
{
    for (const FormatInfo& info : kFormats)
        if (info.format == format)
            return info.extension;
    return kFormats[0].extension;
}

std::string PaletteColorName(const PaletteColor& color)
{
    return std::string(KindName(color.kind)) + ' ' + HexColor(color.rgb);
}

std::string WriteGimpPalette(std::string_view title, std::span<const PaletteColor> colors)
{
    const std::string name = PlainTitle(title);
    std::string out = "GIMP Palette\nName: " + name + "\n#\n# The colours of " + name
        + " as Tintor lists them, each named by its kind and colour.\n#\n";
    for (const PaletteColor& color : colors) {
        char line[64];
        std::snprintf(
            line, sizeof line, "%3u %3u %3u\t", Channel(color.rgb, 0), Channel(color.rgb, 8), Channel(color.rgb, 16));
        out += line + PaletteColorName(color) + '\n';
    }
    return out;
}

std::string WriteCssPalette(std::string_view title, std::span<const PaletteColor> colors)
{
    std::string name = PlainTitle(title);
    // The title goes into a comment, which its own "*/" would end.
    for (std::size_t at; (at = name.find("*/")) != std::string::npos;)
        name.replace(at, 2, "* /");
    std::string out
        = "/* The colours of " + name + " as Tintor lists them, each named by its kind and colour. */\n" + ":root {\n";
    for (const PaletteColor& color : colors) {
        const std::string hex = HexColor(color.rgb);
        out += "  --" + std::string(KindName(color.kind)) + '-' + hex.substr(1) + ": " + hex + ";\n";
    }
    return out + "}\n";
}

std::string WriteJsonPalette(std::string_view title, std::span<const PaletteColor> colors)
{
    CJsonWriter json;
    json.BeginObject();
    json.Key("name");
    json.String(PlainTitle(title));
    json.Key("colours");
    json.BeginArray();
    for (const PaletteColor& color : colors) {
        json.BeginObject(CJsonWriter::Layout::Inline);
        json.Key("name");
        json.String(PaletteColorName(color));
        json.Key("kind");
        json.String(KindName(color.kind));
        json.Key("hex");
        json.String(HexColor(color.rgb));
        json.Key("rgb");
        json.BeginArray();
        for (const int shift : {0, 8, 16})
            json.Number(Channel(color.rgb, shift));
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    json.Finish();
    return json.Text();
}

std::string WriteAsePalette(std::span<const PaletteColor> colors)
{
    constexpr std::uint16_t kColorEntry = 0x0001;
    constexpr std::uint16_t kNormalColor = 2; // neither global nor spot
    std::string out = "ASEF";
    PutU16(out, 1);
    PutU16(out, 0);
    PutU32(out, static_cast<std::uint32_t>(colors.size()));
    for (const PaletteColor& color : colors) {
        // The names are ASCII, so each character is one UTF-16 code unit.
        const std::string name = PaletteColorName(color);
        const auto units = static_cast<std::uint16_t>(name.size() + 1);
        PutU16(out, kColorEntry);
        PutU32(out, 2u + 2u * units + 4u + 3u * 4u + 2u);
        PutU16(out, units);
        for (const char c : name)
            PutU16(out, static_cast<unsigned char>(c));
        PutU16(out, 0);
        out += "RGB ";
        for (const int shift : {0, 8, 16})
            PutF32(out, static_cast<float>(Channel(color.rgb, shift)) / 255.0f);
        PutU16(out, kNormalColor);
    }
    return out;
}

std::string WritePalette(PaletteFormat format, std::string_view title, std::span<const PaletteColor> colors)
{
    switch (format) {
    case PaletteFormat::Gimp:
        return WriteGimpPalette(title, colors);
    case PaletteFormat::Css:
        return WriteCssPalette(title, colors);
    case PaletteFormat::Json:
        return WriteJsonPalette(title, colors);
    case PaletteFormat::Ase:
        return WriteAsePalette(colors);
    }
    return {};
}

} // namespace tintor
