#pragma once

#include <cstdint>

namespace tintor {

// The tags that define an image, by code.
enum ImageTagCode : std::uint16_t {
    kTagDefineBits = 6,
    kTagJpegTables = 8,
    kTagDefineBitsLossless = 20,
    kTagDefineBitsJpeg2 = 21,
    kTagDefineBitsJpeg3 = 35,
    kTagDefineBitsLossless2 = 36,
    kTagDefineBitsJpeg4 = 90,
};

constexpr bool IsImageTag(std::uint16_t code)
{
    return code == kTagDefineBits || code == kTagDefineBitsLossless || code == kTagDefineBitsJpeg2
        || code == kTagDefineBitsJpeg3 || code == kTagDefineBitsLossless2 || code == kTagDefineBitsJpeg4;
}

// One image tag of the main timeline as the walk read it: where it stands in
// the movie and the fields before its image data. Offsets count from the
// start of the uncompressed movie.
struct SwfImageRecord {
    std::uint16_t code = 0;
    std::uint16_t characterId = 0;
    // The tag's header, and its body as far as it lies inside the movie.
    std::uint32_t tagOffset = 0;
    std::uint32_t bodyOffset = 0;
    std::uint32_t bodyLength = 0;
    // False when the header claims more body than the movie holds.
    bool complete = true;
    // DefineBitsLossless and DefineBitsLossless2: 3 colour-mapped, 4 15-bit
    // (DefineBitsLossless only), 5 32-bit; the colour table's size less one
    // for format 3.
    std::uint8_t losslessFormat = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t colourTableSize = 0;
    // DefineBitsJPEG3 and DefineBitsJPEG4: the length of the image data, after
    // which the zlib alpha plane begins; DefineBitsJPEG4's deblocking filter.
    std::uint32_t alphaDataOffset = 0;
    std::uint16_t deblocking = 0;

    friend bool operator==(const SwfImageRecord&, const SwfImageRecord&) = default;
};

} // namespace tintor
