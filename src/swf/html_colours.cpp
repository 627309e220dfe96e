#include "swf/html_colours.h"

#include "core/hex_digit.h"

#include <algorithm>
#include <cctype>

namespace tintor {

namespace {

constexpr std::string_view kColorAttribute = "color";
constexpr std::size_t kHexDigits = 6;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

bool SameLetters(std::string_view text, std::string_view lowerWord)
{
    return std::equal(text.begin(), text.end(), lowerWord.begin(), lowerWord.end(),
        [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    return pos;
}

// The attribute value that starts at pos (its opening quote): the colour when
// it is "#rrggbb", otherwise counted as another form. Returns where reading
// goes on.
std::size_t ReadColourValue(std::string_view tag, std::size_t tagOffset, std::size_t pos, HtmlColours& found)
{
    const char quote = pos < tag.size() ? tag[pos] : '\0';
    if (quote != '"' && quote != '\'') {
        ++found.otherForms;
        return pos;
    }
    const std::size_t close = tag.find(quote, pos + 1);
    const std::string_view value = tag.substr(pos + 1, close == std::string_view::npos ? tag.npos : close - pos - 1);
    const auto rgb = value.size() == 1 + kHexDigits && value[0] == '#' ? ParseHtmlHex(value.substr(1)) : std::nullopt;
    if (!rgb || close == std::string_view::npos) {
        ++found.otherForms;
        return close == std::string_view::npos ? tag.size() : close + 1;
    }
    HtmlColour colour;
    colour.offset = tagOffset + pos + 2;
    colour.rgb = *rgb;
    for (std::size_t i = 0; i < kHexDigits; ++i)
        if (value[1 + i] >= 'A' && value[1 + i] <= 'F')
            colour.upperDigits |= static_cast<std::uint8_t>(1u << i);
    found.hex.push_back(colour);
    return close + 1;
}

// The color attributes of one tag, the text between '<' and '>'.
void ReadTag(std::string_view tag, std::size_t tagOffset, HtmlColours& found)
{
    for (std::size_t pos = 1; pos < tag.size(); ++pos) {
        if (!IsBlank(tag[pos - 1]) || !SameLetters(tag.substr(pos, kColorAttribute.size()), kColorAttribute))
            continue;
        std::size_t at = SkipBlanks(tag, pos + kColorAttribute.size());
        if (at >= tag.size() || tag[at] != '=')
            continue;
        at = SkipBlanks(tag, at + 1);
        // The value starts past the name, so this moves on.
        pos = ReadColourValue(tag, tagOffset, at, found) - 1;
    }
}

} // namespace

std::optional<std::uint32_t> ParseHtmlHex(std::string_view digits)
{
    if (digits.size() < kHexDigits)
        return std::nullopt;
    std::uint32_t written = 0;
    for (std::size_t i = 0; i < kHexDigits; ++i) {
        const int digit = HexDigit(digits[i]);
        if (digit < 0)
            return std::nullopt;
        written = written << 4 | static_cast<std::uint32_t>(digit);
    }
    return (written >> 16) | (written & 0xFF00) | (written & 0xFF) << 16;
}

HtmlColours FindHtmlColours(std::string_view html)
{
    HtmlColours found;
    std::size_t pos = 0;
    while ((pos = html.find('<', pos)) != std::string_view::npos) {
        const std::size_t end = std::min(html.find('>', pos), html.size());
        ReadTag(html.substr(pos, end - pos), pos, found);
        pos = end;
    }
    return found;
}

void WriteHtmlHex(std::span<std::uint8_t> digits, std::uint32_t rgb, std::uint8_t upperDigits)
{
    static constexpr char kLower[] = "0123456789abcdef";
    static constexpr char kUpper[] = "0123456789ABCDEF";
    const std::uint32_t written = (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
    for (std::size_t i = 0; i < kHexDigits && i < digits.size(); ++i) {
        const char* set = (upperDigits >> i) & 1u ? kUpper : kLower;
        digits[i] = static_cast<std::uint8_t>(set[(written >> (4 * (kHexDigits - 1 - i))) & 0xF]);
    }
}

} // namespace tintor
