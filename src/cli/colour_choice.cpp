#include "cli/colour_choice.h"

#include "core/hex_digit.h"

#include <algorithm>
#include <cctype>

namespace tintor::cli {

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
