#pragma once

#include "swf/colour_key.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tintor {

// Colours as people write them: "#rrggbb" with red first, the reverse of the
// byte order that keys and colour scripts keep.

// The name of a kind ("fill", "tint"), in any letter case.
std::optional<ColorKind> KindFromName(std::string_view name);
// Every kind's name in alphabetical order, for messages and help:
// "bg, fill, filter, line, text or tint".
std::string KindNameList();
// "#rrggbb" or "rrggbb", digits of either case, to a colour with red in the
// low byte.
std::optional<std::uint32_t> ParseHexColor(std::string_view text);
// "KIND:#rrggbb" (the '#' may be left out) to the movie's key for that colour.
std::optional<ColorKey> ParseColourChoice(std::string_view choice);
// "#rrggbb" of a colour or key (red in the low byte), lower-case digits.
std::string HexColor(std::uint32_t rgb);

// A piece of a file in single quotes, as an error report quotes it: its first
// 32 bytes, then "..."; a control byte, a backslash or a byte of no UTF-8
// character as \xHH, so that no byte of the file reaches a terminal as it is.
std::string Quoted(std::string_view text);

} // namespace tintor
