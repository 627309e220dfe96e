#pragma once

#include "swf/colour_key.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tintor {

// One colour of an exported palette.
struct PaletteColor {
    ColorKind kind;
    std::uint32_t rgb; // red in the low byte

    bool operator==(const PaletteColor&) const = default;
};

enum class PaletteFormat { Gimp, Css, Json, Ase };

inline constexpr std::string_view kPaletteFilter = "GIMP palette (*.gpl)|*.gpl|CSS (*.css)|*.css|JSON (*.json)|*.json|"
                                                   "Adobe Swatch Exchange (*.ase)|*.ase||";

// "gpl", "css", "json" or "ase", in any letter case.
std::optional<PaletteFormat> PaletteFormatFromName(std::string_view name);
// The extension without its dot: "gpl", "css", "json", "ase".
std::string_view PaletteExtension(PaletteFormat format);
// A colour's name in every format: kind and colour, "fill #ff0000".
std::string PaletteColorName(const PaletteColor& color);

// Each writer takes the palette's title (the movie's) and its colours in
// order, and returns the file's bytes.
std::string WriteGimpPalette(std::string_view title, std::span<const PaletteColor> colors);
std::string WriteCssPalette(std::string_view title, std::span<const PaletteColor> colors);
std::string WriteJsonPalette(std::string_view title, std::span<const PaletteColor> colors);
std::string WriteAsePalette(std::span<const PaletteColor> colors);
std::string WritePalette(PaletteFormat format, std::string_view title, std::span<const PaletteColor> colors);

} // namespace tintor
