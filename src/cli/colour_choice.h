#pragma once

#include "swf/colour_key.h"

#include <optional>
#include <string_view>

namespace tintor::cli {

// "bg", "fill", "line" or "text", in any letter case.
std::optional<ColorKind> KindFromName(std::string_view name);
// "KIND:#rrggbb" (the '#' may be left out), red first as `colours` prints
// it, to the movie's key for that colour.
std::optional<ColorKey> ParseColourChoice(std::string_view choice);

} // namespace tintor::cli
