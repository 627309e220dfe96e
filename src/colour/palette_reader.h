#pragma once

#include "core/messages.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tintor {

// The palette files ReadPalette reads, all of them first, for a file dialog.
inline constexpr std::string_view kPaletteReadFilter
    = "Palettes (*.gpl *.ase *.css *.json)|*.gpl;*.ase;*.css;*.json|GIMP palette (*.gpl)|*.gpl|"
      "Adobe Swatch Exchange (*.ase)|*.ase|CSS (*.css)|*.css|JSON (*.json)|*.json|All files (*.*)|*.*||";

// Why a palette file cannot be used, and where: "line 3" in a text format,
// "byte 40" in a binary one. Both keep their variable parts apart, so that
// the window can say them in its language.
struct PaletteError {
    MessageText where;
    MessageText reason;

    bool operator==(const PaletteError&) const = default;
};

struct ReadPaletteResult {
    std::vector<std::uint32_t> colours; // in the file's order, red in the low byte
    // Entries of other colour models (an Adobe swatch in CMYK, Lab or Gray).
    std::size_t skipped = 0;
    // When set, the file is not used at all.
    std::optional<PaletteError> error;
};

// A GIMP palette (.gpl, also written by Inkscape and Krita): the line
// "GIMP Palette", then "Name:" and "Columns:" lines, comments after '#',
// blank lines, and one "R G B [name]" line per colour.
ReadPaletteResult ReadGimpPalette(std::string_view text);
// An Adobe Swatch Exchange file (.ase): RGB colour entries, inside groups
// or not.
ReadPaletteResult ReadAsePalette(std::span<const std::uint8_t> bytes);
// CSS custom properties whose values are colours, "--name: #rrggbb;" (or
// "#rgb"), as Tintor writes them; other declarations are passed by.
ReadPaletteResult ReadCssPalette(std::string_view text);
// JSON as Tintor writes it: an object whose "colours" (or "colors") array
// holds objects with "hex": "#rrggbb" or "rgb": [r, g, b]; a bare array of
// such entries, or of "#rrggbb" strings, does as well.
ReadPaletteResult ReadJsonPalette(std::string_view text);
// Any of the four, told apart by their content.
ReadPaletteResult ReadPalette(std::span<const std::uint8_t> bytes);

} // namespace tintor
