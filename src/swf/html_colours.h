#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tintor {

// One color="#rrggbb" attribute of an edit text's HTML.
struct HtmlColour {
    std::size_t offset = 0; // of the first of the six hex digits
    std::uint32_t rgb = 0;  // red in the low byte, as keys hold it
    // Bit i set when digit i is an upper-case letter.
    std::uint8_t upperDigits = 0;

    friend bool operator==(const HtmlColour&, const HtmlColour&) = default;
};

struct HtmlColours {
    std::vector<HtmlColour> hex;
    // color attributes in any other form (named colours, three digits,
    // unquoted), which are left as they are.
    std::uint32_t otherForms = 0;
};

// Every color attribute inside the tags of the HTML text: the attribute name
// in any letter case after a blank, '=' with optional blanks around it, the
// value in single or double quotes.
HtmlColours FindHtmlColours(std::string_view html);

// The colour of six hex digits at the front of digits (red first, as HTML
// writes it), red in the low byte; nothing when they are not six hex digits.
std::optional<std::uint32_t> ParseHtmlHex(std::string_view digits);

// Writes rgb as six hex digits at the front of digits, digit i an upper-case
// letter when bit i of upperDigits is set.
void WriteHtmlHex(std::span<std::uint8_t> digits, std::uint32_t rgb, std::uint8_t upperDigits);

} // namespace tintor
