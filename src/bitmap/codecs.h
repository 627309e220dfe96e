#pragma once

// The codecs behind CBitmapImage, one per kind of image data.
#include "bitmap/bitmap_image.h"

#include <array>
#include <optional>
#include <vector>

namespace tintor::bitmap {

// --- DefineBitsLossless and DefineBitsLossless2 --------------------------------
// The zlib data of the tag body, inflated and checked against the size its
// fields give; nullopt with a reason when it cannot be.
std::optional<CBitmapImage::Lossless> DecodeLossless(
    const SwfImageRecord& record, std::span<const std::uint8_t> body, std::string& problem);
void RecolourLossless(
    CBitmapImage::Lossless& pixels, std::uint32_t width, std::uint32_t height, const RecolourFn& recolour);
std::vector<std::uint8_t> LosslessToRgba(
    const CBitmapImage::Lossless& pixels, std::uint32_t width, std::uint32_t height);

// --- JPEG -----------------------------------------------------------------------
// What the headers of a JPEG say.
struct JpegHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool progressive = false;
    int quality = 0; // estimated from the quantisation tables, 1..100
    // The tables of the first two components, luminance first, zigzag order.
    std::vector<std::array<std::uint16_t, 64>> tables;
};
// The image data as one stream: an erroneous FF D9 FF D8 in front dropped,
// and a stream of tables only before the image's own joined to it.
std::optional<std::vector<std::uint8_t>> JoinJpegStreams(std::span<const std::uint8_t> data);
// The size, progression and estimated quality, from a joined stream.
std::optional<JpegHeader> ReadJpegHeader(std::span<const std::uint8_t> stream);
// The IJG quality whose scaled standard tables come nearest to the tables
// given (64 entries each, in zigzag order, luminance first).
int EstimateJpegQuality(std::span<const std::array<std::uint16_t, 64>> tables);
std::optional<CBitmapImage::Photo> DecodeJpeg(std::span<const std::uint8_t> stream, const JpegHeader& header,
    std::span<const std::uint8_t> alphaStream, std::string& problem);
// Decodes at an eighth of the size only to see that the data decodes.
bool CheckJpeg(std::span<const std::uint8_t> stream, std::string& problem);
// The photo with its pixels recoloured; the rest as it was.
CBitmapImage::Photo RecolourPhoto(const CBitmapImage::Photo& photo, const RecolourFn& recolour);
std::vector<std::uint8_t> EncodeJpeg(const CBitmapImage::Photo& photo, std::uint32_t width, std::uint32_t height);

// --- PNG and GIF inside the JPEG tags ------------------------------------------
std::optional<CBitmapImage::Png> DecodePng(
    std::span<const std::uint8_t> data, std::uint32_t& width, std::uint32_t& height, std::string& problem);
void RecolourPng(CBitmapImage::Png& png, const RecolourFn& recolour);
std::vector<std::uint8_t> EncodePng(const CBitmapImage::Png& png, std::uint32_t width, std::uint32_t height);
std::optional<CBitmapImage::Gif> DecodeGif(
    std::span<const std::uint8_t> data, std::uint32_t& width, std::uint32_t& height, std::string& problem);
// A GIF goes back as a PNG with the same colour table, recoloured.
std::vector<std::uint8_t> EncodeGifAsPng(const CBitmapImage::Gif& gif, std::uint32_t width, std::uint32_t height);

} // namespace tintor::bitmap
