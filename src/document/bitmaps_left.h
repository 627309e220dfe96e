#pragma once

#include "document/movie_bitmaps.h"
#include "swf/colour_account.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tintor {

// Why an image of the movie keeps its colours even when the user chooses it.
enum class BitmapLeftReason {
    SharedTables, // DefineBits whose tables, shared in JPEGTables, cannot encode a new image
    Undecodable,  // corrupt, cut short, too large or of an unknown format
    InSprite,     // defined inside a sprite, which is not rewritten
};

// The images of one tag code left as they are for one reason. Images that
// can be recoloured when chosen are not among them.
struct LeftBitmaps {
    std::uint16_t code = 0;
    BitmapLeftReason reason = BitmapLeftReason::Undecodable;
    // The bitmap library's own words for it ("corrupt JPEG data"); the
    // images of a tag code with different problems are separate groups.
    std::string problem;
    // Sizes of the images whose size is known, in the movie's order.
    BitmapTally tally;
    friend bool operator==(const LeftBitmaps&, const LeftBitmaps&) = default;
};

// The images the account counted that stay as they are: those of entries
// that cannot be recoloured, and those the walk counted but did not list
// (inside sprites). By tag code, then in the order first met.
std::vector<LeftBitmaps> BitmapsLeft(const ColourAccount& account, std::span<const BitmapEntry> entries);

// How many of entries can be recoloured when chosen.
std::size_t RecolourableCount(std::span<const BitmapEntry> entries);

// The reason in words, for the CLI ("the movie's JPEGTables cannot encode
// a new image", "inside a sprite", or the problem itself).
std::string ReasonText(const LeftBitmaps& left);

} // namespace tintor
