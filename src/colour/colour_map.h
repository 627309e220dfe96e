#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tintor {

// A colour map: the human-friendly sibling of the colour script. One change
// per line, colours red first as people write them:
//     fill:#ff0000 #00ff00    one kind's red becomes green
//     tint:#ff0000 #00ff00    so does a red tint
//     #ffffff #202020         every kind's white becomes dark grey
// A '#' that does not begin a colour (followed by a blank, the end of the
// line or anything but a hex digit) starts a comment.
struct ColorMapLine {
    int line = 0;            // 1-based, for reports
    std::uint32_t kinds = 0; // one ColorKind, or kKindMask for every kind
    std::uint32_t from = 0;  // red in the low byte, as keys hold it
    std::uint32_t to = 0;

    bool operator==(const ColorMapLine&) const = default;
};

struct ColorMapError {
    int line = 0;
    std::string reason;

    bool operator==(const ColorMapError&) const = default;
};

struct ColorMap {
    std::vector<ColorMapLine> lines;
    // The first malformed line; a map with one is not used at all.
    std::optional<ColorMapError> error;
};

ColorMap ReadColorMap(std::string_view text);

} // namespace tintor
