#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tintor {

// The names in action blocks that tell of colours drawn or changed by a
// script. The first kScannedDrawingCalls are looked for in the bytes of a
// block that is not followed (under the classic rule, or when it cannot be
// read); the rest are named only where a followed block uses them with a
// colour it cannot tell.
inline constexpr std::string_view kDrawingCalls[] = {
    "beginFill",
    "lineStyle",
    "beginGradientFill",
    "lineGradientStyle",
    "setRGB",
    "ColorTransform",
    "colorTransform",
    "textColor",
    "GlowFilter",
    "DropShadowFilter",
    "BevelFilter",
    "ColorMatrixFilter",
    "GradientGlowFilter",
    "GradientBevelFilter",
    "TextFormat",
    "backgroundColor",
    "borderColor",
    "color",
    "rgb",
};
inline constexpr std::size_t kScannedDrawingCalls = 12;

// The bit of a name of kDrawingCalls, 0 for any other name. Names are told
// apart by their letter case unless ignoreCase (movies before version 7).
std::uint32_t DrawingCallBit(std::string_view name, bool ignoreCase = false);

// A bit per name of the first kScannedDrawingCalls that occurs somewhere in
// bytes.
std::uint32_t DrawingCallsIn(std::span<const std::uint8_t> bytes);

struct BitmapSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    friend bool operator==(const BitmapSize&, const BitmapSize&) = default;
};

// The pixel size of the image data of a bitmap tag (JPEG, PNG or GIF), or
// of a lossless bitmap's header; nothing when the data tells none.
std::optional<BitmapSize> EncodedImageSize(std::span<const std::uint8_t> image);

struct BitmapTally {
    std::uint32_t count = 0;
    std::uint64_t bytes = 0; // of the tag bodies
    // One per bitmap whose size could be read, in the movie's order.
    std::vector<BitmapSize> sizes;
    friend bool operator==(const BitmapTally&, const BitmapTally&) = default;
};

struct ScriptTally {
    std::uint32_t blocks = 0; // that name a drawing call
    std::uint32_t calls = 0;  // a bit per name of kDrawingCalls
    friend bool operator==(const ScriptTally&, const ScriptTally&) = default;
};

// What a movie shows whose colours Tintor leaves as they are, counted by the
// tag walk.
struct ColourAccount {
    std::map<std::uint16_t, BitmapTally> bitmaps; // by tag code
    std::uint32_t colourMatrixFilters = 0;
    // Colour transforms that are not tints.
    std::uint32_t colourTransforms = 0;
    // Tint places whose add terms cannot hold every other colour.
    std::uint32_t tintsWithoutRoom = 0;
    // HTML color attributes in a form other than "#rrggbb".
    std::uint32_t htmlColours = 0;
    // Script constants that reach a colour and are also used as a number:
    // they keep their value.
    std::uint32_t scriptNumbers = 0;
    // Script constants whose encoding cannot hold every other colour.
    std::uint32_t scriptsWithoutRoom = 0;
    // Edit texts with a border: the player draws a white background and a
    // black border that no byte of the movie stores.
    std::uint32_t textBoxes = 0;
    // Action blocks that name a drawing call, by tag code (clip actions
    // under their PlaceObject's).
    std::map<std::uint16_t, ScriptTally> scripts;
    std::uint32_t videoStreams = 0;
    std::uint32_t videoFrames = 0;
    // Under the classic rule, the filter colours, tint places and HTML
    // colours that the extended rule would collect.
    std::uint32_t uncollectedFilterColours = 0;
    std::uint32_t uncollectedTints = 0;
    std::uint32_t uncollectedHtmlColours = 0;

    bool Empty() const;
    friend bool operator==(const ColourAccount&, const ColourAccount&) = default;
};

// The name of a bitmap or script tag code ("DefineBitsLossless2").
std::string_view TagName(std::uint16_t code);

} // namespace tintor
