#include "colour/colour_map.h"

#include "colour/colour_text.h"
#include "core/hex_digit.h"
#include "swf/colour_key.h"

#include <algorithm>
#include <variant>

namespace tintor {
namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The next blank-separated word of rest, taken off its front.
std::string_view NextWord(std::string_view& rest)
{
    const std::size_t start = rest.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) {
        rest = {};
        return {};
    }
    rest.remove_prefix(start);
    const std::size_t end = std::min(rest.find_first_of(kBlanks), rest.size());
    const std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    return word;
}

// A word that starts a comment: a '#' not followed by a hex digit.
bool IsComment(std::string_view word) { return word.front() == '#' && (word.size() == 1 || HexDigit(word[1]) < 0); }

using LineResult = std::variant<std::monostate, ColorMapLine, ColorMapError>;

// One line: nothing (blank or comment), a change, or why it is malformed.
LineResult ReadColorMapLine(std::string_view text, int number)
{
    const auto malformed = [number](std::string reason) { return ColorMapError{number, std::move(reason)}; };
    std::string_view rest = text;
    const std::string_view first = NextWord(rest);
    if (first.empty() || IsComment(first))
        return std::monostate{};

    ColorMapLine line;
    line.line = number;
    if (first.find(':') != std::string_view::npos) {
        const auto key = ParseColourChoice(first);
        if (!key)
            return malformed(Quoted(first) + " is not KIND:#rrggbb with KIND " + KindNameList());
        line.kinds = KindOf(*key);
        line.from = RgbOf(*key);
    } else if (const auto rgb = ParseHexColor(first)) {
        line.kinds = kKindMask;
        line.from = *rgb;
    } else {
        return malformed(Quoted(first) + " is not a colour #rrggbb");
    }

    const std::string_view second = NextWord(rest);
    if (second.empty() || IsComment(second))
        return malformed("no colour to change " + Quoted(first) + " to");
    const auto to = ParseHexColor(second);
    if (!to)
        return malformed(Quoted(second) + " is not a colour #rrggbb");
    line.to = *to;

    const std::string_view third = NextWord(rest);
    if (!third.empty() && !IsComment(third))
        return malformed("unexpected " + Quoted(third) + " after the two colours");
    return line;
}

} // namespace

ColorMap ReadColorMap(std::string_view text)
{
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    ColorMap map;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const LineResult result = ReadColorMapLine(text.substr(0, end), ++number);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (const auto* error = std::get_if<ColorMapError>(&result)) {
            map.error = *error;
            map.lines.clear();
            return map;
        }
        if (const auto* line = std::get_if<ColorMapLine>(&result))
            map.lines.push_back(*line);
    }
    return map;
}

} // namespace tintor
