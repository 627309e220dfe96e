#include "cli/colour_choice.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace tintor::cli {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::optional<ColorKind> KindFromName(std::string_view name)
{
    std::string lower(name);
    std::transform(
        lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "bg")
        return KIND_BG;
    if (lower == "fill")
        return KIND_FILL;
    if (lower == "line")
        return KIND_LINE;
    if (lower == "text")
        return KIND_TEXT;
    return std::nullopt;
}

std::optional<ColorKey> ParseColourChoice(std::string_view choice)
{
    const auto colon = choice.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto kind = KindFromName(choice.substr(0, colon));
    std::string_view hex = choice.substr(colon + 1);
    if (!hex.empty() && hex.front() == '#')
        hex.remove_prefix(1);
    if (!kind || hex.size() != 6)
        return std::nullopt;
    std::uint32_t rgb = 0;
    for (const char c : hex) {
        const int digit = HexDigit(c);
        if (digit < 0)
            return std::nullopt;
        rgb = rgb << 4 | static_cast<std::uint32_t>(digit);
    }
    // Written red first; a key holds red in its low byte.
    const std::uint32_t r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return *kind | r | g << 8 | b << 16;
}

} // namespace tintor::cli
