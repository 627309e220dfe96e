#pragma once

#include "swf/encoded_place.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tintor {

// What a script does with a colour constant: the call, constructor or
// property that takes it as a colour. A place remembers a bit per use.
enum class ScriptUse : std::uint8_t {
    BeginFill,
    LineStyle,
    BeginGradientFill,
    LineGradientStyle,
    SetRgb,
    GlowFilter,
    DropShadowFilter,
    BevelFilter,
    GradientGlowFilter,
    GradientBevelFilter,
    TextFormat,
    ColorTransform,
    TextColor,
    BackgroundColor,
    BorderColor,
    Color,
    Rgb,
};

// The names scripts call them by, in the order of ScriptUse.
inline constexpr std::string_view kScriptUseNames[] = {
    "beginFill",
    "lineStyle",
    "beginGradientFill",
    "lineGradientStyle",
    "setRGB",
    "GlowFilter",
    "DropShadowFilter",
    "BevelFilter",
    "GradientGlowFilter",
    "GradientBevelFilter",
    "TextFormat",
    "ColorTransform",
    "textColor",
    "backgroundColor",
    "borderColor",
    "color",
    "rgb",
};

constexpr std::uint32_t UseBit(ScriptUse use) { return 1u << static_cast<unsigned>(use); }

// "beginFill, setRGB": the names of the uses whose bits are set, in the
// order above.
std::string ScriptUseList(std::uint32_t uses);

// A script writes a colour as the number 0xRRGGBB; keys hold red in the
// low byte. Each turns the one into the other.
constexpr std::uint32_t ScriptValueOf(std::uint32_t rgb)
{
    return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}
constexpr std::uint32_t RgbOfScriptValue(std::uint32_t value) { return ScriptValueOf(value); }

// Whether a place's form is one of a script constant.
bool IsScriptForm(PlaceForm form);
// How many bytes a script constant of the place's form takes.
std::size_t ScriptPlaceSize(const EncodedPlace& place);
// The number the bytes at the front of bytes hold in the place's form, when
// it is a colour: a whole number from 0 to 0xFFFFFF. Nothing otherwise, or
// when the bytes are too few.
std::optional<std::uint32_t> ReadScriptConstant(std::span<const std::uint8_t> bytes, const EncodedPlace& place);
// Writes the number value (0 to 0xFFFFFF) in the place's form and length.
// False, with the bytes untouched, when it does not fit there or the bytes
// are too few.
bool WriteScriptConstant(std::span<std::uint8_t> bytes, const EncodedPlace& place, std::uint32_t value);
// Whether every colour fits the place: false for the short ABC forms.
bool HoldsEveryColour(const EncodedPlace& place);

} // namespace tintor
