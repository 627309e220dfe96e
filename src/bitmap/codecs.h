#pragma once

// The codecs behind CBitmapImage, one per kind of image data. Each reads the
// size from the headers and refuses an image whose pixels its data cannot
// hold before anything of the image's size is allocated; each streams its
// pixels row by row to a thumbnail (or nowhere, to see that they decode);
// and each decodes whole only for a recolouring, which keeps the pixels no
// longer than it takes to encode them again.
#include "bitmap/bitmap_image.h"
#include "bitmap/thumbnail.h"

#include <array>
#include <optional>
#include <vector>

namespace tintor::bitmap {

// Why an image cannot be recoloured, in the words listings use.
inline constexpr std::string_view kCorruptImage = "corrupt image data";
inline constexpr std::string_view kCorruptJpeg = "corrupt JPEG data";
inline constexpr std::string_view kCorruptPng = "corrupt PNG data";
inline constexpr std::string_view kCorruptGif = "corrupt GIF data";
inline constexpr std::string_view kCorruptAlpha = "corrupt alpha data";
inline constexpr std::string_view kTooLarge = "image too large";
// The pixels its headers declare need more data than the image holds.
inline constexpr std::string_view kTooLittleData = "too little data for its size";
inline constexpr std::string_view kJpegCutShort = "JPEG data cut short";
inline constexpr std::string_view kArithmeticJpeg = "arithmetic-coded JPEG";
inline constexpr std::string_view kEmptyGifCanvas = "GIF canvas of zero width or height";

// Whether a width by height image may be decoded at all, whatever its data.
bool WithinPixelLimit(std::uint64_t width, std::uint64_t height, std::string& problem);

// --- DefineBitsLossless and DefineBitsLossless2 --------------------------------
struct Lossless {
    std::uint8_t format = 0; // 3, 4 or 5
    bool alpha = false;      // DefineBitsLossless2: premultiplied RGBA
    std::uint32_t tableCount = 0;
    // The inflated data exactly as stored: colour table and rows of
    // indices, or rows of pixels, each row with its padding.
    ByteBuffer data;
};
// Reads the pixels to the thumbnail maker, when given, or only to see
// that they inflate to the size the fields give; false with a reason when
// they do not.
bool StreamLossless(
    const SwfImageRecord& record, std::span<const std::uint8_t> body, CThumbnailMaker* thumbnail, std::string& problem);
std::optional<Lossless> DecodeLossless(
    const SwfImageRecord& record, std::span<const std::uint8_t> body, std::string& problem);
void RecolourLossless(Lossless& pixels, std::uint32_t width, std::uint32_t height, const RecolourFn& recolour);

// --- JPEG -----------------------------------------------------------------------
struct HuffmanTable {
    std::array<std::uint8_t, 16> counts{}; // codes of each length, 1 to 16 bits
    std::vector<std::uint8_t> symbols;
};
// The tables a stream defines, by slot, as they stand after its last
// definition; quantisation tables in zigzag order.
struct JpegTableSet {
    std::array<std::optional<std::array<std::uint16_t, 64>>, 4> quantisation;
    std::array<std::optional<HuffmanTable>, 4> dc;
    std::array<std::optional<HuffmanTable>, 4> ac;
    bool Empty() const;
};
struct JpegComponent {
    std::uint8_t id = 0;
    std::uint8_t horizontal = 1; // sampling factors
    std::uint8_t vertical = 1;
    std::uint8_t quantisation = 0; // the slots of its tables
    std::uint8_t dc = 0;
    std::uint8_t ac = 0;
};
// What the headers of a JPEG say.
struct JpegHeader {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int precision = 8;
    bool progressive = false;
    bool arithmetic = false;
    // The components of the frame, their Huffman tables from the first scan
    // that codes them.
    std::vector<JpegComponent> components;
    int quality = 0; // estimated from the quantisation tables, 1..100
    // The tables of the first two components, luminance first, zigzag order.
    std::vector<std::array<std::uint16_t, 64>> tables;
    // Every table the stream defines before its first scan.
    JpegTableSet defined;
};
// The image data as one stream: an erroneous FF D9 FF D8 in front dropped,
// and a stream of tables only before the image's own joined to it.
std::optional<std::vector<std::uint8_t>> JoinJpegStreams(std::span<const std::uint8_t> data);
// The size, progression, tables and estimated quality, from a joined stream.
std::optional<JpegHeader> ReadJpegHeader(std::span<const std::uint8_t> stream);
// The tables of a stream of tables only, such as JPEGTables; nullopt when
// its segments do not parse.
std::optional<JpegTableSet> ReadJpegTables(std::span<const std::uint8_t> data);
// The IJG quality whose scaled standard tables come nearest to the tables
// given (64 entries each, in zigzag order, luminance first).
int EstimateJpegQuality(std::span<const std::array<std::uint16_t, 64>> tables);
// Whether the header's pixels are more than stream bytes can code.
bool JpegDataTooShort(const JpegHeader& header, std::size_t streamBytes);
// Whether a Huffman table has a code for every symbol that a sequential
// scan of 8-bit samples may need: categories 0 to 11 for DC, every run and
// size with end of block and the run of sixteen zeros for AC.
bool CodesEverySymbol(const HuffmanTable& table, bool dc);

struct Photo {
    // RGB as decoded (premultiplied where an alpha plane goes with it),
    // and the alpha plane inflated, or empty.
    ByteBuffer rgb;
    std::vector<std::uint8_t> alpha;
    bool grey = false;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};
// Decodes a joined stream row by row at scaleNum/8 of its size (1 to 8)
// to the thumbnail maker, or nowhere to see that it decodes; false with a
// reason when it does not, or when the data ends before the image does.
bool StreamJpeg(std::span<const std::uint8_t> stream, int scaleNum, CThumbnailMaker* thumbnail, std::string& problem);
std::optional<Photo> DecodeJpeg(std::span<const std::uint8_t> stream, const JpegHeader& header, std::string& problem);
void RecolourPhoto(Photo& photo, const RecolourFn& recolour);
// How a photo is encoded again: its own quantisation tables (estimated
// quality for any it lacks), subsampling and progression; or, for a
// DefineBits whose tables the movie's JPEGTables hold, exactly those tables
// and table slots, written without them as an abbreviated stream.
struct JpegEncoding {
    const JpegHeader* header = nullptr;
    const JpegTableSet* shared = nullptr;
};
// The encoded image; nullopt with the encoder's reason when it refuses.
// Throws std::bad_alloc when memory runs out.
std::optional<std::vector<std::uint8_t>> EncodeJpeg(
    const Photo& photo, const JpegEncoding& encoding, std::string& problem);

// --- PNG and GIF inside the JPEG tags ------------------------------------------
struct ImageSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};
struct Png {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba; // straight
    bool hasAlpha = false;
};
bool StreamPng(std::span<const std::uint8_t> data, CThumbnailMaker* thumbnail, std::string& problem);
std::optional<Png> DecodePng(std::span<const std::uint8_t> data, std::string& problem);
void RecolourPng(Png& png, const RecolourFn& recolour);
// The encoded image; nullopt with libpng's reason when it refuses. Throws
// std::bad_alloc when memory runs out.
std::optional<std::vector<std::uint8_t>> EncodePng(const Png& png, std::string& problem);

struct Gif {
    std::uint32_t width = 0; // of the canvas
    std::uint32_t height = 0;
    std::vector<std::uint8_t> indices;
    std::vector<std::uint32_t> palette; // 0x00BBGGRR, 256 entries
    int transparent = -1;
};
bool StreamGif(std::span<const std::uint8_t> data, CThumbnailMaker* thumbnail, std::string& problem);
std::optional<Gif> DecodeGif(std::span<const std::uint8_t> data, std::string& problem);
// A GIF goes back as a PNG with the same colour table, recoloured.
std::optional<std::vector<std::uint8_t>> EncodeGifAsPng(const Gif& gif, std::string& problem);

} // namespace tintor::bitmap
