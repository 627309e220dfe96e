// Palette files of other tools, read for their colours alone.
#include "colour/palette_reader.h"

#include "colour/colour_text.h"
#include "core/json_reader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <iterator>

namespace tintor {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kGimpMagic = "GIMP Palette";
constexpr std::string_view kAseMagic = "ASEF";
constexpr std::string_view kBlanks = " \t\r\v\f";

ReadPaletteResult Failed(MessageText where, MessageText reason)
{
    ReadPaletteResult result;
    result.error = PaletteError{std::move(where), std::move(reason)};
    return result;
}

MessageText LineName(std::size_t line) { return {"line %1", {std::to_string(line)}}; }

std::string_view Trimmed(std::string_view text)
{
    const std::size_t begin = text.find_first_not_of(kBlanks);
    if (begin == std::string_view::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
}

// --- GIMP -----------------------------------------------------------------------

// A channel of a colour line: decimal digits, 0..255.
std::optional<std::uint32_t> ReadChannel(std::string_view& rest)
{
    rest.remove_prefix(std::min(rest.find_first_not_of(kBlanks), rest.size()));
    std::uint32_t value = 0;
    std::size_t digits = 0;
    for (; digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9'; ++digits) {
        value = value * 10 + static_cast<std::uint32_t>(rest[digits] - '0');
        if (value > 255)
            return std::nullopt;
    }
    // A channel ends at a blank or at the end of the line.
    if (digits == 0 || (digits < rest.size() && kBlanks.find(rest[digits]) == std::string_view::npos))
        return std::nullopt;
    rest.remove_prefix(digits);
    return value;
}

// --- Adobe swatch exchange -------------------------------------------------------

// A bounded big-endian reader that knows where it is, for reports.
class CAseCursor {
public:
    CAseCursor(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t end)
        : m_bytes(bytes), m_at(at), m_end(end)
    {
    }
    std::size_t At() const { return m_at; }
    bool Has(std::size_t n) const { return m_end - m_at >= n; }
    std::uint16_t U16()
    {
        const auto v = static_cast<std::uint16_t>(m_bytes[m_at] << 8 | m_bytes[m_at + 1]);
        m_at += 2;
        return v;
    }
    std::uint32_t U32()
    {
        const std::uint32_t high = U16();
        return high << 16 | U16();
    }
    float F32() { return std::bit_cast<float>(U32()); }
    std::string_view Chars(std::size_t n)
    {
        const std::string_view chars(reinterpret_cast<const char*>(m_bytes.data() + m_at), n);
        m_at += n;
        return chars;
    }
    void Skip(std::size_t n) { m_at += n; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at;
    std::size_t m_end;
};

MessageText ByteName(std::size_t at) { return {"byte %1", {std::to_string(at)}}; }

// The values each colour model of a swatch carries.
std::optional<std::size_t> ValueCount(std::string_view model)
{
    if (model == "RGB " || model == "LAB ")
        return 3;
    if (model == "CMYK")
        return 4;
    if (model == "Gray")
        return 1;
    return std::nullopt;
}

// One colour entry: its name, colour model, values and swatch type. Only
// RGB colours are kept; the others are counted.
std::optional<PaletteError> ReadAseColourEntry(CAseCursor& cursor, ReadPaletteResult& result)
{
    if (!cursor.Has(2))
        return PaletteError{ByteName(cursor.At()), {"colour entry ends before its name"}};
    const std::size_t nameUnits = cursor.U16();
    if (!cursor.Has(2 * nameUnits + 4))
        return PaletteError{ByteName(cursor.At()), {"colour entry ends inside its name"}};
    cursor.Skip(2 * nameUnits);
    const std::size_t modelAt = cursor.At();
    const std::string_view model = cursor.Chars(4);
    const auto count = ValueCount(model);
    if (!count)
        return PaletteError{ByteName(modelAt), {"unknown colour model %1", {Quoted(model)}}};
    if (!cursor.Has(4 * *count + 2))
        return PaletteError{ByteName(cursor.At()), {"colour entry ends inside its values"}};
    if (model != "RGB ") {
        ++result.skipped;
        return std::nullopt;
    }
    std::uint32_t rgb = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::size_t valueAt = cursor.At();
        const float value = cursor.F32();
        if (!std::isfinite(value))
            return PaletteError{ByteName(valueAt), {"colour value is not a number"}};
        rgb |= static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)) << shift;
    }
    result.colours.push_back(rgb);
    return std::nullopt;
}

// --- JSON -----------------------------------------------------------------------

// The palette's colours out of the parser's events: the "colours" array of
// the top object (or the top array itself), each entry an object with "hex"
// or "rgb", or a "#rrggbb" string.
class CJsonPaletteHandler {
public:
    using json = JsonSaxTypes;

    explicit CJsonPaletteHandler(std::string_view text) : m_text(text), m_furthest(text.data()) {}

    ReadPaletteResult Take()
    {
        if (!m_result.error && !m_foundList)
            Fail({"no \"colours\" array of colours"});
        return std::move(m_result);
    }

    const char** Furthest() { return &m_furthest; }

    bool null() { return Scalar("null"); }
    bool boolean(bool) { return Scalar("true or false"); }
    bool number_integer(json::number_integer_t v) { return Number(static_cast<double>(v)); }
    bool number_unsigned(json::number_unsigned_t v) { return Number(static_cast<double>(v)); }
    bool number_float(json::number_float_t v, const json::string_t&) { return Number(v); }
    bool string(json::string_t& text);
    bool binary(json::binary_t&) { return Scalar("binary data"); }
    bool start_object(std::size_t) { return Container(Shape::Object); }
    bool start_array(std::size_t) { return Container(Shape::Array); }
    bool key(json::string_t& key)
    {
        if (m_otherDepth == 0)
            m_stack.back().key = key;
        return true;
    }
    bool end_object() { return End(); }
    bool end_array() { return End(); }
    bool parse_error(std::size_t position, const std::string& lastToken, const JsonSyntaxError&)
    {
        if (!m_result.error)
            m_result = Failed(LineName(LineAt(std::min(position, m_text.size()))),
                {"not valid JSON at byte %1, after %2", {std::to_string(position), Quoted(lastToken)}});
        return false;
    }

private:
    enum class Shape { Object, Array };
    // What a container is to the palette.
    enum class Role { Top, List, Entry, Rgb, Other };
    struct Frame {
        Role role;
        std::string key; // the key whose value comes next, in an object
    };

    std::size_t LineAt(std::size_t offset) const
    {
        return 1 + static_cast<std::size_t>(std::count(m_text.begin(), m_text.begin() + offset, '\n'));
    }
    // The line of what the parser handed over last: the parser reads one
    // character past a number, which may be a line break.
    std::size_t CurrentLine() const
    {
        std::size_t end = static_cast<std::size_t>(m_furthest - m_text.data());
        while (end > 1 && std::isspace(static_cast<unsigned char>(m_text[end - 1])))
            --end;
        return LineAt(end == 0 ? 0 : end - 1);
    }
    bool Fail(MessageText reason)
    {
        if (!m_result.error)
            m_result = Failed(LineName(CurrentLine()), std::move(reason));
        return false;
    }
    // The number of the colour entry being read, from 1.
    std::string EntryNumber() const { return std::to_string(m_entries); }
    Role Parent() const { return m_stack.empty() ? Role::Other : m_stack.back().role; }
    bool IsColoursKey() const
    {
        return !m_stack.empty() && (m_stack.back().key == "colours" || m_stack.back().key == "colors");
    }

    bool Scalar(std::string_view what);
    bool Number(double value);
    bool Container(Shape shape);
    bool End();

    std::string_view m_text;
    const char* m_furthest;
    std::vector<Frame> m_stack;
    // Containers inside one that is nothing to the palette, counted rather
    // than stacked: a file of a million '[' costs nothing more.
    std::size_t m_otherDepth = 0;
    bool m_foundList = false;
    std::size_t m_entries = 0;
    std::optional<std::uint32_t> m_hex;
    std::vector<double> m_rgb;
    bool m_rgbGiven = false;
    ReadPaletteResult m_result;
};

bool CJsonPaletteHandler::Scalar(std::string_view what)
{
    switch (Parent()) {
    case Role::List:
        ++m_entries;
        return Fail({"colour %1 is %2, not an object or \"#rrggbb\"", {EntryNumber(), std::string(what)}});
    case Role::Rgb:
        return Fail({"\"rgb\" of colour %1 holds %2, not a number", {EntryNumber(), std::string(what)}});
    case Role::Entry:
        if (m_stack.back().key == "hex" || m_stack.back().key == "rgb")
            return Fail({"\"%1\" of colour %2 is %3", {m_stack.back().key, EntryNumber(), std::string(what)}});
        return true;
    case Role::Top:
        if (IsColoursKey())
            return Fail({"\"%1\" is %2, not an array", {m_stack.back().key, std::string(what)}});
        return true;
    default:
        return m_stack.empty() ? Fail({"the file holds %1, not a palette", {std::string(what)}}) : true;
    }
}

bool CJsonPaletteHandler::Number(double value)
{
    if (Parent() != Role::Rgb)
        return Scalar("a number");
    if (!(value >= 0.0 && value <= 255.0) || value != std::floor(value))
        return Fail(
            {"\"rgb\" of colour %1 holds %2, not a whole number 0..255", {EntryNumber(), std::to_string(value)}});
    m_rgb.push_back(value);
    return true;
}

bool CJsonPaletteHandler::string(json::string_t& text)
{
    const Role parent = Parent();
    const bool hexEntry = parent == Role::List, hexField = parent == Role::Entry && m_stack.back().key == "hex";
    if (!hexEntry && !hexField)
        return parent == Role::Entry && m_stack.back().key != "rgb" ? true : Scalar("a string");
    if (hexEntry)
        ++m_entries;
    const auto rgb = ParseHexColor(text);
    if (!rgb)
        return Fail({"%1 of colour %2 is not a colour \"#rrggbb\"", {Quoted(text), EntryNumber()}});
    if (hexEntry)
        m_result.colours.push_back(*rgb);
    else
        m_hex = rgb;
    return true;
}

bool CJsonPaletteHandler::Container(Shape shape)
{
    if (!m_stack.empty() && Parent() == Role::Other) {
        ++m_otherDepth;
        return true;
    }
    Role role = Role::Other;
    switch (Parent()) {
    case Role::List:
        if (shape != Shape::Object)
            return Scalar("an array");
        ++m_entries;
        m_hex.reset();
        m_rgb.clear();
        m_rgbGiven = false;
        role = Role::Entry;
        break;
    case Role::Entry:
        if (m_stack.back().key == "rgb" && shape == Shape::Array) {
            m_rgbGiven = true;
            role = Role::Rgb;
        } else if (m_stack.back().key == "hex" || m_stack.back().key == "rgb") {
            return Scalar(shape == Shape::Object ? "an object" : "an array");
        }
        break;
    case Role::Rgb:
        return Scalar(shape == Shape::Object ? "an object" : "an array");
    case Role::Top:
        if (IsColoursKey()) {
            if (shape != Shape::Array)
                return Scalar("an object");
            m_foundList = true;
            role = Role::List;
        }
        break;
    default:
        if (m_stack.empty()) {
            role = shape == Shape::Object ? Role::Top : Role::List;
            m_foundList = shape == Shape::Array;
        }
        break;
    }
    m_stack.push_back({role, {}});
    return true;
}

bool CJsonPaletteHandler::End()
{
    if (m_otherDepth > 0) {
        --m_otherDepth;
        return true;
    }
    const Role role = m_stack.back().role;
    m_stack.pop_back();
    if (role == Role::Rgb && m_rgb.size() != 3)
        return Fail({"\"rgb\" of colour %1 holds %2 numbers, not 3", {EntryNumber(), std::to_string(m_rgb.size())}});
    if (role != Role::Entry)
        return true;
    if (m_hex) {
        m_result.colours.push_back(*m_hex);
    } else if (m_rgbGiven) {
        m_result.colours.push_back(static_cast<std::uint32_t>(m_rgb[0]) | static_cast<std::uint32_t>(m_rgb[1]) << 8
            | static_cast<std::uint32_t>(m_rgb[2]) << 16);
    } else {
        return Fail({"colour %1 has neither \"hex\" nor \"rgb\"", {EntryNumber()}});
    }
    return true;
}

// --- CSS ------------------------------------------------------------------------

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
        || static_cast<unsigned char>(c) >= 0x80;
}

// "#rgb" or "#rrggbb", red first, to a colour with red in the low byte.
std::optional<std::uint32_t> ParseCssHex(std::string_view hex)
{
    if (hex.size() == 4) {
        const std::string doubled = {'#', hex[1], hex[1], hex[2], hex[2], hex[3], hex[3]};
        return ParseHexColor(doubled);
    }
    return ParseHexColor(hex);
}

} // namespace

ReadPaletteResult ReadGimpPalette(std::string_view text)
{
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    ReadPaletteResult result;
    for (std::size_t number = 1; !text.empty(); ++number) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = Trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (number == 1) {
            if (line != kGimpMagic)
                return Failed(LineName(1), {"the first line is not \"GIMP Palette\""});
            continue;
        }
        if (line.empty() || line.front() == '#' || line.starts_with("Name:") || line.starts_with("Columns:"))
            continue;
        std::string_view rest = line;
        const auto r = ReadChannel(rest), g = ReadChannel(rest), b = ReadChannel(rest);
        if (!r || !g || !b)
            return Failed(
                LineName(number), {"%1 is not a colour 'R G B name' with each of R, G, B 0..255", {Quoted(line)}});
        result.colours.push_back(*r | *g << 8 | *b << 16);
    }
    return result;
}

ReadPaletteResult ReadAsePalette(std::span<const std::uint8_t> bytes)
{
    constexpr std::uint16_t kColourEntry = 0x0001;
    CAseCursor cursor(bytes, 0, bytes.size());
    if (!cursor.Has(12) || cursor.Chars(4) != kAseMagic)
        return Failed(ByteName(0), {"not an Adobe swatch exchange file (no \"ASEF\" header)"});
    if (const std::uint16_t major = cursor.U16(); major != 1)
        return Failed(ByteName(4), {"version %1 of the format is not known", {std::to_string(major)}});
    cursor.Skip(2);
    // The block count goes unchecked: the blocks run to the end of the file,
    // and tools disagree whether group ends are counted.
    cursor.Skip(4);
    ReadPaletteResult result;
    while (cursor.Has(1)) {
        const std::size_t blockAt = cursor.At();
        if (!cursor.Has(6))
            return Failed(ByteName(blockAt), {"block header cut short"});
        const std::uint16_t type = cursor.U16();
        const std::uint32_t length = cursor.U32();
        if (!cursor.Has(length))
            return Failed(ByteName(blockAt), {"block of %1 bytes runs past the end", {std::to_string(length)}});
        // Groups only frame the entries between their start and end blocks;
        // the entries are read as they come.
        if (type == kColourEntry) {
            CAseCursor entry(bytes, cursor.At(), cursor.At() + length);
            if (auto error = ReadAseColourEntry(entry, result))
                return Failed(std::move(error->where), std::move(error->reason));
        }
        cursor.Skip(length);
    }
    return result;
}

ReadPaletteResult ReadCssPalette(std::string_view text)
{
    ReadPaletteResult result;
    std::size_t line = 1;
    const auto linesIn
        = [](std::string_view piece) { return static_cast<std::size_t>(std::count(piece.begin(), piece.end(), '\n')); };
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\n') {
            ++line;
            ++i;
        } else if (text.substr(i, 2) == "/*") {
            const std::size_t end = text.find("*/", i + 2);
            if (end == std::string_view::npos)
                return Failed(LineName(line), {"a comment that never ends"});
            line += linesIn(text.substr(i, end - i));
            i = end + 2;
        } else if (text[i] == '"' || text[i] == '\'') {
            // Strings are passed whole, so that no "--" in one is taken for
            // a property; a string ends at its line.
            const std::size_t end = text.find_first_of(std::string{text[i], '\n'}, i + 1);
            i = end == std::string_view::npos ? text.size() : text[end] == '\n' ? end : end + 1;
        } else if (text.substr(i, 2) == "--"
            && (i == 0 || std::string_view(" \t\r\n{;").find(text[i - 1]) != std::string_view::npos)) {
            std::size_t at = i + 2;
            while (at < text.size() && IsNameChar(text[at]))
                ++at;
            const std::string_view name = text.substr(i, at - i);
            const std::size_t colon = text.find_first_not_of(" \t\r\n", at);
            if (colon == std::string_view::npos || text[colon] != ':') {
                i = at;
                continue;
            }
            line += linesIn(text.substr(i, colon - i));
            std::size_t value = text.find_first_not_of(" \t\r\n", colon + 1);
            if (value == std::string_view::npos)
                value = text.size();
            line += linesIn(text.substr(colon, value - colon));
            i = value;
            if (value == text.size() || text[value] != '#')
                continue;
            const std::size_t end = std::min(text.find_first_of(" \t\r\n;}!", value), text.size());
            const std::string_view hex = text.substr(value, end - value);
            const auto rgb = ParseCssHex(hex);
            if (!rgb)
                return Failed(
                    LineName(line), {"%1 has the value %2, not a colour #rrggbb", {Quoted(name), Quoted(hex)}});
            result.colours.push_back(*rgb);
            i = end;
        } else {
            ++i;
        }
    }
    return result;
}

ReadPaletteResult ReadJsonPalette(std::string_view text)
{
    CJsonPaletteHandler handler(text);
    ReadJson(text, handler, handler.Furthest());
    return handler.Take();
}

ReadPaletteResult ReadPalette(std::span<const std::uint8_t> bytes)
{
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.starts_with(kAseMagic))
        return ReadAsePalette(bytes);
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    if (text.starts_with(kGimpMagic))
        return ReadGimpPalette(text);
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && (text[first] == '{' || text[first] == '['))
        return ReadJsonPalette(text);
    return ReadCssPalette(text);
}

} // namespace tintor
