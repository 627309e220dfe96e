#include "colour/colour_text.h"

#include "core/hex_digit.h"
#include "core/utf8.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

namespace tintor {

std::optional<ColorKind> KindFromName(std::string_view name)
{
    const auto sameLetters = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    for (const ColorKindInfo& info : kColorKinds)
        if (std::equal(name.begin(), name.end(), info.name.begin(), info.name.end(), sameLetters))
            return info.kind;
    return std::nullopt;
}

std::string KindNameList()
{
    std::vector<std::string_view> names;
    for (const ColorKindInfo& info : kColorKinds)
        names.push_back(info.name);
    std::sort(names.begin(), names.end());
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i != 0)
            list += i + 1 == names.size() ? " or " : ", ";
        list += names[i];
    }
    return list;
}

std::optional<std::uint32_t> ParseHexColor(std::string_view text)
{
    if (!text.empty() && text.front() == '#')
        text.remove_prefix(1);
    if (text.size() != 6)
        return std::nullopt;
    std::uint32_t written = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        written = written << 4 | static_cast<std::uint32_t>(digit);
    }
    const std::uint32_t r = written >> 16, g = (written >> 8) & 0xFF, b = written & 0xFF;
    return r | g << 8 | b << 16;
}

std::optional<ColorKey> ParseColourChoice(std::string_view choice)
{
    const auto colon = choice.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto kind = KindFromName(choice.substr(0, colon));
    const auto rgb = ParseHexColor(choice.substr(colon + 1));
    if (!kind || !rgb)
        return std::nullopt;
    return *kind | *rgb;
}

std::string HexColor(std::uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    return text;
}

// A file that is no map or palette at all can hold "words" of any length,
// and bytes (a NUL, control characters, bytes of no encoding) that would cut
// the report short or garble the terminal.
std::string Quoted(std::string_view word)
{
    constexpr std::size_t kLongest = 32;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string quoted = "'";
    std::string_view rest = word;
    while (!rest.empty() && word.size() - rest.size() < kLongest) {
        const std::size_t length = Utf8SequenceLength(rest);
        const auto c = static_cast<unsigned char>(rest.front());
        if (length == 0 || (length == 1 && (c < 0x20 || c == 0x7F || c == '\\'))) {
            quoted += "\\x";
            quoted += kHex[c >> 4];
            quoted += kHex[c & 0xF];
            rest.remove_prefix(1);
        } else {
            quoted.append(rest.substr(0, length));
            rest.remove_prefix(length);
        }
    }
    return quoted + (rest.empty() ? "'" : "...'");
}

} // namespace tintor
