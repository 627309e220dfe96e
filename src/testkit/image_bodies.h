#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tintor {

// Bodies of the image tags and the image data inside them, made with zlib,
// libjpeg-turbo, libpng and giflib, for tests, benchmarks and the fuzzer.

std::vector<std::uint8_t> ZlibOf(std::span<const std::uint8_t> data);
// DefineBitsLossless(2): the fields, then data (colour table and rows, as
// the format stores them) deflated.
std::vector<std::uint8_t> LosslessBody(std::uint16_t id, std::uint8_t format, std::uint16_t width, std::uint16_t height,
    std::span<const std::uint8_t> data, std::uint8_t tableSize = 0);
// DefineBitsJPEG2 (21), JPEG3 (35) or JPEG4 (90): the fields, the image data
// and, after it, the alpha plane as given (already deflated).
std::vector<std::uint8_t> JpegTagBody(std::uint16_t code, std::uint16_t id, std::span<const std::uint8_t> image,
    std::span<const std::uint8_t> alpha = {}, std::uint16_t deblocking = 0);
// RGB pixels as a JPEG of that subsampling (a TJSAMP value) and quality.
std::vector<std::uint8_t> JpegOf(
    std::span<const std::uint8_t> rgb, int width, int height, int subsampling = 2, int quality = 85);
// A baseline JPEG with other dimensions in its frame header.
std::vector<std::uint8_t> JpegWithSize(std::vector<std::uint8_t> jpeg, std::uint16_t width, std::uint16_t height);
// RGBA pixels (straight alpha) as a PNG.
std::vector<std::uint8_t> PngOf(std::span<const std::uint8_t> rgba, int width, int height);
// Indices into a palette of 0x00BBGGRR colours as a GIF89a, with a
// transparent index or -1.
std::vector<std::uint8_t> GifOf(std::span<const std::uint8_t> indices, std::span<const std::uint32_t> palette,
    int width, int height, int transparent = -1);
// A JPEG as a DefineBits that reads the movie's JPEGTables holds it: its
// DQT and DHT segments as a stream of their own (for JPEGTables), the rest
// as the image.
struct SplitJpeg {
    std::vector<std::uint8_t> tables{0xFF, 0xD8};
    std::vector<std::uint8_t> image{0xFF, 0xD8};
};
SplitJpeg SplitJpegTables(std::span<const std::uint8_t> jpeg);
// DefineShape (tag 2) of a rectangle of width x height pixels at the origin,
// filled with the bitmap of that character id at its own size (clipped).
std::vector<std::uint8_t> BitmapShapeBody(std::uint16_t id, std::uint16_t bitmap, int width, int height);
// PlaceObject2 (tag 26) of a character at a depth, moved by x, y pixels.
std::vector<std::uint8_t> PlaceBody(std::uint16_t id, std::uint16_t depth, int x = 0, int y = 0);
// A smooth picture with some noise, as photographs have: RGB, row by row.
std::vector<std::uint8_t> PhotoLikeRgb(int width, int height, std::uint32_t seed = 1);

} // namespace tintor
