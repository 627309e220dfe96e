#pragma once

#include <cstdint>
#include <string_view>

namespace tintor {

// A colour as the registry knows it: red in bits 0-7, green 8-15, blue 16-23
// (the byte order of the movie), one kind bit in 25-31. Alpha is never part
// of a key. A colour-table entry has the same layout, with the replacement
// colour in bits 0-23 and its selection in bit 24.
using ColorKey = std::uint32_t;

enum ColorKind : std::uint32_t {
    // A number constant of a script that reaches a colour argument or a
    // colour property (beginFill, setRGB, textColor, ...).
    KIND_SCRIPT = 0x02000000,
    // A colour transform that tints what it places: its colour is worked
    // out of its multiplier and add terms.
    KIND_TINT = 0x04000000,
    // Filter colours (drop shadow, glow, bevel, gradient and convolution
    // filters) and the opaque background of a placed object.
    KIND_FILTER = 0x08000000,
    KIND_FILL = 0x10000000,
    KIND_TEXT = 0x20000000,
    KIND_LINE = 0x40000000,
    KIND_BG = 0x80000000,
};

constexpr std::uint32_t kKindMask = 0xFE000000;
constexpr std::uint32_t kColourMask = 0x00FFFFFF;
constexpr std::uint32_t kSelectedBit = 0x01000000;

// The kind bits of a key or an entry.
constexpr ColorKind KindOf(std::uint32_t value) { return static_cast<ColorKind>(value & kKindMask); }
// The colour of a key or an entry, red in the low byte.
constexpr std::uint32_t RgbOf(std::uint32_t value) { return value & kColourMask; }
constexpr bool IsSelected(std::uint32_t entry) { return (entry & kSelectedBit) != 0; }

// What each kind is called wherever a person reads it.
struct ColorKindInfo {
    ColorKind kind;
    // On tintor-cli's command line and in its lists.
    std::string_view name;
    // Before a change line of a colour script.
    std::string_view scriptTag;
    // What a script line's tag is recognised by: the longest of these that
    // the text after an '@' starts with. The first kinds are told by their
    // second letter, as scripts have always been read, so "@f..." is a fill
    // line unless it reads "@filt...". "@script" is told whole: an '@' with
    // an 's' after it ended the reading of older scripts, and still does
    // unless it starts a script line.
    std::string_view scriptPrefix;
    // On the swatch, at (labelX, labelY) pixels from the swatch's corner;
    // fills, the most common kind, go unlabelled.
    std::string_view label;
    int labelX;
    int labelY;
};

inline constexpr ColorKindInfo kColorKinds[] = {
    {KIND_FILL, "fill", "@fill", "@f", "", 0, 0},
    {KIND_TEXT, "text", "@text", "@t", "TXT", 1, 2},
    {KIND_LINE, "line", "@line", "@l", "LINE", 0, 2},
    {KIND_BG, "bg", "@bg", "@b", "BG", 4, 2},
    {KIND_FILTER, "filter", "@filter", "@filt", "FLT", 1, 2},
    {KIND_TINT, "tint", "@tint", "@ti", "TINT", 1, 2},
    {KIND_SCRIPT, "script", "@script", "@script", "SCR", 1, 2},
};

// The kind of a key or an entry; null when its kind bits are not exactly
// one kind, which the registry never makes.
constexpr const ColorKindInfo* InfoOf(std::uint32_t value)
{
    for (const ColorKindInfo& info : kColorKinds)
        if (info.kind == KindOf(value))
            return &info;
    return nullptr;
}

} // namespace tintor
